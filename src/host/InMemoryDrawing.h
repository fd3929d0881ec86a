// A drawing held in memory that stands in for the running CAD host: levels, line styles, elements,
// named groups and a selection set. The DXF reader fills it, the sweep draws into it, the desktop
// drawing window shows it and the DXF and SVG writers save it.
#pragma once

#include "host/CadHost.h"
#include "host/DxfShapes.h"
#include "host/PathCurve.h"
#include "host/PointList.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velrok::host {

// Identifiers start above 2^32 and just below a sign change of the low half, so both signed
// halves are exercised by every drawing.
inline constexpr uint64_t kFirstElementId = 0x17FFFFFF0ull;
inline constexpr double kDefaultTextHeight = 1.0;
inline constexpr int kMaxLineWeight = 31;
inline constexpr int kWeightByLevel = -1;
inline constexpr const char* kDefaultLevelName = "0";
// Bits of DrawingElement::editedAttributes: which attributes a setter changed since the element
// was read, so a saved file rewrites those tags of the entity and copies the rest as read.
inline constexpr uint8_t kEditedColor = 1, kEditedLevel = 2, kEditedLineStyle = 4, kEditedWeight = 8;

// Shown: an entity kept from a DXF file that the drawing shows by its pieces (a block reference,
// a hatch, a multi-line text ...) but never offers as a path.
enum class ElementKind : uint8_t { LineString, Line, Arc, Circle, Polyline, Spline, Ellipse, Text, Shown };

struct ArcData {
    Point3d centre;
    double radius = 0.0;
    double startAngle = 0.0; // radians, counter-clockwise from startAngle to endAngle
    double endAngle = 0.0;
};

struct TextData {
    std::string text;
    Point3d origin;
    double height = kDefaultTextHeight;
    double rotation = 0.0; // radians
};

// A part of an element that most elements lack (a spline, an ellipse, a text, what a kept entity
// shows), kept behind one pointer: a drawing holds a million lines and arcs. Reading an unset
// part gives the default value; writing to it through -> or * sets it. Copies are deep.
template <class T>
class OutOfLine {
  public:
    OutOfLine() = default;
    OutOfLine(T value) : m_value(std::make_unique<T>(std::move(value))) {}
    OutOfLine(const OutOfLine& other) : m_value(other.m_value ? std::make_unique<T>(*other.m_value) : nullptr) {}
    OutOfLine(OutOfLine&&) noexcept = default;
    OutOfLine& operator=(const OutOfLine& other)
    {
        if (this != &other)
            m_value = other.m_value ? std::make_unique<T>(*other.m_value) : nullptr;
        return *this;
    }
    OutOfLine& operator=(OutOfLine&&) noexcept = default;
    OutOfLine& operator=(T value)
    {
        Set() = std::move(value);
        return *this;
    }

    bool IsSet() const { return m_value != nullptr; }
    void Reset() { m_value.reset(); }
    const T& operator*() const { return m_value ? *m_value : Unset(); }
    const T* operator->() const { return &**this; }
    T& operator*() { return Set(); }
    T* operator->() { return &Set(); }
    operator const T&() const { return **this; }
    template <class U>
    friend bool operator==(const OutOfLine& a, const U& b)
    {
        return *a == b;
    }

  private:
    static const T& Unset()
    {
        static const T unset{};
        return unset;
    }
    T& Set()
    {
        if (!m_value)
            m_value = std::make_unique<T>();
        return *m_value;
    }
    std::unique_ptr<T> m_value;
};

// What most elements lack, kept behind one pointer in the element: a drawing holds a million lines.
struct ElementExtras {
    std::vector<double> bulges; // polyline: per vertex, to the next one
    SplineData spline;
    EllipseData ellipse;
    TextData text;
    ShownGeometry shown; // Shown: what it shows, in world coordinates
    std::string dxfKind; // Shown: the DXF entity type ("INSERT", "HATCH" ...)
    // An element read from the drawing's file has its entity's handle (InMemoryDrawing::DxfHandle);
    // this is only for a handle given by whoever made the element otherwise.
    std::string dxfHandle;
};

// Fields are ordered so the small ones share words: a drawing holds a million elements.
struct DrawingElement {
    ElementId id;
    PointList vertices;      // line string, line (two), polyline
    OutOfLine<ArcData> arc;  // arc and circle
    OutOfLine<ElementExtras> extras;
    LevelHandle level;
    std::optional<LineStyleHandle> lineStyle; // none: as the level's
    // An element read from the drawing's file is that file's entity number; -1 for what the
    // program drew.
    int32_t dxfEntity = -1;
    int color = kColorByLevel; // host colour number
    int dxfColor = 0;          // an imported AutoCAD colour index the host table has no entry for
    int weight = kWeightByLevel;
    ElementKind kind = ElementKind::LineString;
    bool closed = false;
    bool inModel = false;
    uint8_t editedAttributes = 0; // kEdited* bits
};

// The element's path, made afresh from its geometry: empty for texts and kept entities. Throws
// std::invalid_argument for geometry no path can be made of (the drawing refuses such elements).
PathCurve CurveOf(const DrawingElement& element);

struct DrawingLevel {
    LevelHandle handle;
    std::string name;
    int color = 0;    // host colour number; white
    int dxfColor = 0; // an imported AutoCAD colour index the host table has no entry for
    std::optional<LineStyleHandle> lineStyle;
    int weight = 0;
};

struct DrawingLineStyle {
    LineStyleHandle handle;
    std::string name;
    std::string description;
    std::vector<double> dashes; // DXF convention: positive dash, negative gap, 0 a dot; empty = continuous
};

struct DrawingGroup {
    NamedGroupHandle handle;
    std::string name;
    std::vector<ElementId> members;
    int commits = 0;
    std::string dxfHandle; // the GROUP object of a group read from a file
};

class DxfDocument;

class InMemoryDrawing : public CadHost {
  public:
    explicit InMemoryDrawing(std::string caption = "Velrok drawing");

    // --- CadHost ---
    std::string Caption() const override { return m_caption; }
    ElementHandle CreateLineElement1(const std::vector<Point3d>& vertices) override;
    ElementHandle MakeEllipse(const Point3d& centre, double primaryRadius, double secondaryRadius,
                              const Rotation& rotation, int fill) override;
    ElementHandle MakeText(const std::string& text, const Point3d& origin, const Rotation& rotation) override;
    Rotation DefaultRotation() const override { return {1, 0, 0, 0, 1, 0, 0, 0, 1}; }
    LineStyleHandle LevelLineStyle() const override { return {kByLevelStyleId}; }

    std::vector<LevelHandle> Levels() const override;
    std::optional<LevelHandle> FindLevelByName(const std::string& name) const override;
    std::string LevelName(LevelHandle level) const override;
    LevelHandle AddNewLevel(const std::string& name) override;
    void RewriteLevels() override;
    std::vector<LineStyleHandle> LineStyleList() const override;
    std::optional<LineStyleHandle> FindLineStyleByName(const std::string& name) const override;
    std::string LineStyleName(LineStyleHandle style) const override;

    bool AnyElementsSelected() const override { return !m_selection.empty(); }
    SelectionEnumerator GetSelectedElements() const override;
    void UnselectAllElements() override;
    ElementHandle GetElementByID(ElementId id) const override;
    void AddElement(ElementHandle& element) override;
    NamedGroupHandle AddNewNamedGroup(const std::string& name) override;

    ElementId ID(ElementHandle element) const override;
    double Length(ElementHandle element) const override;
    Point3d PointAtDistance(ElementHandle element, double distance) const override;
    void SetColor(ElementHandle element, int color) override;
    void SetLevel(ElementHandle element, LevelHandle level) override;
    void SetLineStyle(ElementHandle element, std::optional<LineStyleHandle> style) override;
    void SetLineWeight(ElementHandle element, int weight) override;

    void AddGroupMember(NamedGroupHandle group, ElementHandle element) override;
    void CommitGroup(NamedGroupHandle group) override;
    std::vector<ElementLines> LinesOnLevels(const std::vector<std::string>& levels) const override;

    // --- reading, for views and writers ---
    void SetCaption(std::string caption) { m_caption = std::move(caption); }
    // The DXF file the drawing was read from, kept whole so saving loses nothing; null for a
    // drawing that did not come from a file.
    const std::shared_ptr<const DxfDocument>& Document() const { return m_document; }
    void SetDocument(std::shared_ptr<const DxfDocument> document) { m_document = std::move(document); }
    // Links a group to the GROUP object it was read from.
    void SetGroupDxfHandle(NamedGroupHandle group, const std::string& handle);
    // Elements stored in the model, in the order they were created.
    std::vector<const DrawingElement*> ModelElements() const;
    // The same without a list of them: saving a drawing of a million elements needs none.
    template <class F> void ForEachModelElement(F&& visit) const
    {
        for (const DrawingElement& element : m_elements)
            if (!element.id.IsZero() && element.inModel)
                visit(element);
    }
    const DrawingElement& Element(ElementHandle element) const;
    std::optional<ElementHandle> FindElementByDxfHandle(const std::string& handle) const;
    // The entity handle of an element: its file entity's, or the one it was given; empty for none.
    std::string_view DxfHandle(const DrawingElement& element) const;
    const std::vector<DrawingLevel>& LevelTable() const { return m_levels; }
    const DrawingLevel& Level(LevelHandle level) const;
    const std::vector<DrawingLineStyle>& LineStyleTable() const { return m_lineStyles; }
    const DrawingLineStyle& LineStyle(LineStyleHandle style) const;
    const std::vector<DrawingGroup>& Groups() const { return m_groups; }
    const DrawingGroup& Group(NamedGroupHandle group) const;
    std::vector<ElementHandle> Selection() const;
    LevelHandle DefaultLevel() const { return m_levels.front().handle; }
    int LevelRewrites() const { return m_levelRewrites; }

    // The attributes an element is shown with once by-level values are looked up on its level.
    int EffectiveColor(const DrawingElement& element) const;
    int EffectiveWeight(const DrawingElement& element) const;
    std::optional<LineStyleHandle> EffectiveLineStyle(const DrawingElement& element) const;

    // --- editing, for importers and the drawing window ---
    // Validates the geometry, gives the element a new identifier and stores it in the model.
    ElementHandle AddNewElement(DrawingElement element);
    void DeleteElement(ElementHandle element);
    LevelHandle AddLevel(const std::string& name, int color, std::optional<LineStyleHandle> lineStyle,
                         int weight);
    void SetLevelAttributes(LevelHandle level, int color, int dxfColor,
                            std::optional<LineStyleHandle> lineStyle, int weight);
    LineStyleHandle AddLineStyle(const std::string& name, const std::string& description,
                                 const std::vector<double>& dashes);
    void DeleteGroup(NamedGroupHandle group);
    void Select(ElementHandle element);

    // Every change bumps the revision and calls the observer, so a view knows when to repaint.
    uint64_t Revision() const { return m_revision; }
    // Bumped by every change a saved file keeps, not by selecting: what "unsaved changes" means.
    uint64_t EditRevision() const { return m_editRevision; }
    void SetChangeObserver(std::function<void()> observer) { m_observer = std::move(observer); }

  private:
    static constexpr uint64_t kByLevelStyleId = 1;

    DrawingElement* Find(uint64_t id);
    const DrawingElement* Find(uint64_t id) const { return const_cast<InMemoryDrawing*>(this)->Find(id); }
    DrawingElement& Mutable(ElementHandle element);
    const PathCurve& Curve(const DrawingElement& element) const;
    std::string ElementName(const DrawingElement& element) const;
    std::optional<LineStyleHandle> LevelStyle(std::optional<LineStyleHandle> style) const;
    ElementHandle Store(DrawingElement element);
    void IndexHandle(const DrawingElement& element) const;
    void Changed(bool edit = true);

    std::string m_caption;
    std::shared_ptr<const DxfDocument> m_document;
    // By identifier less kFirstElementId, so in creation order; a deleted element stays as an
    // empty one with a zero identifier, so later identifiers keep their place. A deque, so the
    // elements never move and references to them stay valid as the drawing grows.
    std::deque<DrawingElement> m_elements;
    size_t m_liveElements = 0;
    // Elements read from a file by their entity handle's value (handle, identifier), sorted when
    // looked up after additions; a handle that is not plain upper-case hexadecimal by its text.
    mutable std::vector<std::pair<uint64_t, uint64_t>> m_byHandleValue;
    mutable bool m_byHandleSorted = true;
    mutable bool m_handleIndexBuilt = false;
    mutable std::map<std::string, uint64_t> m_byHandleText;
    // The path curve of the element last asked for its length or a point: the sweep asks the
    // same path thousands of times, and no element keeps its curve. (Kept in const calls: the
    // drawing is used from one thread, as the whole program is.)
    mutable uint64_t m_curveId = 0;
    mutable PathCurve m_curve;
    std::vector<DrawingLevel> m_levels;
    std::vector<DrawingLineStyle> m_lineStyles;
    std::vector<DrawingGroup> m_groups;
    std::map<uint64_t, std::unordered_set<uint64_t>> m_groupMembers; // group handle -> element ids
    std::vector<uint64_t> m_selection;                               // in the order of selecting
    std::unordered_set<uint64_t> m_selectedIds; // the same, for a quick "already selected?"
    uint64_t m_nextHandle = 2;
    uint64_t m_revision = 0;
    uint64_t m_editRevision = 0;
    int m_levelRewrites = 0;
    std::function<void()> m_observer;
};

// Level names match without regard to case, as DXF layer names do.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

// The eight standard line styles "0" to "7" with their dash patterns (drawing units).
std::vector<DrawingLineStyle> StandardLineStyles();

} // namespace velrok::host
