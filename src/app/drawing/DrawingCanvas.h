// The painted view of an in-memory drawing: every element in its level's or own colour, line style
// and weight on a dark background, with pan, zoom at the cursor, zoom to fit, picking by click and
// by window, a highlighted group and the path tool. Painting goes through a cached pixmap that is
// rebuilt only when the drawing or the view changes, and elements smaller than a pixel are drawn
// as points, so 100 000 elements stay responsive. Entities kept from a DXF file that the drawing
// only shows (block references, hatches ...) are painted piece by piece in their own colours, solid
// fills shaded, and picked like any other element.
#pragma once

#include "app/drawing/DrawingGeometry.h"
#include "host/InMemoryDrawing.h"

#include <QPixmap>
#include <QWidget>

#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

class QPainter;

namespace velrok::app {

inline constexpr double kPickTolerancePx = 5.0;
inline constexpr double kWheelZoomStep = 1.25; // per wheel notch
inline constexpr double kMinTextPx = 3.0;      // smaller texts are not drawn
inline constexpr double kDragThresholdPx = 4.0;

enum class CanvasTool { Select, Pan, DrawPath };

class DrawingCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit DrawingCanvas(QWidget* parent = nullptr);

    void SetDrawing(std::shared_ptr<host::InMemoryDrawing> drawing);
    host::InMemoryDrawing* Drawing() const { return m_drawing.get(); }

    Viewport& View() { return m_view; }
    void ZoomToFit();
    // Centres `world` (drawing units) in the view with a quarter of its size as margin on each
    // side; a box smaller than 2 units (a point conflict) is shown as one of that size. A box with
    // a corner that is not finite leaves the view as it is.
    void ZoomToBox(const QRectF& world);
    // The box around every element shown (hidden levels left out), in drawing units.
    QRectF Extents();

    void SetLevelVisible(host::LevelHandle level, bool visible);
    bool IsLevelVisible(host::LevelHandle level) const { return !m_hiddenLevels.contains(level.id); }
    void SetHighlightedGroup(std::optional<host::NamedGroupHandle> group);

    // The element drawn nearest to the screen point within the pick tolerance.
    std::optional<host::ElementHandle> PickAt(QPointF screen);
    // Elements lying wholly inside the window, given in screen pixels.
    std::vector<host::ElementHandle> InsideWindow(const QRectF& screenWindow);
    // Click selection: replaces the selection set, or adds to it when `add` is true.
    void SelectAt(QPointF screen, bool add);
    void SelectWindow(const QRectF& screenWindow, bool add);

    void SetTool(CanvasTool tool);
    CanvasTool Tool() const { return m_tool; }
    void SetFilletRadius(double radius) { m_filletRadius = radius; }
    double FilletRadius() const { return m_filletRadius; }
    void SetPathLevel(std::optional<host::LevelHandle> level) { m_pathLevel = level; }
    // The path tool: clicked points, then FinishPath stores them as a bulged polyline, selected.
    void AddPathPoint(QPointF world);
    std::optional<host::ElementHandle> FinishPath();
    void CancelPath();
    const std::vector<QPointF>& PathPoints() const { return m_pathPoints; }

    // Paints the drawing (no selection or tool overlay) as the view shows it.
    void Render(QPainter& painter, const Viewport& view);
    // Re-reads the drawing's elements when its revision moved on.
    void Sync();

  signals:
    void PointerMoved(QPointF world);
    void SelectionChanged();
    void PathFinished(host::ElementHandle element);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Part {
        QPolygonF polygon;
        bool area = false; // a click inside picks it: a filled piece or a text's box
    };
    struct Geometry {
        QPolygonF points;        // texts: their box
        std::vector<Part> parts; // Shown: its pieces in order, then its texts' boxes
        QRectF box;
        bool Empty() const { return points.isEmpty() && parts.empty(); }
    };
    struct Item {
        const host::DrawingElement* element;
        const Geometry* geometry;
    };

    const Geometry& GeometryOf(const host::DrawingElement& element);
    void DrawItem(QPainter& painter, const Item& item, const Viewport& view);
    void DrawShown(QPainter& painter, const Item& item, const Viewport& view);
    bool IsLayerHidden(const std::string& layer) const;
    void PaintOverlay(QPainter& painter);
    void DrawOutline(QPainter& painter, uint64_t id, const QPen& pen);

    std::shared_ptr<host::InMemoryDrawing> m_drawing;
    std::unordered_map<uint64_t, Geometry> m_geometry;
    std::vector<Item> m_items;
    uint64_t m_syncedRevision = ~0ull;
    QRectF m_extents;

    Viewport m_view;
    QPixmap m_cache;
    Viewport m_cacheView;
    bool m_cacheValid = false;
    bool m_fitPending = true;

    std::set<uint64_t> m_hiddenLevels;
    std::optional<host::NamedGroupHandle> m_highlightGroup;

    CanvasTool m_tool = CanvasTool::Select;
    double m_filletRadius = 0.0;
    std::optional<host::LevelHandle> m_pathLevel;
    std::vector<QPointF> m_pathPoints;
    QPointF m_pointer;

    Qt::MouseButton m_dragButton = Qt::NoButton;
    QPointF m_pressAt;
    QPointF m_lastDrag;
    bool m_dragging = false;
};

} // namespace velrok::app
