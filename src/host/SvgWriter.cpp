// SVG picture of the drawing. Curves are drawn as polylines fine enough for the picture size.
#include "host/SvgWriter.h"

#include "host/HostColors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <numbers>

namespace velrok::host {

namespace {

constexpr int kMinCurveSamples = 24;
constexpr double kPixelsPerSample = 3.0;

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string Num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

// The points an element is drawn through, in drawing units; texts give their origin.
std::vector<Point3d> Outline(const DrawingElement& e, double unitsPerSample)
{
    if (e.kind == ElementKind::Text)
        return {e.extras->text.origin};
    const bool straight = (e.kind == ElementKind::LineString || e.kind == ElementKind::Line ||
                           e.kind == ElementKind::Polyline) &&
                          std::all_of(e.extras->bulges.begin(), e.extras->bulges.end(), [](double b) { return b == 0.0; });
    if (straight) {
        std::vector<Point3d> points = e.vertices;
        if (e.closed && !points.empty())
            points.push_back(points.front());
        return points;
    }
    const PathCurve curve = CurveOf(e);
    const double length = curve.Length();
    const int samples =
        std::clamp(static_cast<int>(length / std::max(unitsPerSample, 1e-12)), kMinCurveSamples, 20000);
    std::vector<Point3d> points;
    points.reserve(static_cast<size_t>(samples) + 1);
    for (int i = 0; i <= samples; ++i)
        points.push_back(curve.PointAtDistance(length * i / samples));
    return points;
}

} // namespace

std::string WriteSvgText(const InMemoryDrawing& drawing, const SvgOptions& options)
{
    const auto elements = drawing.ModelElements();
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = std::numeric_limits<double>::lowest(), maxY = maxX;
    std::vector<std::vector<Point3d>> outlines;
    // A first pass with a coarse sampling finds the extents; the second samples for the picture.
    for (const DrawingElement* e : elements)
        for (const Point3d& p : Outline(*e, std::numeric_limits<double>::max())) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    if (elements.empty()) {
        minX = minY = 0.0;
        maxX = maxY = 1.0;
    }
    const double spanX = std::max(maxX - minX, 1e-9), spanY = std::max(maxY - minY, 1e-9);
    const double inner = options.width - 2 * options.margin;
    const double scale = inner / std::max(spanX, spanY);
    // The longer side of the drawing fills `width`; the canvas takes the drawing's proportions, so
    // a tall drawing gets a tall, narrow picture rather than a square one with the drawing at the left.
    const double width = spanX * scale + 2 * options.margin;
    const double height = spanY * scale + 2 * options.margin;
    auto px = [&](const Point3d& p) { return Num(options.margin + (p.x - minX) * scale); };
    auto py = [&](const Point3d& p) { return Num(height - options.margin - (p.y - minY) * scale); };

    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
           "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) + "\">\n";
    out += "<title>" + Escape(drawing.Caption()) + "</title>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"" + Escape(options.background) + "\"/>\n";
    for (const DrawingLevel& level : drawing.LevelTable()) {
        std::string body;
        for (const DrawingElement* e : elements) {
            if (!(e->level == level.handle))
                continue;
            const int color = drawing.EffectiveColor(*e);
            const int aci = e->color == kColorByLevel ? (e->dxfColor ? e->dxfColor : level.dxfColor) : 0;
            const std::string rgb = aci > 0 && color == level.color ? AciRgb(aci) : HostColorRgb(color);
            if (e->kind == ElementKind::Text) {
                const double angle = -e->extras->text.rotation * 180.0 / std::numbers::pi;
                body += "<text x=\"" + px(e->extras->text.origin) + "\" y=\"" + py(e->extras->text.origin) +
                        "\" font-size=\"" + Num(std::max(e->extras->text.height * scale, 1.0)) + "\" fill=\"" + rgb +
                        "\" transform=\"rotate(" + Num(angle) + " " + px(e->extras->text.origin) + " " +
                        py(e->extras->text.origin) + ")\">" + Escape(e->extras->text.text) + "</text>\n";
                continue;
            }
            body += "<polyline fill=\"none\" stroke=\"" + rgb + "\" stroke-width=\"" +
                    Num(1.0 + 0.5 * std::max(0, drawing.EffectiveWeight(*e))) + "\"";
            if (auto style = drawing.EffectiveLineStyle(*e);
                style && !drawing.LineStyle(*style).dashes.empty()) {
                body += " stroke-dasharray=\"";
                for (double d : drawing.LineStyle(*style).dashes)
                    body += Num(std::max(std::abs(d) * scale, 1.0)) + " ";
                body.back() = '"';
            }
            body += " points=\"";
            for (const Point3d& p : Outline(*e, kPixelsPerSample / scale))
                body += px(p) + "," + py(p) + " ";
            body.back() = '"';
            body += "/>\n";
        }
        if (!body.empty())
            out += "<g data-level=\"" + Escape(level.name) + "\">\n" + body + "</g>\n";
    }
    out += "</svg>\n";
    return out;
}

bool WriteSvgFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error,
                  const SvgOptions& options)
{
    const std::string text = WriteSvgText(drawing, options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
        error = "Cannot write SVG file \"" + path + "\"";
        return false;
    }
    return true;
}

} // namespace velrok::host
