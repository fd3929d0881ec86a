// Building the two result diagrams from the series of a run.
#include "app/diagrams/DiagramPicture.h"

#include "common/NumberText.h"

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

} // namespace

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

DiagramPicture AngleDiagram(const SweepResults& results)
{
    DiagramPicture p;
    p.kind = DiagramKind::Angle;
    p.xMax = HorizontalExtent(results);
    p.yTop = kAngleTop;
    p.yBottom = kAngleBottom;
    AddCurve(p, results.SteerAngleSeries, kRed);
    AddCurve(p, results.ArticAngleSeries1, kYellow);
    AddCurve(p, results.ArticAngleSeries2, kGreen);
    AddCurve(p, results.ArticAngleSeries3, kBlue);
    for (double y : {0.0, 50.0, -50.0})
        AddGridLine(p, y);
    p.texts = {{0.0, 6.0, 0, "0%", kWhite},
               {0.0, 57.0, 0, "50%", kWhite},
               {0.0, -43.0, 0, "-50%", kWhite},
               {0.0, 100.0, 0, "100%", kWhite},
               // The legend continues downwards from the top-left corner, under "100%".
               {0.0, 100.0, 1, " ", kWhite},
               {0.0, 100.0, 2, " Truck", kRed},
               {0.0, 100.0, 3, " Segment #1", kYellow},
               {0.0, 100.0, 4, " Segment #2", kGreen},
               {0.0, 100.0, 5, " Segment #3", kBlue},
               {0.0, -92.0, 0, "-100%", kWhite}};
    return p;
}

DiagramPicture SpeedDiagram(const SweepResults& results, int speedUnitIndex)
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
    return p;
}

std::string PointerReadout(DiagramKind kind, double x, double y, char decimalSeparator)
{
    return "Front Wheel Station: " + FormatNumber(RoundHalfEven(x, 2), decimalSeparator) +
           (kind == DiagramKind::Speed ? "   Speed: " : "   Angle(%): ") +
           FormatNumber(RoundHalfEven(y, 2), decimalSeparator);
}

} // namespace velrok::app
