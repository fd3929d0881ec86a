// Arc-length parametrisation of the elements a designer draws as a vehicle path: lines, circular
// arcs, polylines mixing straight and bulged segments, splines and ellipses. The sweep samples a path
// every 0.2 units, so lookups precompute cumulative lengths and binary-search them.
#pragma once

#include "common/Point.h"

#include <vector>

namespace velrok::host {

// Spline accuracy: each parameter sub-interval is integrated with 8-point Gauss-Legendre, and a
// point at distance is found by Newton iteration to this fraction of the whole length.
inline constexpr int kCurveSubdivisionsPerSpan = 16; // at most; long splines use fewer
inline constexpr double kCurveDistanceTolerance = 1e-10;
inline constexpr int kEllipsePiecesPerTurn = 64;
inline constexpr double kMinSplineWeight = 1e-150;
inline constexpr double kMaxSplineWeight = 1e150;

// A B-spline or NURBS: clamped or unclamped knots, optional weights (all 1 when empty).
struct SplineData {
    int degree = 3;
    std::vector<Point3d> controlPoints;
    std::vector<double> weights;
    std::vector<double> knots;
    std::vector<Point3d> fitPoints; // kept as read; controlPoints hold the curve through them

    // The curve position at parameter t, homogeneous de Boor; t is held to the knot range (a NaN
    // gives the start). Only for a spline that IsValid.
    Point3d Evaluate(double t) const;
    // Degree 1 to 15, as many knots as control points + degree + 1, finite non-decreasing knots
    // with a non-empty domain, finite control points, weights (if any) within the bounds above.
    bool IsValid() const;
};

// Builds control points and knots of a cubic (or lower when fewer points) curve through the fit
// points: chord-length parameters, averaged knots. Returns false when fewer than two distinct points.
bool InterpolateFitPoints(SplineData& spline);

struct EllipseData {
    Point3d centre;
    Point3d majorAxis;  // from the centre to the end of the major axis
    double ratio = 1.0; // minor / major
    double startParam = 0.0;
    double endParam = 6.283185307179586;
    Point3d normal{0.0, 0.0, 1.0};

    Point3d MinorAxis() const;
    Point3d PointAt(double t) const;
};

// Every factory either gives a curve whose length and points are finite numbers or throws
// std::invalid_argument saying what is unusable (a coordinate, radius or bulge that is not a number
// or whose arc leaves the range of numbers, an inconsistent spline, a length that overflows).
class PathCurve {
  public:
    PathCurve() = default;
    // An open or closed chain of vertices; bulges (may be empty) are DXF bulges per vertex to the next.
    static PathCurve FromVertices(const std::vector<Point3d>& vertices, const std::vector<double>& bulges,
                                  bool closed);
    // Counter-clockwise from startAngle to endAngle (radians), at most one turn; equal angles make a
    // full circle.
    static PathCurve FromArc(const Point3d& centre, double radius, double startAngle, double endAngle);
    static PathCurve FromSpline(const SplineData& spline);
    // The parameter range is reduced to at most one turn counter-clockwise from startParam.
    static PathCurve FromEllipse(const EllipseData& ellipse);

    double Length() const { return m_cumulative.empty() ? 0.0 : m_cumulative.back(); }
    // Distances below 0 or beyond the length are clamped to the ends.
    Point3d PointAtDistance(double distance) const;
    bool IsEmpty() const { return m_pieces.empty(); }

  private:
    enum class PieceKind { Line, Arc, Spline, Ellipse };
    struct Piece {
        PieceKind kind = PieceKind::Line;
        Point3d a, b;   // line ends
        Point3d centre; // arc centre (z of the arc)
        double radius = 0.0;
        double startAngle = 0.0;   // arc
        double sweep = 0.0;        // signed, radians
        double t0 = 0.0, t1 = 0.0; // spline or ellipse parameter range
    };

    void AddPiece(const Piece& piece, double length);
    void RequireFiniteLength() const;
    Point3d ParamPoint(const Piece& piece, double t) const;
    double ParamSpeed(const Piece& piece, double t) const;
    double ParamLength(const Piece& piece, double ta, double tb) const;
    void AddParamPieces(PieceKind kind, double t0, double t1, int count);

    std::vector<Piece> m_pieces;
    std::vector<double> m_cumulative; // length at the end of each piece
    SplineData m_spline;
    EllipseData m_ellipse;
};

} // namespace velrok::host
