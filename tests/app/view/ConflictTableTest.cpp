// The conflicts table of the drawing window: rows listed in the order given with their texts and
// numbers in the user's locale, "No conflicts" when a run found none, and a chosen row zooming the
// canvas so that its box is whole and centred, with the box marked over the drawing.
#include "app/results/ConflictTable.h"
#include "app/drawing/frmDrawing.h"
#include "app/results/ConflictBoxOverlay.h"
#include "fakes/RecordingServices.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

using namespace velrok;
using velrok::app::ConflictTable;
using velrok::app::ConflictTableRow;
using velrok::app::frmDrawing;

namespace {

ConflictTableRow Row(std::string kind, std::string element, double first, double last, double depth,
                     double clearance, QRectF box)
{
    ConflictTableRow row;
    row.kind = std::move(kind);
    row.element = std::move(element);
    row.firstStation = first;
    row.lastStation = last;
    row.depth = depth;
    row.leastClearance = clearance;
    row.minX = box.left();
    row.minY = box.top();
    row.maxX = box.right();
    row.maxY = box.bottom();
    return row;
}

// Three conflicts deliberately not in station order: the table must keep the run's order.
std::vector<ConflictTableRow> ThreeConflicts()
{
    return {Row("obstacle", "2F", 48.4, 52.6, 0.375, 0.0, QRectF(400, 300, 20, 10)),
            Row("kerb", "1A3", 12.2, 19.8, 0.12, 0.0, QRectF(10, 20, 5, 5)),
            Row("clearance", "00000000000004D2", 30.0, 31.4, 0.0, 0.18, QRectF(-50, -40, 4, 2))};
}

QStringList RowTexts(const QTableWidget* list, int row)
{
    QStringList texts;
    for (int c = 0; c < list->columnCount(); ++c)
        texts << (list->item(row, c) != nullptr ? list->item(row, c)->text() : QString("<none>"));
    return texts;
}

void ClickRow(QTableWidget* list, int row)
{
    const QRect cell = list->visualItemRect(list->item(row, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

bool IsMarkColour(QColor c)
{
    return c.red() > 200 && c.green() < 120 && c.blue() < 120;
}

} // namespace

class ConflictTableTest : public QObject {
    Q_OBJECT

    host::HostRegistry m_registry;
    testing::RecordingMessages m_messages;
    std::unique_ptr<frmDrawing> m_window;

    // A shown drawing window with the three conflicts listed and the view on (0,0)-(100,100).
    frmDrawing& WindowWithConflicts()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        m_window->resize(1000, 800);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("drawing window not exposed");
        QApplication::processEvents();
        m_window->Canvas()->View().SetSize(m_window->Canvas()->size());
        m_window->Canvas()->View().Fit(QRectF(0, 0, 100, 100));
        m_window->ShowConflicts(ThreeConflicts());
        QApplication::processEvents();
        return *m_window;
    }

  private slots:
    void cleanup()
    {
        m_window.reset();
        m_messages.shown.clear();
    }

    void listsRowsInTheGivenOrderWithTheirTexts()
    {
        ConflictTable table;
        table.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        table.SetRows(ThreeConflicts());
        const QTableWidget* list = table.List();
        QStringList headers;
        for (int c = 0; c < list->columnCount(); ++c)
            headers << list->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, (QStringList{"Class", "Element", "First station", "Last station", "Depth",
                                       "Least clearance"}));
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(RowTexts(list, 0), (QStringList{"obstacle", "2F", "48.40", "52.60", "0.38", "0.00"}));
        QCOMPARE(RowTexts(list, 1), (QStringList{"kerb", "1A3", "12.20", "19.80", "0.12", "0.00"}));
        QCOMPARE(RowTexts(list, 2),
                 (QStringList{"clearance", "00000000000004D2", "30.00", "31.40", "0.00", "0.18"}));
        QVERIFY(list->isVisibleTo(&table));
        QVERIFY(!table.EmptyLabel()->isVisibleTo(&table));
        // Listing is no choice: nothing is selected until the user picks a row.
        QCOMPARE(table.CurrentRow(), -1);
        // Clicking a header must not reorder the run's list.
        QVERIFY(!list->isSortingEnabled());
    }

    void numbersFollowTheUserLocaleWithTwoDecimals()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const auto texts =
            app::ConflictRowTexts(Row("kerb", "A", 1234.567, 3.14159, -0.256, 0.5, {}), german);
        QCOMPARE(texts[2], QString("1.234,57"));
        QCOMPARE(texts[3], QString("3,14"));
        QCOMPARE(texts[4], QString("-0,26"));
        QCOMPARE(texts[5], QString("0,50"));
        // A number the run could not give reads as such, never as "nan" or "inf".
        const auto missing = app::ConflictRowTexts(Row("clearance", "B", 2.0, 4.0, nan, inf, {}), german);
        QCOMPARE(missing[4], QString(app::kConflictNoValue));
        QCOMPARE(missing[5], QString(app::kConflictNoValue));
        QCOMPARE(missing[2], QString("2,00"));

        // The widget formats with its own locale, which follows the user's.
        ConflictTable table;
        table.setLocale(german);
        table.SetRows({Row("obstacle", "C", 0.5, 7.25, 0.0, 1.0, {})});
        QCOMPARE(RowTexts(table.List(), 0), (QStringList{"obstacle", "C", "0,50", "7,25", "0,00", "1,00"}));
    }

    void emptyListReadsNoConflictsAndARunWithoutConflictsEmptiesIt()
    {
        ConflictTable table;
        QCOMPARE(table.EmptyLabel()->text(), QString("No conflicts"));
        QVERIFY(table.EmptyLabel()->isVisibleTo(&table));
        QVERIFY(!table.List()->isVisibleTo(&table));
        QCOMPARE(table.List()->rowCount(), 0);

        table.SetRows(ThreeConflicts());
        QCOMPARE(table.List()->rowCount(), 3);
        table.SetRows({});
        QCOMPARE(table.List()->rowCount(), 0);
        QVERIFY(table.Rows().empty());
        QVERIFY(table.EmptyLabel()->isVisibleTo(&table));
        QVERIFY(!table.List()->isVisibleTo(&table));
    }

    void worldBoxPutsCornersInOrderAndPointMarksKeepALeastSize()
    {
        ConflictTableRow row;
        row.minX = 10.0;
        row.maxX = 4.0;
        row.minY = -1.0;
        row.maxY = -3.0;
        const QRectF box = app::ConflictWorldBox(row).value_or(QRectF());
        QCOMPARE(box.left(), 4.0);
        QCOMPARE(box.right(), 10.0);
        QCOMPARE(box.top(), -3.0);
        QCOMPARE(box.bottom(), -1.0);

        // A point seen from far away is still marked by a box of the least size around it.
        const auto far = [](QPointF p) { return QPointF(100.0 + p.x() * 0.01, 50.0 - p.y() * 0.01); };
        const QRectF mark = app::ConflictBoxOnScreen(QRectF(QPointF(200, 300), QSizeF(0, 0)), far);
        QCOMPARE(mark.width(), app::kConflictBoxMinPx);
        QCOMPARE(mark.height(), app::kConflictBoxMinPx);
        QCOMPARE(mark.center(), QPointF(102.0, 47.0));
        // A box larger than the least size maps corner to corner, y turned upwards.
        const auto near = [](QPointF p) { return QPointF(p.x() * 10.0, 500.0 - p.y() * 10.0); };
        const QRectF big = app::ConflictBoxOnScreen(QRectF(1, 2, 3, 4), near);
        QCOMPARE(big, QRectF(QPointF(10, 440), QPointF(40, 480)));
    }

    void clickOnARowShowsItsBoxWholeAndCentred()
    {
        frmDrawing& window = WindowWithConflicts();
        app::DrawingCanvas* canvas = window.Canvas();
        const QRectF box(400, 300, 20, 10); // the first row's, far outside the current view
        QVERIFY(!canvas->View().WorldRect().intersects(box));

        ClickRow(window.Conflicts()->List(), 0);
        QCOMPARE(window.Conflicts()->CurrentRow(), 0);
        const app::Viewport& view = canvas->View();
        QVERIFY(std::abs(view.Centre().x() - 410.0) < 1e-9);
        QVERIFY(std::abs(view.Centre().y() - 305.0) < 1e-9);
        // Whole, with room around it, and large: the box fills most of the limiting direction.
        const QRectF onScreen =
            QRectF(view.ToScreen(box.topLeft()), view.ToScreen(box.bottomRight())).normalized();
        const QRectF widget(QPointF(0, 0), canvas->size());
        QVERIFY2(widget.adjusted(10, 10, -10, -10).contains(onScreen),
                 qPrintable(QString("box on screen %1,%2 %3x%4 in %5x%6")
                                .arg(onScreen.x())
                                .arg(onScreen.y())
                                .arg(onScreen.width())
                                .arg(onScreen.height())
                                .arg(widget.width())
                                .arg(widget.height())));
        const double share = std::max(onScreen.width() / widget.width(), onScreen.height() / widget.height());
        QVERIFY2(share > 0.5 && share < 0.9, qPrintable(QString("share %1").arg(share)));
        // The chosen box is marked over the drawing.
        QVERIFY(window.ConflictMarker()->isVisible());
        QCOMPARE(window.ConflictMarker()->Box(), std::optional<QRectF>(box));

        // Another row moves the view and the mark to that row's box.
        ClickRow(window.Conflicts()->List(), 2);
        QVERIFY(std::abs(view.Centre().x() - (-48.0)) < 1e-9);
        QVERIFY(std::abs(view.Centre().y() - (-39.0)) < 1e-9);
        QCOMPARE(window.ConflictMarker()->Box(), std::optional<QRectF>(QRectF(-50, -40, 4, 2)));
    }

    void rowWithAnEmptyBoxIsChosenButLeavesTheView()
    {
        // An empty box of the run: infinite corners, the least above the greatest.
        frmDrawing& window = WindowWithConflicts();
        const double inf = std::numeric_limits<double>::infinity();
        ConflictTableRow empty = Row("kerb", "7", 1.0, 2.0, 0.1, 0.0, {});
        empty.minX = empty.minY = inf;
        empty.maxX = empty.maxY = -inf;
        QVERIFY(!app::ConflictWorldBox(empty).has_value());
        window.ShowConflicts({empty, ThreeConflicts()[1]});
        const app::Viewport before = window.Canvas()->View();
        ClickRow(window.Conflicts()->List(), 0);
        QCOMPARE(window.Conflicts()->CurrentRow(), 0);
        QCOMPARE(window.Canvas()->View().Centre(), before.Centre());
        QCOMPARE(window.Canvas()->View().Scale(), before.Scale());
        QVERIFY(!window.ConflictMarker()->Box().has_value());
        // The canvas refuses such a box too, whoever asks.
        window.Canvas()->ZoomToBox(QRectF(QPointF(0, 0), QPointF(inf, 5)));
        QCOMPARE(window.Canvas()->View().Centre(), before.Centre());
        // The next row still zooms.
        ClickRow(window.Conflicts()->List(), 1);
        QVERIFY(std::abs(window.Canvas()->View().Centre().x() - 12.5) < 1e-9);
    }

    void clickOnTheChosenRowAgainComesBackAfterPanning()
    {
        frmDrawing& window = WindowWithConflicts();
        app::DrawingCanvas* canvas = window.Canvas();
        ClickRow(window.Conflicts()->List(), 1);
        const app::Viewport chosen = canvas->View();
        canvas->View().Pan(QPointF(300, -200));
        canvas->View().ZoomAt(QPointF(10, 10), 0.1);
        QVERIFY(!(canvas->View() == chosen));
        ClickRow(window.Conflicts()->List(), 1);
        QCOMPARE(canvas->View().Centre(), chosen.Centre());
        QCOMPARE(canvas->View().Scale(), chosen.Scale());
    }

    void keyboardMovesToTheNextConflict()
    {
        frmDrawing& window = WindowWithConflicts();
        QTableWidget* list = window.Conflicts()->List();
        ClickRow(list, 0);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(window.Conflicts()->CurrentRow(), 1);
        QVERIFY(std::abs(window.Canvas()->View().Centre().x() - 12.5) < 1e-9);
        QVERIFY(std::abs(window.Canvas()->View().Centre().y() - 22.5) < 1e-9);
    }

    void pointConflictZoomsToALeastSizeNotToScaleOne()
    {
        frmDrawing& window = WindowWithConflicts();
        window.ShowConflicts(
            {Row("obstacle", "9", 5.0, 5.0, 0.05, 0.0, QRectF(QPointF(700, 800), QSizeF(0, 0)))});
        ClickRow(window.Conflicts()->List(), 0);
        const app::Viewport& view = window.Canvas()->View();
        QCOMPARE(view.Centre(), QPointF(700, 800));
        const QRectF shown = view.WorldRect();
        const double smaller = std::min(shown.width(), shown.height());
        // About two units across: close enough to see a kerb, nowhere near one pixel per unit.
        QVERIFY2(smaller >= 2.0 && smaller < 3.0, qPrintable(QString("shown %1").arg(smaller)));
        QVERIFY(std::isfinite(view.Scale()));
    }

    void markIsPaintedOnTheBoxEdge()
    {
        frmDrawing& window = WindowWithConflicts();
        ClickRow(window.Conflicts()->List(), 0);
        QApplication::processEvents();
        const app::Viewport& view = window.Canvas()->View();
        const QRectF box(400, 300, 20, 10);
        const QRectF onScreen =
            QRectF(view.ToScreen(box.topLeft()), view.ToScreen(box.bottomRight())).normalized();
        const QImage picture = window.Canvas()->grab().toImage();
        const double dpr = picture.devicePixelRatio();
        int markOnEdge = 0;
        const int x = static_cast<int>(std::lround(onScreen.left() * dpr));
        for (int y = static_cast<int>(onScreen.top() * dpr); y < static_cast<int>(onScreen.bottom() * dpr);
             ++y)
            for (int dx = -1; dx <= 1; ++dx)
                markOnEdge += IsMarkColour(picture.pixelColor(x + dx, y)) ? 1 : 0;
        QVERIFY2(markOnEdge > 10, qPrintable(QString("%1 marked pixels").arg(markOnEdge)));
        // Well away from the box the paper shows no mark.
        QVERIFY(!IsMarkColour(picture.pixelColor(5, 5)));
    }

    void runWithoutConflictsAndANewDrawingEmptyTheTableAndTheMark()
    {
        frmDrawing& window = WindowWithConflicts();
        ClickRow(window.Conflicts()->List(), 0);
        QVERIFY(window.ConflictMarker()->Box().has_value());
        window.ShowConflicts({});
        QCOMPARE(window.Conflicts()->List()->rowCount(), 0);
        QVERIFY(window.Conflicts()->EmptyLabel()->isVisible());
        QVERIFY(!window.ConflictMarker()->isVisible());
        QVERIFY(!window.ConflictMarker()->Box().has_value());

        // The conflicts belong to the drawing they were found in.
        window.ShowConflicts(ThreeConflicts());
        ClickRow(window.Conflicts()->List(), 2);
        QVERIFY(window.NewDrawing()); // nothing changed, so no question
        QVERIFY(m_messages.shown.empty());
        QVERIFY(window.Conflicts()->Rows().empty());
        QVERIFY(window.Conflicts()->EmptyLabel()->isVisible());
        QVERIFY(!window.ConflictMarker()->Box().has_value());
    }

    void dockIsTitledConflicts()
    {
        frmDrawing& window = WindowWithConflicts();
        auto* dock = window.findChild<QDockWidget*>("ConflictsDock");
        QVERIFY(dock != nullptr);
        QCOMPARE(dock->windowTitle(), QString("Conflicts"));
        QCOMPARE(dock->widget(), static_cast<QWidget*>(window.Conflicts()));
        QVERIFY(dock->isVisible());
    }
};

std::unique_ptr<QObject> MakeConflictTableTest()
{
    return std::make_unique<ConflictTableTest>();
}

#include "ConflictTableTest.moc"
