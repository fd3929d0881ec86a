// The plane region over GEOS's reentrant C API. Each region family (a union and what is derived
// from it) owns one engine context; nothing here is global.
#include "output/PlaneRegion.h"
#include "output/SegmentMath.h"

#include <geos_c.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace velrok {

namespace {

// Grid of the snap-rounding retry when the floating-point overlay gives up (drawing units).
constexpr double kRetryGrid = 1e-7;
constexpr int kBufferQuadrantSegments = 8;

struct Context {
    GEOSContextHandle_t handle = nullptr;
    std::string lastError;

    Context()
    {
        handle = GEOS_init_r();
        if (!handle)
            throw GeometryError("The geometry engine could not start");
        GEOSContext_setErrorMessageHandler_r(handle, &Context::OnError, this);
    }
    ~Context() { GEOS_finish_r(handle); }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    static void OnError(const char* message, void* userdata)
    {
        static_cast<Context*>(userdata)->lastError = message ? message : "";
    }
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw GeometryError(what + (lastError.empty() ? "" : ": " + lastError));
    }
};

} // namespace

struct PlaneRegion::Impl {
    std::shared_ptr<Context> ctx;
    GEOSGeometry* geom = nullptr;
    mutable const GEOSPreparedGeometry* prepared = nullptr;
    mutable GEOSGeometry* boundary = nullptr;
    mutable const GEOSPreparedGeometry* preparedBoundary = nullptr;

    Impl(std::shared_ptr<Context> c, GEOSGeometry* g) : ctx(std::move(c)), geom(g) {}
    ~Impl()
    {
        GEOSContextHandle_t h = ctx->handle;
        if (preparedBoundary)
            GEOSPreparedGeom_destroy_r(h, preparedBoundary);
        if (boundary)
            GEOSGeom_destroy_r(h, boundary);
        if (prepared)
            GEOSPreparedGeom_destroy_r(h, prepared);
        if (geom)
            GEOSGeom_destroy_r(h, geom);
    }
    GEOSContextHandle_t h() const { return ctx->handle; }

    const GEOSPreparedGeometry* Prepared() const
    {
        if (!prepared && !(prepared = GEOSPrepare_r(h(), geom)))
            ctx->Fail("Prepare");
        return prepared;
    }
    const GEOSPreparedGeometry* PreparedBoundary() const
    {
        if (!preparedBoundary) {
            if (!boundary && !(boundary = GEOSBoundary_r(h(), geom)))
                ctx->Fail("Boundary");
            if (!(preparedBoundary = GEOSPrepare_r(h(), boundary)))
                ctx->Fail("Prepare");
        }
        return preparedBoundary;
    }

    // A GEOS line string owned by the caller (destroy with Destroy).
    GEOSGeometry* Line(const LineString2d& line) const
    {
        GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h(), static_cast<unsigned>(line.size()), 2);
        if (!seq)
            ctx->Fail("Line");
        for (size_t i = 0; i < line.size(); ++i)
            GEOSCoordSeq_setXY_r(h(), seq, static_cast<unsigned>(i), line[i].x, line[i].y);
        GEOSGeometry* g = GEOSGeom_createLineString_r(h(), seq);
        if (!g)
            ctx->Fail("Line");
        return g;
    }
};

namespace {

GEOSGeometry* MakeRing(Context& ctx, const Ring& ring)
{
    const unsigned n = static_cast<unsigned>(ring.size());
    GEOSCoordSequence* seq = GEOSCoordSeq_create_r(ctx.handle, n + 1, 2);
    if (!seq)
        ctx.Fail("Ring");
    for (unsigned i = 0; i <= n; ++i) {
        const Point2d& p = ring[i == n ? 0 : i];
        GEOSCoordSeq_setXY_r(ctx.handle, seq, i, p.x, p.y);
    }
    GEOSGeometry* g = GEOSGeom_createLinearRing_r(ctx.handle, seq);
    if (!g)
        ctx.Fail("Ring");
    return g;
}

Ring RingPoints(GEOSContextHandle_t h, const GEOSGeometry* ring)
{
    Ring out;
    const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(h, ring);
    unsigned n = 0;
    if (!seq || !GEOSCoordSeq_getSize_r(h, seq, &n))
        return out;
    for (unsigned i = 0; i + 1 < n; ++i) { // the closing point is implicit
        Point2d p;
        GEOSCoordSeq_getXY_r(h, seq, i, &p.x, &p.y);
        out.push_back(p);
    }
    return out;
}

void CollectLines(GEOSContextHandle_t h, const GEOSGeometry* g, std::vector<LineString2d>& out)
{
    const int type = GEOSGeomTypeId_r(h, g);
    if (type == GEOS_LINESTRING || type == GEOS_LINEARRING) {
        const GEOSCoordSequence* seq = GEOSGeom_getCoordSeq_r(h, g);
        unsigned n = 0;
        if (!seq || !GEOSCoordSeq_getSize_r(h, seq, &n) || n < 2)
            return;
        LineString2d line(n);
        for (unsigned i = 0; i < n; ++i)
            GEOSCoordSeq_getXY_r(h, seq, i, &line[i].x, &line[i].y);
        out.push_back(std::move(line));
    } else if (type == GEOS_MULTILINESTRING || type == GEOS_GEOMETRYCOLLECTION) {
        const int n = GEOSGetNumGeometries_r(h, g);
        for (int i = 0; i < n; ++i)
            CollectLines(h, GEOSGetGeometryN_r(h, g, i), out);
    }
}

// The union of polygons made in `ctx`, which takes them over.
GEOSGeometry* UnionOfParts(Context& ctx, std::vector<GEOSGeometry*>& parts, const char* what)
{
    GEOSGeometry* all = GEOSGeom_createCollection_r(ctx.handle, GEOS_MULTIPOLYGON, parts.data(),
                                                    static_cast<unsigned>(parts.size()));
    if (!all)
        ctx.Fail("Collection");
    GEOSGeometry* merged = GEOSUnaryUnion_r(ctx.handle, all);
    if (!merged) // the floating overlay gave up: snap-round to a fine grid instead
        merged = GEOSUnaryUnionPrec_r(ctx.handle, all, kRetryGrid);
    GEOSGeom_destroy_r(ctx.handle, all);
    if (!merged)
        ctx.Fail(what);
    return merged;
}

} // namespace

PlaneRegion::PlaneRegion() = default;
PlaneRegion::~PlaneRegion() = default;
PlaneRegion::PlaneRegion(PlaneRegion&&) noexcept = default;
PlaneRegion& PlaneRegion::operator=(PlaneRegion&&) noexcept = default;
PlaneRegion::PlaneRegion(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

PlaneRegion PlaneRegion::UnionOf(const std::vector<Ring>& polygons)
{
    auto ctx = std::make_shared<Context>();
    std::vector<GEOSGeometry*> parts;
    parts.reserve(polygons.size());
    for (const Ring& ring : polygons) {
        if (ring.size() < 3 || !(std::fabs(SignedArea(ring)) > 0.0))
            continue;
        GEOSGeometry* shell = MakeRing(*ctx, ring);
        GEOSGeometry* polygon = GEOSGeom_createPolygon_r(ctx->handle, shell, nullptr, 0);
        if (!polygon)
            ctx->Fail("Polygon");
        parts.push_back(polygon);
    }
    if (parts.empty())
        return {};
    return PlaneRegion(std::make_unique<Impl>(ctx, UnionOfParts(*ctx, parts, "Union of the swept outlines")));
}

namespace {

// The polygons as engine polygons of `ctx`, appended to `parts` (which the caller owns).
void AddPolygons(Context& ctx, const std::vector<RegionPolygon>& polygons, std::vector<GEOSGeometry*>& parts)
{
    for (const RegionPolygon& p : polygons) {
        if (p.outer.size() < 3)
            continue;
        std::vector<GEOSGeometry*> holes;
        for (const Ring& hole : p.holes)
            if (hole.size() >= 3)
                holes.push_back(MakeRing(ctx, hole));
        GEOSGeometry* polygon = GEOSGeom_createPolygon_r(ctx.handle, MakeRing(ctx, p.outer), holes.data(),
                                                         static_cast<unsigned>(holes.size()));
        if (!polygon)
            ctx.Fail("Polygon");
        parts.push_back(polygon);
    }
}

} // namespace

PlaneRegion PlaneRegion::FromPolygons(const std::vector<RegionPolygon>& polygons)
{
    auto ctx = std::make_shared<Context>();
    std::vector<GEOSGeometry*> parts;
    AddPolygons(*ctx, polygons, parts);
    if (parts.empty())
        return {};
    GEOSGeometry* all = GEOSGeom_createCollection_r(ctx->handle, GEOS_MULTIPOLYGON, parts.data(),
                                                    static_cast<unsigned>(parts.size()));
    if (!all)
        ctx->Fail("Collection");
    return PlaneRegion(std::make_unique<Impl>(ctx, all));
}

PlaneRegion PlaneRegion::Joined(const std::vector<PlaneRegion>& regions)
{
    auto ctx = std::make_shared<Context>();
    // Copied point by point: a geometry is only handed to the context that made it.
    std::vector<GEOSGeometry*> parts;
    for (const PlaneRegion& r : regions)
        AddPolygons(*ctx, r.Polygons(), parts);
    if (parts.empty())
        return {};
    return PlaneRegion(std::make_unique<Impl>(ctx, UnionOfParts(*ctx, parts, "Union of the swept regions")));
}

PlaneRegion PlaneRegion::Buffered(double distance) const
{
    if (!m)
        return {};
    GEOSGeometry* g = GEOSBuffer_r(m->h(), m->geom, distance, kBufferQuadrantSegments);
    if (!g)
        m->ctx->Fail("Offset of the swept area");
    return PlaneRegion(std::make_unique<Impl>(m->ctx, g));
}

double PlaneRegion::Area() const
{
    double a = 0.0;
    if (m && !GEOSArea_r(m->h(), m->geom, &a))
        m->ctx->Fail("Area");
    return a;
}

PlaneRegion PlaneRegion::SymDifference(const PlaneRegion& other) const
{
    auto ctx = std::make_shared<Context>();
    auto collect = [&](const PlaneRegion& r) {
        std::vector<GEOSGeometry*> parts;
        AddPolygons(*ctx, r.Polygons(), parts);
        GEOSGeometry* g = GEOSGeom_createCollection_r(ctx->handle, GEOS_MULTIPOLYGON, parts.data(),
                                                      static_cast<unsigned>(parts.size()));
        if (!g)
            ctx->Fail("Collection");
        return g;
    };
    GEOSGeometry* a = collect(*this);
    GEOSGeometry* b = collect(other);
    GEOSGeometry* g = GEOSSymDifference_r(ctx->handle, a, b);
    GEOSGeom_destroy_r(ctx->handle, a);
    GEOSGeom_destroy_r(ctx->handle, b);
    if (!g)
        ctx->Fail("Symmetric difference");
    return PlaneRegion(std::make_unique<Impl>(ctx, g));
}

PlaneRegion PlaneRegion::ClippedTo(const Extent& box) const
{
    if (IsEmpty() || box.IsEmpty())
        return {};
    Context& ctx = *m->ctx;
    GEOSGeometry* rect = GEOSGeom_createPolygon_r(
        ctx.handle,
        MakeRing(ctx, {{box.minX, box.minY}, {box.maxX, box.minY}, {box.maxX, box.maxY}, {box.minX, box.maxY}}),
        nullptr, 0);
    if (!rect)
        ctx.Fail("Polygon");
    GEOSGeometry* g = GEOSIntersection_r(ctx.handle, m->geom, rect);
    GEOSGeom_destroy_r(ctx.handle, rect);
    if (!g)
        ctx.Fail("Clip to a box");
    return PlaneRegion(std::make_unique<Impl>(m->ctx, g));
}

bool PlaneRegion::IsValid() const
{
    return !m || GEOSisValid_r(m->h(), m->geom) == 1;
}

bool PlaneRegion::IsEmpty() const
{
    return !m || GEOSisEmpty_r(m->h(), m->geom) == 1;
}

std::vector<RegionPolygon> PlaneRegion::Polygons() const
{
    std::vector<RegionPolygon> out;
    if (!m)
        return out;
    GEOSContextHandle_t h = m->h();
    auto add = [&](const GEOSGeometry* polygon) {
        if (GEOSGeomTypeId_r(h, polygon) != GEOS_POLYGON || GEOSisEmpty_r(h, polygon) == 1)
            return;
        RegionPolygon p;
        p.outer = RingPoints(h, GEOSGetExteriorRing_r(h, polygon));
        const int holes = GEOSGetNumInteriorRings_r(h, polygon);
        for (int i = 0; i < holes; ++i)
            p.holes.push_back(RingPoints(h, GEOSGetInteriorRingN_r(h, polygon, i)));
        out.push_back(std::move(p));
    };
    const int type = GEOSGeomTypeId_r(h, m->geom);
    if (type == GEOS_POLYGON) {
        add(m->geom);
    } else {
        const int n = GEOSGetNumGeometries_r(h, m->geom);
        for (int i = 0; i < n; ++i)
            add(GEOSGetGeometryN_r(h, m->geom, i));
    }
    return out;
}

bool PlaneRegion::Intersects(const LineString2d& line) const
{
    if (IsEmpty() || line.size() < 2)
        return false;
    GEOSGeometry* g = m->Line(line);
    const char r = GEOSPreparedIntersects_r(m->h(), m->Prepared(), g);
    GEOSGeom_destroy_r(m->h(), g);
    if (r == 2)
        m->ctx->Fail("Intersects");
    return r == 1;
}

std::vector<LineString2d> PlaneRegion::PartsInside(const LineString2d& line) const
{
    std::vector<LineString2d> out;
    if (IsEmpty() || line.size() < 2)
        return out;
    GEOSGeometry* g = m->Line(line);
    GEOSGeometry* inside = GEOSIntersection_r(m->h(), g, m->geom);
    GEOSGeom_destroy_r(m->h(), g);
    if (!inside)
        m->ctx->Fail("Intersection");
    CollectLines(m->h(), inside, out);
    GEOSGeom_destroy_r(m->h(), inside);
    return out;
}

double PlaneRegion::Distance(const LineString2d& line) const
{
    if (IsEmpty() || line.size() < 2)
        return INFINITY;
    GEOSGeometry* g = m->Line(line);
    double d = 0.0;
    const int ok = GEOSPreparedDistance_r(m->h(), m->Prepared(), g, &d);
    GEOSGeom_destroy_r(m->h(), g);
    if (!ok)
        m->ctx->Fail("Distance");
    return d;
}

Point2d PlaneRegion::NearestPoint(const LineString2d& line) const
{
    if (IsEmpty() || line.size() < 2)
        return {};
    GEOSGeometry* g = m->Line(line);
    GEOSCoordSequence* pts = GEOSPreparedNearestPoints_r(m->h(), m->Prepared(), g);
    GEOSGeom_destroy_r(m->h(), g);
    if (!pts)
        m->ctx->Fail("Nearest points");
    Point2d p;
    GEOSCoordSeq_getXY_r(m->h(), pts, 0, &p.x, &p.y);
    GEOSCoordSeq_destroy_r(m->h(), pts);
    return p;
}

double PlaneRegion::DistanceToBoundary(Point2d p) const
{
    if (IsEmpty())
        return INFINITY;
    GEOSGeometry* g = GEOSGeom_createPointFromXY_r(m->h(), p.x, p.y);
    double d = 0.0;
    const int ok = GEOSPreparedDistance_r(m->h(), m->PreparedBoundary(), g, &d);
    GEOSGeom_destroy_r(m->h(), g);
    if (!ok)
        m->ctx->Fail("Distance");
    return d;
}

bool PlaneRegion::Covers(Point2d p) const
{
    if (IsEmpty())
        return false;
    GEOSGeometry* g = GEOSGeom_createPointFromXY_r(m->h(), p.x, p.y);
    if (!g)
        m->ctx->Fail("Point");
    const char r = GEOSPreparedIntersects_r(m->h(), m->Prepared(), g);
    GEOSGeom_destroy_r(m->h(), g);
    if (r == 2)
        m->ctx->Fail("Intersects");
    return r == 1;
}

} // namespace velrok
