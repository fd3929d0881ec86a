// Building the two result diagrams from the series of a run.
#include "app/diagrams/DiagramPicture.h"

#include "common/NumberText.h"
#include "geometry/SweepTypes.h"

#include <algorithm>
#include <cmath>

namespace velrok::app {

namespace {

// One solid line per pair of neighbouring columns 1..n; column 0 of every series is unused.
void AddCurve(DiagramPicture& picture, const std::vector<SeriesEntry>& series, Rgb color)
{
    if (picture.xMax <= 0.0)
        return; // a run of one station has no horizontal extent to draw along
    for (size_t c = 1; c + 1 < series.size(); ++c)
        picture.lines.push_back({series[c].station, series[c].value, series[c + 1].station,
                                 series[c + 1].value, color, false, false});
}

void AddGridLine(DiagramPicture& picture, double y)
{
    picture.lines.push_back({0.0, y, picture.xMax, y, kWhite, true, true});
}

// Ticks and labels of the station axis along the bottom edge, and its title at the right end.
void AddStationAxis(DiagramPicture& picture, char decimalSeparator)
{
    const double step = StationTickStep(picture.xMax);
    if (step <= 0.0)
        return;
    const double tick = kTickShare * (picture.yTop - picture.yBottom);
    for (int k = 1; k * step < picture.xMax; ++k) {
        const double x = k * step;
        if (x < kAxisLeftClearance * picture.xMax || x > (1.0 - kAxisLeftClearance) * picture.xMax)
            continue; // the value labels stand at the left, the title at the right
        picture.lines.push_back({x, picture.yBottom, x, picture.yBottom + tick, kWhite, false, false});
        picture.texts.push_back({x, picture.yBottom + tick, -1,
                                 FormatNumber(RoundHalfEven(x, 2), decimalSeparator), kWhite,
                                 TextAlign::Centre});
    }
    picture.texts.push_back({picture.xMax, picture.yBottom, -1, kStationAxisTitle, kWhite, TextAlign::Right});
}

} // namespace

double ContrastRatio(Rgb a, Rgb b)
{
    auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    auto luminance = [&](Rgb c) {
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
    };
    const double la = luminance(a) + 0.05, lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

double StationTickStep(double extent)
{
    if (!(extent > 0.0) || !std::isfinite(extent))
        return 0.0;
    double power = std::pow(10.0, std::floor(std::log10(extent / kMaxStationTicks)));
    for (;;) {
        for (double m : {1.0, 2.0, 5.0})
            if (extent / (m * power) <= kMaxStationTicks + 1e-9)
                return m * power;
        power *= 10.0;
    }
}

int TrailingUnitCount(const SweepResults& results)
{
    if (!results.Segments.empty()) {
        const auto bodies = std::count_if(results.Segments.begin() + 1, results.Segments.end(),
                                          [](const SegmentSpec& s) { return s.Kind != kKindDrawbar; });
        return static_cast<int>(std::min<std::ptrdiff_t>(bodies, 3));
    }
    // No unit table (a run refused before it was built): the series tell which units ran.
    int count = 0;
    for (const auto* series :
         {&results.ArticAngleSeries1, &results.ArticAngleSeries2, &results.ArticAngleSeries3})
        count += series->size() > 1;
    return count;
}

double HorizontalExtent(const SweepResults& results)
{
    return results.SteerAngleSeries.size() >= 2 ? results.SteerAngleSeries.back().station : 0.0;
}

std::string SpeedUnitLabel(int speedUnitIndex)
{
    if (speedUnitIndex == static_cast<int>(SpeedUnit::Mph))
        return " mph";
    if (speedUnitIndex == static_cast<int>(SpeedUnit::Ms))
        return " m/s";
    return " km/h";
}

DiagramPicture AngleDiagram(const SweepResults& results, char decimalSeparator)
{
    DiagramPicture p;
    p.kind = DiagramKind::Angle;
    p.xMax = HorizontalExtent(results);
    p.yTop = kAngleTop;
    p.yBottom = kAngleBottom;
    AddCurve(p, results.SteerAngleSeries, kRed);
    AddCurve(p, results.ArticAngleSeries1, kYellow);
    AddCurve(p, results.ArticAngleSeries2, kGreen);
    AddCurve(p, results.ArticAngleSeries3, kLightBlue);
    for (double y : {0.0, 50.0, -50.0})
        AddGridLine(p, y);
    p.texts = {{0.0, 6.0, 0, "0%", kWhite},
               {0.0, 57.0, 0, "50%", kWhite},
               {0.0, -43.0, 0, "-50%", kWhite},
               {0.0, 100.0, 0, "100%", kWhite},
               // The legend continues downwards from the top-left corner, under "100%", and lists
               // only the units the vehicle has.
               {0.0, 100.0, 1, " ", kWhite},
               {0.0, 100.0, 2, " Truck", kRed}};
    const Rgb unitColors[] = {kYellow, kGreen, kLightBlue};
    const int trailing = TrailingUnitCount(results);
    for (int u = 1; u <= trailing; ++u)
        p.texts.push_back({0.0, 100.0, 2 + u, " Segment #" + std::to_string(u), unitColors[u - 1]});
    p.texts.push_back({0.0, -92.0, 0, "-100%", kWhite});
    AddStationAxis(p, decimalSeparator);
    return p;
}

DiagramPicture SpeedDiagram(const SweepResults& results, int speedUnitIndex, char decimalSeparator)
{
    DiagramPicture p;
    p.kind = DiagramKind::Speed;
    p.xMax = HorizontalExtent(results);
    p.yTop = kSpeedTop;
    p.yBottom = kSpeedBottom;
    AddCurve(p, results.SpeedSeries, kRed);
    for (double y : {30.0, 0.0, 20.0, 10.0})
        AddGridLine(p, y);
    const std::string unit = SpeedUnitLabel(speedUnitIndex);
    p.texts = {{0.0, 2.0, 0, " 0 " + unit, kWhite},
               {0.0, 32.0, 0, " 30 " + unit + " or more", kWhite},
               {0.0, 12.0, 0, " 10 " + unit, kWhite},
               {0.0, 22.0, 0, " 20 " + unit, kWhite}};
    AddStationAxis(p, decimalSeparator);
    return p;
}

std::string PointerReadout(DiagramKind kind, double x, double y, char decimalSeparator)
{
    return "Front Wheel Station: " + FormatNumber(RoundHalfEven(x, 2), decimalSeparator) +
           (kind == DiagramKind::Speed ? "   Speed: " : "   Angle(%): ") +
           FormatNumber(RoundHalfEven(y, 2), decimalSeparator);
}

} // namespace velrok::app
