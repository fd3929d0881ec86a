// Painting the taken path's start ring and direction arrow over the canvas.
#include "app/drawing/PathMarkerOverlay.h"

#include "app/drawing/DrawingCanvas.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace velrok::app {

namespace {

// Bright enough to stand out from every level colour on the dark background.
const QColor kMarkerColor(255, 128, 0);

} // namespace

MarkerScreenShape MarkerShapeOnScreen(const host::PathMarker& marker, const Viewport& view)
{
    MarkerScreenShape shape;
    const QPointF start(marker.start.x, marker.start.y);
    shape.start = view.ToScreen(start);
    shape.tip = shape.start;
    // The direction on screen, whatever the scale and the flipped y axis make of it.
    const QPointF ahead = view.ToScreen(start + QPointF(marker.direction.x, marker.direction.y));
    const QPointF d = ahead - shape.start;
    const double norm = std::hypot(d.x(), d.y());
    if (norm <= 0.0)
        return shape;
    const QPointF unit = d / norm;
    const QPointF normal(-unit.y(), unit.x());
    shape.tip = shape.start + unit * kMarkerArrowLengthPx;
    const QPointF base = shape.tip - unit * kMarkerHeadLengthPx;
    shape.head << shape.tip << base + normal * kMarkerHeadHalfWidthPx
               << base - normal * kMarkerHeadHalfWidthPx;
    return shape;
}

PathMarkerOverlay::PathMarkerOverlay(DrawingCanvas* canvas) : QWidget(canvas), m_canvas(canvas)
{
    setObjectName("PathMarkerOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(canvas->rect());
    canvas->installEventFilter(this);
    hide();
}

void PathMarkerOverlay::SetMarker(std::optional<host::PathMarker> marker)
{
    m_marker = marker;
    setVisible(m_marker.has_value());
    if (m_marker) {
        raise();
        update();
    }
}

bool PathMarkerOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize)
        setGeometry(m_canvas->rect());
    return QWidget::eventFilter(watched, event);
}

void PathMarkerOverlay::paintEvent(QPaintEvent*)
{
    if (!m_marker)
        return;
    const MarkerScreenShape shape = MarkerShapeOnScreen(*m_marker, m_canvas->View());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kMarkerColor, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(shape.start, shape.ringRadius, shape.ringRadius);
    if (shape.head.isEmpty())
        return;
    painter.drawLine(shape.start, shape.tip);
    painter.setBrush(kMarkerColor);
    painter.drawPolygon(shape.head);
}

} // namespace velrok::app
