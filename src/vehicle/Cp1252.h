// Windows-1252, the code page of the texts in vehicle files (files made on Windows in Western
// Europe use it; the files carry no marker). Texts are UTF-8 everywhere else.
#pragma once

#include <string>
#include <string_view>

namespace velrok {

struct Cp1252Text {
    std::string bytes;
    // Empty on success; otherwise the first character that has no Windows-1252 byte, as UTF-8, or
    // a note that the text is not valid UTF-8.
    std::string unmappable;
    bool ok() const { return unmappable.empty(); }
};

Cp1252Text Utf8ToCp1252(std::string_view utf8);

// Every byte maps to a character; the five bytes Windows leaves undefined map to the C1 controls
// of the same value, so they survive a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

} // namespace velrok
