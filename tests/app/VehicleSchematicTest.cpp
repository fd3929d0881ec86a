// The schematic pictures: the dimension letters of each configuration, drawn to scale between the
// points they measure, and laid out so that no two letters collide.
#include "app/VehicleSchematic.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using velrok::app::LayOutSchematic;
using velrok::app::SchematicDims;
using velrok::app::VehicleSchematic;

class VehicleSchematicTest : public QObject {
    Q_OBJECT
  private slots:
    void eachConfigurationShowsItsLettersToScale_data();
    void eachConfigurationShowsItsLettersToScale();
    void wheelbaseRunsBetweenTheFirstTwoAxles();
    void redrawFollowsAChangedLength();
};

void VehicleSchematicTest::eachConfigurationShowsItsLettersToScale_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("letters");
    QTest::addColumn<double>("length"); // front bumper to rear end with the default field values

    const QStringList one = {"F", "WB", "B"};
    const QStringList two = one + QStringList{"H", "F2", "WB2", "B2"};
    // Hand sums of the default texts: F 1,4  WB 5,6  B 2,6  H 2,65; each body F 0,91 WB 9,3 B 2,1,
    // each H2..H4 3.
    QTest::newRow("1 truck") << 1 << "Truck" << one << 9.6;
    QTest::newRow("2 semitrailer") << 2 << "Semitrailer" << two << 21.05;
    QTest::newRow("3 tow bar") << 3 << "TowBar" << (two + QStringList{"H2"}) << 24.05;
    QTest::newRow("4 tow bar semi") << 4 << "TowBarSemi" << two << 21.05;
    QTest::newRow("5 articulated bus") << 5 << "Ledbuss" << two << 21.05;
    QTest::newRow("6 bus") << 6 << "Bus" << one << 9.6;
    QTest::newRow("7 car") << 7 << "Car" << one << 9.6;
    QTest::newRow("8 car with camper") << 8 << "CarWithCamper" << two << 21.05;
    // Double trailer: coupling 3 behind the first body's axle, drawbar 3, second body.
    QTest::newRow("9 double") << 9 << "DoubleTrailer" << (two + QStringList{"H2", "H3", "F3", "WB3", "B3"})
                              << 36.35;
    // Triple: the second drawbar starts at the rear end of the second body.
    QTest::newRow("10 triple") << 10 << "TripleTrailer"
                               << (two + QStringList{"H2", "H3", "F3", "WB3", "B3", "H4", "F4", "WB4", "B4"})
                               << 50.75;
    QTest::newRow("11 double tow bar semi")
        << 11 << "DoubleTowBarSemi" << (two + QStringList{"H2", "F3", "WB3", "B3"}) << 33.35;
    QTest::newRow("12 trailer tow bar semi")
        << 12 << "TrailerTowBarSemi" << (two + QStringList{"H2", "F3", "WB3", "B3"}) << 33.35;
    // Tandem: the second body hangs 3 ahead of the first body's axle.
    QTest::newRow("13 tandem") << 13 << "TandemTrailer" << (two + QStringList{"H2", "F3", "WB3", "B3"})
                               << 27.35;
}

void VehicleSchematicTest::eachConfigurationShowsItsLettersToScale()
{
    QFETCH(int, code);
    QFETCH(QString, key);
    QFETCH(QStringList, letters);
    QFETCH(double, length);

    VehicleSchematic picture;
    picture.resize(640, 240);
    picture.ShowPicture(code, SchematicDims{});
    QCOMPARE(picture.Key(), key);

    QStringList drawn;
    for (const auto& d : picture.Layout().dimensions)
        drawn << d.letter;
    QStringList expected = letters;
    drawn.sort();
    expected.sort();
    QCOMPARE(drawn, expected);
    QVERIFY2(std::abs(picture.Layout().maxX - length) < 1e-9,
             qPrintable(QStringLiteral("extent %1, expected %2").arg(picture.Layout().maxX).arg(length)));

    // Every letter lies on the picture and no two letters overlap.
    const QRectF area(0, 0, 640, 240);
    std::vector<QRectF> placed;
    for (const QString& letter : letters) {
        const QRectF r = picture.LetterRect(letter);
        QVERIFY2(area.contains(r), qPrintable(letter));
        for (const QRectF& other : placed)
            QVERIFY2(!r.intersects(other), qPrintable(letter));
        placed.push_back(r);
    }
}

void VehicleSchematicTest::wheelbaseRunsBetweenTheFirstTwoAxles()
{
    SchematicDims d;
    d.F = 1.2;
    d.WB = 4.0;
    const auto layout = LayOutSchematic(1, d);
    QCOMPARE(layout.wheels.size(), size_t(2));
    QCOMPARE(layout.wheels[0].x, 1.2);
    QCOMPARE(layout.wheels[1].x, 5.2);
    const auto wb = std::find_if(layout.dimensions.begin(), layout.dimensions.end(),
                                 [](const auto& dim) { return dim.letter == QLatin1String("WB"); });
    QVERIFY(wb != layout.dimensions.end());
    QCOMPARE(wb->x0, 1.2);
    QCOMPARE(wb->x1, 5.2);
}

void VehicleSchematicTest::redrawFollowsAChangedLength()
{
    VehicleSchematic picture;
    picture.resize(640, 240);
    SchematicDims d;
    picture.ShowPicture(2, d);
    const QRectF shortB2 = picture.LetterRect(QStringLiteral("B2"));
    d.WB2 = 13.6;
    picture.ShowPicture(2, d);
    QVERIFY2(std::abs(picture.Layout().maxX - 25.35) < 1e-9,
             qPrintable(QString::number(picture.Layout().maxX)));
    // The picture is fitted to the widget again, so the semitrailer's wheelbase takes a larger
    // share of the width and its rear overhang letter moves.
    QVERIFY(picture.LetterRect(QStringLiteral("B2")) != shortB2);
    QVERIFY(picture.LetterRect(QStringLiteral("H3")).isNull());
}

std::unique_ptr<QObject> MakeVehicleSchematicTest()
{
    return std::make_unique<VehicleSchematicTest>();
}

#include "VehicleSchematicTest.moc"
