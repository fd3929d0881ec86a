// Flattening, picking distances, colours, fillets and the viewport of the drawing window.
#include "app/drawing/DrawingGeometry.h"

#include "host/HostColors.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace velrok::app {

namespace {

constexpr double kSamePoint = 1e-12; // vertices closer than this are one vertex
constexpr double kStraight = 1e-9;   // a corner turning less than this (radians) gets no fillet
constexpr double kFitMargin = 1.05;  // zoom to fit leaves this much room around the drawing
constexpr double kTextWidthPerHeight = 0.6;

QPointF Xy(const Point3d& p)
{
    return {p.x, p.y};
}

double Length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

void AppendArc(QPolygonF& out, QPointF centre, double radius, double start, double sweep, bool withFirst)
{
    const int chords = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kMaxChordAngle)));
    for (int k = withFirst ? 0 : 1; k <= chords; ++k) {
        const double a = start + sweep * k / chords;
        out << QPointF(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    }
}

} // namespace

void AppendBulgeArc(QPolygonF& out, QPointF a, QPointF b, double bulge)
{
    const QPointF chord = b - a;
    const double c = Length(chord);
    if (std::abs(bulge) < kStraight || c < kSamePoint) {
        out << b;
        return;
    }
    // A positive bulge lies to the right of a->b; s is the signed sagitta, r the signed radius.
    const QPointF left(-chord.y() / c, chord.x() / c);
    const double s = bulge * c / 2.0;
    const double r = (c * c / 4.0 + s * s) / (2.0 * s);
    const QPointF centre = (a + b) / 2.0 + left * (r - s);
    const double start = std::atan2(a.y() - centre.y(), a.x() - centre.x());
    AppendArc(out, centre, std::abs(r), start, 4.0 * std::atan(bulge), false);
    out.back() = b; // the exact end, not one rounded through sin and cos
}

QPolygonF FlattenElement(const host::DrawingElement& element)
{
    using host::ElementKind;
    QPolygonF out;
    switch (element.kind) {
    case ElementKind::LineString:
    case ElementKind::Line:
    case ElementKind::Polyline: {
        const auto& v = element.vertices;
        if (v.empty())
            return out;
        out << Xy(v.front());
        const size_t segments = element.closed ? v.size() : v.size() - 1;
        for (size_t i = 0; i < segments; ++i) {
            const double bulge = i < element.extras->bulges.size() ? element.extras->bulges[i] : 0.0;
            AppendBulgeArc(out, Xy(v[i]), Xy(v[(i + 1) % v.size()]), bulge);
        }
        break;
    }
    case ElementKind::Arc:
    case ElementKind::Circle: {
        double sweep = element.arc->endAngle - element.arc->startAngle;
        if (element.kind == ElementKind::Circle)
            sweep = 2.0 * std::numbers::pi;
        while (sweep <= 0.0)
            sweep += 2.0 * std::numbers::pi;
        AppendArc(out, Xy(element.arc->centre), element.arc->radius, element.arc->startAngle, sweep, true);
        break;
    }
    case ElementKind::Spline:
    case ElementKind::Ellipse: {
        const host::PathCurve curve = host::CurveOf(element);
        const double length = curve.Length();
        for (int k = 0; k <= kCurveChords; ++k)
            out << Xy(curve.PointAtDistance(length * k / kCurveChords));
        break;
    }
    case ElementKind::Text:
    case ElementKind::Shown:
        break;
    }
    return out;
}

QPolygonF TextOutline(const host::TextData& text)
{
    const double w = kTextWidthPerHeight * text.height * static_cast<double>(text.text.size());
    const double h = text.height;
    const double c = std::cos(text.rotation), s = std::sin(text.rotation);
    const QPointF o = Xy(text.origin);
    QPolygonF box;
    for (QPointF p : {QPointF(0, 0), QPointF(w, 0), QPointF(w, h), QPointF(0, h), QPointF(0, 0)})
        box << o + QPointF(p.x() * c - p.y() * s, p.x() * s + p.y() * c);
    return box;
}

QPolygonF PiecePolygon(const host::ShownPiece& piece)
{
    QPolygonF out;
    out.reserve(static_cast<qsizetype>(piece.points.size()) + 1);
    for (const Point3d& p : piece.points)
        out << Xy(p);
    if (piece.closed && out.size() > 2 && out.front() != out.back())
        out << out.front();
    return out;
}

QPolygonF ShownTextOutline(const host::ShownText& text)
{
    size_t lines = 1, longest = 0, current = 0;
    for (unsigned char ch : text.text) {
        if (ch == '\n') {
            ++lines;
            current = 0;
        } else if ((ch & 0xC0) != 0x80) { // count characters, not UTF-8 continuation bytes
            longest = std::max(longest, ++current);
        }
    }
    const double h = text.height;
    const double w = kTextWidthPerHeight * h * static_cast<double>(longest);
    const double below = h * host::kShownTextLineSpacing * static_cast<double>(lines - 1);
    const double c = std::cos(text.rotation), s = std::sin(text.rotation);
    const QPointF o = Xy(text.origin);
    QPolygonF box;
    for (QPointF p :
         {QPointF(0, -below), QPointF(w, -below), QPointF(w, h), QPointF(0, h), QPointF(0, -below)})
        box << o + QPointF(p.x() * c - p.y() * s, p.x() * s + p.y() * c);
    return box;
}

QColor ShownColor(const host::InMemoryDrawing& drawing, const host::DrawingElement& element,
                  const std::string& layer, int aci)
{
    if (aci >= 1 && aci < host::kAciByLayer)
        return QColor(QString::fromStdString(host::AciRgb(aci)));
    if (const auto level = drawing.FindLevelByName(layer)) {
        const host::DrawingLevel& l = drawing.Level(*level);
        return QColor(
            QString::fromStdString(l.dxfColor != 0 ? host::AciRgb(l.dxfColor) : host::HostColorRgb(l.color)));
    }
    return ElementColor(drawing, element);
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0.0 ? QPointF::dotProduct(p - a, ab) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return Length(p - (a + ab * t));
}

double DistanceToPolyline(QPointF p, const QPolygonF& polyline)
{
    if (polyline.isEmpty())
        return std::numeric_limits<double>::infinity();
    double best = Length(p - polyline.front());
    for (qsizetype i = 1; i < polyline.size(); ++i)
        best = std::min(best, DistanceToSegment(p, polyline[i - 1], polyline[i]));
    return best;
}

QColor ElementColor(const host::InMemoryDrawing& drawing, const host::DrawingElement& element)
{
    int color = element.color;
    if (color == host::kColorByLevel) {
        const host::DrawingLevel& level = drawing.Level(element.level);
        if (level.dxfColor != 0)
            return QColor(QString::fromStdString(host::AciRgb(level.dxfColor)));
        color = level.color;
    } else if (element.dxfColor != 0) {
        return QColor(QString::fromStdString(host::AciRgb(element.dxfColor)));
    }
    return QColor(QString::fromStdString(host::HostColorRgb(color)));
}

BulgedPolyline FilletedPolyline(const std::vector<QPointF>& clicked, double radius)
{
    std::vector<QPointF> p;
    for (QPointF q : clicked)
        if (p.empty() || Length(q - p.back()) > kSamePoint)
            p.push_back(q);
    BulgedPolyline out;
    auto append = [&](QPointF q, double bulge) {
        if (!out.vertices.empty() && Length(q - Xy(out.vertices.back())) <= kSamePoint) {
            out.bulges.back() = bulge; // two fillets meeting half-way share their tangent point
            return;
        }
        out.vertices.push_back({q.x(), q.y(), 0.0});
        out.bulges.push_back(bulge);
    };
    if (p.size() < 2)
        return out;
    append(p.front(), 0.0);
    const size_t last = p.size() - 1;
    for (size_t i = 1; i < last; ++i) {
        const QPointF in = p[i] - p[i - 1], outDir = p[i + 1] - p[i];
        const double lenIn = Length(in), lenOut = Length(outDir);
        const QPointF dIn = in / lenIn, dOut = outDir / lenOut;
        const double turn =
            std::atan2(dIn.x() * dOut.y() - dIn.y() * dOut.x(), QPointF::dotProduct(dIn, dOut));
        if (radius <= 0.0 || std::abs(turn) < kStraight || std::abs(turn) > std::numbers::pi - kStraight) {
            append(p[i], 0.0);
            continue;
        }
        double t = radius * std::tan(std::abs(turn) / 2.0);
        t = std::min({t, lenIn * (i == 1 ? 1.0 : 0.5), lenOut * (i + 1 == last ? 1.0 : 0.5)});
        append(p[i] - dIn * t, std::tan(turn / 4.0));
        append(p[i] + dOut * t, 0.0);
    }
    append(p.back(), 0.0);
    return out;
}

QPointF Viewport::ToScreen(QPointF world) const
{
    return {(world.x() - m_centre.x()) * m_scale + m_size.width() / 2.0,
            m_size.height() / 2.0 - (world.y() - m_centre.y()) * m_scale};
}

QPointF Viewport::ToWorld(QPointF screen) const
{
    return {m_centre.x() + (screen.x() - m_size.width() / 2.0) / m_scale,
            m_centre.y() + (m_size.height() / 2.0 - screen.y()) / m_scale};
}

QRectF Viewport::WorldRect() const
{
    const QPointF a = ToWorld({0.0, m_size.height()}), b = ToWorld({m_size.width(), 0.0});
    return QRectF(a, b).normalized();
}

void Viewport::ZoomAt(QPointF screen, double factor)
{
    const QPointF world = ToWorld(screen);
    m_scale = std::clamp(m_scale * factor, kMinScale, kMaxScale);
    m_centre = {world.x() - (screen.x() - m_size.width() / 2.0) / m_scale,
                world.y() - (m_size.height() / 2.0 - screen.y()) / m_scale};
}

void Viewport::Pan(QPointF screenDelta)
{
    m_centre += QPointF(-screenDelta.x() / m_scale, screenDelta.y() / m_scale);
}

void Viewport::Fit(const QRectF& bounds)
{
    m_centre = bounds.center();
    const double w = bounds.width() * kFitMargin, h = bounds.height() * kFitMargin;
    double scale = 1.0;
    if (w > 0.0 && h > 0.0)
        scale = std::min(m_size.width() / w, m_size.height() / h);
    else if (w > 0.0)
        scale = m_size.width() / w;
    else if (h > 0.0)
        scale = m_size.height() / h;
    m_scale = std::clamp(scale, kMinScale, kMaxScale);
}

} // namespace velrok::app
