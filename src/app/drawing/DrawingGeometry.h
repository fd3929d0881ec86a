// Plain geometry of the drawing window: elements flattened to polylines for painting and picking,
// the world-to-screen viewport, and the path tool's bulged polyline with arc fillets.
#pragma once

#include "host/InMemoryDrawing.h"

#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>

#include <vector>

namespace velrok::app {

// Largest angle one flattened chord may span (radians), and chords per spline or ellipse.
inline constexpr double kMaxChordAngle = 0.05;
inline constexpr int kCurveChords = 96;
// Scale limits of the viewport (pixels per drawing unit).
inline constexpr double kMinScale = 1e-6;
inline constexpr double kMaxScale = 1e6;

// An element flattened into one open or closed polyline in drawing units; texts give none.
QPolygonF FlattenElement(const host::DrawingElement& element);
// The points of one bulged segment from a to b (b included, a not), as DXF bulges define it:
// bulge = tan(sweep / 4), positive counter-clockwise.
void AppendBulgeArc(QPolygonF& out, QPointF a, QPointF b, double bulge);
// The corners of a text's box in drawing units (an estimate: 0.6 height per character).
QPolygonF TextOutline(const host::TextData& text);

// A piece of a Shown element as a polyline; a closed piece ends where it began.
QPolygonF PiecePolygon(const host::ShownPiece& piece);
// The box of a Shown text, all its lines, in drawing units (the same estimate as TextOutline).
QPolygonF ShownTextOutline(const host::ShownText& text);
// The colour a piece or text of a Shown element is drawn in: its colour index, or for BYLAYER the
// colour of the level of its layer's name, or the element's own colour when there is no such level.
QColor ShownColor(const host::InMemoryDrawing& drawing, const host::DrawingElement& element,
                  const std::string& layer, int aci);

double DistanceToSegment(QPointF p, QPointF a, QPointF b);
double DistanceToPolyline(QPointF p, const QPolygonF& polyline);

// The colour an element is shown in: its own or its level's host colour, or the AutoCAD colour
// index it was read with when the host table has none.
QColor ElementColor(const host::InMemoryDrawing& drawing, const host::DrawingElement& element);

// A polyline through the clicked points with an arc of the given radius at every corner, as DXF
// vertices with bulges. Where two corners compete for a short segment each gets half of it and its
// radius shrinks to fit; a radius of 0 gives plain corners.
struct BulgedPolyline {
    std::vector<Point3d> vertices;
    std::vector<double> bulges;
};
BulgedPolyline FilletedPolyline(const std::vector<QPointF>& points, double radius);

// Drawing units to pixels: x to the right, y upwards, `centre` in the middle of the widget.
class Viewport {
  public:
    QPointF ToScreen(QPointF world) const;
    QPointF ToWorld(QPointF screen) const;
    QRectF WorldRect() const; // the part of the drawing the widget shows
    // Zooms by `factor` keeping the drawing point under `screen` where it is.
    void ZoomAt(QPointF screen, double factor);
    void Pan(QPointF screenDelta);
    // Shows `bounds` whole with a margin; an empty or degenerate box is centred at scale 1.
    void Fit(const QRectF& bounds);
    void SetSize(QSizeF size) { m_size = size; }
    QSizeF Size() const { return m_size; }
    double Scale() const { return m_scale; }
    QPointF Centre() const { return m_centre; }
    friend bool operator==(const Viewport&, const Viewport&) = default;

  private:
    QSizeF m_size{1.0, 1.0};
    QPointF m_centre{0.0, 0.0};
    double m_scale = 1.0;
};

} // namespace velrok::app
