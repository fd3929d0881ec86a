// Painting and picking of the drawing view; its mouse and keyboard tools are in DrawingCanvasInput.cpp.
#include "app/drawing/DrawingCanvas.h"

#include <QPainter>
#include <QPainterPath>

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
constexpr double kDotPx = 3.0;            // a point's size on screen
constexpr int kFillAlpha = 110;           // solid hatches and solids are shaded, so what lies below shows
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
    if (element.kind == host::ElementKind::Shown) {
        for (const host::ShownPiece& piece : element.extras->shown.pieces)
            g.parts.push_back({PiecePolygon(piece), piece.filled});
        for (const host::ShownText& text : element.extras->shown.texts)
            g.parts.push_back({ShownTextOutline(text), true});
        // By hand: a dot's box has no size, and QRectF::united would leave it out.
        bool any = false;
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        for (const Part& part : g.parts)
            for (QPointF p : part.polygon) {
                x0 = any ? std::min(x0, p.x()) : p.x();
                y0 = any ? std::min(y0, p.y()) : p.y();
                x1 = any ? std::max(x1, p.x()) : p.x();
                y1 = any ? std::max(y1, p.y()) : p.y();
                any = true;
            }
        g.box = QRectF(QPointF(x0, y0), QPointF(x1, y1));
    } else {
        g.points =
            element.kind == host::ElementKind::Text ? TextOutline(element.extras->text) : FlattenElement(element);
        g.box = g.points.boundingRect();
    }
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
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->Empty())
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

// A text at its baseline origin, lines after a '\n' below the first; too small or too large to
// read at this scale, it is left out.
static void DrawText(QPainter& painter, const Viewport& view, const std::string& text, const Point3d& origin,
                     double height, double rotation, const QColor& color)
{
    const double px = height * view.Scale();
    if (px < kMinTextPx || px > view.Size().height() * 4.0)
        return;
    painter.save();
    painter.resetTransform();
    painter.translate(view.ToScreen({origin.x, origin.y}));
    painter.rotate(-rotation * 180.0 / std::numbers::pi);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(px))));
    painter.setFont(font);
    painter.setPen(color);
    const QStringList lines = QString::fromStdString(text).split(QChar('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(0.0, px * host::kShownTextLineSpacing * static_cast<double>(i)), lines[i]);
    painter.restore();
}

bool DrawingCanvas::IsLayerHidden(const std::string& layer) const
{
    if (m_hiddenLevels.empty())
        return false;
    const auto level = m_drawing->FindLevelByName(layer);
    return level && m_hiddenLevels.contains(level->id);
}

void DrawingCanvas::DrawShown(QPainter& painter, const Item& item, const Viewport& view)
{
    const host::DrawingElement& e = *item.element;
    const Geometry& g = *item.geometry;
    const double s = view.Scale();
    QPen pen = ElementPen(*m_drawing, e, s);
    const size_t pieces = e.extras->shown.pieces.size();
    for (size_t i = 0; i < g.parts.size(); ++i) {
        if (i >= pieces) {
            const host::ShownText& t = e.extras->shown.texts[i - pieces];
            if (!IsLayerHidden(t.layer))
                DrawText(painter, view, t.text, t.origin, t.height, t.rotation,
                         ShownColor(*m_drawing, e, t.layer, t.aci));
            continue;
        }
        const host::ShownPiece& piece = e.extras->shown.pieces[i];
        if (IsLayerHidden(piece.layer))
            continue;
        const QColor color = ShownColor(*m_drawing, e, piece.layer, piece.aci);
        pen.setColor(color);
        painter.setPen(pen);
        const QPolygonF& polygon = g.parts[i].polygon;
        if (piece.filled && polygon.size() > 2) {
            QColor shade = color;
            shade.setAlpha(kFillAlpha);
            painter.setBrush(shade);
            painter.drawPolygon(polygon);
            painter.setBrush(Qt::NoBrush);
        } else if (const QRectF b = polygon.boundingRect(); b.width() * s < 1.0 && b.height() * s < 1.0) {
            // A point (or anything smaller than a pixel) is a dot a few pixels wide.
            QPen dot = pen;
            dot.setWidthF(std::max(pen.widthF(), kDotPx));
            dot.setCapStyle(Qt::RoundCap);
            painter.setPen(dot);
            painter.drawPoint(polygon.front());
        } else {
            painter.drawPolyline(polygon);
        }
    }
}

void DrawingCanvas::DrawItem(QPainter& painter, const Item& item, const Viewport& view)
{
    const host::DrawingElement& e = *item.element;
    const Geometry& g = *item.geometry;
    const double s = view.Scale();
    if (e.kind == host::ElementKind::Text) {
        DrawText(painter, view, e.extras->text.text, e.extras->text.origin, e.extras->text.height, e.extras->text.rotation,
                 ElementColor(*m_drawing, e));
        return;
    }
    if (g.box.width() * s < 1.0 && g.box.height() * s < 1.0) {
        painter.setPen(ElementPen(*m_drawing, e, s));
        painter.drawPoint(g.box.center()); // level of detail: below a pixel an element is a dot
    } else if (e.kind == host::ElementKind::Shown) {
        DrawShown(painter, item, view);
    } else {
        painter.setPen(ElementPen(*m_drawing, e, s));
        painter.drawPolyline(g.points);
    }
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
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->Empty() ||
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
    for (const Part& part : it->second.parts)
        painter.drawPolyline(part.polygon);
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
        preview.extras->bulges = path.bulges;
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
        for (const Part& part : item.geometry->parts) {
            d = std::min(d, DistanceToPolyline(world, part.polygon));
            if (part.area && part.polygon.containsPoint(world, Qt::OddEvenFill))
                d = 0.0;
        }
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
        if (m_hiddenLevels.contains(item.element->level.id) || item.geometry->Empty())
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

} // namespace velrok::app
