// Painting, picking and the mouse and keyboard tools of the drawing view.
#include "app/drawing/DrawingCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace velrok::app {

namespace {

const QColor kBackground(24, 26, 31);
const QColor kSelectionColor(255, 140, 0);
const QColor kGroupColor(0, 230, 255);
const QColor kToolColor(255, 80, 200);
constexpr double kWeightPxPerStep = 0.25; // host weights 0..31 -> 1..8.75 pixels
constexpr double kMinPatternPx = 3.0;     // a dash pattern shorter than this is drawn solid
constexpr double kMaxPatternPx = 1e5;     // and so is one longer than any screen

bool Overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && a.right() >= b.left() && a.top() <= b.bottom() && a.bottom() >= b.top();
}

QTransform WorldTransform(const Viewport& view)
{
    const double s = view.Scale();
    return QTransform(s, 0.0, 0.0, -s, view.Size().width() / 2.0 - view.Centre().x() * s,
                      view.Size().height() / 2.0 + view.Centre().y() * s);
}

// The DXF pattern (positive dash, negative gap, 0 a dot, drawing units) as Qt's pattern of dash and
// gap lengths in pen widths at this scale; empty for a solid line.
QList<qreal> DashPattern(const std::vector<double>& dashes, double scale, double penWidth)
{
    QList<qreal> pattern;
    double total = 0.0;
    for (double d : dashes) {
        const bool isDash = d >= 0.0;
        const double px = isDash ? std::max(1.0, d * scale) : -d * scale;
        total += px;
        if (pattern.isEmpty() && !isDash)
            pattern << 0.0; // a pattern that starts with a gap
        const bool dashExpected = pattern.size() % 2 == 0;
        if (isDash == dashExpected)
            pattern << px / penWidth;
        else
            pattern.back() += px / penWidth; // two dashes or two gaps in a row are one
    }
    if (pattern.size() % 2 != 0)
        pattern << 0.0;
    if (total < kMinPatternPx || total > kMaxPatternPx)
        return {};
    return pattern;
}

QPen ElementPen(const host::InMemoryDrawing& drawing, const host::DrawingElement& element, double scale)
{
    const double width = 1.0 + std::max(0, drawing.EffectiveWeight(element)) * kWeightPxPerStep;
    QPen pen(ElementColor(drawing, element), width);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::RoundJoin);
    const auto style = drawing.EffectiveLineStyle(element);
    if (style && style->id != drawing.LevelLineStyle().id) {
        const QList<qreal> pattern = DashPattern(drawing.LineStyle(*style).dashes, scale, width);
        if (!pattern.isEmpty())
            pen.setDashPattern(pattern);
    }
    return pen;
}

} // namespace

DrawingCanvas::DrawingCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName("DrawingCanvas");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
}

void DrawingCanvas::SetDrawing(std::shared_ptr<host::InMemoryDrawing> drawing)
{
    m_drawing = std::move(drawing);
    m_geometry.clear();
    m_items.clear();
    m_syncedRevision = ~0ull;
    m_hiddenLevels.clear();
    m_highlightGroup.reset();
    m_pathPoints.clear();
    m_pathLevel.reset();
    m_cacheValid = false;
    m_fitPending = true;
    update();
}

const DrawingCanvas::Geometry& DrawingCanvas::GeometryOf(const host::DrawingElement& element)
{
    auto it = m_geometry.find(element.id.Value());
    if (it != m_geometry.end())
        return it->second;
    Geometry g;
    g.points = element.kind == host::ElementKind::Text ? TextOutline(element.text) : FlattenElement(element);
    g.box = g.points.boundingRect();
    return m_geometry.emplace(element.id.Value(), std::move(g)).first->second;
}

void DrawingCanvas::Sync()
{
    if (!m_drawing || m_drawing->Revision() == m_syncedRevision)
        return;
    m_syncedRevision = m_drawing->Revision();
    const auto elements = m_drawing->ModelElements();
    // An element's geometry never changes once stored, so only new identifiers are flattened;
    // the cache is cleared when deletions have left it much larger than the drawing.
    if (m_geometry.size() > 2 * elements.size() + 1024)
        m_geometry.clear();
    m_items.clear();
    m_items.reserve(elements.size());
    for (const host::DrawingElement* e : elements)
        m_items.push_back({e, &GeometryOf(*e)});
    m_cacheValid = false;
}

QRectF DrawingCanvas::Extents()
{
    Sync();
    QRectF all;
    bool any = false;
    for (const Item& item : m_items) {
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->points.isEmpty())
            continue;
        const QRectF& b = item.geometry->box;
        all = any ? QRectF(QPointF(std::min(all.left(), b.left()), std::min(all.top(), b.top())),
                           QPointF(std::max(all.right(), b.right()), std::max(all.bottom(), b.bottom())))
                  : b;
        any = true;
    }
    return all;
}

void DrawingCanvas::ZoomToFit()
{
    // Before the window is shown the canvas has no final size yet: fit at the first paint.
    if (!isVisible()) {
        m_fitPending = true;
        update();
        return;
    }
    m_view.SetSize(size());
    m_view.Fit(Extents());
    m_fitPending = false;
    update();
}

void DrawingCanvas::ZoomToBox(const QRectF& world)
{
    constexpr double kMarginShare = 0.25; // of the box's width and height, on each side
    constexpr double kLeastSide = 2.0;    // drawing units
    if (!std::isfinite(world.left()) || !std::isfinite(world.top()) || !std::isfinite(world.right()) ||
        !std::isfinite(world.bottom()))
        return; // a view at an infinite centre could never be panned back
    QRectF shown = world.normalized();
    const QPointF centre = shown.center();
    shown.setWidth(std::max(shown.width() * (1.0 + 2.0 * kMarginShare), kLeastSide));
    shown.setHeight(std::max(shown.height() * (1.0 + 2.0 * kMarginShare), kLeastSide));
    shown.moveCenter(centre);
    m_view.SetSize(size());
    m_view.Fit(shown);
    m_fitPending = false; // a first paint still to come must not fit the whole drawing over it
    update();
}

void DrawingCanvas::SetLevelVisible(host::LevelHandle level, bool visible)
{
    if (visible)
        m_hiddenLevels.erase(level.id);
    else
        m_hiddenLevels.insert(level.id);
    m_cacheValid = false;
    update();
}

void DrawingCanvas::SetHighlightedGroup(std::optional<host::NamedGroupHandle> group)
{
    m_highlightGroup = group;
    update();
}

void DrawingCanvas::DrawItem(QPainter& painter, const Item& item, const Viewport& view)
{
    const host::DrawingElement& e = *item.element;
    const Geometry& g = *item.geometry;
    const double s = view.Scale();
    if (e.kind == host::ElementKind::Text) {
        const double px = e.text.height * s;
        if (px < kMinTextPx || px > view.Size().height() * 4.0)
            return;
        painter.save();
        painter.resetTransform();
        painter.translate(view.ToScreen({e.text.origin.x, e.text.origin.y}));
        painter.rotate(-e.text.rotation * 180.0 / std::numbers::pi);
        QFont font = painter.font();
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(px))));
        painter.setFont(font);
        painter.setPen(ElementColor(*m_drawing, e));
        painter.drawText(QPointF(0.0, 0.0), QString::fromStdString(e.text.text));
        painter.restore();
        return;
    }
    painter.setPen(ElementPen(*m_drawing, e, s));
    if (g.box.width() * s < 1.0 && g.box.height() * s < 1.0)
        painter.drawPoint(g.box.center()); // level of detail: below a pixel an element is a dot
    else
        painter.drawPolyline(g.points);
}

void DrawingCanvas::Render(QPainter& painter, const Viewport& view)
{
    Sync();
    painter.save();
    painter.resetTransform();
    painter.fillRect(QRectF(QPointF(0, 0), view.Size()), kBackground);
    if (!m_drawing) {
        painter.restore();
        return;
    }
    painter.setTransform(WorldTransform(view));
    const QRectF visible = view.WorldRect();
    for (const Item& item : m_items) {
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->points.isEmpty() ||
            !Overlaps(item.geometry->box, visible))
            continue;
        DrawItem(painter, item, view);
    }
    painter.restore();
}

void DrawingCanvas::DrawOutline(QPainter& painter, uint64_t id, const QPen& pen)
{
    auto it = m_geometry.find(id);
    if (it == m_geometry.end())
        return;
    painter.setPen(pen);
    painter.drawPolyline(it->second.points);
}

void DrawingCanvas::PaintOverlay(QPainter& painter)
{
    painter.save();
    painter.setTransform(WorldTransform(m_view));
    if (m_highlightGroup) {
        QPen pen(kGroupColor, 3.0);
        pen.setCosmetic(true);
        for (const host::DrawingGroup& group : m_drawing->Groups())
            if (group.handle == *m_highlightGroup)
                for (const host::ElementId& id : group.members)
                    DrawOutline(painter, id.Value(), pen);
    }
    QPen selected(kSelectionColor, 2.0, Qt::DashLine);
    selected.setCosmetic(true);
    for (host::ElementHandle h : m_drawing->Selection())
        DrawOutline(painter, h.id, selected);
    if (m_tool == CanvasTool::DrawPath && !m_pathPoints.empty()) {
        std::vector<QPointF> points = m_pathPoints;
        points.push_back(m_view.ToWorld(m_pointer));
        const BulgedPolyline path = FilletedPolyline(points, m_filletRadius);
        host::DrawingElement preview;
        preview.kind = host::ElementKind::Polyline;
        preview.vertices = path.vertices;
        preview.bulges = path.bulges;
        QPen pen(kToolColor, 1.5);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPolyline(FlattenElement(preview));
    }
    painter.restore();
    if (m_dragging && m_dragButton == Qt::LeftButton && m_tool == CanvasTool::Select) {
        QPen pen(Qt::white, 1.0, Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(QColor(255, 255, 255, 30));
        painter.drawRect(QRectF(m_pressAt, m_pointer).normalized());
    }
}

void DrawingCanvas::paintEvent(QPaintEvent*)
{
    Sync();
    m_view.SetSize(size());
    if (m_fitPending && m_drawing) {
        m_view.Fit(Extents());
        m_fitPending = false;
    }
    const qreal dpr = devicePixelRatioF();
    if (!m_cacheValid || !(m_cacheView == m_view) || m_cache.size() != size() * dpr) {
        m_cache = QPixmap(size() * dpr);
        m_cache.setDevicePixelRatio(dpr);
        QPainter cachePainter(&m_cache);
        Render(cachePainter, m_view);
        m_cacheView = m_view;
        m_cacheValid = true;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
    if (m_drawing)
        PaintOverlay(painter);
}

void DrawingCanvas::resizeEvent(QResizeEvent*)
{
    m_view.SetSize(size());
    m_cacheValid = false;
}

void DrawingCanvas::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    m_view.SetSize(size());
    m_view.ZoomAt(event->position(), std::pow(kWheelZoomStep, notches));
    update();
    event->accept();
}

std::optional<host::ElementHandle> DrawingCanvas::PickAt(QPointF screen)
{
    Sync();
    if (!m_drawing)
        return std::nullopt;
    m_view.SetSize(size());
    const QPointF world = m_view.ToWorld(screen);
    const double tolerance = kPickTolerancePx / m_view.Scale();
    const QRectF near(world - QPointF(tolerance, tolerance), world + QPointF(tolerance, tolerance));
    std::optional<host::ElementHandle> best;
    double bestDistance = tolerance;
    for (const Item& item : m_items) {
        if (m_hiddenLevels.contains(item.element->level.id) || !Overlaps(item.geometry->box, near))
            continue;
        const QPolygonF& points = item.geometry->points;
        double d = DistanceToPolyline(world, points);
        if (item.element->kind == host::ElementKind::Text && points.containsPoint(world, Qt::OddEvenFill))
            d = 0.0;
        if (d <= bestDistance) {
            bestDistance = d;
            best = host::ElementHandle{item.element->id.Value()};
        }
    }
    return best;
}

std::vector<host::ElementHandle> DrawingCanvas::InsideWindow(const QRectF& screenWindow)
{
    Sync();
    std::vector<host::ElementHandle> inside;
    if (!m_drawing)
        return inside;
    m_view.SetSize(size());
    const QRectF world =
        QRectF(m_view.ToWorld(screenWindow.topLeft()), m_view.ToWorld(screenWindow.bottomRight()))
            .normalized();
    for (const Item& item : m_items) {
        const QRectF& b = item.geometry->box;
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->points.isEmpty())
            continue;
        if (b.left() >= world.left() && b.right() <= world.right() && b.top() >= world.top() &&
            b.bottom() <= world.bottom())
            inside.push_back({item.element->id.Value()});
    }
    return inside;
}

void DrawingCanvas::SelectAt(QPointF screen, bool add)
{
    if (!m_drawing)
        return;
    const auto hit = PickAt(screen);
    if (!add)
        m_drawing->UnselectAllElements();
    if (hit)
        m_drawing->Select(*hit);
    update();
    emit SelectionChanged();
}

void DrawingCanvas::SelectWindow(const QRectF& screenWindow, bool add)
{
    if (!m_drawing)
        return;
    const auto inside = InsideWindow(screenWindow);
    if (!add)
        m_drawing->UnselectAllElements();
    for (host::ElementHandle h : inside)
        m_drawing->Select(h);
    update();
    emit SelectionChanged();
}

void DrawingCanvas::SetTool(CanvasTool tool)
{
    m_tool = tool;
    if (tool != CanvasTool::DrawPath)
        m_pathPoints.clear();
    setCursor(tool == CanvasTool::Pan ? Qt::OpenHandCursor
                                      : (tool == CanvasTool::DrawPath ? Qt::CrossCursor : Qt::ArrowCursor));
    update();
}

void DrawingCanvas::AddPathPoint(QPointF world)
{
    m_pathPoints.push_back(world);
    update();
}

std::optional<host::ElementHandle> DrawingCanvas::FinishPath()
{
    const BulgedPolyline path = FilletedPolyline(m_pathPoints, m_filletRadius);
    m_pathPoints.clear();
    update();
    if (!m_drawing || path.vertices.size() < 2)
        return std::nullopt;
    host::DrawingElement element;
    element.kind = host::ElementKind::Polyline;
    element.vertices = path.vertices;
    element.bulges = path.bulges;
    element.level = m_pathLevel.value_or(m_drawing->DefaultLevel());
    const host::ElementHandle handle = m_drawing->AddNewElement(std::move(element));
    // The new path is selected at once, so Add path can take it without another click.
    m_drawing->UnselectAllElements();
    m_drawing->Select(handle);
    emit SelectionChanged();
    emit PathFinished(handle);
    return handle;
}

void DrawingCanvas::CancelPath()
{
    m_pathPoints.clear();
    update();
}

void DrawingCanvas::mousePressEvent(QMouseEvent* event)
{
    m_pressAt = m_lastDrag = m_pointer = event->position();
    m_dragButton = event->button();
    m_dragging = false;
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && m_tool == CanvasTool::Pan))
        setCursor(Qt::ClosedHandCursor);
}

void DrawingCanvas::mouseMoveEvent(QMouseEvent* event)
{
    m_pointer = event->position();
    m_view.SetSize(size());
    emit PointerMoved(m_view.ToWorld(m_pointer));
    if (m_dragButton != Qt::NoButton &&
        std::hypot(m_pointer.x() - m_pressAt.x(), m_pointer.y() - m_pressAt.y()) > kDragThresholdPx)
        m_dragging = true;
    const bool panning =
        m_dragButton == Qt::MiddleButton || (m_dragButton == Qt::LeftButton && m_tool == CanvasTool::Pan);
    if (panning && m_dragging) {
        m_view.Pan(m_pointer - m_lastDrag);
        m_lastDrag = m_pointer;
    }
    update();
}

void DrawingCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    m_pointer = event->position();
    const bool add = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    if (event->button() == Qt::LeftButton && m_dragButton == Qt::LeftButton) {
        if (m_tool == CanvasTool::Select) {
            if (m_dragging)
                SelectWindow(QRectF(m_pressAt, m_pointer).normalized(), add);
            else
                SelectAt(m_pointer, add);
        } else if (m_tool == CanvasTool::DrawPath && !m_dragging) {
            m_view.SetSize(size());
            AddPathPoint(m_view.ToWorld(m_pointer));
        }
    } else if (event->button() == Qt::RightButton && m_tool == CanvasTool::DrawPath && !m_dragging) {
        FinishPath();
    }
    m_dragButton = Qt::NoButton;
    m_dragging = false;
    SetTool(m_tool); // the cursor of the tool again after a pan
}

void DrawingCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The press of the double click has already added its point.
    if (event->button() == Qt::LeftButton && m_tool == CanvasTool::DrawPath)
        FinishPath();
}

void DrawingCanvas::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_tool == CanvasTool::DrawPath && !m_pathPoints.empty())
            CancelPath();
        else if (m_drawing) {
            m_drawing->UnselectAllElements();
            emit SelectionChanged();
            update();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_tool == CanvasTool::DrawPath)
            FinishPath();
        break;
    case Qt::Key_Backspace:
        if (!m_pathPoints.empty()) {
            m_pathPoints.pop_back();
            update();
        }
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace velrok::app
