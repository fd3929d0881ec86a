// Side views of the thirteen configurations, laid out in metres and painted to scale.
#include "app/VehicleSchematic.h"

#include "vehicle/VehicleSchematic.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace velrok::app {

namespace {

// Typical heights and sizes of the side view, in metres; only lengths come from the fields.
constexpr double kTruckWheel = 0.5;
constexpr double kCarWheel = 0.32;
constexpr double kCabLength = 2.2;
constexpr double kCabTop = 3.1;
constexpr double kChassisBottom = 0.62;
constexpr double kChassisTop = 1.05;
constexpr double kDeck = 1.3;
constexpr double kBoxTop = 3.95;
constexpr double kBusBottom = 0.32;
constexpr double kBusTop = 3.15;
constexpr double kCarBottom = 0.28;
constexpr double kCarTop = 1.48;
constexpr double kCaravanBottom = 0.42;
constexpr double kCaravanTop = 2.55;
constexpr double kBarHeight = 0.72;
constexpr double kLetterWidthPerChar = 0.42; // room a letter of a dimension needs, in metres

// Pixels of the dimension rows under the ground line.
constexpr double kMargin = 12;
constexpr double kFirstRowGap = 18;
constexpr double kRowPitch = 21;

enum class Motor { Truck, Tractor, Bus, Car };
enum class Body { Semi, FullTrailer, CentreAxle, Caravan, BusRear };

struct Builder {
    SchematicLayout l;
    double wheelRadius = kTruckWheel;

    void Part(PartStyle s, double x0, double x1, double y0, double y1)
    {
        l.parts.push_back({s, std::min(x0, x1), std::max(x0, x1), y0, y1});
    }
    void Wheel(double x) { l.wheels.push_back({x, wheelRadius}); }
    void Bar(double x0, double x1, double y) { l.bars.push_back({x0, x1, y}); }
    void Dim(const char* letter, double x0, double x1) { l.dimensions.push_back({letter, x0, x1, 0}); }

    // The motor unit; returns its rear end. Axles at F and F + WB from the front bumper.
    double AddMotor(Motor m, const SchematicDims& d, bool withHitch)
    {
        const double fa = d.F, ra = d.F + d.WB, end = ra + d.B;
        const double hitch = ra + d.H;
        const double tail = withHitch ? std::max(end, hitch) : end;
        switch (m) {
        case Motor::Truck: {
            const double cab = std::min(kCabLength, 0.45 * std::max(end, 0.5));
            Part(PartStyle::Chassis, 0.15, tail, kChassisBottom, kChassisTop);
            Part(PartStyle::Cab, 0, cab, kChassisBottom, kCabTop);
            Part(PartStyle::Box, cab + 0.2, end, kChassisTop + 0.05, kBoxTop);
            break;
        }
        case Motor::Tractor: {
            const double cab = std::min(kCabLength, 0.5 * std::max(end, 0.5));
            Part(PartStyle::Chassis, 0.15, tail, kChassisBottom, kChassisTop);
            Part(PartStyle::Cab, 0, cab, kChassisBottom, kCabTop);
            break;
        }
        case Motor::Bus:
            Part(PartStyle::BusBody, 0, end, kBusBottom, kBusTop);
            break;
        case Motor::Car:
            wheelRadius = kCarWheel;
            Part(PartStyle::CarBody, 0, end, kCarBottom, kCarTop);
            break;
        }
        Wheel(fa);
        Wheel(ra);
        if (withHitch)
            l.couplings.push_back(hitch);
        Dim("F", 0, fa);
        Dim("WB", fa, ra);
        Dim("B", ra, end);
        if (withHitch)
            Dim("H", ra, hitch);
        return end;
    }

    // A body coupled at `coupling`, front overhang f ahead of it, axle wb behind it, rear
    // overhang b. Returns the axle position.
    double AddBody(Body kind, double coupling, double f, double wb, double b, const char* fl, const char* wbl,
                   const char* bl)
    {
        const double front = coupling - f, axle = coupling + wb, end = axle + b;
        switch (kind) {
        case Body::Semi:
            Part(PartStyle::Box, front, end, kDeck, kBoxTop);
            break;
        case Body::FullTrailer:
        case Body::CentreAxle:
            Part(PartStyle::Chassis, front, end, kChassisBottom, kChassisTop);
            Part(PartStyle::Box, front, end, kChassisTop + 0.05, kBoxTop);
            if (kind == Body::FullTrailer)
                Wheel(coupling);
            break;
        case Body::Caravan:
            Part(PartStyle::Caravan, front, end, kCaravanBottom, kCaravanTop);
            break;
        case Body::BusRear:
            Part(PartStyle::BusBody, front, end, kBusBottom, kBusTop);
            break;
        }
        // A body whose front lies behind its coupling point hangs on an A-frame.
        if (front > coupling && kind != Body::FullTrailer)
            Bar(coupling, front, kind == Body::Caravan ? kCaravanBottom : kBarHeight);
        Wheel(axle);
        Dim(fl, front, coupling);
        Dim(wbl, coupling, axle);
        Dim(bl, axle, end);
        return axle;
    }

    // A dolly: drawbar from `from` of length h to a wheel carrying a fifth wheel.
    double AddDolly(double from, double h, const char* hl)
    {
        const double at = from + h;
        Bar(from, at, kBarHeight);
        Part(PartStyle::Chassis, at - 0.9, at + 0.9, kChassisBottom, kChassisTop);
        Wheel(at);
        l.couplings.push_back(at);
        Dim(hl, from, at);
        return at;
    }
};

void AssignRows(std::vector<SchematicDimension>& dims)
{
    std::vector<std::vector<std::pair<double, double>>> rows;
    for (auto& d : dims) {
        const double lo = std::min(d.x0, d.x1), hi = std::max(d.x0, d.x1);
        const double mid = 0.5 * (lo + hi), half = 0.5 * kLetterWidthPerChar * (d.letter.size() + 1);
        const double a = std::min(lo, mid - half), b = std::max(hi, mid + half);
        size_t r = 0;
        for (; r < rows.size(); ++r) {
            const bool clash = std::any_of(rows[r].begin(), rows[r].end(), [&](const auto& s) {
                return a < s.second - 1e-6 && s.first < b - 1e-6;
            });
            if (!clash)
                break;
        }
        if (r == rows.size())
            rows.emplace_back();
        rows[r].emplace_back(a, b);
        d.row = static_cast<int>(r);
    }
}

} // namespace

QString SchematicKey(int code)
{
    const std::string_view key = PictureKey(code);
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

SchematicLayout LayOutSchematic(int code, const SchematicDims& d)
{
    Builder k;
    const double c1 = d.F + d.WB + d.H;
    switch (code) {
    case 1:
        k.AddMotor(Motor::Truck, d, false);
        break;
    case 6:
        k.AddMotor(Motor::Bus, d, false);
        break;
    case 7:
        k.AddMotor(Motor::Car, d, false);
        break;
    case 2:
        k.AddMotor(Motor::Tractor, d, true);
        k.AddBody(Body::Semi, c1, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        break;
    case 4:
        k.AddMotor(Motor::Truck, d, true);
        k.AddBody(Body::CentreAxle, c1, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        break;
    case 5: {
        const double end1 = k.AddMotor(Motor::Bus, d, true);
        k.AddBody(Body::BusRear, c1, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        const double front2 = c1 - d.F2;
        k.Part(PartStyle::Bellows, std::min(end1, front2) - 0.25, std::max(end1, front2) + 0.25,
               kBusBottom + 0.25, kBusTop - 0.15);
        break;
    }
    case 8:
        k.AddMotor(Motor::Car, d, true);
        k.wheelRadius = kCarWheel + 0.05;
        k.AddBody(Body::Caravan, c1, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        break;
    case 3: {
        k.AddMotor(Motor::Truck, d, true);
        const double c2 = c1 + d.H2;
        k.Bar(c1, c2, kBarHeight);
        k.Dim("H2", c1, c2);
        k.AddBody(Body::FullTrailer, c2, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        break;
    }
    case 9:
    case 10: {
        k.AddMotor(Motor::Tractor, d, true);
        const double a2 = k.AddBody(Body::Semi, c1, d.F2, d.WB2, d.B2, "F2", "WB2", "B2");
        const double h2 = a2 + d.H2;
        k.Bar(a2 + d.B2, h2, kBarHeight);
        k.Dim("H2", a2, h2);
        const double c3 = k.AddDolly(h2, d.H3, "H3");
        const double a3 = k.AddBody(Body::Semi, c3, d.F3, d.WB3, d.B3, "F3", "WB3", "B3");
        if (code == 10) {
            const double c4 = k.AddDolly(a3 + d.B3, d.H4, "H4");
            k.AddBody(Body::Semi, c4, d.F4, d.WB4, d.B4, "F4", "WB4", "B4");
        }
        break;
    }
    case 11:
    case 12:
    case 13: {
        // The run takes some of these lengths negated: a body hung on a tow bar starts F behind
        // its coupling point (11: both bodies, 12: the last), and the first body of a tandem
        // ends B2 and carries the second H2 ahead of its axle. The picture follows the run.
        // 11: a truck with two centre-axle trailers; 12: a tractor, a semitrailer and a
        // centre-axle trailer; 13: a tractor with a link trailer and a semitrailer (B-double).
        k.AddMotor(code == 11 ? Motor::Truck : Motor::Tractor, d, true);
        const Body lead = code == 11 ? Body::CentreAxle : Body::Semi;
        const double f2 = code == 11 ? -d.F2 : d.F2;
        const double b2 = code == 13 ? -d.B2 : d.B2;
        const double a2 = k.AddBody(lead, c1, f2, d.WB2, b2, "F2", "WB2", "B2");
        const double c3 = code == 13 ? a2 - d.H2 : a2 + d.H2;
        k.Dim("H2", a2, c3);
        k.l.couplings.push_back(c3);
        k.AddBody(code == 13 ? Body::CentreAxle : Body::Semi, c3, code == 13 ? d.F3 : -d.F3, d.WB3, d.B3,
                  "F3", "WB3", "B3");
        break;
    }
    default:
        return {};
    }
    SchematicLayout& l = k.l;
    double lo = 0, hi = 0, top = 0;
    for (const auto& p : l.parts) {
        lo = std::min(lo, p.x0);
        hi = std::max(hi, p.x1);
        top = std::max(top, p.y1);
    }
    for (const auto& w : l.wheels) {
        lo = std::min(lo, w.x - w.radius);
        hi = std::max(hi, w.x + w.radius);
    }
    for (const auto& dim : l.dimensions) {
        lo = std::min({lo, dim.x0, dim.x1});
        hi = std::max({hi, dim.x0, dim.x1});
    }
    l.minX = lo;
    l.maxX = std::max(hi, lo + 0.5);
    l.maxY = std::max(top, 1.0);
    AssignRows(l.dimensions);
    return l;
}

VehicleSchematic::VehicleSchematic(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void VehicleSchematic::ShowPicture(int code, const SchematicDims& dims)
{
    m_code = code;
    m_layout = LayOutSchematic(code, dims);
    update();
}

void VehicleSchematic::SetShowDimensions(bool show)
{
    m_showDimensions = show;
    update();
}

VehicleSchematic::Mapping VehicleSchematic::MappingFor(const QRectF& area) const
{
    int rows = 0;
    for (const auto& d : m_layout.dimensions)
        rows = std::max(rows, d.row + 1);
    const double below = m_showDimensions ? kFirstRowGap + rows * kRowPitch : 2.0;
    const double width = area.width() - 2 * kMargin;
    const double height = area.height() - 2 * kMargin - below;
    Mapping m;
    m.scale = std::max(0.1, std::min(width / (m_layout.maxX - m_layout.minX), height / m_layout.maxY));
    m.originX = area.left() + kMargin + 0.5 * (width - (m_layout.maxX - m_layout.minX) * m.scale) -
                m_layout.minX * m.scale;
    // Centred vertically when the width limits the scale.
    m.groundY = area.bottom() - kMargin - below - 0.5 * std::max(0.0, height - m_layout.maxY * m.scale);
    return m;
}

QRectF VehicleSchematic::LetterRectFor(const SchematicDimension& d, const Mapping& m) const
{
    const QFontMetricsF fm(font());
    const double y = m.groundY + kFirstRowGap + d.row * kRowPitch;
    const double mid = m(0.5 * (d.x0 + d.x1), 0).x();
    const double w = fm.horizontalAdvance(d.letter) + 4;
    return {mid - 0.5 * w, y - fm.height() - 1, w, fm.height()};
}

QRectF VehicleSchematic::LetterRect(const QString& letter) const
{
    const Mapping m = MappingFor(QRectF(rect()));
    for (const auto& d : m_layout.dimensions)
        if (d.letter == letter)
            return LetterRectFor(d, m);
    return {};
}

void VehicleSchematic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(252, 252, 249));
    p.setRenderHint(QPainter::Antialiasing, true);
    if (m_layout.parts.empty())
        return;
    const Mapping m = MappingFor(QRectF(rect()));
    const QColor ink(40, 44, 52);
    auto box = [&](double x0, double x1, double y0, double y1) { return QRectF(m(x0, y1), m(x1, y0)); };

    // Ground line.
    p.setPen(QPen(QColor(150, 150, 140), 1));
    p.drawLine(QPointF(kMargin, m.groundY), QPointF(width() - kMargin, m.groundY));

    p.setPen(QPen(ink, 1.3));
    for (const auto& part : m_layout.parts) {
        const QRectF r = box(part.x0, part.x1, part.y0, part.y1);
        switch (part.style) {
        case PartStyle::Chassis:
            p.setBrush(QColor(90, 94, 102));
            p.drawRect(r);
            break;
        case PartStyle::Box:
            p.setBrush(QColor(222, 226, 232));
            p.drawRoundedRect(r, 2, 2);
            break;
        case PartStyle::Cab: {
            // A cab leaning back at the windscreen, with its side window.
            const double len = part.x1 - part.x0;
            QPainterPath path(m(part.x0, part.y0));
            path.lineTo(m(part.x0, part.y1 - 0.3));
            path.lineTo(m(part.x0 + 0.25, part.y1));
            path.lineTo(m(part.x1, part.y1));
            path.lineTo(m(part.x1, part.y0));
            path.closeSubpath();
            p.setBrush(QColor(70, 120, 190));
            p.drawPath(path);
            p.setBrush(QColor(200, 225, 245));
            p.drawRect(box(part.x0 + 0.25, part.x0 + 0.25 + 0.55 * len, part.y1 - 1.0, part.y1 - 0.3));
            break;
        }
        case PartStyle::BusBody: {
            p.setBrush(QColor(230, 200, 80));
            p.drawRoundedRect(r, 6, 6);
            p.setBrush(QColor(200, 225, 245));
            const double top = part.y1 - 0.35, bottom = part.y1 - 1.25;
            for (double x = part.x0 + 0.35; x + 0.9 < part.x1 - 0.2; x += 1.3)
                p.drawRect(box(x, x + 1.0, bottom, top));
            break;
        }
        case PartStyle::Bellows:
            p.setBrush(QColor(60, 60, 60));
            p.drawRect(r);
            break;
        case PartStyle::CarBody: {
            const double len = part.x1 - part.x0;
            QPainterPath path(m(part.x0, part.y0 + 0.15));
            path.lineTo(m(part.x0, part.y0 + 0.6));
            path.lineTo(m(part.x0 + 0.28 * len, part.y0 + 0.72));
            path.lineTo(m(part.x0 + 0.38 * len, part.y1));
            path.lineTo(m(part.x0 + 0.78 * len, part.y1));
            path.lineTo(m(part.x0 + 0.92 * len, part.y0 + 0.72));
            path.lineTo(m(part.x1, part.y0 + 0.68));
            path.lineTo(m(part.x1, part.y0));
            path.lineTo(m(part.x0 + 0.05 * len, part.y0));
            path.closeSubpath();
            p.setBrush(QColor(190, 60, 60));
            p.drawPath(path);
            p.setBrush(QColor(200, 225, 245));
            QPainterPath glass(m(part.x0 + 0.40 * len, part.y1 - 0.1));
            glass.lineTo(m(part.x0 + 0.33 * len, part.y0 + 0.75));
            glass.lineTo(m(part.x0 + 0.88 * len, part.y0 + 0.75));
            glass.lineTo(m(part.x0 + 0.76 * len, part.y1 - 0.1));
            glass.closeSubpath();
            p.drawPath(glass);
            break;
        }
        case PartStyle::Caravan:
            p.setBrush(QColor(240, 240, 236));
            p.drawRoundedRect(r, 10, 10);
            p.setBrush(QColor(200, 225, 245));
            p.drawRect(box(part.x0 + 0.4, part.x0 + 1.3, part.y1 - 1.2, part.y1 - 0.5));
            break;
        }
    }
    p.setPen(QPen(ink, 2.2));
    for (const auto& bar : m_layout.bars)
        p.drawLine(m(bar.x0, bar.y), m(bar.x1, bar.y));
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(200, 60, 40));
    for (double c : m_layout.couplings)
        p.drawEllipse(m(c, kChassisTop + 0.08), 3.5, 3.5);
    for (const auto& w : m_layout.wheels) {
        const double r = w.radius * m.scale;
        p.setBrush(QColor(30, 30, 30));
        p.drawEllipse(m(w.x, w.radius), r, r);
        p.setBrush(QColor(170, 170, 170));
        p.drawEllipse(m(w.x, w.radius), 0.45 * r, 0.45 * r);
    }

    // Dimension lines: extension lines from the ground, arrows, the letter above the line.
    if (!m_showDimensions)
        return;
    const QColor dimInk(20, 90, 160);
    for (const auto& d : m_layout.dimensions) {
        const double y = m.groundY + kFirstRowGap + d.row * kRowPitch;
        const double xa = m(d.x0, 0).x(), xb = m(d.x1, 0).x();
        p.setPen(QPen(QColor(160, 180, 200), 1, Qt::DotLine));
        p.drawLine(QPointF(xa, m.groundY + 2), QPointF(xa, y + 3));
        p.drawLine(QPointF(xb, m.groundY + 2), QPointF(xb, y + 3));
        p.setPen(QPen(dimInk, 1));
        p.drawLine(QPointF(xa, y), QPointF(xb, y));
        const double dir = xb >= xa ? 1.0 : -1.0;
        const double head = std::min(5.0, 0.4 * std::abs(xb - xa));
        p.setBrush(dimInk);
        p.drawPolygon(QPolygonF(
            {QPointF(xa, y), QPointF(xa + dir * head, y - 2.5), QPointF(xa + dir * head, y + 2.5)}));
        p.drawPolygon(QPolygonF(
            {QPointF(xb, y), QPointF(xb - dir * head, y - 2.5), QPointF(xb - dir * head, y + 2.5)}));
        const QRectF lr = LetterRectFor(d, m);
        p.fillRect(lr, QColor(252, 252, 249));
        p.drawText(lr, Qt::AlignCenter, d.letter);
    }
}

} // namespace velrok::app
