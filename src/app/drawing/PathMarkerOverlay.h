// The mark of the taken path over the drawing canvas: a ring at the path's start and an arrow the
// way it leaves. It is painted over the canvas in screen pixels, so it reads at every zoom, and it
// is no element of the drawing: it is never saved and never changes the drawing's revision.
#pragma once

#include "app/drawing/DrawingGeometry.h"
#include "host/PathAcquisition.h"

#include <QPolygonF>
#include <QWidget>

#include <optional>

namespace velrok::app {

class DrawingCanvas;

inline constexpr double kMarkerRingRadiusPx = 7.0;
inline constexpr double kMarkerArrowLengthPx = 45.0;
inline constexpr double kMarkerHeadLengthPx = 12.0;
inline constexpr double kMarkerHeadHalfWidthPx = 6.0;

// The mark on screen: ring centre and radius, the arrow's shaft from the start to `tip`, and its
// head (three points, the first at the tip). Without a direction the shaft has no length and the
// head is empty.
struct MarkerScreenShape {
    QPointF start;
    double ringRadius = kMarkerRingRadiusPx;
    QPointF tip;
    QPolygonF head;
};
MarkerScreenShape MarkerShapeOnScreen(const host::PathMarker& marker, const Viewport& view);

class PathMarkerOverlay : public QWidget {
    Q_OBJECT
  public:
    // Lies over the whole canvas and lets every mouse event through to it.
    explicit PathMarkerOverlay(DrawingCanvas* canvas);

    void SetMarker(std::optional<host::PathMarker> marker);
    const std::optional<host::PathMarker>& Marker() const { return m_marker; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    DrawingCanvas* m_canvas;
    std::optional<host::PathMarker> m_marker;
};

} // namespace velrok::app
