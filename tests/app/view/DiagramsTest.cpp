// The result diagrams: what each diagram draws from the series, the pixels of the curves in
// their colours, the labels and units, the pointer readout, the clipboard copy and the empty
// diagram of a run that ended after its first station.
#include "app/diagrams/ResultDiagram.h"
#include "app/diagrams/ResultDiagrams.h"
#include "fakes/RecordingServices.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace velrok;
using namespace velrok::app;

namespace {

// A series with entry 0 unused and one column per station, stations 0.2 apart from 0.2.
std::vector<SeriesEntry> Flat(int columns, double value)
{
    std::vector<SeriesEntry> s(1);
    for (int c = 1; c <= columns; ++c)
        s.push_back({0.2 * c, value});
    return s;
}

int CountColor(const QImage& image, QColor color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

std::vector<std::string> Texts(const DiagramPicture& p)
{
    std::vector<std::string> t;
    for (const DiagramText& text : p.texts)
        t.push_back(text.text);
    return t;
}

// The texts from " " (the line under "100%") to "-100%": the legend.
std::vector<std::string> Legend(const DiagramPicture& p)
{
    const std::vector<std::string> t = Texts(p);
    const auto first = std::find(t.begin(), t.end(), " ");
    const auto last = std::find(t.begin(), t.end(), "-100%");
    return first < last ? std::vector<std::string>(first + 1, last) : std::vector<std::string>{};
}

// The station ticks: short vertical lines standing on the bottom edge.
std::vector<double> Ticks(const DiagramPicture& p)
{
    std::vector<double> x;
    for (const DiagramLine& line : p.lines)
        if (!line.fullWidth && line.x1 == line.x2 && line.y1 == p.yBottom)
            x.push_back(line.x1);
    return x;
}

SegmentSpec Unit(int32_t kind)
{
    SegmentSpec s;
    s.Kind = kind;
    return s;
}

} // namespace

class DiagramsTest : public QObject {
    Q_OBJECT

    testing::RecordingMessages m_messages;

  private slots:
    void angleDiagramDrawsOneLinePerPairOfColumnsInOrder()
    {
        SweepResults r;
        r.SteerAngleSeries = Flat(3, 40.0);
        r.ArticAngleSeries1 = Flat(2, -20.0);
        r.ArticAngleSeries2 = Flat(1, 5.0); // one column: no line
        r.ArticAngleSeries3 = Flat(0, 0.0);
        const DiagramPicture p = AngleDiagram(r);
        QCOMPARE(p.xMax, 0.6);
        QCOMPARE(p.lines.size(), size_t(2 + 1 + 3 + 5)); // curves, grid, then five station ticks
        QCOMPARE(p.lines[0].color, kRed);
        QCOMPARE(p.lines[1].x2, 0.6);
        QCOMPARE(p.lines[2].color, kYellow);
        QCOMPARE(p.lines[2].y1, -20.0);
        for (size_t i = 3; i < 6; ++i) {
            QVERIFY(p.lines[i].dotted && p.lines[i].fullWidth);
            QCOMPARE(p.lines[i].color, kWhite);
        }
        QCOMPARE(p.lines[3].y1, 0.0);
        QCOMPARE(p.lines[4].y1, 50.0);
        QCOMPARE(p.lines[5].y1, -50.0);
        const std::vector<std::string> texts = Texts(p);
        QCOMPARE(std::vector<std::string>(texts.begin(), texts.begin() + 5),
                 (std::vector<std::string>{"0%", "50%", "-50%", "100%", " "}));
        // Without a unit table the series tell the units: two trailing units ran.
        QCOMPARE(Legend(p), (std::vector<std::string>{" Truck", " Segment #1", " Segment #2"}));
        QCOMPARE(p.texts[6].color, kYellow);
        QCOMPARE(p.texts[7].color, kGreen);
        QCOMPARE(p.texts[7].linesBelow, 4);
        QCOMPARE(p.texts[8].text, std::string("-100%"));
        QCOMPARE(p.texts[8].top, -92.0);
    }

    void legendListsOnlyTheUnitsTheVehicleHas()
    {
        SweepResults r;
        r.SteerAngleSeries = Flat(3, 10.0);
        r.ArticAngleSeries1 = Flat(3, 10.0);
        r.Segments = {Unit(kKindMotor)}; // a truck or a bus
        QCOMPARE(Legend(AngleDiagram(r)), (std::vector<std::string>{" Truck"}));
        r.Segments = {Unit(kKindMotor), Unit(kKindBody)}; // semitrailer
        QCOMPARE(Legend(AngleDiagram(r)), (std::vector<std::string>{" Truck", " Segment #1"}));
        r.Segments = {Unit(kKindMotor), Unit(kKindDrawbar), Unit(kKindBody)}; // tow bar: no drawbar entry
        QCOMPARE(Legend(AngleDiagram(r)), (std::vector<std::string>{" Truck", " Segment #1"}));
        r.Segments = {Unit(kKindMotor), Unit(kKindBody), Unit(kKindBody), Unit(kKindBody)}; // triple trailer
        const DiagramPicture p = AngleDiagram(r);
        QCOMPARE(Legend(p),
                 (std::vector<std::string>{" Truck", " Segment #1", " Segment #2", " Segment #3"}));
        QCOMPARE(p.texts[8].color, kLightBlue);
    }

    void stationAxisHasNiceTicksWithLabelsInTheUsersSeparator_data()
    {
        QTest::addColumn<double>("extent");
        QTest::addColumn<double>("step");
        QTest::newRow("0.6") << 0.6 << 0.1;
        QTest::newRow("8") << 8.0 << 1.0;
        QTest::newRow("57.4") << 57.4 << 10.0;
        QTest::newRow("100") << 100.0 << 20.0;
        QTest::newRow("998") << 998.0 << 200.0;
        QTest::newRow("0") << 0.0 << 0.0;
    }
    void stationAxisHasNiceTicksWithLabelsInTheUsersSeparator()
    {
        QFETCH(double, extent);
        QFETCH(double, step);
        QVERIFY(std::fabs(StationTickStep(extent) - step) < 1e-12 * std::max(1.0, step));
        if (extent > 0.0)
            QVERIFY(extent / StationTickStep(extent) <= kMaxStationTicks + 1e-9);
    }

    void stationLabelsStandOnTheBottomEdge()
    {
        SweepResults r;
        r.SteerAngleSeries = Flat(6, 0.0);
        for (auto& e : r.SteerAngleSeries)
            e.station *= 10.0; // stations 2 to 12: ticks every 2
        const DiagramPicture p = SpeedDiagram(r, 0, ',');
        QCOMPARE(Ticks(p), (std::vector<double>{2, 4, 6, 8, 10}));
        std::vector<std::string> labels;
        for (const DiagramText& t : p.texts)
            if (t.align == TextAlign::Centre) {
                labels.push_back(t.text);
                QCOMPARE(t.linesBelow, -1); // the text's bottom on the tick's top
            }
        QCOMPARE(labels, (std::vector<std::string>{"2", "4", "6", "8", "10"}));
        QCOMPARE(p.texts.back().text, std::string(kStationAxisTitle));
        QCOMPARE(p.texts.back().align, TextAlign::Right);
        QCOMPARE(p.texts.back().x, 12.0);
        // Decimals use the user's separator.
        r.SteerAngleSeries = Flat(3, 0.0);
        const DiagramPicture small = AngleDiagram(r, ',');
        QCOMPARE(std::count_if(small.texts.begin(), small.texts.end(),
                               [](const DiagramText& t) { return t.text == "0,2"; }),
                 std::ptrdiff_t(1));
    }

    void everyLineAndTextReadsOnTheBackground()
    {
        SweepResults r;
        r.SteerAngleSeries = r.ArticAngleSeries1 = r.ArticAngleSeries2 = r.ArticAngleSeries3 = r.SpeedSeries =
            Flat(20, 10.0);
        for (const DiagramPicture& p : {AngleDiagram(r), SpeedDiagram(r, 0)}) {
            for (const DiagramLine& line : p.lines)
                QVERIFY2(
                    ContrastRatio(line.color, kDiagramBackground) >= kMinReadableContrast,
                    qPrintable(QString("%1 %2 %3").arg(line.color.r).arg(line.color.g).arg(line.color.b)));
            for (const DiagramText& text : p.texts)
                QVERIFY2(ContrastRatio(text.color, kDiagramBackground) >= kMinReadableContrast,
                         text.text.c_str());
        }
        // The reference points of the measure: pure blue is what could not be read.
        QVERIFY(ContrastRatio(kBlue, kDiagramBackground) < kMinReadableContrast);
        QVERIFY(std::fabs(ContrastRatio(kWhite, Rgb{0, 0, 0}) - 21.0) < 1e-9);
    }

    void speedLabelsCarryTheUnitWithTwoBlanks_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("label");
        QTest::newRow("km/h") << 0 << " km/h";
        QTest::newRow("mph") << 1 << " mph";
        QTest::newRow("m/s") << 2 << " m/s";
        QTest::newRow("other") << 7 << " km/h";
    }
    void speedLabelsCarryTheUnitWithTwoBlanks()
    {
        QFETCH(int, unit);
        QFETCH(QString, label);
        SweepResults r;
        r.SteerAngleSeries = Flat(2, 0.0);
        r.SpeedSeries = Flat(2, 12.0);
        const DiagramPicture p = SpeedDiagram(r, unit);
        const std::string u = label.toStdString();
        const std::vector<std::string> texts = Texts(p);
        QCOMPARE(std::vector<std::string>(texts.begin(), texts.begin() + 4),
                 (std::vector<std::string>{" 0 " + u, " 30 " + u + " or more", " 10 " + u, " 20 " + u}));
        QCOMPARE(p.texts[1].top, 32.0);
        QCOMPARE(p.lines.size(), size_t(1 + 4) + Ticks(p).size());
        QCOMPARE(p.lines[1].y1, 30.0);
        QCOMPARE(p.lines[4].y1, 10.0);
    }

    void readoutRoundsHalfToEvenWithTheUsersSeparator_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("speed point") << 1 << 12.125 << 7.5 << "."
                                     << "Front Wheel Station: 12.12   Speed: 7.5";
        QTest::newRow("angle comma") << 0 << 3.135 << -45.675 << ","
                                     << "Front Wheel Station: 3,14   Angle(%): -45,68";
        QTest::newRow("half up to even") << 0 << 0.375 << 0.0 << "."
                                         << "Front Wheel Station: 0.38   Angle(%): 0";
    }
    void readoutRoundsHalfToEvenWithTheUsersSeparator()
    {
        QFETCH(int, kind);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(
                     PointerReadout(static_cast<DiagramKind>(kind), x, y, separator.toLatin1().at(0))),
                 text);
    }

    void curvesArePaintedInTheirColoursWhereExpected()
    {
        ResultDiagram angle(DiagramKind::Angle, &m_messages, '.');
        ResultDiagram speed(DiagramKind::Speed, &m_messages, '.');
        angle.resize(400, 200);
        speed.resize(400, 200);
        ResultDiagrams diagrams(angle, speed);
        SweepResults r;
        r.SteerAngleSeries = Flat(50, 25.0);   // row (100-25)/200*200 = 75
        r.ArticAngleSeries1 = Flat(50, -25.0); // row 125
        r.ArticAngleSeries2 = Flat(50, -75.0); // row 175
        r.ArticAngleSeries3 = Flat(25, 75.0);  // row 25, only the left half
        r.SpeedSeries = Flat(50, 15.0);        // row (35-15)/40*200 = 100
        r.SpeedUnitIndex = 1;
        diagrams.DrawAngleDiagram(r);
        diagrams.DrawSpeedDiagram(r);
        const QImage a = angle.Image(), s = speed.Image();
        QCOMPARE(a.size(), QSize(400, 200));
        QCOMPARE(a.pixelColor(300, 75), QColor(255, 0, 0));
        QCOMPARE(a.pixelColor(300, 125), QColor(255, 255, 0));
        QCOMPARE(a.pixelColor(300, 175), QColor(0, 255, 0));
        const QColor lightBlue(kLightBlue.r, kLightBlue.g, kLightBlue.b);
        QCOMPARE(a.pixelColor(150, 25), lightBlue);
        QVERIFY(a.pixelColor(300, 25) != lightBlue); // the blue curve ends half-way
        QVERIFY(a.pixelColor(300, 100) != QColor(255, 0, 0));
        // Dotted white grid lines at 0% (row 100): white pixels, and gaps between them.
        int white = 0;
        for (int x = 100; x < 400; ++x)
            white += a.pixelColor(x, 100) == QColor(255, 255, 255);
        QVERIFY2(white > 50 && white < 250, qPrintable(QString::number(white)));
        QCOMPARE(s.pixelColor(300, 100), QColor(255, 0, 0));
        QCOMPARE(Texts(speed.Picture())[0], std::string(" 0  mph"));
        // The white labels are painted: at the left edge, under the top.
        QVERIFY(CountColor(a.copy(0, 0, 120, 200), QColor(255, 255, 255)) > 20);
        QVERIFY(CountColor(a.copy(0, 0, 120, 120), QColor(255, 0, 0)) > 5); // " Truck" in red
    }

    void keptAndRedrawnOnResize()
    {
        ResultDiagram angle(DiagramKind::Angle, &m_messages, '.');
        angle.resize(400, 200);
        SweepResults r;
        r.SteerAngleSeries = Flat(50, 25.0);
        angle.SetPicture(AngleDiagram(r));
        angle.show();
        QVERIFY(QTest::qWaitForWindowExposed(&angle));
        angle.resize(800, 400);
        QApplication::processEvents();
        QCOMPARE(angle.Image().size(), QSize(800, 400));
        QCOMPARE(angle.Image().pixelColor(600, 150), QColor(255, 0, 0));
        QCOMPARE(angle.grab().toImage().pixelColor(600, 150), QColor(255, 0, 0));
        QCOMPARE(angle.ReadoutAt(QPointF(400, 100)), QString("Front Wheel Station: 5   Angle(%): 50"));
    }

    void oneStationGivesAnEmptyDiagram()
    {
        ResultDiagram angle(DiagramKind::Angle, &m_messages, ',');
        ResultDiagram speed(DiagramKind::Speed, &m_messages, ',');
        angle.resize(300, 200);
        speed.resize(300, 200);
        ResultDiagrams diagrams(angle, speed);
        SweepResults r;
        r.SteerAngleSeries = {{}, {0.0, 30.0}};
        r.SpeedSeries = {{}, {0.0, 20.0}};
        r.ArticAngleSeries1 = {{}, {0.0, -30.0}};
        diagrams.DrawAngleDiagram(r);
        diagrams.DrawSpeedDiagram(r);
        QCOMPARE(angle.Picture().xMax, 0.0);
        QCOMPARE(CountColor(angle.Image().copy(120, 0, 180, 200), QColor(255, 0, 0)), 0);
        QCOMPARE(CountColor(angle.Image().copy(120, 0, 180, 200), QColor(255, 255, 0)), 0);
        QCOMPARE(CountColor(speed.Image().copy(120, 0, 180, 200), QColor(255, 0, 0)), 0);
        QCOMPARE(angle.ReadoutAt(QPointF(150, 100)), QString("Front Wheel Station: 0   Angle(%): 0"));
    }

    void copyPutsTheBitmapOnTheClipboard()
    {
        ResultDiagram angle(DiagramKind::Angle, &m_messages, '.');
        angle.resize(320, 160);
        SweepResults r;
        r.SteerAngleSeries = Flat(10, 25.0);
        angle.SetPicture(AngleDiagram(r));
        QGuiApplication::clipboard()->setText("something else");
        QMenu* menu = angle.PopupMenu();
        QCOMPARE(menu->objectName(), QString("popup"));
        QAction* copy = menu->findChild<QAction*>("M_CopyToClipboard");
        QVERIFY(copy != nullptr);
        QCOMPARE(copy->text(), QString("Copy"));
        copy->trigger();
        const QImage onClipboard = QGuiApplication::clipboard()->image();
        QCOMPARE(onClipboard.size(), QSize(320, 160));
        QCOMPARE(onClipboard.pixelColor(200, 60), QColor(255, 0, 0));
        QCOMPARE(m_messages.shown.size(), size_t(0));

        ResultDiagram speed(DiagramKind::Speed, &m_messages, '.');
        QCOMPARE(speed.PopupMenu()->objectName(), QString("popup2"));
        QVERIFY(speed.PopupMenu()->findChild<QAction*>("M_CopyToClipboard2") != nullptr);

        QTemporaryDir dir;
        const QString png = dir.path() + "/angle.png";
        QVERIFY(angle.SaveAsPng(png.toStdString()));
        QCOMPARE(QImage(png).pixelColor(200, 60), QColor(255, 0, 0));
    }
};

std::unique_ptr<QObject> MakeDiagramsTest()
{
    return std::make_unique<DiagramsTest>();
}

#include "DiagramsTest.moc"
