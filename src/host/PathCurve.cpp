// Arc-length parametrisation of path elements.
#include "host/PathCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace velrok::host {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kStraightBulge = 1e-12; // a bulge this small is a straight segment
constexpr double kAngleSlack = 1e-6;      // radians; see CcwSweep

// 8-point Gauss-Legendre on [-1, 1].
constexpr double kGaussNodes[8] = {-0.9602898564975363, -0.7966664774136267, -0.5255324099163290,
                                   -0.1834346424956498, 0.1834346424956498,  0.5255324099163290,
                                   0.7966664774136267,  0.9602898564975363};
constexpr double kGaussWeights[8] = {0.1012285362903763, 0.2223810344533745, 0.3137066458778873,
                                     0.3626837833783620, 0.3626837833783620, 0.3137066458778873,
                                     0.2223810344533745, 0.1012285362903763};

Point3d Lerp(const Point3d& a, const Point3d& b, double f)
{
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
}

double Dist(const Point3d& a, const Point3d& b)
{
    return std::hypot(b.x - a.x, b.y - a.y, b.z - a.z);
}

Point3d Cross(const Point3d& a, const Point3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool Finite(const Point3d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Largest coordinate magnitude; used to check that centre plus radius cannot overflow.
double Extent(const Point3d& p)
{
    return std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)});
}

[[noreturn]] void RefuseCurve(const char* what)
{
    throw std::invalid_argument(what);
}

// An angle reduced to at most one turn in magnitude. Angles already below a turn are kept bit for
// bit; larger ones go through sine and cosine, whose argument reduction is exact even at 1e300
// (fmod by the rounded 2 pi drifts there).
double ReduceAngle(double angle)
{
    if (std::abs(angle) < kTwoPi)
        return angle;
    return std::atan2(std::sin(angle), std::cos(angle));
}

// Counter-clockwise sweep from start to end, in (0, 2 pi]. Equal angles make a full turn, and so
// does an end that is start + 2 pi up to the rounding of that sum (the slack, at most kAngleSlack).
double CcwSweep(double start, double end)
{
    const double scale = std::max({std::abs(start), std::abs(end), kTwoPi});
    const double slack = std::min(8.0 * std::numeric_limits<double>::epsilon() * scale, kAngleSlack);
    // Each reduced angle lies within a turn of 0 but not always on the same side: their difference
    // is brought within one turn again.
    double sweep = std::fmod(ReduceAngle(end) - ReduceAngle(start), kTwoPi);
    if (sweep <= slack)
        sweep += kTwoPi;
    if (sweep > kTwoPi - slack)
        sweep = kTwoPi;
    return sweep;
}

// Index of the knot span holding t, limited to the spline's domain [knots[p], knots[n+1]]: the
// result is always in [p, n], so the de Boor step reads control points 0 .. n only, whatever t is
// (a NaN parameter gives the first span).
int FindSpan(const SplineData& s, double t)
{
    const int n = static_cast<int>(s.controlPoints.size()) - 1;
    const int p = s.degree;
    if (t >= s.knots[n + 1])
        return std::max(p, n);
    if (!(t > s.knots[p]))
        return p;
    auto it = std::upper_bound(s.knots.begin() + p, s.knots.begin() + n + 2, t);
    return std::clamp(static_cast<int>(it - s.knots.begin()) - 1, p, std::max(p, n));
}

// The polynomial (or rational) piece of one knot span, also usable slightly outside it so that
// finite differences at a span end stay on that span's curve.
Point3d EvaluateInSpan(const SplineData& s, double t, int span)
{
    const int p = s.degree;
    double hx[16], hy[16], hz[16], hw[16];
    for (int j = 0; j <= p; ++j) {
        const int i = span - p + j;
        const double w = s.weights.empty() ? 1.0 : s.weights[i];
        hx[j] = s.controlPoints[i].x * w;
        hy[j] = s.controlPoints[i].y * w;
        hz[j] = s.controlPoints[i].z * w;
        hw[j] = w;
    }
    for (int r = 1; r <= p; ++r) {
        for (int j = p; j >= r; --j) {
            const int i = span - p + j;
            const double denom = s.knots[i + p - r + 1] - s.knots[i];
            const double a = denom == 0.0 ? 0.0 : (t - s.knots[i]) / denom;
            hx[j] = (1.0 - a) * hx[j - 1] + a * hx[j];
            hy[j] = (1.0 - a) * hy[j - 1] + a * hy[j];
            hz[j] = (1.0 - a) * hz[j - 1] + a * hz[j];
            hw[j] = (1.0 - a) * hw[j - 1] + a * hw[j];
        }
    }
    return {hx[p] / hw[p], hy[p] / hw[p], hz[p] / hw[p]};
}

// B-spline basis functions of degree p that are non-zero at t in the given span.
void BasisFunctions(int span, double t, int p, const std::vector<double>& knots, double* out)
{
    double left[16], right[16];
    out[0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double denom = right[r + 1] + left[j - r];
            const double temp = denom == 0.0 ? 0.0 : out[r] / denom;
            out[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        out[j] = saved;
    }
}

} // namespace

bool SplineData::IsValid() const
{
    const size_t n = controlPoints.size();
    if (degree < 1 || degree > 15 || n < static_cast<size_t>(degree) + 1)
        return false;
    if (knots.size() != n + static_cast<size_t>(degree) + 1)
        return false;
    if (!weights.empty() && weights.size() != n)
        return false;
    // Weights only matter relative to each other; bounding them keeps the blended weight from
    // underflowing to 0 and the homogeneous coordinates (point times weight) from overflowing.
    for (size_t i = 0; i < n; ++i) {
        const double w = weights.empty() ? 1.0 : weights[i];
        if (!(w >= kMinSplineWeight && w <= kMaxSplineWeight))
            return false;
        const Point3d& c = controlPoints[i];
        if (!Finite(c) || !Finite({c.x * w, c.y * w, c.z * w}))
            return false;
    }
    for (double k : knots)
        if (!std::isfinite(k))
            return false;
    for (size_t i = 1; i < knots.size(); ++i)
        if (!(knots[i] >= knots[i - 1]))
            return false;
    // Knot differences are the denominators of every blend: their whole range must be a number.
    if (!std::isfinite(knots.back() - knots.front()))
        return false;
    return knots[n] > knots[static_cast<size_t>(degree)];
}

Point3d SplineData::Evaluate(double t) const
{
    // Outside its domain the curve ends: the span polynomials are not extrapolated.
    const double first = knots[static_cast<size_t>(degree)], last = knots[controlPoints.size()];
    t = std::isnan(t) ? first : std::clamp(t, first, last);
    return EvaluateInSpan(*this, t, FindSpan(*this, t));
}

bool InterpolateFitPoints(SplineData& spline)
{
    std::vector<Point3d> q;
    for (const Point3d& p : spline.fitPoints) {
        if (!Finite(p))
            return false;
        if (q.empty() || Dist(q.back(), p) > 0.0)
            q.push_back(p);
    }
    if (q.size() < 2)
        return false;
    const int n = static_cast<int>(q.size()) - 1;
    const int p = std::min(3, n);
    std::vector<double> u(q.size(), 0.0);
    double total = 0.0;
    for (int k = 1; k <= n; ++k)
        total += Dist(q[k - 1], q[k]);
    if (!std::isfinite(total))
        return false;
    for (int k = 1; k < n; ++k)
        u[k] = u[k - 1] + Dist(q[k - 1], q[k]) / total;
    u[n] = 1.0;

    std::vector<double> knots(static_cast<size_t>(n + p + 2), 0.0);
    for (int j = 0; j <= p; ++j)
        knots[static_cast<size_t>(n + 1 + j)] = 1.0;
    for (int j = 1; j <= n - p; ++j) {
        double sum = 0.0;
        for (int i = j; i < j + p; ++i)
            sum += u[i];
        knots[static_cast<size_t>(j + p)] = sum / p;
    }

    // The collocation matrix is banded and totally positive: elimination without pivoting is stable,
    // and only the band (columns row - p .. row + 2p) is stored, so long fit-point lists stay cheap.
    const int size = n + 1;
    const int width = 3 * p + 1;
    std::vector<double> band(static_cast<size_t>(size) * width, 0.0);
    auto at = [&](int row, int col) -> double& {
        return band[static_cast<size_t>(row) * width + (col - row + p)];
    };
    std::vector<Point3d> rhs = q;
    SplineData probe;
    probe.degree = p;
    probe.knots = knots;
    probe.controlPoints.resize(size);
    for (int k = 0; k <= n; ++k) {
        const int span = FindSpan(probe, u[k]);
        double basis[16];
        BasisFunctions(span, u[k], p, knots, basis);
        for (int j = 0; j <= p; ++j) {
            const int col = span - p + j;
            if (col - k < -p || col - k > 2 * p)
                return false;
            at(k, col) = basis[j];
        }
    }
    for (int col = 0; col < size; ++col) {
        const double pivot = at(col, col);
        if (std::abs(pivot) < 1e-300)
            return false;
        for (int row = col + 1; row < std::min(size, col + p + 1); ++row) {
            const double f = at(row, col) / pivot;
            if (f == 0.0)
                continue;
            for (int c = col; c < std::min(size, col + 2 * p + 1); ++c)
                at(row, c) -= f * at(col, c);
            rhs[row] = {rhs[row].x - f * rhs[col].x, rhs[row].y - f * rhs[col].y,
                        rhs[row].z - f * rhs[col].z};
        }
    }
    std::vector<Point3d> ctrl(size);
    for (int row = size - 1; row >= 0; --row) {
        Point3d acc = rhs[row];
        for (int c = row + 1; c < std::min(size, row + 2 * p + 1); ++c)
            acc = {acc.x - at(row, c) * ctrl[c].x, acc.y - at(row, c) * ctrl[c].y,
                   acc.z - at(row, c) * ctrl[c].z};
        ctrl[row] = {acc.x / at(row, row), acc.y / at(row, row), acc.z / at(row, row)};
        if (!Finite(ctrl[row]))
            return false;
    }
    spline.degree = p;
    spline.knots = std::move(knots);
    spline.controlPoints = std::move(ctrl);
    spline.weights.clear();
    return true;
}

Point3d EllipseData::MinorAxis() const
{
    const Point3d m = Cross(normal, majorAxis);
    return {m.x * ratio, m.y * ratio, m.z * ratio};
}

Point3d EllipseData::PointAt(double t) const
{
    const Point3d minor = MinorAxis();
    const double c = std::cos(t), s = std::sin(t);
    return {centre.x + c * majorAxis.x + s * minor.x, centre.y + c * majorAxis.y + s * minor.y,
            centre.z + c * majorAxis.z + s * minor.z};
}

void PathCurve::AddPiece(const Piece& piece, double length)
{
    m_pieces.push_back(piece);
    m_cumulative.push_back(Length() + length);
}

void PathCurve::RequireFiniteLength() const
{
    if (!std::isfinite(Length()))
        RefuseCurve("path element whose length is not a finite number");
}

PathCurve PathCurve::FromVertices(const std::vector<Point3d>& vertices, const std::vector<double>& bulges,
                                  bool closed)
{
    PathCurve curve;
    for (const Point3d& v : vertices)
        if (!Finite(v))
            RefuseCurve("path vertex that is not a finite number");
    for (double b : bulges)
        if (!std::isfinite(b))
            RefuseCurve("polyline bulge that is not a finite number");
    const size_t n = vertices.size();
    const size_t segments = closed ? n : (n == 0 ? 0 : n - 1);
    for (size_t i = 0; i < segments; ++i) {
        const Point3d& v0 = vertices[i];
        const Point3d& v1 = vertices[(i + 1) % n];
        const double bulge = i < bulges.size() ? bulges[i] : 0.0;
        const double chord = std::hypot(v1.x - v0.x, v1.y - v0.y);
        Piece piece;
        if (std::abs(bulge) < kStraightBulge || chord == 0.0) {
            piece.kind = PieceKind::Line;
            piece.a = v0;
            piece.b = v1;
            curve.AddPiece(piece, Dist(v0, v1));
            continue;
        }
        // A bulge is tan(sweep / 4); the centre lies left of the chord for a counter-clockwise arc.
        const double sweep = 4.0 * std::atan(bulge);
        const double offset = chord * (1.0 - bulge * bulge) / (4.0 * bulge);
        const double nx = -(v1.y - v0.y) / chord, ny = (v1.x - v0.x) / chord;
        piece.kind = PieceKind::Arc;
        piece.centre = {(v0.x + v1.x) / 2.0 + nx * offset, (v0.y + v1.y) / 2.0 + ny * offset, v0.z};
        piece.radius = std::hypot(v0.x - piece.centre.x, v0.y - piece.centre.y);
        piece.startAngle = std::atan2(v0.y - piece.centre.y, v0.x - piece.centre.x);
        piece.sweep = sweep;
        piece.a = v0;
        piece.b = v1;
        // A bulge so large that its circle leaves the range of numbers (b^2 overflows) is no path.
        if (!Finite(piece.centre) || !std::isfinite(Extent(piece.centre) + piece.radius))
            RefuseCurve("polyline bulge whose arc is beyond the range of numbers");
        curve.AddPiece(piece, piece.radius * std::abs(sweep));
    }
    curve.RequireFiniteLength();
    return curve;
}

PathCurve PathCurve::FromArc(const Point3d& centre, double radius, double startAngle, double endAngle)
{
    if (!Finite(centre) || !(radius > 0.0) || !std::isfinite(Extent(centre) + radius) ||
        !std::isfinite(startAngle) || !std::isfinite(endAngle))
        RefuseCurve("arc with a centre, radius or angle that is not a usable number");
    PathCurve curve;
    Piece piece;
    piece.kind = PieceKind::Arc;
    piece.centre = centre;
    piece.radius = radius;
    piece.startAngle = ReduceAngle(startAngle);
    piece.sweep = CcwSweep(startAngle, endAngle);
    curve.AddPiece(piece, radius * piece.sweep);
    curve.RequireFiniteLength();
    return curve;
}

void PathCurve::AddParamPieces(PieceKind kind, double t0, double t1, int count)
{
    for (int i = 0; i < count; ++i) {
        Piece piece;
        piece.kind = kind;
        piece.t0 = t0 + (t1 - t0) * i / count;
        piece.t1 = i + 1 == count ? t1 : t0 + (t1 - t0) * (i + 1) / count;
        AddPiece(piece, ParamLength(piece, piece.t0, piece.t1));
    }
}

PathCurve PathCurve::FromSpline(const SplineData& spline)
{
    if (!spline.IsValid())
        throw std::invalid_argument("spline with inconsistent degree, knots, weights or control points");
    PathCurve curve;
    curve.m_spline = spline;
    const int n = static_cast<int>(spline.controlPoints.size()) - 1;
    // Long splines have short spans, each smooth enough for fewer sub-intervals.
    const int subdivisions = std::clamp(4000 / std::max(1, n), 2, kCurveSubdivisionsPerSpan);
    for (int span = spline.degree; span <= n; ++span) {
        if (spline.knots[span + 1] > spline.knots[span])
            curve.AddParamPieces(PieceKind::Spline, spline.knots[span], spline.knots[span + 1], subdivisions);
    }
    curve.RequireFiniteLength();
    return curve;
}

PathCurve PathCurve::FromEllipse(const EllipseData& ellipse)
{
    const Point3d minor = ellipse.MinorAxis();
    if (!Finite(ellipse.centre) || !Finite(ellipse.majorAxis) || !Finite(ellipse.normal) || !Finite(minor) ||
        !std::isfinite(Extent(ellipse.centre) + Extent(ellipse.majorAxis) + Extent(minor)) ||
        !std::isfinite(ellipse.startParam) || !std::isfinite(ellipse.endParam))
        RefuseCurve("ellipse with a centre, axis or parameter that is not a usable number");
    PathCurve curve;
    curve.m_ellipse = ellipse;
    // At most one turn, in at most kEllipsePiecesPerTurn pieces, however large the parameters are.
    const double start = ReduceAngle(ellipse.startParam);
    const double sweep = CcwSweep(ellipse.startParam, ellipse.endParam);
    const int count = std::clamp(static_cast<int>(std::ceil(sweep / kTwoPi * kEllipsePiecesPerTurn)), 1,
                                 kEllipsePiecesPerTurn);
    curve.AddParamPieces(PieceKind::Ellipse, start, start + sweep, count);
    curve.RequireFiniteLength();
    return curve;
}

Point3d PathCurve::ParamPoint(const Piece& piece, double t) const
{
    if (piece.kind == PieceKind::Ellipse)
        return m_ellipse.PointAt(t);
    return EvaluateInSpan(m_spline, t, FindSpan(m_spline, 0.5 * (piece.t0 + piece.t1)));
}

double PathCurve::ParamSpeed(const Piece& piece, double t) const
{
    if (piece.kind == PieceKind::Ellipse) {
        const Point3d minor = m_ellipse.MinorAxis();
        const Point3d& major = m_ellipse.majorAxis;
        const double s = -std::sin(t), c = std::cos(t);
        return std::hypot(s * major.x + c * minor.x, s * major.y + c * minor.y, s * major.z + c * minor.z);
    }
    // Central difference on the span's own polynomial: smooth, so the error is of order h^2.
    const int span = FindSpan(m_spline, 0.5 * (piece.t0 + piece.t1));
    // The step stays above the parameter's own rounding, so a narrow span far from 0 (or one of
    // subnormal width) still gives a difference, not 0 / 0.
    const double h = std::max(1e-6 * (m_spline.knots[span + 1] - m_spline.knots[span]),
                              64.0 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::abs(t)));
    // Divided by the step the rounded parameters really make, not by the nominal 2h.
    const double tm = t - h, tp = t + h;
    const Point3d p0 = EvaluateInSpan(m_spline, tm, span);
    const Point3d p1 = EvaluateInSpan(m_spline, tp, span);
    return Dist(p0, p1) / (tp - tm);
}

double PathCurve::ParamLength(const Piece& piece, double ta, double tb) const
{
    const double half = 0.5 * (tb - ta), mid = 0.5 * (ta + tb);
    double sum = 0.0;
    for (int i = 0; i < 8; ++i)
        sum += kGaussWeights[i] * ParamSpeed(piece, mid + half * kGaussNodes[i]);
    return sum * half;
}

Point3d PathCurve::PointAtDistance(double distance) const
{
    if (m_pieces.empty())
        return {};
    distance = std::isnan(distance) ? 0.0 : std::clamp(distance, 0.0, Length());
    size_t index = static_cast<size_t>(std::upper_bound(m_cumulative.begin(), m_cumulative.end(), distance) -
                                       m_cumulative.begin());
    if (index >= m_pieces.size())
        index = m_pieces.size() - 1;
    const Piece& piece = m_pieces[index];
    const double start = index == 0 ? 0.0 : m_cumulative[index - 1];
    const double pieceLength = m_cumulative[index] - start;
    const double local = std::clamp(distance - start, 0.0, pieceLength);

    switch (piece.kind) {
    case PieceKind::Line:
        return pieceLength == 0.0 ? piece.a : Lerp(piece.a, piece.b, local / pieceLength);
    case PieceKind::Arc: {
        const double angle = piece.startAngle + (piece.sweep < 0.0 ? -1.0 : 1.0) * local / piece.radius;
        return {piece.centre.x + piece.radius * std::cos(angle),
                piece.centre.y + piece.radius * std::sin(angle), piece.centre.z};
    }
    case PieceKind::Spline:
    case PieceKind::Ellipse:
        break;
    }
    // Newton on s(t) = local with a bisection bracket so it cannot leave the piece.
    double lo = piece.t0, hi = piece.t1;
    // The fraction first: length times parameter width can overflow where their ratio does not.
    double t = pieceLength > 0.0 ? piece.t0 + (piece.t1 - piece.t0) * (local / pieceLength) : piece.t0;
    const double tolerance = kCurveDistanceTolerance * std::max(1.0, Length());
    for (int iteration = 0; iteration < 50; ++iteration) {
        const double f = ParamLength(piece, piece.t0, t) - local;
        if (std::abs(f) <= tolerance)
            break;
        if (std::isnan(f))
            break;
        (f > 0.0 ? hi : lo) = t;
        const double speed = ParamSpeed(piece, t);
        double next = speed > 0.0 ? t - f / speed : 0.5 * (lo + hi);
        if (!(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        t = next;
    }
    return ParamPoint(piece, t);
}

} // namespace velrok::host
