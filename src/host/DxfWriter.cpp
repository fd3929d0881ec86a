// DXF R2000 writer. Written by hand rather than through dxflib's writer because the GROUP
// objects, their dictionary and the owner handles must all agree for other programs to accept
// the file, and one pass that hands out every handle keeps them consistent.
#include "host/DxfWriter.h"

#include "host/HostColors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <set>

namespace velrok::host {

namespace {

constexpr double kRadToDeg = 180.0 / std::numbers::pi;

// Appends group-code/value pairs; numbers in their shortest exact form so they read back equal.
class DxfOut {
  public:
    std::string text;

    void Pair(int code, std::string_view value)
    {
        Code(code);
        text.append(value);
        text.push_back('\n');
    }
    void Int(int code, long long value)
    {
        Code(code);
        char buffer[24];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.append(buffer, end);
        text.push_back('\n');
    }
    void Real(int code, double value)
    {
        Code(code);
        if (value == 0.0)
            value = 0.0; // no "-0"
        char buffer[32];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
        text.append(buffer, end);
        // Some readers want a decimal point in every real.
        if (std::string_view(buffer, end - buffer).find_first_of(".eE") == std::string_view::npos)
            text.append(".0");
        text.push_back('\n');
    }
    void Point(int code, const Point3d& p)
    {
        Real(code, p.x);
        Real(code + 10, p.y);
        Real(code + 20, p.z);
    }
    void Handle(int code, uint64_t handle)
    {
        char buffer[20];
        std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(handle));
        Pair(code, buffer);
    }

  private:
    void Code(int code)
    {
        char buffer[8];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, code);
        text.append(buffer, end);
        text.push_back('\n');
    }
};

// R2000 files are in a code page: characters beyond ASCII are written as \U+XXXX.
std::string DxfString(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n' || c == '\r') {
            out.push_back(' ');
            ++i;
            continue;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned codepoint = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : c & 0x1Fu;
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra) && i + j < utf8.size(); ++j)
            codepoint = (codepoint << 6) | (static_cast<unsigned char>(utf8[i + j]) & 0x3Fu);
        if (extra == 0)
            codepoint = '?';
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "\\U+%04X", codepoint);
        out.append(buffer);
        i += j;
    }
    return out;
}

bool SameZ(const std::vector<Point3d>& vertices)
{
    for (const Point3d& p : vertices)
        if (p.z != vertices.front().z)
            return false;
    return true;
}

class Writer {
  public:
    explicit Writer(const InMemoryDrawing& drawing) : m_drawing(drawing) {}

    std::string Run()
    {
        // Handles are handed out in a fixed order: tables, blocks, groups, then entities, so a
        // group's handle is known when its members are written.
        const uint64_t root = Next(), groupDict = Next();
        for (const DrawingGroup& g : m_drawing.Groups()) {
            const uint64_t h = Next();
            m_groupHandles.push_back(h);
            for (const ElementId& id : g.members)
                m_reactors[id.Value()].push_back(h);
        }
        DxfOut tables = Tables();
        DxfOut blocks = Blocks();
        DxfOut entities = Entities();
        DxfOut objects = Objects(root, groupDict);

        DxfOut out;
        out.Pair(999, "Velrok");
        Section(out, "HEADER");
        out.Pair(9, "$ACADVER");
        out.Pair(1, "AC1015");
        out.Pair(9, "$DWGCODEPAGE");
        out.Pair(3, "ANSI_1252");
        out.Pair(9, "$INSBASE");
        out.Point(10, {});
        out.Pair(9, "$HANDSEED");
        out.Handle(5, m_next);
        out.Pair(9, "$MEASUREMENT");
        out.Int(70, 1);
        out.Pair(0, "ENDSEC");
        Section(out, "CLASSES");
        out.Pair(0, "ENDSEC");
        std::string text = std::move(out.text);
        text.reserve(text.size() + tables.text.size() + blocks.text.size() + entities.text.size() +
                     objects.text.size() + 16);
        text += tables.text;
        text += blocks.text;
        text += entities.text;
        text += objects.text;
        text += "0\nEOF\n";
        return text;
    }

  private:
    uint64_t Next() { return m_next++; }

    static void Section(DxfOut& out, const char* name)
    {
        out.Pair(0, "SECTION");
        out.Pair(2, name);
    }

    uint64_t BeginTable(DxfOut& out, const char* name, int count)
    {
        const uint64_t h = Next();
        out.Pair(0, "TABLE");
        out.Pair(2, name);
        out.Handle(5, h);
        out.Pair(330, "0");
        out.Pair(100, "AcDbSymbolTable");
        out.Int(70, count);
        return h;
    }

    void Record(DxfOut& out, const char* type, uint64_t table, const char* subclass, const std::string& name,
                int handleCode = 5)
    {
        out.Pair(0, type);
        out.Handle(handleCode, Next());
        out.Handle(330, table);
        out.Pair(100, "AcDbSymbolTableRecord");
        out.Pair(100, subclass);
        out.Pair(2, DxfString(name));
        out.Int(70, 0);
    }

    void LineType(DxfOut& out, uint64_t table, const std::string& name, const std::string& description,
                  const std::vector<double>& dashes)
    {
        Record(out, "LTYPE", table, "AcDbLinetypeTableRecord", name);
        out.Pair(3, DxfString(description));
        out.Int(72, 65);
        out.Int(73, static_cast<int>(dashes.size()));
        double total = 0.0;
        for (double d : dashes)
            total += std::abs(d);
        out.Real(40, total);
        for (double d : dashes) {
            out.Real(49, d);
            out.Int(74, 0);
        }
    }

    std::string StyleName(std::optional<LineStyleHandle> style) const
    {
        return style ? DxfString(m_drawing.LineStyle(*style).name) : "ByLayer";
    }

    DxfOut Tables()
    {
        DxfOut out;
        Section(out, "TABLES");

        uint64_t t = BeginTable(out, "VPORT", 1);
        Record(out, "VPORT", t, "AcDbViewportTableRecord", "*Active");
        out.Real(10, 0.0);
        out.Real(20, 0.0);
        out.Real(11, 1.0);
        out.Real(21, 1.0);
        out.Real(12, 0.0);
        out.Real(22, 0.0);
        out.Real(40, 100.0);
        out.Real(41, 1.5);
        out.Pair(0, "ENDTAB");

        std::vector<const DrawingLineStyle*> styles;
        std::set<std::string> reserved = {"BYBLOCK", "BYLAYER", "CONTINUOUS"};
        for (const DrawingLineStyle& s : m_drawing.LineStyleTable()) {
            std::string upper = s.name;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (!reserved.count(upper))
                styles.push_back(&s);
        }
        t = BeginTable(out, "LTYPE", static_cast<int>(styles.size()) + 3);
        LineType(out, t, "ByBlock", "", {});
        LineType(out, t, "ByLayer", "", {});
        LineType(out, t, "Continuous", "Solid line", {});
        for (const DrawingLineStyle* s : styles)
            LineType(out, t, s->name, s->description, s->dashes);
        out.Pair(0, "ENDTAB");

        t = BeginTable(out, "LAYER", static_cast<int>(m_drawing.LevelTable().size()));
        for (const DrawingLevel& level : m_drawing.LevelTable()) {
            Record(out, "LAYER", t, "AcDbLayerTableRecord", level.name);
            int aci = HostColorToAci(level.color);
            if (aci == kAciByLayer)
                aci = level.dxfColor > 0 ? level.dxfColor : 7; // a layer needs a real colour
            out.Int(62, aci);
            out.Pair(6, level.lineStyle ? StyleName(level.lineStyle) : "Continuous");
            out.Int(370, WeightToLineweight(level.weight));
        }
        out.Pair(0, "ENDTAB");

        t = BeginTable(out, "STYLE", 1);
        Record(out, "STYLE", t, "AcDbTextStyleTableRecord", "Standard");
        out.Real(40, 0.0);
        out.Real(41, 1.0);
        out.Real(50, 0.0);
        out.Int(71, 0);
        out.Real(42, 2.5);
        out.Pair(3, "txt");
        out.Pair(4, "");
        out.Pair(0, "ENDTAB");

        BeginTable(out, "VIEW", 0);
        out.Pair(0, "ENDTAB");
        BeginTable(out, "UCS", 0);
        out.Pair(0, "ENDTAB");

        t = BeginTable(out, "APPID", 1);
        Record(out, "APPID", t, "AcDbRegAppTableRecord", "ACAD");
        out.Pair(0, "ENDTAB");

        t = BeginTable(out, "DIMSTYLE", 1);
        out.Pair(100, "AcDbDimStyleTable");
        Record(out, "DIMSTYLE", t, "AcDbDimStyleTableRecord", "Standard", 105);
        out.Pair(0, "ENDTAB");

        t = BeginTable(out, "BLOCK_RECORD", 2);
        m_modelSpace = m_next;
        Record(out, "BLOCK_RECORD", t, "AcDbBlockTableRecord", "*Model_Space");
        m_paperSpace = m_next;
        Record(out, "BLOCK_RECORD", t, "AcDbBlockTableRecord", "*Paper_Space");
        out.Pair(0, "ENDTAB");

        out.Pair(0, "ENDSEC");
        return out;
    }

    DxfOut Blocks()
    {
        DxfOut out;
        Section(out, "BLOCKS");
        for (auto [name, owner] :
             {std::pair{"*Model_Space", m_modelSpace}, std::pair{"*Paper_Space", m_paperSpace}}) {
            out.Pair(0, "BLOCK");
            out.Handle(5, Next());
            out.Handle(330, owner);
            out.Pair(100, "AcDbEntity");
            if (owner == m_paperSpace)
                out.Int(67, 1);
            out.Pair(8, "0");
            out.Pair(100, "AcDbBlockBegin");
            out.Pair(2, name);
            out.Int(70, 0);
            out.Point(10, {});
            out.Pair(3, name);
            out.Pair(1, "");
            out.Pair(0, "ENDBLK");
            out.Handle(5, Next());
            out.Handle(330, owner);
            out.Pair(100, "AcDbEntity");
            if (owner == m_paperSpace)
                out.Int(67, 1);
            out.Pair(8, "0");
            out.Pair(100, "AcDbBlockEnd");
        }
        out.Pair(0, "ENDSEC");
        return out;
    }

    void EntityHead(DxfOut& out, const char* type, const DrawingElement& e)
    {
        out.Pair(0, type);
        out.Handle(5, Next());
        auto reactors = m_reactors.find(e.id.Value());
        if (reactors != m_reactors.end()) {
            out.Pair(102, "{ACAD_REACTORS");
            for (uint64_t g : reactors->second)
                out.Handle(330, g);
            out.Pair(102, "}");
        }
        out.Handle(330, m_modelSpace);
        out.Pair(100, "AcDbEntity");
        out.Pair(8, DxfString(m_drawing.LevelName(e.level)));
        if (e.lineStyle)
            out.Pair(6, StyleName(e.lineStyle));
        const int aci = e.color == kColorByLevel && e.dxfColor > 0 ? e.dxfColor : HostColorToAci(e.color);
        if (aci != kAciByLayer)
            out.Int(62, aci);
        out.Int(370, WeightToLineweight(e.weight));
    }

    void Vertices(DxfOut& out, const DrawingElement& e)
    {
        const bool bulged = std::any_of(e.bulges.begin(), e.bulges.end(), [](double b) { return b != 0.0; });
        if (SameZ(e.vertices) || bulged) {
            EntityHead(out, "LWPOLYLINE", e);
            out.Pair(100, "AcDbPolyline");
            out.Int(90, static_cast<long long>(e.vertices.size()));
            out.Int(70, e.closed ? 1 : 0);
            out.Real(38, e.vertices.front().z);
            for (size_t i = 0; i < e.vertices.size(); ++i) {
                out.Real(10, e.vertices[i].x);
                out.Real(20, e.vertices[i].y);
                if (i < e.bulges.size() && e.bulges[i] != 0.0)
                    out.Real(42, e.bulges[i]);
            }
            return;
        }
        // Vertices at different heights: a 3D polyline keeps every z.
        EntityHead(out, "POLYLINE", e);
        out.Pair(100, "AcDb3dPolyline");
        out.Int(66, 1);
        out.Point(10, {});
        out.Int(70, 8 | (e.closed ? 1 : 0));
        for (const Point3d& p : e.vertices) {
            out.Pair(0, "VERTEX");
            out.Handle(5, Next());
            out.Handle(330, m_currentOwner);
            out.Pair(100, "AcDbEntity");
            out.Pair(8, DxfString(m_drawing.LevelName(e.level)));
            out.Pair(100, "AcDbVertex");
            out.Pair(100, "AcDb3dPolylineVertex");
            out.Point(10, p);
            out.Int(70, 32);
        }
        out.Pair(0, "SEQEND");
        out.Handle(5, Next());
        out.Handle(330, m_currentOwner);
        out.Pair(100, "AcDbEntity");
        out.Pair(8, DxfString(m_drawing.LevelName(e.level)));
    }

    DxfOut Entities()
    {
        DxfOut out;
        Section(out, "ENTITIES");
        for (const DrawingElement* e : m_drawing.ModelElements()) {
            m_currentOwner = m_next;
            switch (e->kind) {
            case ElementKind::LineString:
            case ElementKind::Polyline:
                Vertices(out, *e);
                break;
            case ElementKind::Line:
                EntityHead(out, "LINE", *e);
                out.Pair(100, "AcDbLine");
                out.Point(10, e->vertices[0]);
                out.Point(11, e->vertices[1]);
                break;
            case ElementKind::Arc:
                EntityHead(out, "ARC", *e);
                out.Pair(100, "AcDbCircle");
                out.Point(10, e->arc.centre);
                out.Real(40, e->arc.radius);
                out.Pair(100, "AcDbArc");
                out.Real(50, e->arc.startAngle * kRadToDeg);
                out.Real(51, e->arc.endAngle * kRadToDeg);
                break;
            case ElementKind::Circle:
                EntityHead(out, "CIRCLE", *e);
                out.Pair(100, "AcDbCircle");
                out.Point(10, e->arc.centre);
                out.Real(40, e->arc.radius);
                break;
            case ElementKind::Ellipse:
                EntityHead(out, "ELLIPSE", *e);
                out.Pair(100, "AcDbEllipse");
                out.Point(10, e->ellipse.centre);
                out.Point(11, e->ellipse.majorAxis);
                out.Point(210, e->ellipse.normal);
                out.Real(40, e->ellipse.ratio);
                out.Real(41, e->ellipse.startParam);
                out.Real(42, e->ellipse.endParam);
                break;
            case ElementKind::Spline: {
                const SplineData& s = e->spline;
                EntityHead(out, "SPLINE", *e);
                out.Pair(100, "AcDbSpline");
                out.Int(70, s.weights.empty() ? 0 : 4);
                out.Int(71, s.degree);
                out.Int(72, static_cast<int>(s.knots.size()));
                out.Int(73, static_cast<int>(s.controlPoints.size()));
                out.Int(74, 0);
                out.Real(42, 1e-10);
                out.Real(43, 1e-10);
                for (double k : s.knots)
                    out.Real(40, k);
                for (size_t i = 0; i < s.controlPoints.size(); ++i) {
                    out.Point(10, s.controlPoints[i]);
                    if (!s.weights.empty())
                        out.Real(41, s.weights[i]);
                }
                break;
            }
            case ElementKind::Text:
                EntityHead(out, "TEXT", *e);
                out.Pair(100, "AcDbText");
                out.Point(10, e->text.origin);
                out.Real(40, e->text.height);
                out.Pair(1, DxfString(e->text.text));
                out.Real(50, e->text.rotation * kRadToDeg);
                out.Pair(100, "AcDbText");
                break;
            case ElementKind::Shown:
                continue; // kept entities are written from their own tags
            }
            m_entityHandles[e->id.Value()] = m_currentOwner;
        }
        out.Pair(0, "ENDSEC");
        return out;
    }

    DxfOut Objects(uint64_t root, uint64_t groupDict)
    {
        DxfOut out;
        Section(out, "OBJECTS");
        out.Pair(0, "DICTIONARY");
        out.Handle(5, root);
        out.Pair(330, "0");
        out.Pair(100, "AcDbDictionary");
        out.Int(281, 1);
        out.Pair(3, "ACAD_GROUP");
        out.Handle(350, groupDict);

        out.Pair(0, "DICTIONARY");
        out.Handle(5, groupDict);
        out.Handle(330, root);
        out.Pair(100, "AcDbDictionary");
        out.Int(281, 1);
        const auto& groups = m_drawing.Groups();
        for (size_t i = 0; i < groups.size(); ++i) {
            out.Pair(3, DxfString(groups[i].name));
            out.Handle(350, m_groupHandles[i]);
        }
        for (size_t i = 0; i < groups.size(); ++i) {
            out.Pair(0, "GROUP");
            out.Handle(5, m_groupHandles[i]);
            out.Pair(102, "{ACAD_REACTORS");
            out.Handle(330, groupDict);
            out.Pair(102, "}");
            out.Handle(330, groupDict);
            out.Pair(100, "AcDbGroup");
            out.Pair(300, "Velrok sweep");
            out.Int(70, 0);
            out.Int(71, 1);
            for (const ElementId& id : groups[i].members) {
                auto h = m_entityHandles.find(id.Value());
                if (h != m_entityHandles.end())
                    out.Handle(340, h->second);
            }
        }
        out.Pair(0, "ENDSEC");
        return out;
    }

    const InMemoryDrawing& m_drawing;
    uint64_t m_next = 1;
    uint64_t m_modelSpace = 0, m_paperSpace = 0, m_currentOwner = 0;
    std::vector<uint64_t> m_groupHandles;
    std::map<uint64_t, std::vector<uint64_t>> m_reactors; // element id -> its groups
    std::map<uint64_t, uint64_t> m_entityHandles;         // element id -> entity handle
};

} // namespace

std::string WriteDxfText(const InMemoryDrawing& drawing)
{
    return Writer(drawing).Run();
}

bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error)
{
    const std::string text = WriteDxfText(drawing);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
        error = "Cannot write DXF file \"" + path + "\"";
        return false;
    }
    return true;
}

} // namespace velrok::host
