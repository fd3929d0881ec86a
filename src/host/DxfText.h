// Texts and names between a DXF file and the drawing: files before AutoCAD 2007 are in the
// Windows code page with other characters as \U+XXXX; later files are UTF-8. The drawing holds
// UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace velrok::host {

std::string DecodeDxfText(std::string_view text, bool codePage);
// Line breaks become blanks (a value is one line); beyond ASCII: the code page's byte in a
// code-page file, \U+XXXX for a character it lacks; UTF-8 as it is in a later one.
std::string EncodeDxfText(std::string_view utf8, bool codePage);

} // namespace velrok::host
