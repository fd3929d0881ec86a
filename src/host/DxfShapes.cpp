// Shape extraction: the DXF entities the drawing keeps but does not model, flattened into pieces and
// texts in world coordinates. Works only on tag views, so it never touches a file, and every loop is
// bounded by a count or a named cap, so a hostile or broken drawing costs bounded time and memory.
#include "host/DxfShapes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <numbers>

namespace velrok::host {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegToRad = kPi / 180.0;

// Entities read inside block definitions, over all expansions of one entity.
constexpr size_t kMaxEntityVisits = 1'000'000;
// Subdivision depth of one parameter interval of a spline.
constexpr int kMaxSplineRefineDepth = 12;
// At least this many chords a full turn, so small circles still look round when zoomed in.
constexpr int kMinChordsPerTurn = 8;
// Estimated width of a character relative to the text height.
constexpr double kTextWidthPerHeight = 0.6;
// Below this length of its x and y parts an extrusion direction counts as near the z axis.
constexpr double kArbitraryAxisLimit = 1.0 / 64.0;
constexpr int kAciByBlock = 0;
constexpr int kAciForeground = 7;

// ---- tags ----

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// A number as the file has it; NaN when it is none, so the piece using it is dropped.
double Number(std::string_view s)
{
    s = Trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nan("");
    return v;
}

int Integer(std::string_view s, int fallback)
{
    const double v = Number(s);
    if (!std::isfinite(v) || v < -2147483648.0 || v > 2147483647.0)
        return fallback;
    return static_cast<int>(v);
}

const DxfTag* Find(DxfTagSpan tags, int code)
{
    for (const DxfTag& t : tags)
        if (t.code == code)
            return &t;
    return nullptr;
}

double Real(DxfTagSpan tags, int code, double fallback)
{
    const DxfTag* t = Find(tags, code);
    return t ? Number(t->value) : fallback;
}

int Int(DxfTagSpan tags, int code, int fallback)
{
    const DxfTag* t = Find(tags, code);
    return t ? Integer(t->value, fallback) : fallback;
}

std::string_view Text(DxfTagSpan tags, int code)
{
    const DxfTag* t = Find(tags, code);
    return t ? t->value : std::string_view();
}

Point3d PointAt(DxfTagSpan tags, int code, Point3d fallback = {})
{
    return {Real(tags, code, fallback.x), Real(tags, code + 10, fallback.y),
            Real(tags, code + 20, fallback.z)};
}

std::string_view KindOf(DxfTagSpan tags)
{
    return tags.empty() || tags.front().code != 0 ? std::string_view() : Trim(tags.front().value);
}

bool Finite(const Point3d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// ---- vectors and transforms ----

Point3d operator+(Point3d a, Point3d b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Point3d operator-(Point3d a, Point3d b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Point3d operator*(Point3d a, double k)
{
    return {a.x * k, a.y * k, a.z * k};
}
double Dot(Point3d a, Point3d b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Point3d Cross(Point3d a, Point3d b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Norm(Point3d a)
{
    return std::sqrt(Dot(a, a));
}

// p -> m·p + t.
struct Affine {
    std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Point3d t;

    Point3d Linear(Point3d p) const
    {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z,
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z};
    }
    Point3d operator()(Point3d p) const { return Linear(p) + t; }

    // Largest stretch of any direction, so chord tolerances hold in world units.
    double MaxStretch() const
    {
        double best = 0.0;
        for (int c = 0; c < 3; ++c)
            best = std::max(best, Norm({m[0][c], m[1][c], m[2][c]}));
        Point3d v{1.0, 1.0, 1.0};
        for (int i = 0; i < 24; ++i) {
            const Point3d w = Linear(v);
            const Point3d u = {m[0][0] * w.x + m[1][0] * w.y + m[2][0] * w.z,
                               m[0][1] * w.x + m[1][1] * w.y + m[2][1] * w.z,
                               m[0][2] * w.x + m[1][2] * w.y + m[2][2] * w.z};
            const double n = Norm(u);
            if (!(n > 0.0) || !std::isfinite(n))
                break;
            v = u * (1.0 / n);
        }
        return std::max(best, Norm(Linear(v)));
    }
};

Affine operator*(const Affine& a, const Affine& b)
{
    Affine r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    r.t = a(b.t);
    return r;
}

Affine Translation(Point3d d)
{
    Affine a;
    a.t = d;
    return a;
}

Affine Scaling(double sx, double sy, double sz)
{
    Affine a;
    a.m = {{{sx, 0, 0}, {0, sy, 0}, {0, 0, sz}}};
    return a;
}

Affine RotationZ(double radians)
{
    const double c = std::cos(radians), s = std::sin(radians);
    Affine a;
    a.m = {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
    return a;
}

// The object coordinate system of an extrusion direction by the arbitrary axis algorithm, as a
// transform from OCS to the coordinates the entity lives in. Mirrored entities from other CAD
// programs carry 0,0,-1, which turns x around.
Affine Ocs(Point3d extrusion)
{
    const double len = Norm(extrusion);
    if (!(len > 0.0) || !std::isfinite(len))
        return {};
    const Point3d n = extrusion * (1.0 / len);
    if (n.x == 0.0 && n.y == 0.0 && n.z > 0.0)
        return {};
    Point3d ax = (std::abs(n.x) < kArbitraryAxisLimit && std::abs(n.y) < kArbitraryAxisLimit)
                     ? Cross({0, 1, 0}, n)
                     : Cross({0, 0, 1}, n);
    ax = ax * (1.0 / Norm(ax));
    const Point3d ay = Cross(n, ax);
    Affine a;
    a.m = {{{ax.x, ay.x, n.x}, {ax.y, ay.y, n.y}, {ax.z, ay.z, n.z}}};
    return a;
}

// The inverse of an orthonormal transform's linear part.
Affine Transposed(const Affine& a)
{
    Affine r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[j][i];
    return r;
}

Point3d Extrusion(DxfTagSpan tags)
{
    return PointAt(tags, 210, {0, 0, 1});
}

// ---- curves ----

// Chords for an arc of `sweep` radians whose radius is `radius` world units.
int ArcChords(double sweep, double radius)
{
    const double turn = std::abs(sweep);
    int floor = static_cast<int>(std::ceil(kMinChordsPerTurn * turn / (2.0 * kPi)));
    floor = std::clamp(floor, 1, kMaxChordsPerCurve);
    if (!(radius > kShapeChordTolerance) || !std::isfinite(radius))
        return floor;
    const double step = 2.0 * std::acos(1.0 - kShapeChordTolerance / radius);
    if (!(step > 0.0))
        return kMaxChordsPerCurve;
    const double n = std::ceil(turn / step);
    return n >= kMaxChordsPerCurve ? kMaxChordsPerCurve : std::max(floor, static_cast<int>(n));
}

// Points of the circle through centre with radius r from angle a0 over sweep (signed), in the
// entity's own plane; `first` decides whether the start point is included.
void AppendArc(std::vector<Point3d>& out, Point3d centre, double r, double a0, double sweep, int chords,
               bool first = true)
{
    for (int k = first ? 0 : 1; k <= chords; ++k) {
        const double a = a0 + sweep * k / chords;
        out.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a), centre.z});
    }
}

// Sweep counter-clockwise from a0 to a1, in (0, 2π].
double CcwSweep(double a0, double a1)
{
    double s = std::fmod(a1 - a0, 2.0 * kPi);
    if (s <= 0.0)
        s += 2.0 * kPi;
    return s;
}

// One bulged segment from a to b (b included, a not): bulge = tan(sweep / 4), positive
// counter-clockwise. `stretch` turns its radius into world units. Stops once `out` holds `cap`
// points: a piece beyond what may still be shown is dropped whole, and building it out first
// costs the time of every chord of every copy a nest of block references asks for.
void AppendBulge(std::vector<Point3d>& out, Point3d a, Point3d b, double bulge, double stretch, size_t cap)
{
    if (out.size() >= cap)
        return;
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    if (!std::isfinite(bulge) || std::abs(bulge) < 1e-12 || !(chord > 0.0)) {
        out.push_back(b);
        return;
    }
    const double sweep = 4.0 * std::atan(bulge);
    const double r = chord / (2.0 * std::abs(std::sin(sweep / 2.0)));
    // The centre lies on the chord's perpendicular bisector: on its left for a counter-clockwise
    // arc of less than half a turn, on its right beyond that, on the chord for a half circle.
    const Point3d left{-(b.y - a.y) / chord, (b.x - a.x) / chord, 0.0};
    const Point3d c = (a + b) * 0.5 + left * (chord / 2.0 / std::tan(sweep / 2.0));
    const double a0 = std::atan2(a.y - c.y, a.x - c.x);
    const int chords = ArcChords(sweep, r * stretch);
    for (int k = 1; k < chords && out.size() < cap; ++k) {
        const double t = a0 + sweep * k / chords;
        out.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t), a.z + (b.z - a.z) * k / chords});
    }
    out.push_back(b);
}

// Samples f over the parameter breaks (increasing), refining an interval while its middle point
// lies more than the tolerance off the chord, with at most kMaxChordsPerCurve chords in all. f
// gives world points, so the tolerance holds on screen.
std::vector<Point3d> SampleCurve(const std::function<Point3d(double)>& f, const std::vector<double>& breaks)
{
    std::vector<Point3d> out;
    if (breaks.size() < 2)
        return out;
    const size_t spans = breaks.size() - 1;
    std::vector<double> starts;
    if (spans >= static_cast<size_t>(kMaxChordsPerCurve)) {
        for (int k = 0; k <= kMaxChordsPerCurve; ++k)
            starts.push_back(breaks.front() + (breaks.back() - breaks.front()) * k / kMaxChordsPerCurve);
    } else {
        const int per = std::clamp(kMaxChordsPerCurve / static_cast<int>(spans), 1, 4);
        for (size_t i = 0; i < spans; ++i)
            for (int k = 0; k < per; ++k)
                starts.push_back(breaks[i] + (breaks[i + 1] - breaks[i]) * k / per);
        starts.push_back(breaks.back());
    }
    size_t pending = starts.size() - 1;
    size_t emitted = 0;
    const std::function<void(double, Point3d, double, Point3d, int)> refine =
        [&](double ta, Point3d pa, double tb, Point3d pb, int depth) {
            const double tm = 0.5 * (ta + tb);
            const Point3d pm = f(tm);
            const Point3d ab = pb - pa;
            const double len2 = Dot(ab, ab);
            const double u = len2 > 0.0 ? std::clamp(Dot(pm - pa, ab) / len2, 0.0, 1.0) : 0.0;
            const double off = Norm(pm - (pa + ab * u));
            if (depth < kMaxSplineRefineDepth && emitted + pending + 1 <= size_t(kMaxChordsPerCurve) &&
                off > kShapeChordTolerance) {
                ++pending;
                refine(ta, pa, tm, pm, depth + 1);
                refine(tm, pm, tb, pb, depth + 1);
                return;
            }
            --pending;
            ++emitted;
            out.push_back(pb);
        };
    Point3d prev = f(starts.front());
    out.push_back(prev);
    for (size_t i = 1; i < starts.size(); ++i) {
        const Point3d next = f(starts[i]);
        refine(starts[i - 1], prev, starts[i], next, 0);
        prev = next;
    }
    return out;
}

// A rational B-spline point by de Boor's algorithm; knots U, degree p, homogeneous control points.
Point3d DeBoor(const std::vector<double>& U, int p, const std::vector<Point3d>& ctrl,
               const std::vector<double>& w, double t)
{
    const int n = static_cast<int>(ctrl.size());
    int k = p;
    while (k < n - 1 && t >= U[k + 1])
        ++k;
    std::vector<std::array<double, 4>> d(p + 1);
    for (int j = 0; j <= p; ++j) {
        const Point3d& c = ctrl[j + k - p];
        const double wj = w[j + k - p];
        d[j] = {c.x * wj, c.y * wj, c.z * wj, wj};
    }
    for (int r = 1; r <= p; ++r)
        for (int j = p; j >= r; --j) {
            const double den = U[j + 1 + k - r] - U[j + k - p];
            const double a = den > 0.0 ? (t - U[j + k - p]) / den : 0.0;
            for (int q = 0; q < 4; ++q)
                d[j][q] = (1.0 - a) * d[j - 1][q] + a * d[j][q];
        }
    const double wt = d[p][3];
    if (!(std::abs(wt) > 0.0))
        return {std::nan(""), 0, 0};
    return {d[p][0] / wt, d[p][1] / wt, d[p][2] / wt};
}

struct SplineDef {
    int degree = 3;
    std::vector<double> knots;
    std::vector<Point3d> control;
    std::vector<double> weights;
    std::vector<Point3d> fit;
    bool closed = false;
};

// The points of a spline, in world units through xf; control points when there are any, else a
// smooth curve through the fit points.
std::vector<Point3d> SplinePoints(SplineDef s, const Affine& xf)
{
    const int n = static_cast<int>(s.control.size());
    if (n >= 2) {
        const int p = std::clamp(s.degree, 1, n - 1);
        bool knotsOk = s.knots.size() == size_t(n + p + 1);
        for (size_t i = 1; knotsOk && i < s.knots.size(); ++i)
            knotsOk = std::isfinite(s.knots[i]) && s.knots[i] >= s.knots[i - 1];
        if (!knotsOk) {
            // A clamped uniform knot vector stands in for a missing or broken one.
            s.knots.assign(n + p + 1, 0.0);
            for (int i = 0; i < n + p + 1; ++i)
                s.knots[i] = std::clamp(static_cast<double>(i - p), 0.0, static_cast<double>(n - p));
        }
        if (s.weights.size() != size_t(n))
            s.weights.assign(n, 1.0);
        std::vector<double> breaks;
        for (int i = p; i <= n; ++i)
            if (breaks.empty() || s.knots[i] > breaks.back())
                breaks.push_back(s.knots[i]);
        if (breaks.size() < 2)
            return {};
        const double tEnd = breaks.back();
        return SampleCurve(
            [&](double t) { return xf(DeBoor(s.knots, p, s.control, s.weights, std::min(t, tEnd))); },
            breaks);
    }
    std::vector<Point3d> fit = s.fit;
    if (fit.size() < 2)
        return {};
    if (s.closed && !(fit.front() == fit.back()))
        fit.push_back(fit.front());
    // Catmull-Rom through the fit points: passes through each of them with a smooth tangent.
    const int m = static_cast<int>(fit.size());
    auto at = [&](int i) {
        if (s.closed && m > 2)
            return fit[((i % (m - 1)) + (m - 1)) % (m - 1)];
        return fit[std::clamp(i, 0, m - 1)];
    };
    std::vector<double> breaks;
    for (int i = 0; i < m; ++i)
        breaks.push_back(i);
    return SampleCurve(
        [&](double t) {
            const int i = std::clamp(static_cast<int>(std::floor(t)), 0, m - 2);
            const double u = t - i;
            const Point3d p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
            const double u2 = u * u, u3 = u2 * u;
            const Point3d q = p1 * 2.0 + (p2 - p0) * u + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * u2 +
                              (p1 * 3.0 - p0 - p2 * 3.0 + p3) * u3;
            return xf(q * 0.5);
        },
        breaks);
}

// ---- texts ----

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// "%%" codes of single-line and multi-line texts at raw[i]; returns the characters used, 0 when
// there is none there.
size_t PercentCode(std::string_view raw, size_t i, std::string& out)
{
    if (raw.substr(i, 2) != "%%" || i + 2 >= raw.size())
        return 0;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(raw[i + 2])));
    switch (c) {
    case 'c':
        out += "\xC3\x98";
        return 3; // Ø, the diameter sign drawings use
    case 'd':
        out += "\xC2\xB0";
        return 3; // °
    case 'p':
        out += "\xC2\xB1";
        return 3; // ±
    case '%':
        out += '%';
        return 3;
    case 'u':
    case 'o':
    case 'k':
        return 3; // underline, overline, strike-through switches
    default:
        break;
    }
    if (i + 4 < raw.size() && std::isdigit(static_cast<unsigned char>(raw[i + 2])) &&
        std::isdigit(static_cast<unsigned char>(raw[i + 3])) &&
        std::isdigit(static_cast<unsigned char>(raw[i + 4]))) {
        AppendUtf8(out, static_cast<uint32_t>((raw[i + 2] - '0') * 100 + (raw[i + 3] - '0') * 10 +
                                              (raw[i + 4] - '0')));
        return 5;
    }
    return 0;
}

// "\U+XXXX" at raw[i]; returns the characters used, 0 when there is none.
size_t UnicodeCode(std::string_view raw, size_t i, std::string& out)
{
    if (i + 6 >= raw.size() || raw[i] != '\\' || (raw[i + 1] != 'U' && raw[i + 1] != 'u') ||
        raw[i + 2] != '+')
        return 0;
    uint32_t cp = 0;
    const auto [end, ec] = std::from_chars(raw.data() + i + 3, raw.data() + i + 7, cp, 16);
    if (ec != std::errc() || end != raw.data() + i + 7)
        return 0;
    AppendUtf8(out, cp);
    return 7;
}

// A single-line text: "%%" codes and "\U+" characters; it knows no other formatting.
std::string PlainText(std::string_view raw)
{
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        if (size_t used = PercentCode(raw, i, out)) {
            i += used;
        } else if (size_t used2 = raw[i] == '\\' ? UnicodeCode(raw, i, out) : 0) {
            i += used2;
        } else {
            out += raw[i++];
        }
    }
    return out;
}

// ---- extraction ----

struct Budget {
    size_t points = 0;
    size_t expansions = 0;
    size_t visits = 0;
};

// Where the entities being read land: the transform to world coordinates and what layer "0" and
// BYBLOCK stand for inside the block reference being expanded.
struct Context {
    Affine xf;
    bool inBlock = false;
    std::string refLayer;
    int refAci = kAciForeground;
    int depth = 0;
};

class Extractor {
  public:
    Extractor(const DxfBlockLookup& blocks, ShownGeometry& out, ShapeAllowance& allowance)
        : m_blocks(blocks), m_out(out), m_allowance(allowance)
    {
    }
    void Entity(const DxfEntityTags& entity, const Context& ctx);

  private:
    std::string LayerOf(DxfTagSpan tags, const Context& ctx) const
    {
        std::string_view layer = Trim(Text(tags, 8));
        if (layer.empty())
            layer = "0";
        if (ctx.inBlock && layer == "0")
            return ctx.refLayer;
        return std::string(layer);
    }
    int AciOf(DxfTagSpan tags, const Context& ctx) const
    {
        int aci = std::abs(Int(tags, 62, kAciByLayer));
        if (aci > kAciByLayer)
            aci = kAciByLayer;
        if (aci == kAciByBlock)
            aci = ctx.inBlock ? ctx.refAci : kAciForeground;
        return aci;
    }
    // Stores a piece whose points are in the entity's coordinates, mapped by xf; a piece with a
    // coordinate that is not a finite number is dropped whole.
    void Piece(DxfTagSpan tags, const Context& ctx, const Affine& xf, const std::vector<Point3d>& local,
               bool closed, bool filled = false);
    void WorldPiece(DxfTagSpan tags, const Context& ctx, std::vector<Point3d> world, bool closed,
                    bool filled = false);
    void TextPiece(DxfTagSpan tags, const Context& ctx, const Affine& xf, Point3d origin, double height,
                   double rotation, std::string text);

    void Line(DxfTagSpan t, const Context& ctx);
    void ArcOrCircle(DxfTagSpan t, const Context& ctx, bool circle);
    void LwPolyline(DxfTagSpan t, const Context& ctx);
    void Polyline(const DxfEntityTags& e, const Context& ctx);
    void Spline(DxfTagSpan t, const Context& ctx);
    void Ellipse(DxfTagSpan t, const Context& ctx);
    void SingleText(DxfTagSpan t, const Context& ctx, int verticalCode);
    void MText(DxfTagSpan t, const Context& ctx);
    void Point(DxfTagSpan t, const Context& ctx);
    void Face(DxfTagSpan t, const Context& ctx, bool solid);
    void Hatch(DxfTagSpan t, const Context& ctx);
    void Leader(DxfTagSpan t, const Context& ctx);
    void ClipOutline(DxfTagSpan t, const Context& ctx);
    void Insert(const DxfEntityTags& e, const Context& ctx);
    void Dimension(DxfTagSpan t, const Context& ctx);
    void Block(const DxfBlockDef& block, const Context& ctx);

    // Points a piece may still have and be shown (one more tells that it is too many).
    size_t Room() const
    {
        return std::min(kMaxShownPoints - std::min(m_budget.points, kMaxShownPoints), m_allowance.points) + 1;
    }

    const DxfBlockLookup& m_blocks;
    ShownGeometry& m_out;
    ShapeAllowance& m_allowance;
    Budget m_budget;
};

void Extractor::WorldPiece(DxfTagSpan tags, const Context& ctx, std::vector<Point3d> world, bool closed,
                           bool filled)
{
    if (world.size() < 2)
        return;
    if (m_budget.points + world.size() > kMaxShownPoints || world.size() > m_allowance.points) {
        // The first piece that does not fit ends the showing: the copies after it would each be
        // built out only to be dropped in turn. Building it was work all the same, and the
        // drawing pays for it, or every reference of a file could do it once more.
        m_budget.points = kMaxShownPoints;
        m_allowance.points -= std::min(world.size(), m_allowance.points);
        return;
    }
    for (const Point3d& p : world)
        if (!Finite(p))
            return;
    m_budget.points += world.size();
    m_allowance.points -= world.size();
    m_out.pieces.push_back({LayerOf(tags, ctx), AciOf(tags, ctx), std::move(world), closed, filled});
}

void Extractor::Piece(DxfTagSpan tags, const Context& ctx, const Affine& xf,
                      const std::vector<Point3d>& local, bool closed, bool filled)
{
    std::vector<Point3d> world;
    world.reserve(local.size());
    const Affine full = ctx.xf * xf;
    for (const Point3d& p : local)
        world.push_back(full(p));
    WorldPiece(tags, ctx, std::move(world), closed, filled);
}

// A text's origin, height and rotation in the entity's coordinates become world values: the
// rotation follows the transformed baseline, the height the transformed up direction.
void Extractor::TextPiece(DxfTagSpan tags, const Context& ctx, const Affine& xf, Point3d origin,
                          double height, double rotation, std::string text)
{
    if (text.empty() || m_budget.points >= kMaxShownPoints || m_allowance.points == 0)
        return;
    const Affine full = ctx.xf * xf;
    const Point3d o = full(origin);
    const Point3d dir = full.Linear({std::cos(rotation), std::sin(rotation), 0.0});
    const Point3d up = full.Linear({-std::sin(rotation) * height, std::cos(rotation) * height, 0.0});
    ShownText shown{LayerOf(tags, ctx),     AciOf(tags, ctx),        std::move(text), o,
                    std::hypot(up.x, up.y), std::atan2(dir.y, dir.x)};
    if (!Finite(shown.origin) || !std::isfinite(shown.height) || !std::isfinite(shown.rotation))
        return;
    ++m_budget.points;
    --m_allowance.points;
    m_out.texts.push_back(std::move(shown));
}

void Extractor::Line(DxfTagSpan t, const Context& ctx)
{
    Piece(t, ctx, {}, {PointAt(t, 10), PointAt(t, 11)}, false);
}

void Extractor::ArcOrCircle(DxfTagSpan t, const Context& ctx, bool circle)
{
    const Affine ocs = Ocs(Extrusion(t));
    const Point3d c = PointAt(t, 10);
    const double r = Real(t, 40, 0.0);
    if (!(r > 0.0) || !std::isfinite(r))
        return;
    const double a0 = circle ? 0.0 : Real(t, 50, 0.0) * kDegToRad;
    const double sweep = circle ? 2.0 * kPi : CcwSweep(a0, Real(t, 51, 360.0) * kDegToRad);
    if (!std::isfinite(a0) || !std::isfinite(sweep))
        return;
    std::vector<Point3d> pts;
    const int chords = ArcChords(sweep, r * (ctx.xf * ocs).MaxStretch());
    AppendArc(pts, c, r, a0, sweep, chords);
    if (circle)
        pts.pop_back(); // closed: the last point repeats the first
    Piece(t, ctx, ocs, pts, circle);
}

void Extractor::LwPolyline(DxfTagSpan t, const Context& ctx)
{
    const Affine ocs = Ocs(Extrusion(t));
    const double elevation = Real(t, 38, 0.0);
    std::vector<Point3d> vertices;
    std::vector<double> bulges;
    for (const DxfTag& tag : t) {
        if (tag.code == 10) {
            vertices.push_back({Number(tag.value), 0.0, elevation});
            bulges.push_back(0.0);
        } else if (tag.code == 20 && !vertices.empty()) {
            vertices.back().y = Number(tag.value);
        } else if (tag.code == 42 && !bulges.empty()) {
            bulges.back() = Number(tag.value);
        }
    }
    const bool closed = (Int(t, 70, 0) & 1) != 0;
    if (vertices.empty())
        return;
    const double stretch = (ctx.xf * ocs).MaxStretch();
    std::vector<Point3d> pts{vertices.front()};
    const size_t segments = closed ? vertices.size() : vertices.size() - 1;
    for (size_t i = 0; i < segments; ++i)
        AppendBulge(pts, vertices[i], vertices[(i + 1) % vertices.size()], bulges[i], stretch, Room());
    if (closed && pts.size() > 2)
        pts.pop_back();
    Piece(t, ctx, ocs, pts, closed && pts.size() > 2);
}

void Extractor::Polyline(const DxfEntityTags& e, const Context& ctx)
{
    const DxfTagSpan t = e.main;
    const int flags = Int(t, 70, 0);
    struct Vertex {
        Point3d p;
        double bulge;
        int flags;
        DxfTagSpan tags;
    };
    std::vector<Vertex> vertices;
    for (const DxfTagSpan& sub : e.subs)
        if (SameIgnoringCase(KindOf(sub), "VERTEX"))
            vertices.push_back({PointAt(sub, 10), Real(sub, 42, 0.0), Int(sub, 70, 0), sub});

    if (flags & 64) { // polyface mesh: face records index the vertices from 1
        std::vector<Point3d> corners;
        for (const Vertex& v : vertices)
            if ((v.flags & 128) == 0 || (v.flags & 64) != 0)
                corners.push_back(v.p);
        for (const Vertex& v : vertices) {
            if ((v.flags & 128) == 0 || (v.flags & 64) != 0)
                continue;
            std::vector<Point3d> face;
            for (int code = 71; code <= 74; ++code) {
                const int index = std::abs(Int(v.tags, code, 0));
                if (index >= 1 && index <= static_cast<int>(corners.size()))
                    face.push_back(corners[index - 1]);
            }
            Piece(t, ctx, {}, face, face.size() > 2);
        }
        return;
    }
    if (flags & 16) { // polygon mesh: M rows of N vertices
        const int m = Int(t, 71, 0), n = Int(t, 72, 0);
        if (m < 1 || n < 1 || static_cast<size_t>(m) * static_cast<size_t>(n) != vertices.size())
            return;
        for (int i = 0; i < m; ++i) {
            std::vector<Point3d> row;
            for (int j = 0; j < n; ++j)
                row.push_back(vertices[i * n + j].p);
            Piece(t, ctx, {}, row, (flags & 32) != 0);
        }
        for (int j = 0; j < n; ++j) {
            std::vector<Point3d> column;
            for (int i = 0; i < m; ++i)
                column.push_back(vertices[i * n + j].p);
            Piece(t, ctx, {}, column, (flags & 1) != 0);
        }
        return;
    }
    // Frame control points of a spline-fit polyline are not on the curve.
    std::erase_if(vertices, [](const Vertex& v) { return (v.flags & 16) != 0; });
    if (vertices.empty())
        return;
    const bool closed = (flags & 1) != 0;
    const bool is3d = (flags & 8) != 0;
    const Affine ocs = is3d ? Affine{} : Ocs(Extrusion(t));
    const double elevation = PointAt(t, 10).z;
    if (!is3d)
        for (Vertex& v : vertices)
            v.p.z = elevation;
    const double stretch = (ctx.xf * ocs).MaxStretch();
    std::vector<Point3d> pts{vertices.front().p};
    const size_t segments = closed ? vertices.size() : vertices.size() - 1;
    for (size_t i = 0; i < segments; ++i)
        AppendBulge(pts, vertices[i].p, vertices[(i + 1) % vertices.size()].p, is3d ? 0.0 : vertices[i].bulge,
                    stretch, Room());
    if (closed && pts.size() > 2)
        pts.pop_back();
    Piece(t, ctx, ocs, pts, closed && pts.size() > 2);
}

void Extractor::Spline(DxfTagSpan t, const Context& ctx)
{
    SplineDef s;
    s.degree = Int(t, 71, 3);
    s.closed = (Int(t, 70, 0) & 1) != 0;
    for (const DxfTag& tag : t) {
        switch (tag.code) {
        case 10:
            s.control.push_back({Number(tag.value), 0, 0});
            break;
        case 20:
            if (!s.control.empty())
                s.control.back().y = Number(tag.value);
            break;
        case 30:
            if (!s.control.empty())
                s.control.back().z = Number(tag.value);
            break;
        case 11:
            s.fit.push_back({Number(tag.value), 0, 0});
            break;
        case 21:
            if (!s.fit.empty())
                s.fit.back().y = Number(tag.value);
            break;
        case 31:
            if (!s.fit.empty())
                s.fit.back().z = Number(tag.value);
            break;
        case 40:
            s.knots.push_back(Number(tag.value));
            break;
        case 41:
            s.weights.push_back(Number(tag.value));
            break;
        default:
            break;
        }
    }
    for (const Point3d& p : s.control)
        if (!Finite(p))
            return;
    for (const Point3d& p : s.fit)
        if (!Finite(p))
            return;
    for (double w : s.weights)
        if (!(w > 0.0) || !std::isfinite(w))
            s.weights.clear();
    WorldPiece(t, ctx, SplinePoints(std::move(s), ctx.xf), false);
}

void Extractor::Ellipse(DxfTagSpan t, const Context& ctx)
{
    const Point3d c = PointAt(t, 10);
    const Point3d major = PointAt(t, 11);
    const double ratio = Real(t, 40, 1.0);
    Point3d n = Extrusion(t);
    const double a = Norm(major);
    if (!(a > 0.0) || !std::isfinite(a) || !(ratio > 0.0) || !std::isfinite(ratio) || !(Norm(n) > 0.0))
        return;
    n = n * (1.0 / Norm(n));
    const Point3d minor = Cross(n, major) * ratio;
    const double p0 = Real(t, 41, 0.0);
    double sweep = CcwSweep(p0, Real(t, 42, 2.0 * kPi));
    if (!std::isfinite(p0) || !std::isfinite(sweep))
        return;
    const bool full = std::abs(sweep - 2.0 * kPi) < 1e-9;
    const int chords = ArcChords(sweep, a * ctx.xf.MaxStretch());
    std::vector<Point3d> pts;
    for (int k = 0; k <= chords - (full ? 1 : 0); ++k) {
        const double u = p0 + sweep * k / chords;
        pts.push_back(c + major * std::cos(u) + minor * std::sin(u));
    }
    Piece(t, ctx, {}, pts, full);
}

// TEXT and ATTRIB: the origin is the first alignment point, or the second one shifted back by the
// estimated width when the text is justified to it.
void Extractor::SingleText(DxfTagSpan t, const Context& ctx, int verticalCode)
{
    std::string text = PlainText(Text(t, 1));
    const double height = Real(t, 40, 1.0);
    const double rotation = Real(t, 50, 0.0) * kDegToRad;
    const int h = Int(t, 72, 0), v = Int(t, verticalCode, 0);
    Point3d origin = PointAt(t, 10);
    if ((h != 0 || v != 0) && h != 3 && h != 5 && Find(t, 11)) {
        const Point3d align = PointAt(t, 11);
        const double width = kTextWidthPerHeight * height * static_cast<double>(text.size());
        const double dx = (h == 1 || h == 4) ? -width / 2.0 : (h == 2 ? -width : 0.0);
        const double dy = h == 4 ? -height / 2.0 : (v == 2 ? -height / 2.0 : (v == 3 ? -height : 0.0));
        origin = {align.x + dx * std::cos(rotation) - dy * std::sin(rotation),
                  align.y + dx * std::sin(rotation) + dy * std::cos(rotation), align.z};
    }
    TextPiece(t, ctx, Ocs(Extrusion(t)), origin, height, rotation, std::move(text));
}

// MTEXT: the insertion point is a corner or middle of the text box chosen by the attachment point
// (71: 1 top left ... 9 bottom right); the shown origin is the left end of the first baseline.
void Extractor::MText(DxfTagSpan t, const Context& ctx)
{
    std::string raw;
    for (const DxfTag& tag : t)
        if (tag.code == 3)
            raw += tag.value;
    raw += Text(t, 1);
    std::string text = PlainMText(raw);
    const double height = Real(t, 40, 1.0);
    const Affine ocs = Ocs(Extrusion(t));
    double rotation = Real(t, 50, 0.0) * kDegToRad;
    if (Find(t, 11)) {
        // The x direction is in world coordinates; the rotation is measured in the OCS.
        const Point3d local = Transposed(ocs).Linear(PointAt(t, 11));
        if (std::hypot(local.x, local.y) > 0.0)
            rotation = std::atan2(local.y, local.x);
    }
    size_t lines = 1, longest = 0, current = 0;
    for (unsigned char ch : text) {
        if (ch == '\n') {
            ++lines;
            current = 0;
        } else if ((ch & 0xC0) != 0x80) {
            longest = std::max(longest, ++current);
        }
    }
    const int attach = std::clamp(Int(t, 71, 1), 1, 9);
    const double width = kTextWidthPerHeight * height * static_cast<double>(longest);
    const double boxHeight = height * (1.0 + kShownTextLineSpacing * static_cast<double>(lines - 1));
    const int col = (attach - 1) % 3, row = (attach - 1) / 3;
    const double dx = -width * col / 2.0;
    const double dy = row == 0 ? -height : (row == 1 ? boxHeight / 2.0 - height : boxHeight - height);
    // The insertion point is in world coordinates: move it into the OCS to offset it there.
    const Point3d insertion = PointAt(t, 10);
    const Point3d o = Transposed(ocs).Linear(insertion);
    const Point3d origin{o.x + dx * std::cos(rotation) - dy * std::sin(rotation),
                         o.y + dx * std::sin(rotation) + dy * std::cos(rotation), o.z};
    TextPiece(t, ctx, ocs, origin, height, rotation, std::move(text));
}

// A point shows as a dot: a piece whose two points coincide.
void Extractor::Point(DxfTagSpan t, const Context& ctx)
{
    const Point3d p = PointAt(t, 10);
    Piece(t, ctx, {}, {p, p}, false);
}

// SOLID and TRACE list their corners 1-2-4-3 (a bow tie if taken in order) and live in the OCS;
// 3DFACE lists them in order in world coordinates. Three corners when the last two coincide.
void Extractor::Face(DxfTagSpan t, const Context& ctx, bool solid)
{
    const Point3d p1 = PointAt(t, 10), p2 = PointAt(t, 11), p3 = PointAt(t, 12);
    const Point3d p4 = Find(t, 13) ? PointAt(t, 13) : p3;
    std::vector<Point3d> pts =
        solid ? std::vector<Point3d>{p1, p2, p4, p3} : std::vector<Point3d>{p1, p2, p3, p4};
    if (p3 == p4)
        pts.erase(pts.begin() + (solid ? 2 : 3));
    if (solid) {
        const double elevation = p1.z;
        for (Point3d& p : pts)
            p.z = elevation;
    }
    Piece(t, ctx, solid ? Ocs(Extrusion(t)) : Affine{}, pts, true, solid);
}

// HATCH boundary paths, read in file order by their counts. A path is a polyline (type bit 2) or a
// chain of line, arc, ellipse and spline edges; everything after the paths (pattern lines, seed
// points) is not geometry of the boundary.
void Extractor::Hatch(DxfTagSpan t, const Context& ctx)
{
    const Affine ocs = Ocs(Extrusion(t));
    const Affine full = ctx.xf * ocs;
    const double stretch = full.MaxStretch();
    size_t i = 0;
    const auto next = [&]() -> const DxfTag* { return i < t.size() ? &t[i++] : nullptr; };
    const auto peekCode = [&]() { return i < t.size() ? t[i].code : -1; };
    // The elevation point comes before the path count.
    double elevation = 0.0;
    bool solidFill = false;
    for (; i < t.size() && t[i].code != 91; ++i) {
        if (t[i].code == 30)
            elevation = Number(t[i].value);
        if (t[i].code == 70)
            solidFill = Integer(t[i].value, 0) == 1;
    }
    if (!next())
        return;
    const int paths = std::max(0, Integer(t[i - 1].value, 0));
    const auto readReal = [&](int code) {
        const DxfTag* tag = i < t.size() && t[i].code == code ? next() : nullptr;
        return tag ? Number(tag->value) : std::nan("");
    };
    const auto readInt = [&](int code, int fallback) {
        const DxfTag* tag = i < t.size() && t[i].code == code ? next() : nullptr;
        return tag ? Integer(tag->value, fallback) : fallback;
    };
    const auto skipTo = [&](int code) {
        while (i < t.size() && t[i].code != code)
            ++i;
    };
    for (int path = 0; path < paths && i < t.size(); ++path) {
        skipTo(92);
        const int type = readInt(92, 0);
        std::vector<Point3d> pts;
        bool broken = false;
        if (type & 2) {
            const bool hasBulges = readInt(72, 0) != 0;
            readInt(73, 1); // the closed flag: a hatch boundary is always a closed area
            const int count = std::max(0, readInt(93, 0));
            std::vector<Point3d> vertices;
            std::vector<double> bulges;
            for (int v = 0; v < count && i < t.size(); ++v) {
                const double x = readReal(10), y = readReal(20);
                const double b = hasBulges && peekCode() == 42 ? readReal(42) : 0.0;
                vertices.push_back({x, y, elevation});
                bulges.push_back(b);
            }
            if (!vertices.empty()) {
                pts.push_back(vertices.front());
                for (size_t v = 0; v < vertices.size(); ++v)
                    AppendBulge(pts, vertices[v], vertices[(v + 1) % vertices.size()], bulges[v], stretch, Room());
            }
        } else {
            const int edges = std::max(0, readInt(93, 0));
            for (int edge = 0; edge < edges && i < t.size() && !broken; ++edge) {
                skipTo(72);
                const int kind = readInt(72, 0);
                std::vector<Point3d> e;
                if (kind == 1) {
                    const double x0 = readReal(10), y0 = readReal(20), x1 = readReal(11), y1 = readReal(21);
                    e = {{x0, y0, elevation}, {x1, y1, elevation}};
                } else if (kind == 2 || kind == 3) {
                    const double cx = readReal(10), cy = readReal(20);
                    double mx = 0.0, my = 0.0;
                    if (kind == 3) {
                        mx = readReal(11);
                        my = readReal(21);
                    }
                    const double r = readReal(40); // radius, or the minor-to-major ratio of an ellipse
                    double a0 = readReal(50) * kDegToRad, a1 = readReal(51) * kDegToRad;
                    const bool ccw = readInt(73, 1) != 0;
                    // A clockwise edge stores the angles of its mirror image: negate them.
                    if (!ccw) {
                        a0 = -a0;
                        a1 = -a1;
                    }
                    const double sweep = CcwSweep(ccw ? a0 : a1, ccw ? a1 : a0);
                    const double major = kind == 2 ? r : std::hypot(mx, my);
                    const double ratio = kind == 2 ? 1.0 : r;
                    if (!std::isfinite(sweep) || !(major > 0.0) || !std::isfinite(major) ||
                        !std::isfinite(ratio)) {
                        broken = true;
                        break;
                    }
                    const Point3d ax = kind == 2 ? Point3d{r, 0, 0} : Point3d{mx, my, 0};
                    const Point3d ay = Point3d{-ax.y, ax.x, 0} * ratio;
                    const int chords = ArcChords(sweep, major * stretch);
                    for (int k = 0; k <= chords; ++k) {
                        const double u = ccw ? a0 + sweep * k / chords : a0 - sweep * k / chords;
                        e.push_back({cx + ax.x * std::cos(u) + ay.x * std::sin(u),
                                     cy + ax.y * std::cos(u) + ay.y * std::sin(u), elevation});
                    }
                } else if (kind == 4) {
                    SplineDef s;
                    s.degree = readInt(94, 3);
                    const bool rational = readInt(73, 0) != 0;
                    readInt(74, 0);
                    const int knots = std::max(0, readInt(95, 0));
                    const int control = std::max(0, readInt(96, 0));
                    for (int k = 0; k < knots && peekCode() == 40; ++k)
                        s.knots.push_back(readReal(40));
                    for (int k = 0; k < control && peekCode() == 10; ++k) {
                        const double x = readReal(10), y = readReal(20);
                        s.control.push_back({x, y, elevation});
                        if (peekCode() == 42)
                            s.weights.push_back(readReal(42));
                    }
                    if (!rational)
                        s.weights.clear();
                    if (peekCode() == 97) {
                        const int fits = std::max(0, readInt(97, 0));
                        for (int k = 0; k < fits && peekCode() == 11; ++k) {
                            const double x = readReal(11), y = readReal(21);
                            s.fit.push_back({x, y, elevation});
                        }
                    }
                    for (const Point3d& p : s.control)
                        broken = broken || !Finite(p);
                    for (const Point3d& p : s.fit)
                        broken = broken || !Finite(p);
                    if (!broken)
                        e = SplinePoints(std::move(s), {});
                } else {
                    broken = true;
                }
                // Edges join end to start; the first point of an edge repeats the last one.
                if (!pts.empty() && !e.empty())
                    e.erase(e.begin());
                pts.insert(pts.end(), e.begin(), e.end());
            }
        }
        if (broken)
            continue;
        if (pts.size() > 2 &&
            std::hypot(pts.front().x - pts.back().x, pts.front().y - pts.back().y) < kShapeChordTolerance)
            pts.pop_back();
        Piece(t, ctx, ocs, pts, true, solidFill);
    }
}

void Extractor::Leader(DxfTagSpan t, const Context& ctx)
{
    std::vector<Point3d> pts;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].code == 10)
            pts.push_back({Number(t[i].value), 0.0, 0.0});
        else if (t[i].code == 20 && !pts.empty())
            pts.back().y = Number(t[i].value);
        else if (t[i].code == 30 && !pts.empty())
            pts.back().z = Number(t[i].value);
    }
    Piece(t, ctx, {}, pts, false);
}

// WIPEOUT and IMAGE: the clip boundary when there is one, else the image's rectangle. Clip
// vertices are in pixels from the image's top-left corner, pixel centres at whole numbers.
void Extractor::ClipOutline(DxfTagSpan t, const Context& ctx)
{
    const Point3d insert = PointAt(t, 10), u = PointAt(t, 11), v = PointAt(t, 12);
    const double w = Real(t, 13, 1.0), h = Real(t, 23, 1.0);
    std::vector<Point3d> clip;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].code == 14)
            clip.push_back({Number(t[i].value), 0.0, 0.0});
        else if (t[i].code == 24 && !clip.empty())
            clip.back().y = Number(t[i].value);
    }
    const bool clipping = Int(t, 280, 1) != 0;
    if (!clipping || clip.size() < 2) {
        clip = {{-0.5, h - 0.5, 0}, {w - 0.5, h - 0.5, 0}, {w - 0.5, -0.5, 0}, {-0.5, -0.5, 0}};
    } else if (clip.size() == 2 || Int(t, 71, 2) == 1) {
        const Point3d a = clip[0], b = clip[1];
        clip = {a, {b.x, a.y, 0}, b, {a.x, b.y, 0}};
    }
    std::vector<Point3d> pts;
    const Point3d origin = insert + u * 0.5 - v * 0.5;
    for (const Point3d& p : clip)
        pts.push_back(origin + u * p.x + v * (h - p.y));
    if (pts.size() > 2 && pts.front() == pts.back())
        pts.pop_back();
    Piece(t, ctx, {}, pts, true);
}

void Extractor::Block(const DxfBlockDef& block, const Context& ctx)
{
    for (const DxfEntityTags& e : block.entities) {
        if (++m_budget.visits > kMaxEntityVisits || m_allowance.visits == 0)
            return;
        --m_allowance.visits;
        Entity(e, ctx);
    }
}

// INSERT and MINSERT: block coordinates p land at OCS(insert + Rz·(S·(p − base) + array offset)).
// Attributes are already placed in the reference's own coordinates.
void Extractor::Insert(const DxfEntityTags& e, const Context& ctx)
{
    const DxfTagSpan t = e.main;
    if (ctx.depth < kMaxBlockDepth) {
        const DxfBlockDef* block = m_blocks.FindBlock(Trim(Text(t, 2)));
        if (block) {
            Context inner;
            inner.inBlock = true;
            inner.refLayer = LayerOf(t, ctx);
            inner.refAci = AciOf(t, ctx);
            inner.depth = ctx.depth + 1;
            const Affine place = ctx.xf * Ocs(Extrusion(t)) * Translation(PointAt(t, 10)) *
                                 RotationZ(Real(t, 50, 0.0) * kDegToRad);
            const Affine local = Scaling(Real(t, 41, 1.0), Real(t, 42, 1.0), Real(t, 43, 1.0)) *
                                 Translation(block->basePoint * -1.0);
            const int columns = std::clamp(Int(t, 70, 1), 1, kMaxInsertCopies);
            const int rows = std::clamp(Int(t, 71, 1), 1, kMaxInsertCopies / columns);
            const double dx = Real(t, 44, 0.0), dy = Real(t, 45, 0.0);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < columns; ++c) {
                    if (++m_budget.expansions > kMaxBlockExpansions)
                        return;
                    inner.xf = place * Translation({c * dx, r * dy, 0.0}) * local;
                    Block(*block, inner);
                }
        }
    }
    for (const DxfTagSpan& sub : e.subs)
        if (SameIgnoringCase(KindOf(sub), "ATTRIB") && (Int(sub, 70, 0) & 1) == 0)
            SingleText(sub, ctx, 74);
}

// A DIMENSION shows the anonymous block that holds its lines, arrows and text, already placed in
// world coordinates.
void Extractor::Dimension(DxfTagSpan t, const Context& ctx)
{
    if (ctx.depth >= kMaxBlockDepth || ++m_budget.expansions > kMaxBlockExpansions)
        return;
    const DxfBlockDef* block = m_blocks.FindBlock(Trim(Text(t, 2)));
    if (!block)
        return;
    Context inner;
    inner.inBlock = true;
    inner.refLayer = LayerOf(t, ctx);
    inner.refAci = AciOf(t, ctx);
    inner.depth = ctx.depth + 1;
    inner.xf = ctx.xf;
    Block(*block, inner);
}

void Extractor::Entity(const DxfEntityTags& e, const Context& ctx)
{
    if (m_budget.points >= kMaxShownPoints || m_allowance.points == 0) // nothing more can be shown
        return;
    const DxfTagSpan t = e.main;
    if (Int(t, 60, 0) == 1) // invisible
        return;
    const std::string_view kind = KindOf(t);
    const auto is = [&](std::string_view name) { return SameIgnoringCase(kind, name); };
    if (is("LINE"))
        Line(t, ctx);
    else if (is("ARC"))
        ArcOrCircle(t, ctx, false);
    else if (is("CIRCLE"))
        ArcOrCircle(t, ctx, true);
    else if (is("LWPOLYLINE"))
        LwPolyline(t, ctx);
    else if (is("POLYLINE"))
        Polyline(e, ctx);
    else if (is("SPLINE"))
        Spline(t, ctx);
    else if (is("ELLIPSE"))
        Ellipse(t, ctx);
    else if (is("TEXT"))
        SingleText(t, ctx, 73);
    else if (is("MTEXT"))
        MText(t, ctx);
    else if (is("POINT"))
        Point(t, ctx);
    else if (is("SOLID") || is("TRACE"))
        Face(t, ctx, true);
    else if (is("3DFACE"))
        Face(t, ctx, false);
    else if (is("HATCH"))
        Hatch(t, ctx);
    else if (is("LEADER"))
        Leader(t, ctx);
    else if (is("WIPEOUT") || is("IMAGE"))
        ClipOutline(t, ctx);
    else if (is("INSERT"))
        Insert(e, ctx);
    else if (is("DIMENSION"))
        Dimension(t, ctx);
    // ATTDEF inside a block is the template of an attribute, not shown; other kinds are unknown.
}

} // namespace

std::optional<ShownGeometry> ShapesOfEntity(const DxfEntityTags& entity, const DxfBlockLookup& blocks)
{
    ShapeAllowance allowance;
    return ShapesOfEntity(entity, blocks, allowance);
}

std::optional<ShownGeometry> ShapesOfEntity(const DxfEntityTags& entity, const DxfBlockLookup& blocks,
                                            ShapeAllowance& allowance)
{
    ShownGeometry out;
    Extractor(blocks, out, allowance).Entity(entity, Context{});
    if (out.pieces.empty() && out.texts.empty())
        return std::nullopt;
    return out;
}

std::string PlainMText(std::string_view raw)
{
    std::string out;
    // Skips to the ';' that ends a formatting code; returns the index after it.
    const auto skipCode = [&](size_t i) {
        const size_t semi = raw.find(';', i);
        return semi == std::string_view::npos ? raw.size() : semi + 1;
    };
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (size_t used = PercentCode(raw, i, out)) {
            i += used;
            continue;
        }
        if (c == '^' && i + 1 < raw.size()) {
            // Caret notation of control characters: ^J a line feed, ^I a tab, "^ " a caret.
            const char n = raw[i + 1];
            if (n == 'J')
                out += '\n';
            else if (n == 'I')
                out += ' ';
            else if (n == ' ')
                out += '^';
            else if (n < '@' || n > '_')
                out.append(raw.substr(i, 2));
            i += 2;
            continue;
        }
        if (c != '\\' || i + 1 >= raw.size()) {
            out += c;
            ++i;
            continue;
        }
        if (size_t used = UnicodeCode(raw, i, out)) {
            i += used;
            continue;
        }
        const char code = raw[i + 1];
        switch (code) {
        case 'P':
        case 'X':
        case 'N':
            out += '\n';
            i += 2;
            break;
        case '~':
            out += ' ';
            i += 2;
            break;
        case '\\':
        case '{':
        case '}':
            out += code;
            i += 2;
            break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k':
            i += 2;
            break;
        case 'M':
            i = std::min(raw.size(), i + 8);
            break; // \M+nXXXX: a double-byte character
        case 'S': {
            // Stacked text up to ';': numerator, one of ^ / #, denominator, shown as "a/b".
            std::string top, bottom;
            bool below = false;
            size_t j = i + 2;
            for (; j < raw.size() && raw[j] != ';'; ++j) {
                char ch = raw[j];
                if (ch == '\\' && j + 1 < raw.size()) {
                    ch = raw[++j];
                } else if (!below && (ch == '^' || ch == '/' || ch == '#')) {
                    below = true;
                    continue;
                }
                (below ? bottom : top) += ch;
            }
            out += top;
            if (below) {
                out += '/';
                const size_t lead = bottom.find_first_not_of(' ');
                if (lead != std::string::npos)
                    out.append(bottom, lead, std::string::npos);
            }
            i = std::min(raw.size(), j + 1);
            break;
        }
        case 'f':
        case 'F':
        case 'H':
        case 'W':
        case 'Q':
        case 'T':
        case 'A':
        case 'C':
        case 'c':
        case 'p':
            i = skipCode(i + 2);
            break;
        default:
            out += code;
            i += 2;
            break;
        }
    }
    return out;
}

} // namespace velrok::host
