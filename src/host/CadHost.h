// The CAD host as the program sees it: one interface over the operations it uses on the running
// drawing program, grouped by the host object each belongs to. The in-memory drawing implements
// it; a real CAD connector would too. Handles are small values owned by the host.
#pragma once

#include "common/Point.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velrok::host {

// The host's 64-bit element identifier, exposed as two signed 32-bit halves.
struct ElementId {
    int32_t Low = 0;
    int32_t High = 0;

    uint64_t Value() const
    {
        return (static_cast<uint64_t>(static_cast<uint32_t>(High)) << 32) | static_cast<uint32_t>(Low);
    }
    static ElementId FromValue(uint64_t v)
    {
        return {static_cast<int32_t>(static_cast<uint32_t>(v & 0xffffffffu)),
                static_cast<int32_t>(static_cast<uint32_t>(v >> 32))};
    }
    bool IsZero() const { return Low == 0 && High == 0; }
    friend bool operator==(const ElementId&, const ElementId&) = default;
};

// Handles: opaque numbers the host hands out; 0 is never a valid handle.
struct LevelHandle {
    uint64_t id = 0;
    friend bool operator==(const LevelHandle&, const LevelHandle&) = default;
};
struct LineStyleHandle {
    uint64_t id = 0;
    friend bool operator==(const LineStyleHandle&, const LineStyleHandle&) = default;
};
struct ElementHandle {
    uint64_t id = 0;
    friend bool operator==(const ElementHandle&, const ElementHandle&) = default;
};
struct NamedGroupHandle {
    uint64_t id = 0;
    friend bool operator==(const NamedGroupHandle&, const NamedGroupHandle&) = default;
};

using Rotation = std::array<double, 9>; // 3x3, row by row; the program only passes it on

// Colour index meaning "as the level's colour".
inline constexpr int kColorByLevel = -1;
// Error number of an attach while no host instance is running.
inline constexpr int kErrNotRunning = 429;

enum class HostErrorKind {
    NotRunning,      // no running instance (number 429)
    NoSuchElement,   // GetElementByID found nothing
    InvalidArgument, // e.g. a line string with fewer than two vertices
    InvalidHandle,   // a handle this host never gave out
    Failed           // anything else the host refuses
};

// Every host operation may throw this; callers tell failures apart by kind and number.
class HostError : public std::runtime_error {
  public:
    HostError(HostErrorKind kind, int number, const std::string& description)
        : std::runtime_error(description), m_kind(kind), m_number(number)
    {
    }
    HostErrorKind Kind() const { return m_kind; }
    int Number() const { return m_number; }

  private:
    HostErrorKind m_kind;
    int m_number;
};

// Walks a snapshot of the selection set: MoveNext (false after the last), then Current.
class SelectionEnumerator {
  public:
    explicit SelectionEnumerator(std::vector<ElementHandle> items) : m_items(std::move(items)) {}
    bool MoveNext()
    {
        if (m_pos + 1 >= static_cast<long>(m_items.size())) {
            m_pos = static_cast<long>(m_items.size());
            return false;
        }
        ++m_pos;
        return true;
    }
    ElementHandle Current() const { return m_items.at(static_cast<size_t>(m_pos)); }

  private:
    std::vector<ElementHandle> m_items;
    long m_pos = -1;
};

// The line strings an element shows (curves cut into chords), with its handle text: the DXF
// handle, or the identifier in hex when it has none.
struct ElementLines {
    std::string handle;
    std::vector<std::vector<Point2d>> lines;
};

class CadHost {
  public:
    virtual ~CadHost() = default;

    // --- application ---
    virtual std::string Caption() const = 0;
    virtual Point3d Point3dFromXYZ(double x, double y, double z) const { return {x, y, z}; }
    // A new open line string, not yet in the model; fewer than two vertices is refused.
    virtual ElementHandle CreateLineElement1(const std::vector<Point3d>& vertices) = 0;
    virtual ElementHandle MakeEllipse(const Point3d& centre, double primaryRadius, double secondaryRadius,
                                      const Rotation& rotation, int fill) = 0;
    virtual ElementHandle MakeText(const std::string& text, const Point3d& origin,
                                   const Rotation& rotation) = 0;
    virtual Rotation DefaultRotation() const = 0;
    virtual LineStyleHandle LevelLineStyle() const = 0;

    // --- design file: levels and line styles ---
    virtual std::vector<LevelHandle> Levels() const = 0; // in the host's order
    virtual std::optional<LevelHandle> FindLevelByName(const std::string& name) const = 0;
    virtual std::string LevelName(LevelHandle level) const = 0;
    virtual LevelHandle AddNewLevel(const std::string& name) = 0;
    virtual void RewriteLevels() = 0;
    virtual std::vector<LineStyleHandle> LineStyleList() const = 0; // in the host's order
    virtual std::optional<LineStyleHandle> FindLineStyleByName(const std::string& name) const = 0;
    virtual std::string LineStyleName(LineStyleHandle style) const = 0;

    // --- model ---
    virtual bool AnyElementsSelected() const = 0;
    virtual SelectionEnumerator GetSelectedElements() const = 0;
    virtual void UnselectAllElements() = 0;
    virtual ElementHandle GetElementByID(ElementId id) const = 0; // throws NoSuchElement
    virtual void AddElement(ElementHandle& element) = 0;          // the handle stays valid
    virtual NamedGroupHandle AddNewNamedGroup(const std::string& name) = 0;

    // --- element ---
    virtual ElementId ID(ElementHandle element) const = 0;
    virtual double Length(ElementHandle element) const = 0;
    virtual Point3d PointAtDistance(ElementHandle element, double distance) const = 0;
    virtual void SetColor(ElementHandle element, int color) = 0; // kColorByLevel = the level's
    virtual void SetLevel(ElementHandle element, LevelHandle level) = 0;
    virtual void SetLineStyle(ElementHandle element, std::optional<LineStyleHandle> style) = 0;
    virtual void SetLineWeight(ElementHandle element, int weight) = 0; // -1 = the level's

    // --- named group ---
    virtual void AddGroupMember(NamedGroupHandle group, ElementHandle element) = 0;
    virtual void CommitGroup(NamedGroupHandle group) = 0;

    // --- reading the drawing for obstacle checks ---
    // Every model element on one of the named levels (case ignored), and the pieces of shown
    // elements (block references ...) whose own layer or element level is named. A host that
    // cannot read its elements offers none.
    virtual std::vector<ElementLines> LinesOnLevels(const std::vector<std::string>& /*levels*/) const
    {
        return {};
    }
};

} // namespace velrok::host
