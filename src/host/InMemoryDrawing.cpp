// The in-memory drawing.
#include "host/InMemoryDrawing.h"

#include "host/DxfDocument.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace velrok::host {

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

namespace {

// DXF handles are hexadecimal; "1a" and "1A" name the same entity.
std::string UpperHandle(std::string handle)
{
    for (char& c : handle)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return handle;
}

// The value of a handle written as plain hexadecimal (either case, no padding); 0 for any other
// text, which is then looked up by its text.
uint64_t PlainHandleValue(const std::string& handle)
{
    const uint64_t value = HandleValue(handle);
    return value != 0 && HandleText(value) == UpperHandle(handle) ? value : 0;
}

bool IsFinite(const Point3d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

[[noreturn]] void Refuse(const std::string& what)
{
    throw HostError(HostErrorKind::InvalidArgument, 5, what);
}

// Characters a level name cannot hold, because the level becomes a DXF layer of the same name.
constexpr const char* kBadLevelNameChars = "<>/\\\":;?*|=`";

} // namespace

std::vector<DrawingLineStyle> StandardLineStyles()
{
    return {
        {{}, "0", "Solid", {}},
        {{}, "1", "Dotted . . . .", {0.0, -0.25}},
        {{}, "2", "Medium dashed - - - -", {0.5, -0.25}},
        {{}, "3", "Long dashed __ __ __", {1.0, -0.25}},
        {{}, "4", "Dash dot __ . __ .", {1.0, -0.25, 0.0, -0.25}},
        {{}, "5", "Short dashed - - - -", {0.25, -0.125}},
        {{}, "6", "Dash dot dot __ . . __", {1.0, -0.25, 0.0, -0.25, 0.0, -0.25}},
        {{}, "7", "Long dash short dash __ - __", {1.5, -0.25, 0.5, -0.25}},
    };
}

InMemoryDrawing::InMemoryDrawing(std::string caption) : m_caption(std::move(caption))
{
    for (const DrawingLineStyle& style : StandardLineStyles())
        AddLineStyle(style.name, style.description, style.dashes);
    AddLevel(kDefaultLevelName, 0, m_lineStyles.front().handle, 0);
    m_revision = 0;
    m_editRevision = 0;
}

void InMemoryDrawing::Changed(bool edit)
{
    ++m_revision;
    if (edit)
        ++m_editRevision;
    if (m_observer)
        m_observer();
}

DrawingElement* InMemoryDrawing::Find(uint64_t id)
{
    if (id < kFirstElementId || id - kFirstElementId >= m_elements.size())
        return nullptr;
    DrawingElement& e = m_elements[id - kFirstElementId];
    return e.id.IsZero() ? nullptr : &e;
}

DrawingElement& InMemoryDrawing::Mutable(ElementHandle element)
{
    DrawingElement* e = Find(element.id);
    if (!e)
        throw HostError(HostErrorKind::InvalidHandle, 91, "Object variable not set: unknown element");
    if (element.id == m_curveId)
        m_curveId = 0; // whoever changes an element may change what its curve is made of
    return *e;
}

const DrawingElement& InMemoryDrawing::Element(ElementHandle element) const
{
    const DrawingElement* e = Find(element.id);
    if (!e)
        throw HostError(HostErrorKind::InvalidHandle, 91, "Object variable not set: unknown element");
    return *e;
}

PathCurve CurveOf(const DrawingElement& e)
{
    switch (e.kind) {
    case ElementKind::LineString:
    case ElementKind::Line:
    case ElementKind::Polyline:
        return PathCurve::FromVertices(e.vertices, e.extras->bulges, e.closed);
    case ElementKind::Arc:
    case ElementKind::Circle:
        return PathCurve::FromArc(e.arc->centre, e.arc->radius, e.arc->startAngle, e.arc->endAngle);
    case ElementKind::Spline:
        return PathCurve::FromSpline(e.extras->spline);
    case ElementKind::Ellipse:
        return PathCurve::FromEllipse(e.extras->ellipse);
    case ElementKind::Text:
    case ElementKind::Shown:
        break;
    }
    return {};
}

const PathCurve& InMemoryDrawing::Curve(const DrawingElement& element) const
{
    const uint64_t id = element.id.Value();
    if (id != m_curveId) {
        m_curveId = 0; // stays unset should the curve throw
        m_curve = CurveOf(element);
        m_curveId = id;
    }
    return m_curve;
}

// The whole body is guarded: a curve the path code refuses (its length or its arc overflows the
// range of numbers) is refused like any other bad geometry, so a reader skips just that element.
// The curve is made here only to be checked; it is made again when asked for.
ElementHandle InMemoryDrawing::Store(DrawingElement element)
try {
    for (const Point3d& p : element.vertices)
        if (!IsFinite(p))
            Refuse("Element has a coordinate that is not a finite number");
    const DrawingElement& e = element;
    switch (element.kind) {
    case ElementKind::LineString:
    case ElementKind::Line:
    case ElementKind::Polyline:
        if (element.vertices.size() < 2)
            Refuse("A line element needs at least two vertices");
        for (double b : std::as_const(element).extras->bulges)
            if (!std::isfinite(b))
                Refuse("Polyline bulge is not a finite number");
        break;
    case ElementKind::Arc:
    case ElementKind::Circle:
        if (!(element.arc->radius > 0.0) || !std::isfinite(element.arc->radius) ||
            !IsFinite(element.arc->centre) || !std::isfinite(element.arc->startAngle) ||
            !std::isfinite(element.arc->endAngle))
            Refuse("Arc with an invalid centre, radius or angle");
        if (element.kind == ElementKind::Circle)
            element.arc->endAngle = element.arc->startAngle + 2.0 * 3.141592653589793;
        break;
    case ElementKind::Spline:
        for (const Point3d& p : e.extras->spline.controlPoints)
            if (!IsFinite(p))
                Refuse("Spline control point is not a finite number");
        if (!e.extras->spline.IsValid())
            Refuse("Spline with inconsistent degree, knots or weights");
        break;
    case ElementKind::Ellipse: {
        const EllipseData& el = e.extras->ellipse;
        const double major = std::hypot(el.majorAxis.x, el.majorAxis.y, el.majorAxis.z);
        if (!IsFinite(el.centre) || !(major > 0.0) || !std::isfinite(major) || !(el.ratio > 0.0) ||
            !std::isfinite(el.ratio) || !std::isfinite(el.startParam) || !std::isfinite(el.endParam))
            Refuse("Ellipse with an invalid centre, axis or ratio");
        break;
    }
    case ElementKind::Text:
        if (!IsFinite(e.extras->text.origin) || !std::isfinite(e.extras->text.height) || !std::isfinite(e.extras->text.rotation))
            Refuse("Text with an invalid origin, height or rotation");
        break;
    case ElementKind::Shown:
        for (const ShownPiece& piece : e.extras->shown.pieces)
            for (const Point3d& p : piece.points)
                if (!IsFinite(p))
                    Refuse("Element has a coordinate that is not a finite number");
        break;
    }
    CurveOf(element); // a bulge, spline or ellipse may still overflow on the way to a length
    if (element.level.id == 0)
        element.level = DefaultLevel();
    else
        Level(element.level);
    element.id = ElementId::FromValue(kFirstElementId + m_elements.size());
    const uint64_t key = element.id.Value();
    if (m_handleIndexBuilt)
        IndexHandle(element);
    m_elements.push_back(std::move(element));
    ++m_liveElements;
    return {key};
} catch (const std::invalid_argument& e) {
    Refuse(std::string("Element refused: ") + e.what());
}

ElementHandle InMemoryDrawing::CreateLineElement1(const std::vector<Point3d>& vertices)
{
    DrawingElement element;
    element.kind = ElementKind::LineString;
    element.vertices = vertices;
    return Store(std::move(element));
}

ElementHandle InMemoryDrawing::MakeEllipse(const Point3d& centre, double primaryRadius,
                                           double secondaryRadius, const Rotation& rotation, int /*fill*/)
{
    if (!(primaryRadius > 0.0) || !(secondaryRadius > 0.0))
        Refuse("Ellipse radii must be positive");
    // The rotation's columns are the element's x and y axes; the longer radius becomes the major axis.
    Point3d xAxis{rotation[0], rotation[3], rotation[6]};
    Point3d yAxis{rotation[1], rotation[4], rotation[7]};
    DrawingElement element;
    element.kind = ElementKind::Ellipse;
    element.extras->ellipse.centre = centre;
    const Point3d& majorDir = primaryRadius >= secondaryRadius ? xAxis : yAxis;
    const Point3d& minorDir = primaryRadius >= secondaryRadius ? yAxis : xAxis;
    const double major = std::max(primaryRadius, secondaryRadius);
    element.extras->ellipse.majorAxis = {majorDir.x * major, majorDir.y * major, majorDir.z * major};
    element.extras->ellipse.ratio = std::min(primaryRadius, secondaryRadius) / major;
    Point3d normal{majorDir.y * minorDir.z - majorDir.z * minorDir.y,
                   majorDir.z * minorDir.x - majorDir.x * minorDir.z,
                   majorDir.x * minorDir.y - majorDir.y * minorDir.x};
    const double length = std::hypot(normal.x, normal.y, normal.z);
    if (!(length > 0.0))
        Refuse("Ellipse rotation is singular");
    element.extras->ellipse.normal = {normal.x / length, normal.y / length, normal.z / length};
    return Store(std::move(element));
}

ElementHandle InMemoryDrawing::MakeText(const std::string& text, const Point3d& origin,
                                        const Rotation& rotation)
{
    DrawingElement element;
    element.kind = ElementKind::Text;
    element.extras->text.text = text;
    element.extras->text.origin = origin;
    element.extras->text.rotation = std::atan2(rotation[3], rotation[0]);
    return Store(std::move(element));
}

std::vector<LevelHandle> InMemoryDrawing::Levels() const
{
    std::vector<LevelHandle> result;
    for (const DrawingLevel& level : m_levels)
        result.push_back(level.handle);
    return result;
}

std::optional<LevelHandle> InMemoryDrawing::FindLevelByName(const std::string& name) const
{
    for (const DrawingLevel& level : m_levels)
        if (SameNameIgnoringCase(level.name, name))
            return level.handle;
    return std::nullopt;
}

const DrawingLevel& InMemoryDrawing::Level(LevelHandle level) const
{
    for (const DrawingLevel& l : m_levels)
        if (l.handle == level)
            return l;
    throw HostError(HostErrorKind::InvalidHandle, 91, "Object variable not set: unknown level");
}

std::string InMemoryDrawing::LevelName(LevelHandle level) const
{
    return Level(level).name;
}

// A level cannot take its style from itself: none or by-level means the first (continuous) style.
std::optional<LineStyleHandle> InMemoryDrawing::LevelStyle(std::optional<LineStyleHandle> style) const
{
    if (!style || style->id == kByLevelStyleId)
        return m_lineStyles.empty() ? std::nullopt : std::optional(m_lineStyles.front().handle);
    return style;
}

LevelHandle InMemoryDrawing::AddLevel(const std::string& name, int color,
                                      std::optional<LineStyleHandle> lineStyle, int weight)
{
    if (name.empty() || name.find_first_of(kBadLevelNameChars) != std::string::npos)
        Refuse("Invalid level name \"" + name + "\"");
    if (FindLevelByName(name))
        throw HostError(HostErrorKind::Failed, 5, "Level name \"" + name + "\" already exists");
    if (lineStyle && lineStyle->id != kByLevelStyleId)
        LineStyle(*lineStyle);
    DrawingLevel level;
    level.handle = {m_nextHandle++};
    level.name = name;
    level.color = color;
    level.lineStyle = LevelStyle(lineStyle);
    level.weight = std::clamp(weight, 0, kMaxLineWeight);
    m_levels.push_back(level);
    Changed();
    return level.handle;
}

void InMemoryDrawing::SetLevelAttributes(LevelHandle level, int color, int dxfColor,
                                         std::optional<LineStyleHandle> lineStyle, int weight)
{
    auto& l = const_cast<DrawingLevel&>(Level(level));
    if (lineStyle && lineStyle->id != kByLevelStyleId)
        LineStyle(*lineStyle);
    l.color = color;
    l.dxfColor = dxfColor;
    l.lineStyle = LevelStyle(lineStyle);
    l.weight = std::clamp(weight, 0, kMaxLineWeight);
    Changed();
}

LevelHandle InMemoryDrawing::AddNewLevel(const std::string& name)
{
    return AddLevel(name, 0, m_lineStyles.empty() ? std::nullopt : std::optional(m_lineStyles.front().handle),
                    0);
}

void InMemoryDrawing::RewriteLevels()
{
    ++m_levelRewrites;
    Changed();
}

std::vector<LineStyleHandle> InMemoryDrawing::LineStyleList() const
{
    std::vector<LineStyleHandle> result;
    for (const DrawingLineStyle& style : m_lineStyles)
        result.push_back(style.handle);
    return result;
}

std::optional<LineStyleHandle> InMemoryDrawing::FindLineStyleByName(const std::string& name) const
{
    for (const DrawingLineStyle& style : m_lineStyles)
        if (SameNameIgnoringCase(style.name, name))
            return style.handle;
    return std::nullopt;
}

const DrawingLineStyle& InMemoryDrawing::LineStyle(LineStyleHandle style) const
{
    for (const DrawingLineStyle& s : m_lineStyles)
        if (s.handle == style)
            return s;
    throw HostError(HostErrorKind::InvalidHandle, 91, "Object variable not set: unknown line style");
}

std::string InMemoryDrawing::LineStyleName(LineStyleHandle style) const
{
    if (style.id == kByLevelStyleId)
        return "ByLevel";
    return LineStyle(style).name;
}

LineStyleHandle InMemoryDrawing::AddLineStyle(const std::string& name, const std::string& description,
                                              const std::vector<double>& dashes)
{
    if (name.empty())
        Refuse("A line style needs a name");
    if (auto existing = FindLineStyleByName(name))
        return *existing;
    DrawingLineStyle style{{m_nextHandle++}, name, description, dashes};
    m_lineStyles.push_back(style);
    Changed();
    return style.handle;
}

SelectionEnumerator InMemoryDrawing::GetSelectedElements() const
{
    return SelectionEnumerator(Selection());
}

std::vector<ElementHandle> InMemoryDrawing::Selection() const
{
    std::vector<ElementHandle> result;
    for (uint64_t id : m_selection)
        result.push_back({id});
    return result;
}

void InMemoryDrawing::UnselectAllElements()
{
    m_selection.clear();
    m_selectedIds.clear();
    Changed(false); // the selection is not saved
}

void InMemoryDrawing::Select(ElementHandle element)
{
    if (!Element(element).inModel)
        throw HostError(HostErrorKind::Failed, 5, "Only elements in the model can be selected");
    if (m_selectedIds.insert(element.id).second)
        m_selection.push_back(element.id);
    Changed(false);
}

ElementHandle InMemoryDrawing::GetElementByID(ElementId id) const
{
    const DrawingElement* e = Find(id.Value());
    if (!e || !e->inModel)
        throw HostError(HostErrorKind::NoSuchElement, 5, "Element not found");
    return {id.Value()};
}

void InMemoryDrawing::AddElement(ElementHandle& element)
{
    DrawingElement& e = Mutable(element);
    if (e.inModel)
        throw HostError(HostErrorKind::Failed, 5, "Element is already in the model");
    e.inModel = true;
    Changed();
}

ElementHandle InMemoryDrawing::AddNewElement(DrawingElement element)
{
    element.id = {};
    element.inModel = false;
    ElementHandle handle = Store(std::move(element));
    AddElement(handle);
    return handle;
}

void InMemoryDrawing::DeleteElement(ElementHandle element)
{
    DrawingElement& e = Mutable(element);
    if (const std::string handle(DxfHandle(e)); m_handleIndexBuilt && !handle.empty() && !PlainHandleValue(handle))
        m_byHandleText.erase(UpperHandle(handle));
    // An entry by handle value is left: a lookup finds the element gone.
    if (m_selectedIds.erase(element.id))
        std::erase(m_selection, element.id);
    for (DrawingGroup& group : m_groups)
        if (m_groupMembers[group.handle.id].erase(e.id.Value()))
            std::erase(group.members, e.id);
    e = DrawingElement{}; // a zero identifier marks the place as empty
    --m_liveElements;
    Changed();
}

std::vector<const DrawingElement*> InMemoryDrawing::ModelElements() const
{
    std::vector<const DrawingElement*> result;
    result.reserve(m_liveElements);
    for (const DrawingElement& element : m_elements)
        if (!element.id.IsZero() && element.inModel)
            result.push_back(&element);
    return result;
}

void InMemoryDrawing::IndexHandle(const DrawingElement& element) const
{
    const std::string handle(DxfHandle(element));
    if (handle.empty())
        return;
    if (const uint64_t value = PlainHandleValue(handle)) {
        if (!m_byHandleValue.empty() && m_byHandleValue.back().first > value)
            m_byHandleSorted = false;
        m_byHandleValue.emplace_back(value, element.id.Value());
    } else {
        m_byHandleText[UpperHandle(handle)] = element.id.Value();
    }
}

std::string_view InMemoryDrawing::DxfHandle(const DrawingElement& element) const
{
    if (!element.extras->dxfHandle.empty())
        return element.extras->dxfHandle;
    if (m_document && element.dxfEntity >= 0 &&
        static_cast<size_t>(element.dxfEntity) < m_document->Entities().size())
        return m_document->EntityHandle(m_document->Entities()[static_cast<size_t>(element.dxfEntity)]);
    return {};
}

std::optional<ElementHandle> InMemoryDrawing::FindElementByDxfHandle(const std::string& handle) const
{
    if (!m_handleIndexBuilt) {
        // Made when first asked for: most drawings are never searched by handle, and the index
        // would weigh as much as a tenth of a large drawing.
        m_byHandleValue.reserve(m_liveElements);
        for (const DrawingElement& element : m_elements)
            if (!element.id.IsZero())
                IndexHandle(element);
        m_handleIndexBuilt = true;
    }
    const uint64_t value = PlainHandleValue(handle);
    if (value == 0) {
        auto it = m_byHandleText.find(UpperHandle(handle));
        if (it == m_byHandleText.end())
            return std::nullopt;
        return ElementHandle{it->second};
    }
    if (!m_byHandleSorted) {
        std::sort(m_byHandleValue.begin(), m_byHandleValue.end());
        m_byHandleSorted = true;
    }
    // Of elements with the same handle the one made last counts, as long as it is there.
    auto first = std::lower_bound(m_byHandleValue.begin(), m_byHandleValue.end(), std::pair<uint64_t, uint64_t>{value, 0});
    for (auto it = std::upper_bound(first, m_byHandleValue.end(), std::pair<uint64_t, uint64_t>{value, UINT64_MAX});
         it != first;) {
        --it;
        if (Find(it->second))
            return ElementHandle{it->second};
    }
    return std::nullopt;
}

NamedGroupHandle InMemoryDrawing::AddNewNamedGroup(const std::string& name)
{
    if (name.empty())
        Refuse("A named group needs a name");
    DrawingGroup group;
    group.handle = {m_nextHandle++};
    group.name = name;
    m_groups.push_back(group);
    Changed();
    return group.handle;
}

const DrawingGroup& InMemoryDrawing::Group(NamedGroupHandle group) const
{
    for (const DrawingGroup& g : m_groups)
        if (g.handle == group)
            return g;
    throw HostError(HostErrorKind::InvalidHandle, 91, "Object variable not set: unknown named group");
}

void InMemoryDrawing::AddGroupMember(NamedGroupHandle group, ElementHandle element)
{
    const DrawingElement& e = Element(element);
    if (!e.inModel)
        throw HostError(HostErrorKind::Failed, 5, "Only elements in the model can join a named group");
    auto& g = const_cast<DrawingGroup&>(Group(group));
    // A run's group holds thousands of elements: membership is looked up, not searched.
    if (m_groupMembers[group.id].insert(e.id.Value()).second)
        g.members.push_back(e.id);
    Changed();
}

void InMemoryDrawing::CommitGroup(NamedGroupHandle group)
{
    ++const_cast<DrawingGroup&>(Group(group)).commits;
    Changed();
}

void InMemoryDrawing::SetGroupDxfHandle(NamedGroupHandle group, const std::string& handle)
{
    const_cast<DrawingGroup&>(Group(group)).dxfHandle = handle;
}

void InMemoryDrawing::DeleteGroup(NamedGroupHandle group)
{
    Group(group);
    std::erase_if(m_groups, [&](const DrawingGroup& g) { return g.handle == group; });
    m_groupMembers.erase(group.id);
    Changed();
}

ElementId InMemoryDrawing::ID(ElementHandle element) const
{
    return Element(element).id;
}

double InMemoryDrawing::Length(ElementHandle element) const
{
    const DrawingElement& e = Element(element);
    if (e.kind == ElementKind::Text)
        throw HostError(HostErrorKind::Failed, 438, "A text element has no length");
    return Curve(e).Length();
}

Point3d InMemoryDrawing::PointAtDistance(ElementHandle element, double distance) const
{
    const DrawingElement& e = Element(element);
    if (e.kind == ElementKind::Text)
        throw HostError(HostErrorKind::Failed, 438, "A text element has no points along it");
    if (!std::isfinite(distance))
        Refuse("Distance is not a finite number");
    return Curve(e).PointAtDistance(distance);
}

void InMemoryDrawing::SetColor(ElementHandle element, int color)
{
    DrawingElement& e = Mutable(element);
    if (e.color != color || e.dxfColor != 0)
        e.editedAttributes |= kEditedColor;
    e.color = color;
    e.dxfColor = 0;
    Changed();
}

void InMemoryDrawing::SetLevel(ElementHandle element, LevelHandle level)
{
    Level(level);
    DrawingElement& e = Mutable(element);
    if (e.level != level)
        e.editedAttributes |= kEditedLevel;
    e.level = level;
    Changed();
}

void InMemoryDrawing::SetLineStyle(ElementHandle element, std::optional<LineStyleHandle> style)
{
    // A style the drawing lacks arrives as none; like the level's style it then follows the level.
    if (style && style->id == kByLevelStyleId)
        style.reset();
    if (style)
        LineStyle(*style);
    DrawingElement& e = Mutable(element);
    if (e.lineStyle != style)
        e.editedAttributes |= kEditedLineStyle;
    e.lineStyle = style;
    Changed();
}

void InMemoryDrawing::SetLineWeight(ElementHandle element, int weight)
{
    if (weight < kWeightByLevel || weight > kMaxLineWeight)
        Refuse("Line weight " + std::to_string(weight) + " is outside -1 to 31");
    DrawingElement& e = Mutable(element);
    if (e.weight != weight)
        e.editedAttributes |= kEditedWeight;
    e.weight = weight;
    Changed();
}

int InMemoryDrawing::EffectiveColor(const DrawingElement& element) const
{
    return element.color == kColorByLevel ? Level(element.level).color : element.color;
}

int InMemoryDrawing::EffectiveWeight(const DrawingElement& element) const
{
    return element.weight == kWeightByLevel ? Level(element.level).weight : element.weight;
}

std::optional<LineStyleHandle> InMemoryDrawing::EffectiveLineStyle(const DrawingElement& element) const
{
    return element.lineStyle ? element.lineStyle : Level(element.level).lineStyle;
}

} // namespace velrok::host
