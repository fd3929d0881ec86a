// DXF reading: a structural check of the group-code stream of our own, then dxflib for the
// entities and tables, then the GROUP objects (which dxflib does not report) from our own pass.
#include "host/DxfReader.h"

#include "host/HostColors.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>

namespace velrok::host {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr int kMaxGroupCode = 1071;

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool IsRealCode(int c)
{
    return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
           (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059);
}
bool IsCoordinateCode(int c)
{
    return (c >= 10 && c <= 39) || (c >= 110 && c <= 139) || (c >= 1010 && c <= 1039);
}
bool IsIntegerCode(int c)
{
    return (c >= 60 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) ||
           (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 420 && c <= 429) ||
           (c >= 440 && c <= 459) || (c >= 1060 && c <= 1071);
}

// Entity kinds the drawing holds; everything else in ENTITIES is counted and left out.
bool IsSupportedEntity(std::string_view type)
{
    for (const char* t : {"LINE", "ARC", "CIRCLE", "LWPOLYLINE", "POLYLINE", "VERTEX", "SEQEND", "SPLINE",
                          "ELLIPSE", "TEXT", "MTEXT"})
        if (type == t)
            return true;
    return false;
}

// Group codes that announce how many items follow, for the entities that allocate by them.
bool IsItemCount(std::string_view type, int code)
{
    return (type == "LWPOLYLINE" && code == 90) || (type == "SPLINE" && code >= 72 && code <= 74) ||
           (type == "HATCH" && (code == 91 || code == 92 || code == 93)) || (type == "LEADER" && code == 76);
}

struct GroupObject {
    std::string handle;
    std::vector<std::string> members;
};

// What the structural pass learns besides "the file is sound".
struct StructureScan {
    std::string error;
    int unsupportedEntities = 0;
    std::vector<GroupObject> groups;
    std::map<std::string, std::string> dictionaryNames; // object handle -> entry name
    bool codePage = true; // strings in the Windows code page: before AC1021 (AutoCAD 2007)
};

// Walks every group-code/value pair: codes must be integers, numbers must be finite and of sane
// size, sections must open and close, and the file must end with EOF.
StructureScan ScanStructure(std::string_view text)
{
    StructureScan scan;
    size_t pos = 0, lineNo = 0;
    auto nextLine = [&](std::string_view& out) {
        if (pos >= text.size())
            return false;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        out = text.substr(pos, end - pos);
        if (!out.empty() && out.back() == '\r')
            out.remove_suffix(1);
        pos = end + 1;
        ++lineNo;
        return true;
    };
    auto fail = [&](size_t line, const std::string& what) {
        scan.error = "line " + std::to_string(line) + ": " + what;
        return scan;
    };

    std::string section; // empty outside a section
    bool inSection = false, expectSectionName = false, sawEof = false, sawSection = false;
    std::string objectType;
    GroupObject* group = nullptr;
    std::string pendingEntryName;
    std::string headerVariable;
    std::string_view codeLine, value;
    while (nextLine(codeLine)) {
        const size_t codeLineNo = lineNo;
        const std::string_view codeText = TrimView(codeLine);
        if (codeText.empty() && pos >= text.size())
            break; // a final blank line
        int code = 0;
        auto [ptr, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        if (ec != std::errc() || ptr != codeText.data() + codeText.size() || code < 0 ||
            code > kMaxGroupCode) {
            if (!sawSection)
                return fail(codeLineNo, "this is not a DXF drawing (it does not start with group codes)");
            return fail(codeLineNo,
                        "\"" + std::string(codeText.substr(0, 40)) + "\" is not a DXF group code");
        }
        if (!nextLine(value))
            return fail(codeLineNo,
                        "the file ends after group code " + std::to_string(code) + " (truncated)");
        const std::string_view v = TrimView(value);

        if (IsRealCode(code)) {
            const std::string_view s = !v.empty() && v.front() == '+' ? v.substr(1) : v;
            double d = 0.0;
            auto [end, ecReal] = std::from_chars(s.data(), s.data() + s.size(), d);
            if (ecReal == std::errc::result_out_of_range) {
                d = std::strtod(std::string(s).c_str(), nullptr); // tiny numbers become 0, huge ones inf
                if (!std::isfinite(d))
                    return fail(lineNo, "number " + std::string(s.substr(0, 40)) +
                                            " is out of range (group code " + std::to_string(code) + ")");
            } else if (s.empty() || ecReal != std::errc() || end != s.data() + s.size())
                return fail(lineNo, "\"" + std::string(s.substr(0, 40)) + "\" is not a number (group code " +
                                        std::to_string(code) + ")");
            if (!std::isfinite(d))
                return fail(lineNo, "number \"" + std::string(s.substr(0, 40)) +
                                        "\" is not finite (group code " + std::to_string(code) + ")");
            // Header extents legitimately hold 1e20; only drawn geometry is held to the limit.
            if (IsCoordinateCode(code) && std::abs(d) > kMaxDxfCoordinate &&
                (section == "ENTITIES" || section == "BLOCKS"))
                return fail(lineNo, "coordinate " + std::string(s.substr(0, 40)) +
                                        " is out of range (group code " + std::to_string(code) + ")");
        } else if (IsIntegerCode(code)) {
            long long n = 0;
            auto [p2, ec2] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (v.empty() || ec2 != std::errc() || p2 != v.data() + v.size())
                return fail(lineNo, "\"" + std::string(v.substr(0, 40)) +
                                        "\" is not an integer (group code " + std::to_string(code) + ")");
            // The reader sizes its buffers from these counts: one the file cannot hold is damage.
            if (IsItemCount(objectType, code) &&
                (n < 0 || static_cast<size_t>(n) > (text.size() - pos) / 2 + 1))
                return fail(lineNo, objectType + " count " + std::string(v.substr(0, 40)) +
                                        " does not fit the file (group code " + std::to_string(code) + ")");
        }

        if (expectSectionName) {
            if (code != 2)
                return fail(codeLineNo, "SECTION without a name");
            section = std::string(v);
            expectSectionName = false;
            continue;
        }
        if (code == 0) {
            group = nullptr;
            objectType = std::string(v);
            if (v == "SECTION") {
                if (inSection)
                    return fail(codeLineNo, "section " + section + " is not closed before the next SECTION");
                inSection = expectSectionName = sawSection = true;
            } else if (v == "ENDSEC") {
                if (!inSection)
                    return fail(codeLineNo, "ENDSEC outside a section");
                inSection = false;
                section.clear();
            } else if (v == "EOF") {
                if (inSection)
                    return fail(codeLineNo, "section " + section + " is not closed before EOF (truncated)");
                sawEof = true;
                break;
            } else if (!inSection) {
                return fail(codeLineNo, "\"" + std::string(v.substr(0, 40)) + "\" outside a section");
            } else if (section == "ENTITIES" && !IsSupportedEntity(v)) {
                ++scan.unsupportedEntities;
            } else if (section == "OBJECTS" && v == "GROUP") {
                scan.groups.emplace_back();
                group = &scan.groups.back();
            }
            continue;
        }
        if (!inSection && code != 999)
            return fail(codeLineNo, "group code " + std::to_string(code) + " outside a section");
        if (section == "HEADER") {
            if (code == 9)
                headerVariable = std::string(v);
            else if (code == 1 && headerVariable == "$ACADVER")
                scan.codePage = v < std::string_view("AC1021");
            continue;
        }
        if (section != "OBJECTS")
            continue;
        if (code == 5 && group)
            group->handle = std::string(v);
        else if (code == 340 && group)
            group->members.emplace_back(v);
        else if (objectType == "DICTIONARY" && code == 3)
            pendingEntryName = std::string(v);
        else if (objectType == "DICTIONARY" && (code == 350 || code == 360) && !pendingEntryName.empty()) {
            scan.dictionaryNames[std::string(v)] = pendingEntryName;
            pendingEntryName.clear();
        }
    }
    if (!sawSection)
        return fail(1, "no SECTION found: this is not a DXF drawing");
    if (!sawEof)
        return fail(lineNo, "the file ends without EOF (truncated)");
    return scan;
}

// Text beyond the file's code page is written as \U+XXXX; it comes back as UTF-8.
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

// Texts and names as UTF-8. Files before AutoCAD 2007 are in the Windows code page (French
// drawings carry "Propriété" that way); every version writes other characters as \U+XXXX.
std::string DecodeText(const std::string& text, bool codePage)
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

std::string HandleText(int handle)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(handle));
    return buffer;
}

// Receives dxflib's callbacks and builds the drawing. Polylines and splines arrive in several
// calls, so the element being built waits until the next entity, table entry or the end.
class Importer : public DL_CreationAdapter {
  public:
    Importer(InMemoryDrawing& drawing, bool codePage) : m_drawing(drawing), m_codePage(codePage) {}

    int skipped = 0;

    void Finish() { Flush(); }

    void addLinetype(const DL_LinetypeData& data) override
    {
        Flush();
        m_pendingStyle = data.name;
        m_pendingDescription = data.description;
        m_pendingDashes.clear();
    }
    void addLinetypeDash(double length) override { m_pendingDashes.push_back(length); }

    void addLayer(const DL_LayerData& data) override
    {
        Flush();
        const DL_Attributes a = getAttributes();
        const int aci = std::abs(a.getColor());
        int color = AciToHostColor(aci);
        const int dxfColor = color < 0 ? aci : 0;
        if (color < 0)
            color = 0;
        const std::optional<LineStyleHandle> style = StyleFor(a.getLinetype(), true);
        const int weight = std::max(0, LineweightToWeight(a.getWidth()));
        const std::string name = DecodeText(data.name, m_codePage);
        if (auto existing = m_drawing.FindLevelByName(name))
            m_drawing.SetLevelAttributes(*existing, color, dxfColor, style, weight);
        else {
            LevelHandle level = m_drawing.AddLevel(name, color, style, weight);
            m_drawing.SetLevelAttributes(level, color, dxfColor, style, weight);
        }
    }

    void addBlock(const DL_BlockData&) override
    {
        Flush();
        m_inBlock = true;
    }
    void endBlock() override
    {
        Flush();
        m_inBlock = false;
    }

    void addLine(const DL_LineData& d) override
    {
        DrawingElement e = Begin(ElementKind::Line);
        e.vertices = {{d.x1, d.y1, d.z1}, {d.x2, d.y2, d.z2}};
        Add(std::move(e));
    }

    void addArc(const DL_ArcData& d) override
    {
        DrawingElement e = Begin(ElementKind::Arc);
        e.arc = {{d.cx, d.cy, d.cz}, d.radius, d.angle1 * kDegToRad, d.angle2 * kDegToRad};
        if (Mirrored()) {
            // Seen from below: x runs the other way, so the counter-clockwise arc swaps its ends.
            e.arc.centre.x = -e.arc.centre.x;
            e.arc.startAngle = std::numbers::pi - d.angle2 * kDegToRad;
            e.arc.endAngle = std::numbers::pi - d.angle1 * kDegToRad;
        }
        Add(std::move(e));
    }

    void addCircle(const DL_CircleData& d) override
    {
        DrawingElement e = Begin(ElementKind::Circle);
        e.arc = {{Mirrored() ? -d.cx : d.cx, d.cy, d.cz}, d.radius, 0.0, 0.0};
        Add(std::move(e));
    }

    void addEllipse(const DL_EllipseData& d) override
    {
        DrawingElement e = Begin(ElementKind::Ellipse);
        e.ellipse.centre = {d.cx, d.cy, d.cz};
        e.ellipse.majorAxis = {d.mx, d.my, d.mz};
        e.ellipse.ratio = d.ratio;
        e.ellipse.startParam = d.angle1;
        e.ellipse.endParam = d.angle2;
        const double* n = getExtrusion()->getDirection();
        const double len = std::hypot(n[0], n[1], n[2]);
        if (len > 0.0)
            e.ellipse.normal = {n[0] / len, n[1] / len, n[2] / len};
        Add(std::move(e));
    }

    void addPolyline(const DL_PolylineData& d) override
    {
        Flush();
        // Meshes and polyface meshes are surfaces, not paths.
        if (d.flags & (16 | 64)) {
            ++skipped;
            return;
        }
        m_polyline = Begin(ElementKind::Polyline);
        m_polyline->closed = (d.flags & 1) != 0;
        m_polylineElevation = d.elevation;
        m_polylineMirrored = Mirrored();
    }

    void addVertex(const DL_VertexData& d) override
    {
        if (!m_polyline)
            return;
        const double z = d.z != 0.0 ? d.z : m_polylineElevation;
        m_polyline->vertices.push_back({m_polylineMirrored ? -d.x : d.x, d.y, z});
        m_polyline->bulges.push_back(m_polylineMirrored ? -d.bulge : d.bulge);
    }

    void endSequence() override { Flush(); }

    void addSpline(const DL_SplineData& d) override
    {
        Flush();
        m_spline = Begin(ElementKind::Spline);
        m_spline->spline.degree = static_cast<int>(d.degree);
    }
    void addControlPoint(const DL_ControlPointData& d) override
    {
        if (!m_spline)
            return;
        m_spline->spline.controlPoints.push_back({d.x, d.y, d.z});
        m_spline->spline.weights.push_back(d.w);
    }
    void addFitPoint(const DL_FitPointData& d) override
    {
        if (m_spline)
            m_spline->spline.fitPoints.push_back({d.x, d.y, d.z});
    }
    void addKnot(const DL_KnotData& d) override
    {
        if (m_spline)
            m_spline->spline.knots.push_back(d.k);
    }

    void addText(const DL_TextData& d) override
    {
        DrawingElement e = Begin(ElementKind::Text);
        // dxflib hands text angles over in radians already.
        e.text = {DecodeText(d.text, m_codePage), {d.ipx, d.ipy, d.ipz}, d.height, d.angle};
        Add(std::move(e));
    }

    void addMTextChunk(const std::string& text) override { m_mtextChunks += text; }

    void addMText(const DL_MTextData& d) override
    {
        DrawingElement e = Begin(ElementKind::Text);
        const double angle = d.angle != 0.0 ? d.angle : std::atan2(d.diry, d.dirx);
        e.text = {DecodeText(m_mtextChunks + d.text, m_codePage), {d.ipx, d.ipy, d.ipz}, d.height, angle};
        m_mtextChunks.clear();
        Add(std::move(e));
    }

    // Entities kept out of the drawing.
    void addPoint(const DL_PointData&) override { Skip(); }
    void addInsert(const DL_InsertData&) override { Skip(); }
    void addXLine(const DL_XLineData&) override { Skip(); }
    void addRay(const DL_RayData&) override { Skip(); }
    void addSolid(const DL_SolidData&) override { Skip(); }
    void addHatch(const DL_HatchData&) override { Skip(); }

  private:
    // Counted by the structural pass already; only the element being built is finished.
    void Skip() { Flush(); }

    bool Mirrored() { return getExtrusion()->getDirection()[2] < 0.0; }

    std::optional<LineStyleHandle> StyleFor(const std::string& name, bool forLevel)
    {
        if (name.empty() || SameIgnoringCase(name, "BYLAYER") || SameIgnoringCase(name, "BYBLOCK"))
            return forLevel ? m_drawing.FindLineStyleByName("0") : std::nullopt;
        if (SameIgnoringCase(name, "CONTINUOUS"))
            return m_drawing.FindLineStyleByName("0");
        if (auto style = m_drawing.FindLineStyleByName(name))
            return style;
        return m_drawing.AddLineStyle(name, "", {});
    }

    DrawingElement Begin(ElementKind kind)
    {
        Flush();
        const DL_Attributes a = getAttributes();
        DrawingElement e;
        e.kind = kind;
        const std::string layer =
            a.getLayer().empty() ? std::string(kDefaultLevelName) : DecodeText(a.getLayer(), m_codePage);
        auto level = m_drawing.FindLevelByName(layer);
        if (!level)
            level = m_drawing.AddLevel(layer, 0, m_drawing.FindLineStyleByName("0"), 0);
        e.level = *level;
        const int aci = a.getColor();
        if (aci == 0 || aci >= 256 || aci < 0)
            e.color = kColorByLevel;
        else if (int host = AciToHostColor(aci); host >= 0)
            e.color = host;
        else
            e.dxfColor = aci;
        e.lineStyle = StyleFor(a.getLinetype(), false);
        e.weight = LineweightToWeight(a.getWidth());
        if (a.getHandle() >= 0) // R12 files may carry no handles at all
            e.dxfHandle = HandleText(a.getHandle());
        m_paperSpace = a.isInPaperSpace();
        return e;
    }

    void Add(DrawingElement e)
    {
        if (m_inBlock || m_paperSpace) {
            if (!m_inBlock)
                ++skipped;
            return;
        }
        try {
            m_drawing.AddNewElement(std::move(e));
        } catch (const HostError&) {
            ++skipped; // degenerate geometry (a one-point polyline, a zero radius) is no path
        }
    }

    void Flush()
    {
        if (m_pendingStyle) {
            const std::string name = *m_pendingStyle;
            m_pendingStyle.reset();
            if (!SameIgnoringCase(name, "BYLAYER") && !SameIgnoringCase(name, "BYBLOCK") &&
                !SameIgnoringCase(name, "CONTINUOUS"))
                m_drawing.AddLineStyle(name, m_pendingDescription, m_pendingDashes);
        }
        if (m_polyline) {
            DrawingElement e = std::move(*m_polyline);
            m_polyline.reset();
            // An open chain of straight segments is a line string, as the program draws them.
            if (!e.closed &&
                std::all_of(e.bulges.begin(), e.bulges.end(), [](double b) { return b == 0.0; })) {
                e.kind = ElementKind::LineString;
                e.bulges.clear();
            }
            Add(std::move(e));
        }
        if (m_spline) {
            DrawingElement e = std::move(*m_spline);
            m_spline.reset();
            SplineData& s = e.spline;
            if (std::all_of(s.weights.begin(), s.weights.end(), [](double w) { return w == 1.0; }))
                s.weights.clear();
            if (s.controlPoints.empty() || s.knots.size() != s.controlPoints.size() + s.degree + 1) {
                if (!InterpolateFitPoints(s)) {
                    ++skipped;
                    return;
                }
            }
            Add(std::move(e));
        }
    }

    InMemoryDrawing& m_drawing;
    const bool m_codePage;
    bool m_inBlock = false;
    bool m_paperSpace = false;
    std::optional<std::string> m_pendingStyle;
    std::string m_pendingDescription;
    std::vector<double> m_pendingDashes;
    std::optional<DrawingElement> m_polyline;
    double m_polylineElevation = 0.0;
    bool m_polylineMirrored = false;
    std::optional<DrawingElement> m_spline;
    std::string m_mtextChunks;
};

DxfImport Refused(const std::string& fileName, const std::string& what)
{
    DxfImport result;
    result.error = "Cannot read DXF file \"" + fileName + "\": " + what;
    return result;
}

} // namespace

DxfImport ReadDxfText(std::string_view text, const std::string& fileName)
{
    if (TrimView(text).find_first_not_of(" \t\r\n") == std::string_view::npos)
        return Refused(fileName, "the file is empty");
    if (text.starts_with("AutoCAD Binary DXF"))
        return Refused(fileName, "binary DXF is not supported; save the drawing as text (ASCII) DXF");
    if (text.find('\0') != std::string_view::npos)
        return Refused(fileName, "the file holds binary data: this is not a text DXF drawing");

    StructureScan scan = ScanStructure(text);
    if (!scan.error.empty())
        return Refused(fileName, scan.error);

    auto drawing = std::make_shared<InMemoryDrawing>();
    Importer importer(*drawing, scan.codePage);
    try {
        DL_Dxf dxf;
        std::istringstream in{std::string(text)};
        if (!dxf.in(in, &importer))
            return Refused(fileName, "the DXF reader could not parse it");
        importer.Finish();
    } catch (const std::exception& e) {
        return Refused(fileName, e.what());
    } catch (...) {
        return Refused(fileName, "the DXF reader failed");
    }

    for (const GroupObject& g : scan.groups) {
        auto name = scan.dictionaryNames.find(g.handle);
        NamedGroupHandle group = drawing->AddNewNamedGroup(
            name != scan.dictionaryNames.end() ? DecodeText(name->second, scan.codePage) : "*" + g.handle);
        for (const std::string& member : g.members)
            if (auto element = drawing->FindElementByDxfHandle(member))
                drawing->AddGroupMember(group, *element);
        drawing->CommitGroup(group);
    }

    DxfImport result;
    drawing->SetCaption(fileName);
    result.drawing = std::move(drawing);
    result.skippedEntities = scan.unsupportedEntities + importer.skipped;
    return result;
}

DxfImport ReadDxfFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Refused(path, "the file cannot be opened");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (!in && !in.eof())
        return Refused(path, "the file cannot be read");
    return ReadDxfText(buffer.str(), path);
}

std::vector<ElementHandle> PathElementsOnLevel(const InMemoryDrawing& drawing, const std::string& levelName)
{
    std::vector<ElementHandle> result;
    auto level = drawing.FindLevelByName(levelName);
    if (!level)
        return result;
    for (const DrawingElement* e : drawing.ModelElements())
        if (e->level == *level && e->kind != ElementKind::Text)
            result.push_back({e->id.Value()});
    return result;
}

} // namespace velrok::host
