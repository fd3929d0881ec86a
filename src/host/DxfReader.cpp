// DXF reading: the file becomes a document (every tag kept), then the drawing is built from the
// document's tables, model-space entities and GROUP objects; each element keeps its link to the
// entity it came from.
#include "host/DxfReader.h"

#include "host/DxfDocument.h"
#include "host/DxfLineTypes.h"
#include "host/DxfText.h"
#include "host/HostColors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <utility>

namespace velrok::host {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

double Real(std::string_view v)
{
    v = TrimTagValue(v);
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    double d = 0.0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
    if (ec == std::errc::result_out_of_range)
        return 0.0; // the tag reader let only tiny numbers through
    return d;
}

long long Integer(std::string_view v)
{
    v = TrimTagValue(v);
    long long n = 0;
    std::from_chars(v.data(), v.data() + v.size(), n);
    return n;
}

// The attributes every entity has, and its extrusion direction.
struct Common {
    std::string layer;
    std::string lineType;
    int aci = kAciByLayer;
    int lineweight = kLineweightByLayer;
    Point3d extrusion{0, 0, 1};
};

Common CommonOf(DxfTagSpan tags)
{
    Common c;
    for (const DxfTag& t : tags) {
        switch (t.code) {
        case 8:
            c.layer = std::string(TrimTagValue(t.value));
            break;
        case 6:
            c.lineType = std::string(TrimTagValue(t.value));
            break;
        case 62:
            c.aci = static_cast<int>(Integer(t.value));
            break;
        case 370:
            c.lineweight = static_cast<int>(Integer(t.value));
            break;
        case 210:
            c.extrusion.x = Real(t.value);
            break;
        case 220:
            c.extrusion.y = Real(t.value);
            break;
        case 230:
            c.extrusion.z = Real(t.value);
            break;
        default:
            break;
        }
    }
    return c;
}

// Reads one point from the codes base, base+10, base+20 of a tag run.
Point3d PointOf(DxfTagSpan tags, int base)
{
    Point3d p;
    for (const DxfTag& t : tags) {
        if (t.code == base)
            p.x = Real(t.value);
        else if (t.code == base + 10)
            p.y = Real(t.value);
        else if (t.code == base + 20)
            p.z = Real(t.value);
    }
    return p;
}

double RealOf(DxfTagSpan tags, int code, double fallback)
{
    for (const DxfTag& t : tags)
        if (t.code == code)
            return Real(t.value);
    return fallback;
}

long long IntegerOf(DxfTagSpan tags, int code, long long fallback)
{
    for (const DxfTag& t : tags)
        if (t.code == code)
            return Integer(t.value);
    return fallback;
}

// Path kinds the drawing models; every other kind is kept and shown by its pieces.
bool IsModelledKind(std::string_view type)
{
    for (const char* t : {"LINE", "ARC", "CIRCLE", "LWPOLYLINE", "POLYLINE", "SPLINE", "ELLIPSE", "TEXT"})
        if (type == t)
            return true;
    return false;
}

class Importer {
  public:
    Importer(InMemoryDrawing& drawing, DxfDocument& doc, ShapeAllowance shapeBase)
        : m_drawing(drawing), m_doc(doc), m_allowance(shapeBase)
    {
    }

    DxfImport result;

    void Run()
    {
        LineTypes();
        Layers();
        std::vector<DxfEntityRef>& entities = m_doc.MutableEntities();
        m_allowance = ShapeAllowance::ForEntities(entities.size(), m_allowance);
        for (size_t i = 0; i < entities.size(); ++i) {
            DxfEntityRef& e = entities[i];
            if (e.paperSpace)
                continue; // paper space stays in the file; paths are taken in the model
            const std::string_view type = m_doc.EntityType(e);
            if (type == "SEQEND" || type == "VERTEX" || type == "ATTRIB")
                continue; // strays of a damaged sequence are kept as they are
            e.imported = Entity(e, static_cast<long>(i));
        }
        Groups();
    }

  private:
    std::string Decode(std::string_view text) const { return DecodeDxfText(text, m_doc.CodePage()); }

    void LineTypes()
    {
        const DxfTable* table = m_doc.FindTable("LTYPE");
        if (!table)
            return;
        for (const DxfTableRecord& r : table->records) {
            if (r.type != "LTYPE" || r.name.empty() || IsDxfSpecialLineType(r.name))
                continue;
            // Line types we wrote ourselves come back as the host style they were written from.
            if (StandardStyleOfDxfLineType(r.name))
                continue;
            const std::vector<DxfTag> tags = m_doc.Span(r.tags);
            std::string description;
            std::vector<double> dashes;
            for (const DxfTag& t : tags) {
                if (t.code == 3)
                    description = Decode(TrimTagValue(t.value));
                else if (t.code == 49)
                    dashes.push_back(Real(t.value));
            }
            m_drawing.AddLineStyle(Decode(r.name), description, dashes);
        }
    }

    std::optional<LineStyleHandle> StyleFor(const std::string& name, bool forLevel)
    {
        if (name.empty() || SameIgnoringCase(name, "BYLAYER") || SameIgnoringCase(name, "BYBLOCK"))
            return forLevel ? m_drawing.FindLineStyleByName("0") : std::nullopt;
        if (SameIgnoringCase(name, "CONTINUOUS"))
            return m_drawing.FindLineStyleByName("0");
        if (auto standard = StandardStyleOfDxfLineType(name))
            return m_drawing.FindLineStyleByName(*standard);
        const std::string decoded = Decode(name);
        if (auto style = m_drawing.FindLineStyleByName(decoded))
            return style;
        return m_drawing.AddLineStyle(decoded, "", {});
    }

    void Layers()
    {
        const DxfTable* table = m_doc.FindTable("LAYER");
        if (!table)
            return;
        for (const DxfTableRecord& r : table->records) {
            if (r.type != "LAYER" || r.name.empty())
                continue;
            const Common c = CommonOf(m_doc.Span(r.tags));
            const int aci = std::abs(c.aci == kAciByLayer ? 7 : c.aci); // negative: the layer is off
            int color = AciToHostColor(aci);
            const int dxfColor = color < 0 ? aci : 0;
            if (color < 0)
                color = 0;
            const std::optional<LineStyleHandle> style = StyleFor(c.lineType, true);
            const int weight = std::max(0, LineweightToWeight(c.lineweight));
            const std::string name = Decode(r.name);
            try {
                if (auto existing = m_drawing.FindLevelByName(name))
                    m_drawing.SetLevelAttributes(*existing, color, dxfColor, style, weight);
                else {
                    LevelHandle level = m_drawing.AddLevel(name, color, style, weight);
                    m_drawing.SetLevelAttributes(level, color, dxfColor, style, weight);
                }
            } catch (const HostError&) {
                // A layer name the host refuses stays in the file; its entities go to the level "0".
            }
        }
    }

    // Fills the attributes; false when the element cannot be placed on a level.
    void Begin(DrawingElement& e, const Common& c, long index)
    {
        const std::string layer = c.layer.empty() ? std::string(kDefaultLevelName) : Decode(c.layer);
        auto level = m_drawing.FindLevelByName(layer);
        if (!level) {
            try {
                level = m_drawing.AddLevel(layer, 0, m_drawing.FindLineStyleByName("0"), 0);
            } catch (const HostError&) {
                level = m_drawing.DefaultLevel();
            }
        }
        e.level = *level;
        if (c.aci == 0 || c.aci >= 256 || c.aci < 0)
            e.color = kColorByLevel;
        else if (int host = AciToHostColor(c.aci); host >= 0)
            e.color = host;
        else
            e.dxfColor = c.aci;
        e.lineStyle = StyleFor(c.lineType, false);
        e.weight = LineweightToWeight(c.lineweight);
        e.dxfEntity = index;
    }

    bool Add(DrawingElement e)
    {
        try {
            m_drawing.AddNewElement(std::move(e));
            return true;
        } catch (const HostError&) {
            ++result.skippedEntities; // degenerate geometry (a one-point polyline, a zero radius) is no path
            return false;
        }
    }

    bool Entity(const DxfEntityRef& ref, long index)
    {
        m_storage.clear();
        const DxfEntityTags view = m_doc.EntityTags(ref, m_storage);
        const DxfTagSpan tags = view.main;
        const std::string_view type = m_doc.EntityType(ref);
        const Common c = CommonOf(tags);
        // Seen from below (extrusion pointing down) x runs the other way in plan.
        const bool mirrored = c.extrusion.z < 0.0;
        DrawingElement e;
        if (!IsModelledKind(type)) {
            const std::optional<ShownGeometry> shown = ShapesOfEntity(view, m_doc, m_allowance);
            if (!shown || (shown->pieces.empty() && shown->texts.empty())) {
                ++result.keptNotShown;
                ++result.skippedEntities;
                return false;
            }
            Begin(e, c, index);
            e.kind = ElementKind::Shown;
            e.extras->shown = *shown;
            e.extras->dxfKind = std::string(type);
            if (!Add(std::move(e)))
                return false;
            ++result.shownEntities;
            return true;
        }
        Begin(e, c, index);
        if (type == "LINE") {
            e.kind = ElementKind::Line;
            e.vertices = {PointOf(tags, 10), PointOf(tags, 11)};
        } else if (type == "ARC") {
            e.kind = ElementKind::Arc;
            const double a1 = RealOf(tags, 50, 0.0) * kDegToRad, a2 = RealOf(tags, 51, 0.0) * kDegToRad;
            e.arc = {PointOf(tags, 10), RealOf(tags, 40, 0.0), a1, a2};
            if (mirrored) {
                // The counter-clockwise arc swaps its ends when seen from below.
                e.arc->centre.x = -e.arc->centre.x;
                e.arc->startAngle = std::numbers::pi - a2;
                e.arc->endAngle = std::numbers::pi - a1;
            }
        } else if (type == "CIRCLE") {
            e.kind = ElementKind::Circle;
            e.arc = {PointOf(tags, 10), RealOf(tags, 40, 0.0), 0.0, 0.0};
            if (mirrored)
                e.arc->centre.x = -e.arc->centre.x;
        } else if (type == "ELLIPSE") {
            e.kind = ElementKind::Ellipse;
            e.extras->ellipse.centre = PointOf(tags, 10);
            e.extras->ellipse.majorAxis = PointOf(tags, 11);
            e.extras->ellipse.ratio = RealOf(tags, 40, 1.0);
            e.extras->ellipse.startParam = RealOf(tags, 41, 0.0);
            e.extras->ellipse.endParam = RealOf(tags, 42, 2 * std::numbers::pi);
            const double len = std::hypot(c.extrusion.x, c.extrusion.y, c.extrusion.z);
            if (len > 0.0)
                e.extras->ellipse.normal = {c.extrusion.x / len, c.extrusion.y / len, c.extrusion.z / len};
        } else if (type == "TEXT") {
            e.kind = ElementKind::Text;
            std::string text;
            for (const DxfTag& t : tags)
                if (t.code == 1)
                    text = Decode(t.value);
            e.extras->text = {text, PointOf(tags, 10), RealOf(tags, 40, kDefaultTextHeight), RealOf(tags, 50, 0.0) * kDegToRad};
        } else if (type == "LWPOLYLINE") {
            e.kind = ElementKind::Polyline;
            e.closed = (IntegerOf(tags, 70, 0) & 1) != 0;
            const double z = RealOf(tags, 38, 0.0);
            for (const DxfTag& t : tags) {
                if (t.code == 10) {
                    const double x = Real(t.value);
                    e.vertices.push_back({mirrored ? -x : x, 0.0, z});
                    e.extras->bulges.push_back(0.0);
                } else if (t.code == 20 && !e.vertices.empty())
                    e.vertices.back().y = Real(t.value);
                else if (t.code == 42 && !e.extras->bulges.empty())
                    e.extras->bulges.back() = mirrored ? -Real(t.value) : Real(t.value);
            }
        } else if (type == "POLYLINE") {
            const long long flags = IntegerOf(tags, 70, 0);
            if (flags & (16 | 64)) { // meshes and polyface meshes are surfaces, not paths
                ++result.skippedEntities;
                return false;
            }
            e.kind = ElementKind::Polyline;
            e.closed = (flags & 1) != 0;
            const bool flip = mirrored && !(flags & 8); // a 3D polyline is in world coordinates
            const double elevation = PointOf(tags, 10).z;
            for (const DxfTagSpan& vertex : view.subs) {
                Point3d p = PointOf(vertex, 10);
                if (p.z == 0.0)
                    p.z = elevation;
                if (flip)
                    p.x = -p.x;
                const double bulge = RealOf(vertex, 42, 0.0);
                e.vertices.push_back(p);
                e.extras->bulges.push_back(flip ? -bulge : bulge);
            }
        } else if (type == "SPLINE") {
            e.kind = ElementKind::Spline;
            SplineData& s = e.extras->spline;
            s.degree = static_cast<int>(IntegerOf(tags, 71, 3));
            for (const DxfTag& t : tags) {
                if (t.code == 40)
                    s.knots.push_back(Real(t.value));
                else if (t.code == 41)
                    s.weights.push_back(Real(t.value));
                else if (t.code == 10)
                    s.controlPoints.push_back({Real(t.value), 0.0, 0.0});
                else if (t.code == 20 && !s.controlPoints.empty())
                    s.controlPoints.back().y = Real(t.value);
                else if (t.code == 30 && !s.controlPoints.empty())
                    s.controlPoints.back().z = Real(t.value);
                else if (t.code == 11)
                    s.fitPoints.push_back({Real(t.value), 0.0, 0.0});
                else if (t.code == 21 && !s.fitPoints.empty())
                    s.fitPoints.back().y = Real(t.value);
                else if (t.code == 31 && !s.fitPoints.empty())
                    s.fitPoints.back().z = Real(t.value);
            }
            if (s.weights.size() != s.controlPoints.size() ||
                std::all_of(s.weights.begin(), s.weights.end(), [](double w) { return w == 1.0; }))
                s.weights.clear();
            if (s.controlPoints.empty() || s.knots.size() != s.controlPoints.size() + s.degree + 1) {
                if (!InterpolateFitPoints(s)) {
                    ++result.skippedEntities;
                    return false;
                }
            }
        }
        // An open chain of straight segments is a line string, as the program draws them.
        if (e.kind == ElementKind::Polyline && !e.closed &&
            std::all_of(std::as_const(e).extras->bulges.begin(), std::as_const(e).extras->bulges.end(),
                        [](double b) { return b == 0.0; })) {
            e.kind = ElementKind::LineString;
            e.extras.Reset(); // a polyline being read has nothing else in it: no memory kept for it
        }
        return Add(std::move(e));
    }

    void Groups()
    {
        // Group names are the entries of the ACAD_GROUP dictionary (or of any dictionary).
        std::map<std::string, std::string> names; // upper-case object handle -> entry name
        for (const DxfObjectRef& o : m_doc.Objects()) {
            if (o.type != "DICTIONARY")
                continue;
            std::string pending;
            for (const DxfTag& t : m_doc.Span(o.tags)) {
                if (t.code == 3)
                    pending = std::string(t.value);
                else if ((t.code == 350 || t.code == 360) && !pending.empty()) {
                    names.emplace(UpperAscii(TrimTagValue(t.value)), pending);
                    pending.clear();
                }
            }
        }
        for (const DxfObjectRef& o : m_doc.Objects()) {
            if (o.type != "GROUP")
                continue;
            auto name = names.find(UpperAscii(o.handle));
            NamedGroupHandle group = m_drawing.AddNewNamedGroup(
                name != names.end() && !name->second.empty() ? Decode(name->second) : "*" + o.handle);
            m_drawing.SetGroupDxfHandle(group, o.handle);
            for (const DxfTag& t : m_doc.Span(o.tags))
                if (t.code == 340)
                    if (auto element = m_drawing.FindElementByDxfHandle(std::string(TrimTagValue(t.value))))
                        m_drawing.AddGroupMember(group, *element);
            m_drawing.CommitGroup(group);
        }
    }

    InMemoryDrawing& m_drawing;
    DxfDocument& m_doc;
    std::vector<DxfTag> m_storage; // the tags of the entity being read
    ShapeAllowance m_allowance;    // what the shown entities may still cost
};

DxfImport Refused(const std::string& fileName, const std::string& what)
{
    DxfImport result;
    result.error = "Cannot read DXF file \"" + fileName + "\": " + what;
    return result;
}

} // namespace

DxfImport ReadDxfBuffer(std::string text, const std::string& fileName, ShapeAllowance shapeBase)
{
    if (TrimTagValue(text).find_first_not_of(" \t\r\n") == std::string_view::npos)
        return Refused(fileName, "the file is empty");
    if (text.starts_with("AutoCAD Binary DXF"))
        return Refused(fileName, "binary DXF is not supported; save the drawing as text (ASCII) DXF");
    if (text.find('\0') != std::string::npos)
        return Refused(fileName, "the file holds binary data: this is not a text DXF drawing");

    DxfDocument::Parsed parsed = DxfDocument::Parse(std::move(text));
    if (!parsed.document)
        return Refused(fileName, parsed.error);

    auto drawing = std::make_shared<InMemoryDrawing>();
    // Set first: the elements read take their handles from it.
    drawing->SetDocument(parsed.document);
    Importer importer(*drawing, *parsed.document, shapeBase);
    try {
        importer.Run();
    } catch (const HostError& e) {
        return Refused(fileName, e.what());
    }
    DxfImport result = std::move(importer.result);
    drawing->SetCaption(fileName);
    result.drawing = std::move(drawing);
    return result;
}

DxfImport ReadDxfText(std::string_view text, const std::string& fileName, ShapeAllowance shapeBase)
{
    return ReadDxfBuffer(std::string(text), fileName, shapeBase);
}

DxfImport ReadDxfFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return Refused(path, "the file cannot be opened");
    const std::streamoff size = in.tellg();
    if (size < 0)
        return Refused(path, "the file cannot be read");
    std::string text(static_cast<size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(text.data(), size))
        return Refused(path, "the file cannot be read");
    return ReadDxfBuffer(std::move(text), path);
}

std::vector<ElementHandle> PathElementsOnLevel(const InMemoryDrawing& drawing, const std::string& levelName)
{
    std::vector<ElementHandle> result;
    auto level = drawing.FindLevelByName(levelName);
    if (!level)
        return result;
    for (const DrawingElement* e : drawing.ModelElements())
        if (e->level == *level && e->kind != ElementKind::Text && e->kind != ElementKind::Shown)
            result.push_back({e->id.Value()});
    return result;
}

} // namespace velrok::host
