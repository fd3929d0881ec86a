// Window placement: the main and the drawing window side by side inside the available area of a
// 1600 x 1000 screen and of smaller ones, their geometry kept in the settings store and brought
// back (onto the screen when it was left larger), and the answers of the Save / Discard / Cancel box.
#include "AppTestSupport.h"
#include "app/FormPlacement.h"
#include "app/QtMessageService.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QTest>

using namespace velrok;
using namespace velrok::app;

class WindowPlacementTest : public QObject {
    Q_OBJECT
  private slots:
    void sideBySideInsideTheAvailableArea_data();
    void sideBySideInsideTheAvailableArea();
    void aTooNarrowScreenStillKeepsBothInside();
    void geometryRoundTripsThroughTheStore();
    void badOrMissingStoredGeometryLeavesTheWindow();
    void firstStartPlacesBothWindowsApart();
    void saveDiscardCancelAnswers();
};

void WindowPlacementTest::sideBySideInsideTheAvailableArea_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("mainWanted");
    // A 1600 x 1000 screen with a 40-pixel task bar at the bottom, and one with a panel at the top.
    QTest::newRow("1600x1000") << QRect(0, 0, 1600, 960) << QSize(1068, 734);
    QTest::newRow("panel on top") << QRect(0, 32, 1920, 1048) << QSize(1068, 734);
    QTest::newRow("main taller than the area") << QRect(0, 0, 1600, 700) << QSize(1068, 900);
    QTest::newRow("second screen") << QRect(1600, 0, 1280, 1024) << QSize(760, 600);
}

void WindowPlacementTest::sideBySideInsideTheAvailableArea()
{
    QFETCH(QRect, area);
    QFETCH(QSize, mainWanted);
    const WindowPair pair = PlaceSideBySide(area, mainWanted, QSize(700, 500));
    QVERIFY2(area.contains(pair.main), qPrintable(QString("%1,%2 %3x%4")
                                                      .arg(pair.main.x())
                                                      .arg(pair.main.y())
                                                      .arg(pair.main.width())
                                                      .arg(pair.main.height())));
    QVERIFY(area.contains(pair.drawing));
    QVERIFY(!pair.main.intersects(pair.drawing)); // neither covers the other
    QCOMPARE(pair.drawing.left(), area.left());
    QCOMPARE(pair.main.right(), area.right());
    QCOMPARE(pair.drawing.right() + 1, pair.main.left()); // no gap either
    QCOMPARE(pair.drawing.height(), area.height());
    QCOMPARE(pair.main.height(), std::min(mainWanted.height(), area.height()));
    QVERIFY(pair.drawing.width() >= kMinDrawingWindowWidth);
    QCOMPARE(pair.main.width(), mainWanted.width());
}

void WindowPlacementTest::aTooNarrowScreenStillKeepsBothInside()
{
    // 1024 wide: the main window gives up width down to its minimum, then the two overlap.
    const QRect area(0, 0, 1024, 740);
    const WindowPair pair = PlaceSideBySide(area, QSize(1068, 734), QSize(700, 500));
    QCOMPARE(pair.main.width(), 700);
    QVERIFY(area.contains(pair.main) && area.contains(pair.drawing));
    QCOMPARE(pair.drawing.width(), kMinDrawingWindowWidth);
    // A main window whose minimum is wider than the screen is cut to the screen.
    const WindowPair tiny = PlaceSideBySide(QRect(0, 0, 640, 480), QSize(1068, 734), QSize(900, 600));
    QCOMPARE(tiny.main, QRect(0, 0, 640, 480));
    QVERIFY(QRect(0, 0, 640, 480).contains(tiny.drawing));
}

void WindowPlacementTest::geometryRoundTripsThroughTheStore()
{
    MemorySettingsStore store;
    QMainWindow a;
    a.setGeometry(QRect(40, 60, 320, 240));
    StoreGeometry(store, kMainWindowGeometrySetting, &a);
    QVERIFY(!store.Get(kMainWindowGeometrySetting, "").empty());
    QMainWindow b;
    b.setGeometry(QRect(0, 0, 500, 400));
    QVERIFY(RestoreGeometry(store, kMainWindowGeometrySetting, &b));
    QCOMPARE(b.geometry().size(), QSize(320, 240));
    QCOMPARE(b.geometry().topLeft(), QPoint(40, 60));

    // Stored on a larger screen: brought back inside this one's available area.
    QMainWindow big;
    const QRect area = AvailableArea(&big);
    big.setGeometry(QRect(area.right() - 100, area.top() + 10, area.width() + 300, 200));
    StoreGeometry(store, kDrawingWindowGeometrySetting, &big);
    QMainWindow back;
    QVERIFY(RestoreGeometry(store, kDrawingWindowGeometrySetting, &back));
    QVERIFY2(area.contains(back.geometry()), qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                                                            .arg(back.x())
                                                            .arg(back.y())
                                                            .arg(back.width())
                                                            .arg(back.height())
                                                            .arg(area.width())
                                                            .arg(area.height())));
}

void WindowPlacementTest::badOrMissingStoredGeometryLeavesTheWindow()
{
    MemorySettingsStore store;
    QMainWindow w;
    w.setGeometry(QRect(10, 20, 300, 200));
    QVERIFY(!RestoreGeometry(store, kMainWindowGeometrySetting, &w));
    store.Set(kMainWindowGeometrySetting, "not a geometry");
    QVERIFY(!RestoreGeometry(store, kMainWindowGeometrySetting, &w));
    QCOMPARE(w.geometry(), QRect(10, 20, 300, 200));
}

void WindowPlacementTest::firstStartPlacesBothWindowsApart()
{
    MemorySettingsStore store;
    QMainWindow main, drawing;
    main.resize(500, 300);
    drawing.resize(900, 700);
    PlaceMainAndDrawing(store, &main, &drawing);
    const QRect area = AvailableArea(&main);
    const QRect mainFrame = main.geometry().marginsAdded(kAssumedFrameMargins);
    const QRect drawingFrame = drawing.geometry().marginsAdded(kAssumedFrameMargins);
    QVERIFY(area.contains(mainFrame));
    QVERIFY(area.contains(drawingFrame));
    QVERIFY(!mainFrame.intersects(drawingFrame));

    // Where the user left them wins over the first-start placement.
    drawing.setGeometry(QRect(30, 40, 400, 300));
    main.setGeometry(QRect(450, 40, 300, 200));
    StoreGeometry(store, kMainWindowGeometrySetting, &main);
    StoreGeometry(store, kDrawingWindowGeometrySetting, &drawing);
    QMainWindow main2, drawing2;
    PlaceMainAndDrawing(store, &main2, &drawing2);
    QCOMPARE(main2.geometry(), QRect(450, 40, 300, 200));
    QCOMPARE(drawing2.geometry(), QRect(30, 40, 400, 300));
}

void WindowPlacementTest::saveDiscardCancelAnswers()
{
    QCOMPARE(AnswerOf(MsgButtons::SaveDiscardCancel, QMessageBox::Save), MsgAnswer::Save);
    QCOMPARE(AnswerOf(MsgButtons::SaveDiscardCancel, QMessageBox::Discard), MsgAnswer::Discard);
    QCOMPARE(AnswerOf(MsgButtons::SaveDiscardCancel, QMessageBox::Cancel), MsgAnswer::Cancel);
    // Closing the box by its frame or Escape: nothing is thrown away.
    QCOMPARE(AnswerOf(MsgButtons::SaveDiscardCancel, QMessageBox::NoButton), MsgAnswer::Cancel);
    QCOMPARE(AnswerOf(MsgButtons::YesNo, QMessageBox::Yes), MsgAnswer::Yes);
    QCOMPARE(AnswerOf(MsgButtons::YesNo, QMessageBox::No), MsgAnswer::No);
    QCOMPARE(AnswerOf(MsgButtons::Ok, QMessageBox::Ok), MsgAnswer::Ok);
}

std::unique_ptr<QObject> MakeWindowPlacementTest()
{
    return std::make_unique<WindowPlacementTest>();
}

#include "WindowPlacementTest.moc"
