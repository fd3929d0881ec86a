// The angle and speed diagrams of a sweep run as plain pictures in user coordinates: curves,
// dotted grid lines and texts, built from the run's series without a window, so what is drawn
// can be checked line by line; and the pointer readout text.
#pragma once

#include "sweep/SweepRun.h"

#include <string>
#include <vector>

namespace velrok::app {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
// The third trailing unit's curve and legend: pure blue cannot be read on the dark background.
inline constexpr Rgb kLightBlue{100, 160, 255};
inline constexpr Rgb kDiagramBackground{16, 16, 24};
// Every line and text of a diagram stands out at least this much from the background.
inline constexpr double kMinReadableContrast = 3.0;
// The ratio of the lighter colour's relative luminance to the darker one's, each plus 0.05 (sRGB
// luminance as screen readability checks use it): 1 for equal colours, 21 for white on black.
double ContrastRatio(Rgb a, Rgb b);

// User coordinates of the two diagrams: y at the top and bottom edges.
inline constexpr double kAngleTop = 100.0, kAngleBottom = -100.0;
inline constexpr double kSpeedTop = 35.0, kSpeedBottom = -5.0;

// The station axis along the bottom edge: at most this many labelled ticks, each this share of the
// diagram's height long; ticks nearer the left edge than kAxisLeftClearance of the extent are
// left out, where the value labels stand.
inline constexpr int kMaxStationTicks = 8;
inline constexpr double kTickShare = 0.03;
inline constexpr double kAxisLeftClearance = 0.12;
inline constexpr const char* kStationAxisTitle = "Station ";

enum class DiagramKind { Angle, Speed };
enum class TextAlign { Left, Centre, Right };

struct DiagramLine {
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    Rgb color;
    bool dotted = false;
    bool fullWidth = false; // a grid line from the left edge to the right edge at y1
};

// A text whose top lies `linesBelow` text lines under user y `top`, at user x `x`.
struct DiagramText {
    double x = 0.0;
    double top = 0.0;
    int linesBelow = 0;
    std::string text;
    Rgb color;
    TextAlign align = TextAlign::Left; // which part of the text stands at x
};

struct DiagramPicture {
    DiagramKind kind = DiagramKind::Angle;
    double xMax = 0.0; // the horizontal extent; 0 when the run ended after its first station
    double yTop = kAngleTop, yBottom = kAngleBottom;
    std::vector<DiagramLine> lines; // in drawing order
    std::vector<DiagramText> texts; // in drawing order
};

// The station distance of the last column of SteerAngleSeries (0 when it has none).
double HorizontalExtent(const SweepResults& results);
// " mph" for Combo4 entry 1, " m/s" for entry 2, " km/h" otherwise.
std::string SpeedUnitLabel(int speedUnitIndex);

// The spacing of the station ticks: the smallest 1, 2 or 5 times a power of ten that gives at most
// kMaxStationTicks ticks over `extent` (0 for no extent).
double StationTickStep(double extent);
// The trailing units whose angle the run records (drawbars are not): 0 to 3.
int TrailingUnitCount(const SweepResults& results);

// Station labels are written with `decimalSeparator`.
DiagramPicture AngleDiagram(const SweepResults& results, char decimalSeparator = '.');
DiagramPicture SpeedDiagram(const SweepResults& results, int speedUnitIndex, char decimalSeparator = '.');

// "Front Wheel Station: <x>   Angle(%): <y>" (or "   Speed: "), both rounded half to even to two
// decimals and written with the user's decimal separator.
std::string PointerReadout(DiagramKind kind, double x, double y, char decimalSeparator);

} // namespace velrok::app
