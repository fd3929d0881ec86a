// The tag reader: a single forward pass over the file's lines.
#include "host/DxfTagReader.h"

#include "host/DxfDocument.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>

namespace velrok::host {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool IsCoordinateCode(int c)
{
    return (c >= 10 && c <= 39) || (c >= 110 && c <= 139) || (c >= 1010 && c <= 1039);
}

// Group codes that announce how many items follow. Nothing here sizes a buffer by them, but a
// count the file cannot hold is damage other readers trip over, so the file is refused.
bool IsItemCount(std::string_view type, int code)
{
    return (type == "LWPOLYLINE" && code == 90) || (type == "SPLINE" && code >= 72 && code <= 74) ||
           (type == "HATCH" && (code == 91 || code == 92 || code == 93)) || (type == "LEADER" && code == 76);
}

std::string Shown(std::string_view s)
{
    return std::string(s.substr(0, 40));
}

} // namespace

bool IsDxfRealCode(int c)
{
    return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
           (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059);
}

bool IsDxfIntegerCode(int c)
{
    return (c >= 60 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) ||
           (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 420 && c <= 429) ||
           (c >= 440 && c <= 459) || (c >= 1060 && c <= 1071);
}

DxfTagStream ReadDxfTags(std::string_view text)
{
    DxfTagStream out;
    // Every tag is two lines: counting them first sizes the vectors once, so a large file never
    // holds a half-grown copy of them.
    size_t lines = 0;
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p)));
         ++p)
        ++lines;
    if (text.size() >= UINT32_MAX) {
        out.error = "line 1: the file is 4 GB or larger, more than a drawing can be";
        return out;
    }
    out.codeStart.reserve(lines / 2 + 2);

    size_t pos = 0, lineNo = 0;
    auto nextLine = [&](std::string_view& line) {
        if (pos >= text.size())
            return false;
        const void* nl = std::memchr(text.data() + pos, '\n', text.size() - pos);
        const size_t end = nl ? static_cast<const char*>(nl) - text.data() : text.size();
        line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            if (lineNo == 0)
                out.crlf = true;
        }
        pos = end + 1;
        ++lineNo;
        return true;
    };
    auto fail = [&](size_t line, const std::string& what) {
        out.error = "line " + std::to_string(line) + ": " + what;
        out.codeStart = {};
        return std::move(out);
    };

    // The item count that reaches farthest beyond its own tag, each item taking two lines at the
    // least. It is held against the end of the drawing (its EOF) once that is known: what follows
    // EOF is not written back, so a count it seemed to make room for would refuse the saved file.
    struct Count {
        size_t reach = 0; // byte offset the items would need to reach
        size_t line = 0;
        std::string what;
    } farthest;
    std::string_view section, objectType;
    bool inSection = false, expectSectionName = false, sawEof = false, sawSection = false;
    std::string_view codeLine, value;
    while (true) {
        const size_t codeStart = pos;
        if (!nextLine(codeLine))
            break;
        const size_t codeLineNo = lineNo;
        const std::string_view codeText = Trim(codeLine);
        if (codeText.empty() && pos >= text.size())
            break; // a final blank line
        int code = 0;
        auto [ptr, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        if (ec != std::errc() || ptr != codeText.data() + codeText.size() || code < 0 || code > kMaxGroupCode) {
            if (!sawSection)
                return fail(codeLineNo, "this is not a DXF drawing (it does not start with group codes)");
            return fail(codeLineNo, "\"" + Shown(codeText) + "\" is not a DXF group code");
        }
        if (!nextLine(value))
            return fail(codeLineNo, "the file ends after group code " + std::to_string(code) + " (truncated)");
        const std::string_view v = Trim(value);

        if (IsDxfRealCode(code)) {
            const std::string_view s = !v.empty() && v.front() == '+' ? v.substr(1) : v;
            double d = 0.0;
            auto [end, ecReal] = std::from_chars(s.data(), s.data() + s.size(), d);
            if (ecReal == std::errc::result_out_of_range) {
                d = std::strtod(std::string(s).c_str(), nullptr); // tiny numbers become 0, huge ones inf
                if (!std::isfinite(d))
                    return fail(lineNo, "number " + Shown(s) + " is out of range (group code " +
                                            std::to_string(code) + ")");
            } else if (s.empty() || ecReal != std::errc() || end != s.data() + s.size())
                return fail(lineNo, "\"" + Shown(s) + "\" is not a number (group code " + std::to_string(code) + ")");
            if (!std::isfinite(d))
                return fail(lineNo,
                            "number \"" + Shown(s) + "\" is not finite (group code " + std::to_string(code) + ")");
            // Header extents and layout limits legitimately hold 1e20; drawn geometry is held to
            // the limit, and only the ENTITIES and BLOCKS sections hold entities the drawing reads.
            if (IsCoordinateCode(code) && std::abs(d) > kMaxDxfCoordinate &&
                (section == "ENTITIES" || section == "BLOCKS"))
                return fail(lineNo, "coordinate " + Shown(s) + " is out of range (group code " +
                                        std::to_string(code) + ")");
        } else if (IsDxfIntegerCode(code)) {
            long long n = 0;
            auto [p2, ec2] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (v.empty() || ec2 != std::errc() || p2 != v.data() + v.size())
                return fail(lineNo, "\"" + Shown(v) + "\" is not an integer (group code " + std::to_string(code) + ")");
            if (IsItemCount(objectType, code)) {
                const auto what = [&] {
                    return std::string(objectType) + " count " + Shown(v) + " does not fit the file (group code " +
                           std::to_string(code) + ")";
                };
                if (n < 0 || static_cast<size_t>(n) > (text.size() - pos) / 2 + 1)
                    return fail(lineNo, what());
                const size_t reach = pos + 2 * (n > 0 ? static_cast<size_t>(n) - 1 : 0);
                if (reach > farthest.reach)
                    farthest = {reach, lineNo, what()};
            }
        }
        out.codeStart.push_back(static_cast<uint32_t>(codeStart));
        if ((code == 5 || code == 105) && inSection && section != "HEADER")
            out.maxHandle = std::max(out.maxHandle, HandleValue(v));
        else if (code == 0 && section == "ENTITIES")
            ++out.entityZeros;

        if (expectSectionName) {
            if (code != 2)
                return fail(codeLineNo, "SECTION without a name");
            section = v;
            expectSectionName = false;
            continue;
        }
        if (code == 0) {
            objectType = v;
            if (v == "SECTION") {
                if (inSection)
                    return fail(codeLineNo, "section " + std::string(section) + " is not closed before the next SECTION");
                inSection = expectSectionName = sawSection = true;
            } else if (v == "ENDSEC") {
                if (!inSection)
                    return fail(codeLineNo, "ENDSEC outside a section");
                inSection = false;
                section = {};
            } else if (v == "EOF") {
                if (inSection)
                    return fail(codeLineNo,
                                "section " + std::string(section) + " is not closed before EOF (truncated)");
                sawEof = true;
                break;
            } else if (!inSection) {
                return fail(codeLineNo, "\"" + Shown(v) + "\" outside a section");
            }
            continue;
        }
        if (!inSection && code != 999)
            return fail(codeLineNo, "group code " + std::to_string(code) + " outside a section");
    }
    if (!sawSection)
        return fail(1, "no SECTION found: this is not a DXF drawing");
    if (!sawEof)
        return fail(lineNo, "the file ends without EOF (truncated)");
    if (farthest.reach > pos)
        return fail(farthest.line, farthest.what);
    // What follows EOF is not part of the drawing; the raw text of the last tag ends at its line.
    out.codeStart.push_back(static_cast<uint32_t>(std::min(pos, text.size())));
    return out;
}

} // namespace velrok::host
