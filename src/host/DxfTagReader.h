// Splits a text DXF file into its group-code/value tags and checks them: codes are integers,
// numbers finite and of sane size, sections open and close and the file ends with EOF. One pass,
// no line-length limit, and nothing allocated beyond one tag per two lines of the file.
#pragma once

#include "host/DxfTags.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// Coordinates beyond this magnitude are refused in entities and blocks: no road drawing is that
// large, and such numbers are what a damaged file usually holds.
inline constexpr double kMaxDxfCoordinate = 1e12;
inline constexpr int kMaxGroupCode = 1071;

// Four bytes a tag, whatever the lengths of its lines: a drawing of short lines costs little more
// than its file. The value line follows the code line, and the code is read again from the text
// when needed. Offsets are 32-bit, so files of 4 GB and more are refused.
struct DxfTagStream {
    std::vector<uint32_t> codeStart; // byte offset of each tag's code line; one more: the end
    bool crlf = false; // the file's lines end in CR LF
    // Found on the way, so the document need not read every tag again for them:
    uint64_t maxHandle = 0;  // the largest handle (code 5 or 105) outside the header
    size_t entityZeros = 0;  // 0 tags in ENTITIES sections: at most that many entities
    std::string error; // "line N: ..." when the file is refused
};

DxfTagStream ReadDxfTags(std::string_view text);

bool IsDxfRealCode(int code);
bool IsDxfIntegerCode(int code);

} // namespace velrok::host
