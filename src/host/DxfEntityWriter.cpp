// New entities, layers, line types and groups in DXF form.
#include "host/DxfEntityWriter.h"

#include "host/DxfDocument.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace velrok::host {

namespace {

constexpr double kRadToDeg = 180.0 / std::numbers::pi;
// An ellipse or spline written into an R12 file becomes a polyline of this many chords.
constexpr int kR12CurveChords = 128;

bool SameZ(const std::vector<Point3d>& vertices)
{
    return std::all_of(vertices.begin(), vertices.end(), [&](const Point3d& p) { return p.z == vertices.front().z; });
}

void Head(DxfOut& out, const char* type, const DxfEntityForm& f)
{
    out.Pair(0, type);
    if (f.handles && f.handle != 0)
        out.Handle(5, f.handle);
    if (!f.r12) {
        if (!f.reactors.empty()) {
            out.Pair(102, "{ACAD_REACTORS");
            for (uint64_t g : f.reactors)
                out.Handle(330, g);
            out.Pair(102, "}");
        }
        if (!f.owner.empty())
            out.Pair(330, f.owner);
        out.Pair(100, "AcDbEntity");
    }
    out.Pair(8, f.layer);
    if (!f.lineType.empty())
        out.Pair(6, f.lineType);
    if (f.aci != 256)
        out.Int(62, f.aci);
    if (!f.r12)
        out.Int(370, f.lineweight);
}

void Sub(DxfOut& out, const DxfEntityForm& f, const char* marker)
{
    if (!f.r12)
        out.Pair(100, marker);
}

// POLYLINE with VERTEX entities and SEQEND: the only polyline R12 has, and the 3D one of later
// versions.
void OldPolyline(DxfOut& out, const DxfEntityForm& f, const std::vector<Point3d>& vertices,
                 const std::vector<double>& bulges, bool closed, uint64_t& next)
{
    const bool flat = SameZ(vertices);
    Head(out, "POLYLINE", f);
    Sub(out, f, flat ? "AcDb2dPolyline" : "AcDb3dPolyline");
    out.Int(66, 1);
    out.Point(10, {0, 0, flat ? vertices.front().z : 0.0});
    out.Int(70, (flat ? 0 : 8) | (closed ? 1 : 0));
    const std::string ownerOfVertices = f.handles && f.handle != 0 ? HandleText(f.handle) : std::string();
    auto child = [&](const char* type) {
        out.Pair(0, type);
        if (f.handles && f.handle != 0)
            out.Handle(5, next++);
        if (!f.r12) {
            out.Pair(330, ownerOfVertices);
            out.Pair(100, "AcDbEntity");
        }
        out.Pair(8, f.layer);
    };
    for (size_t i = 0; i < vertices.size(); ++i) {
        child("VERTEX");
        if (!f.r12) {
            out.Pair(100, "AcDbVertex");
            out.Pair(100, flat ? "AcDb2dVertex" : "AcDb3dPolylineVertex");
        }
        out.Point(10, flat ? Point3d{vertices[i].x, vertices[i].y, 0.0} : vertices[i]);
        if (i < bulges.size() && bulges[i] != 0.0)
            out.Real(42, bulges[i]);
        out.Int(70, flat ? 0 : 32);
    }
    child("SEQEND");
}

std::vector<Point3d> Sampled(const DrawingElement& e)
{
    std::vector<Point3d> points;
    const PathCurve curve = CurveOf(e);
    const double length = curve.Length();
    for (int i = 0; i <= kR12CurveChords; ++i)
        points.push_back(curve.PointAtDistance(length * i / kR12CurveChords));
    return points;
}

} // namespace

void DxfOut::Code(int code)
{
    char buffer[8];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, code);
    m_text.append(buffer, end);
    m_text.append(m_eol);
}

void DxfOut::Pair(int code, std::string_view value)
{
    Code(code);
    m_text.append(value);
    m_text.append(m_eol);
    Spill();
}

void DxfOut::Raw(std::string_view text)
{
    if (m_sink && text.size() >= kSpillBytes) {
        Flush();
        m_sink->write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    m_text.append(text);
    Spill();
}

void DxfOut::Flush()
{
    if (!m_sink)
        return;
    m_sink->write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    m_text.clear();
}

void DxfOut::Int(int code, long long value)
{
    Code(code);
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_text.append(buffer, end);
    m_text.append(m_eol);
    Spill();
}

void DxfOut::Real(int code, double value)
{
    Code(code);
    if (value == 0.0)
        value = 0.0; // no "-0"
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_text.append(buffer, end);
    // Some readers want a decimal point in every real.
    if (std::string_view(buffer, end - buffer).find_first_of(".eE") == std::string_view::npos)
        m_text.append(".0");
    m_text.append(m_eol);
    Spill();
}

void DxfOut::Point(int code, const Point3d& p)
{
    Real(code, p.x);
    Real(code + 10, p.y);
    Real(code + 20, p.z);
}

void DxfOut::Handle(int code, uint64_t handle)
{
    Pair(code, HandleText(handle));
}

void WriteNewEntity(DxfOut& out, const DrawingElement& e, const DxfEntityForm& f, uint64_t& next)
{
    switch (e.kind) {
    case ElementKind::LineString:
    case ElementKind::Polyline: {
        const bool bulged = std::any_of(e.extras->bulges.begin(), e.extras->bulges.end(), [](double b) { return b != 0.0; });
        if (f.r12 || !(SameZ(e.vertices) || bulged)) {
            OldPolyline(out, f, e.vertices, e.extras->bulges, e.closed, next);
            return;
        }
        Head(out, "LWPOLYLINE", f);
        out.Pair(100, "AcDbPolyline");
        out.Int(90, static_cast<long long>(e.vertices.size()));
        out.Int(70, e.closed ? 1 : 0);
        out.Real(38, e.vertices.front().z);
        for (size_t i = 0; i < e.vertices.size(); ++i) {
            out.Real(10, e.vertices[i].x);
            out.Real(20, e.vertices[i].y);
            if (i < e.extras->bulges.size() && e.extras->bulges[i] != 0.0)
                out.Real(42, e.extras->bulges[i]);
        }
        return;
    }
    case ElementKind::Line:
        Head(out, "LINE", f);
        Sub(out, f, "AcDbLine");
        out.Point(10, e.vertices[0]);
        out.Point(11, e.vertices[1]);
        return;
    case ElementKind::Arc:
        Head(out, "ARC", f);
        Sub(out, f, "AcDbCircle");
        out.Point(10, e.arc->centre);
        out.Real(40, e.arc->radius);
        Sub(out, f, "AcDbArc");
        out.Real(50, e.arc->startAngle * kRadToDeg);
        out.Real(51, e.arc->endAngle * kRadToDeg);
        return;
    case ElementKind::Circle:
        Head(out, "CIRCLE", f);
        Sub(out, f, "AcDbCircle");
        out.Point(10, e.arc->centre);
        out.Real(40, e.arc->radius);
        return;
    case ElementKind::Ellipse: {
        const EllipseData& el = e.extras->ellipse;
        const bool full = std::abs(el.endParam - el.startParam - 2 * std::numbers::pi) < 1e-12;
        if (f.r12) {
            const double major = std::hypot(el.majorAxis.x, el.majorAxis.y, el.majorAxis.z);
            if (el.ratio == 1.0 && full && el.normal.z > 0.0) {
                Head(out, "CIRCLE", f);
                out.Point(10, el.centre);
                out.Real(40, major);
            } else
                OldPolyline(out, f, Sampled(e), {}, false, next);
            return;
        }
        Head(out, "ELLIPSE", f);
        out.Pair(100, "AcDbEllipse");
        out.Point(10, el.centre);
        out.Point(11, el.majorAxis);
        out.Point(210, el.normal);
        out.Real(40, el.ratio);
        out.Real(41, el.startParam);
        out.Real(42, el.endParam);
        return;
    }
    case ElementKind::Spline: {
        if (f.r12) {
            OldPolyline(out, f, Sampled(e), {}, false, next);
            return;
        }
        const SplineData& s = e.extras->spline;
        Head(out, "SPLINE", f);
        out.Pair(100, "AcDbSpline");
        out.Int(70, s.weights.empty() ? 0 : 4);
        out.Int(71, s.degree);
        out.Int(72, static_cast<int>(s.knots.size()));
        out.Int(73, static_cast<int>(s.controlPoints.size()));
        out.Int(74, 0);
        out.Real(42, 1e-10);
        out.Real(43, 1e-10);
        for (double k : s.knots)
            out.Real(40, k);
        for (size_t i = 0; i < s.controlPoints.size(); ++i) {
            out.Point(10, s.controlPoints[i]);
            if (!s.weights.empty())
                out.Real(41, s.weights[i]);
        }
        return;
    }
    case ElementKind::Text:
        Head(out, "TEXT", f);
        Sub(out, f, "AcDbText");
        out.Point(10, e.extras->text.origin);
        out.Real(40, e.extras->text.height);
        out.Pair(1, f.text);
        out.Real(50, e.extras->text.rotation * kRadToDeg);
        Sub(out, f, "AcDbText");
        return;
    case ElementKind::Shown:
        return; // kept entities are written from their own tags
    }
}

void WriteNewLayer(DxfOut& out, bool r12, uint64_t handle, const std::string& tableHandle, const std::string& name,
                   int aci, const std::string& lineType, int lineweight)
{
    out.Pair(0, "LAYER");
    if (!r12) {
        out.Handle(5, handle);
        out.Pair(330, tableHandle);
        out.Pair(100, "AcDbSymbolTableRecord");
        out.Pair(100, "AcDbLayerTableRecord");
    }
    out.Pair(2, name);
    out.Int(70, 0);
    out.Int(62, aci);
    out.Pair(6, lineType);
    if (!r12)
        out.Int(370, lineweight);
}

void WriteNewLineType(DxfOut& out, bool r12, uint64_t handle, const std::string& tableHandle,
                      const std::string& name, const std::string& description, const std::vector<double>& dashes)
{
    out.Pair(0, "LTYPE");
    if (!r12) {
        out.Handle(5, handle);
        out.Pair(330, tableHandle);
        out.Pair(100, "AcDbSymbolTableRecord");
        out.Pair(100, "AcDbLinetypeTableRecord");
    }
    out.Pair(2, name);
    out.Int(70, 0);
    out.Pair(3, description);
    out.Int(72, 65);
    out.Int(73, static_cast<int>(dashes.size()));
    double total = 0.0;
    for (double d : dashes)
        total += std::abs(d);
    out.Real(40, total);
    for (double d : dashes) {
        out.Real(49, d);
        if (!r12)
            out.Int(74, 0);
    }
}

void WriteNewGroup(DxfOut& out, uint64_t handle, uint64_t dictionary, const std::string& description,
                   const std::vector<std::string>& memberHandles)
{
    out.Pair(0, "GROUP");
    out.Handle(5, handle);
    out.Pair(102, "{ACAD_REACTORS");
    out.Handle(330, dictionary);
    out.Pair(102, "}");
    out.Handle(330, dictionary);
    out.Pair(100, "AcDbGroup");
    out.Pair(300, description);
    out.Int(70, 0);
    out.Int(71, 1);
    for (const std::string& m : memberHandles)
        out.Pair(340, m);
}

} // namespace velrok::host
