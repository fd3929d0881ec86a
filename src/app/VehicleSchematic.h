// The schematic `Image1` of the vehicle definition tab: a side view of each of the thirteen
// configurations, drawn to scale from the current field values, with the dimension letters
// (F, WB, B, H, F2 ...) on dimension lines between the points they measure.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace velrok::app {

// Lengths of the sixteen dimension fields in drawing units, as the schematic draws them.
struct SchematicDims {
    double F = 1.4, WB = 5.6, B = 2.6, H = 2.65;
    double F2 = 0.91, WB2 = 9.3, B2 = 2.1, H2 = 3;
    double F3 = 0.91, WB3 = 9.3, B3 = 2.1, H3 = 3;
    double F4 = 0.91, WB4 = 9.3, B4 = 2.1, H4 = 3;
};

// The picture in model units: x from the front bumper backwards, y up from the ground.
enum class PartStyle { Cab, Box, Chassis, BusBody, CarBody, Caravan, Bellows };
struct SchematicPart {
    PartStyle style;
    double x0, x1; // front and back
    double y0, y1; // bottom and top
};
struct SchematicWheel {
    double x;
    double radius;
};
struct SchematicBar { // a drawbar or A-frame between two points at one height
    double x0, x1, y;
};
struct SchematicDimension {
    QString letter; // "F", "WB", "H2" ...
    double x0, x1;  // the two points it measures
    int row = 0;    // dimension row below the ground line, 0 nearest
};
struct SchematicLayout {
    std::vector<SchematicPart> parts;
    std::vector<SchematicWheel> wheels;
    std::vector<SchematicBar> bars;
    std::vector<double> couplings; // fifth wheels and coupling pins
    std::vector<SchematicDimension> dimensions;
    double minX = 0, maxX = 1, maxY = 1;
};

// The picture key of a configuration code ("Truck" ... "TandemTrailer"), empty outside 1-13.
QString SchematicKey(int code);

// The side view of a configuration with its dimension lines. Dimension rows are chosen so that
// no two letters of one row overlap.
SchematicLayout LayOutSchematic(int code, const SchematicDims& dims);

class VehicleSchematic : public QWidget {
    Q_OBJECT
  public:
    explicit VehicleSchematic(QWidget* parent = nullptr);

    void ShowPicture(int code, const SchematicDims& dims);
    // The splash shows the bare side view, without dimension lines.
    void SetShowDimensions(bool show);
    int Code() const { return m_code; }
    QString Key() const { return SchematicKey(m_code); }
    const SchematicLayout& Layout() const { return m_layout; }
    // Where a letter stands on the widget after the last paint layout; a null rect when absent.
    QRectF LetterRect(const QString& letter) const;

    QSize sizeHint() const override { return {640, 240}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Mapping {
        double scale = 1, originX = 0, groundY = 0;
        QPointF operator()(double x, double y) const { return {originX + x * scale, groundY - y * scale}; }
    };
    Mapping MappingFor(const QRectF& area) const;
    QRectF LetterRectFor(const SchematicDimension& d, const Mapping& m) const;

    int m_code = 0;
    bool m_showDimensions = true;
    SchematicLayout m_layout;
};

} // namespace velrok::app
