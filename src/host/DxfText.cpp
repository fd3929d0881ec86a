// DXF text encoding both ways.
#include "host/DxfText.h"

#include <charconv>
#include <cstdio>

namespace velrok::host {

namespace {

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr unsigned kCp1252High[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                      0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};

// The Windows-1252 byte of a character, -1 when the code page lacks it.
int Cp1252Byte(unsigned codepoint)
{
    if (codepoint >= 0xA0 && codepoint <= 0xFF)
        return static_cast<int>(codepoint);
    for (unsigned k = 0; k < 32; ++k)
        if (kCp1252High[k] == codepoint && codepoint >= 0x100)
            return static_cast<int>(0x80 + k);
    return -1;
}

} // namespace

std::string DecodeDxfText(std::string_view text, bool codePage)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned cp = 0;
        if (text.compare(i, 3, "\\U+") == 0 && i + 7 <= text.size() &&
            std::from_chars(text.data() + i + 3, text.data() + i + 7, cp, 16).ptr == text.data() + i + 7) {
            AppendUtf8(out, cp);
            i += 6;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (codePage && c >= 0x80)
            AppendUtf8(out, c < 0xA0 ? kCp1252High[c - 0x80] : c);
        else
            out.push_back(text[i]);
    }
    return out;
}

std::string EncodeDxfText(std::string_view utf8, bool codePage)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n' || c == '\r') {
            out.push_back(' ');
            ++i;
            continue;
        }
        if (c < 0x80 || !codePage) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned codepoint = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : c & 0x1Fu;
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra) && i + j < utf8.size(); ++j)
            codepoint = (codepoint << 6) | (static_cast<unsigned char>(utf8[i + j]) & 0x3Fu);
        if (extra == 0 || codepoint > 0xFFFF)
            codepoint = '?'; // four hex digits cannot say more
        if (const int byte = Cp1252Byte(codepoint); byte >= 0) {
            // What the code page has is written as its byte: readers that take names as they
            // stand (a layer name with a backslash is no name to them) read it as meant.
            out.push_back(static_cast<char>(byte));
            i += j;
            continue;
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "\\U+%04X", codepoint);
        out.append(buffer);
        i += j;
    }
    return out;
}

} // namespace velrok::host
