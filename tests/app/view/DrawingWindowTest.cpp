// The drawing window: loading a DXF, picking by click and by window, the path tool's bulged
// polyline against analytic lengths, level visibility, group deletion, export, registration as
// the running host (429 after closing) and painting 100 000 elements.
#include "TestPaths.h"
#include "app/drawing/QtWindowActivator.h"
#include "app/drawing/frmDrawing.h"
#include "fakes/RecordingServices.h"
#include "host/DxfReader.h"
#include "host/HostColors.h"
#include "host/PathAcquisition.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>
#include <numbers>

using namespace velrok;
using velrok::app::frmDrawing;

namespace {

constexpr double kPi = std::numbers::pi;

host::ElementHandle AddLine(host::InMemoryDrawing& d, QPointF a, QPointF b, host::LevelHandle level = {})
{
    host::DrawingElement e;
    e.kind = host::ElementKind::Line;
    e.vertices = {{a.x(), a.y(), 0.0}, {b.x(), b.y(), 0.0}};
    e.level = level.id != 0 ? level : d.DefaultLevel();
    return d.AddNewElement(std::move(e));
}

std::vector<uint64_t> SelectedIds(const host::InMemoryDrawing& d)
{
    std::vector<uint64_t> ids;
    for (host::ElementHandle h : d.Selection())
        ids.push_back(h.id);
    return ids;
}

QPoint Pixel(app::DrawingCanvas* canvas, QPointF world)
{
    return canvas->View().ToScreen(world).toPoint();
}

} // namespace

class DrawingWindowTest : public QObject {
    Q_OBJECT

    host::HostRegistry m_registry;
    testing::RecordingMessages m_messages;
    std::unique_ptr<frmDrawing> m_window;

    // A shown window over a fresh drawing, the view fitted to the box (0,0)-(100,100).
    app::DrawingCanvas* ShownWindow()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        m_window->resize(900, 700);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("drawing window not exposed");
        QApplication::processEvents(); // the first paint's automatic zoom to fit is done
        m_window->Canvas()->View().SetSize(m_window->Canvas()->size());
        m_window->Canvas()->View().Fit(QRectF(0, 0, 100, 100));
        return m_window->Canvas();
    }

  private slots:
    void cleanup()
    {
        m_window.reset();
        m_messages.shown.clear();
    }

    void opensDxfWithTitleLevelsAndExtents()
    {
        ShownWindow();
        QVERIFY(m_window->OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        const auto& drawing = *m_window->Drawing();
        QVERIFY(!drawing.ModelElements().empty());
        QCOMPARE(m_window->windowTitle(), QString::fromStdString(drawing.Caption()));
        QCOMPARE(m_window->windowTitle(), QString("road.dxf - Velrok drawing"));
        QCOMPARE(m_window->LevelList()->count(), static_cast<int>(drawing.LevelTable().size()));
        // Zoom to fit shows the whole drawing: every corner of the extents lies inside the widget.
        const QRectF extents = m_window->Canvas()->Extents();
        QVERIFY(extents.width() > 0.0);
        const QRectF widget(QPointF(0, 0), m_window->Canvas()->size());
        for (QPointF corner : {extents.topLeft(), extents.bottomRight()})
            QVERIFY(widget.contains(m_window->Canvas()->View().ToScreen(corner)));
    }

    void refusesBrokenDxfAndKeepsDrawing()
    {
        ShownWindow();
        const auto before = m_window->Drawing();
        QVERIFY(!m_window->OpenDxf(VELROK_TEST_DATA_DIR "/dxf/broken/truncated.dxf"));
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QCOMPARE(m_messages.shown[0].title, std::string("Velrok drawing"));
        QCOMPARE(m_window->Drawing(), before);
    }

    void clickSelectsNearestElementAndCtrlAdds()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        const auto a = AddLine(d, {10, 10}, {90, 10});
        const auto b = AddLine(d, {10, 50}, {90, 50});
        QTest::mouseClick(canvas, Qt::LeftButton, {}, Pixel(canvas, {50, 10}) + QPoint(0, 2));
        QCOMPARE(SelectedIds(d), std::vector<uint64_t>{a.id});
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::ControlModifier, Pixel(canvas, {30, 50}));
        QCOMPARE(SelectedIds(d), (std::vector<uint64_t>{a.id, b.id}));
        // A plain click on empty paper clears the selection set.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, Pixel(canvas, {50, 30}));
        QCOMPARE(SelectedIds(d).size(), size_t(0));
    }

    void windowSelectsOnlyElementsWhollyInside()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        const auto inside1 = AddLine(d, {20, 20}, {40, 20});
        const auto inside2 = AddLine(d, {20, 30}, {40, 35});
        AddLine(d, {20, 60}, {95, 60}); // crosses the window's edge
        const QPoint from = Pixel(canvas, {10, 45}), to = Pixel(canvas, {60, 10});
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), canvas->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
        QCOMPARE(SelectedIds(d), (std::vector<uint64_t>{inside1.id, inside2.id}));
    }

    void pathToolMakesBulgedPolylineOfAnalyticLength_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<double>("radius");
        QTest::addColumn<double>("length");
        QTest::addColumn<QPointF>("midArc"); // the point half-way along the first fillet, or none
        const double h = std::sqrt(2.0);
        QTest::newRow("left turn R2")
            << QList<QPointF>{{0, 0}, {10, 0}, {10, 10}} << 2.0 << 16.0 + kPi << QPointF(8 + h, 2 - h);
        QTest::newRow("right turn R3") << QList<QPointF>{{0, 0}, {10, 0}, {10, -10}} << 3.0
                                       << 14.0 + 1.5 * kPi << QPointF(7 + 3 / h, -3 + 3 / h);
        QTest::newRow("sharp corners")
            << QList<QPointF>{{0, 0}, {10, 0}, {10, 10}} << 0.0 << 20.0 << QPointF();
        // The 1-unit middle leg leaves each fillet half of it: radius 0.5 and no straight left.
        QTest::newRow("short leg shrinks radius")
            << QList<QPointF>{{0, 0}, {10, 0}, {10, 1}, {20, 1}} << 5.0 << 19.0 + 0.5 * kPi << QPointF();
        QTest::newRow("collinear point")
            << QList<QPointF>{{0, 0}, {5, 0}, {10, 0}} << 2.0 << 10.0 << QPointF();
        QTest::newRow("repeated click") << QList<QPointF>{{0, 0}, {10, 0}, {10, 0}, {10, 10}} << 2.0
                                        << 16.0 + kPi << QPointF(8 + h, 2 - h);
    }
    void pathToolMakesBulgedPolylineOfAnalyticLength()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(double, radius);
        QFETCH(double, length);
        QFETCH(QPointF, midArc);
        auto* canvas = ShownWindow();
        canvas->SetTool(app::CanvasTool::DrawPath);
        canvas->SetFilletRadius(radius);
        for (QPointF p : points)
            canvas->AddPathPoint(p);
        const auto path = canvas->FinishPath();
        QVERIFY(path.has_value());
        auto& d = *m_window->Drawing();
        QCOMPARE(d.Element(*path).kind, host::ElementKind::Polyline);
        QVERIFY2(
            std::abs(d.Length(*path) - length) < 1e-9,
            qPrintable(
                QString("length %1, expected %2").arg(d.Length(*path), 0, 'g', 15).arg(length, 0, 'g', 15)));
        const Point3d end = d.PointAtDistance(*path, d.Length(*path));
        QVERIFY(std::hypot(end.x - points.back().x(), end.y - points.back().y()) < 1e-9);
        if (!midArc.isNull()) {
            const double straight = points[1].x() - radius; // the first leg runs along x
            const Point3d m = d.PointAtDistance(*path, straight + radius * kPi / 4.0);
            QVERIFY2(std::hypot(m.x - midArc.x(), m.y - midArc.y()) < 1e-9,
                     qPrintable(QString("mid arc at %1 %2").arg(m.x).arg(m.y)));
        }
        // The new path is the selection set Add path reads.
        QCOMPARE(SelectedIds(d), std::vector<uint64_t>{path->id});
    }

    void pathToolByMouseClicksAndDoubleClick()
    {
        auto* canvas = ShownWindow();
        canvas->SetTool(app::CanvasTool::DrawPath);
        canvas->SetFilletRadius(0.0);
        const QPoint p0 = Pixel(canvas, {10, 10}), p1 = Pixel(canvas, {60, 10}), p2 = Pixel(canvas, {60, 60});
        QTest::mouseClick(canvas, Qt::LeftButton, {}, p0);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, p1);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, p2);
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, p2);
        const auto& d = *m_window->Drawing();
        QCOMPARE(d.ModelElements().size(), size_t(1));
        const host::DrawingElement& e = *d.ModelElements().front();
        QCOMPARE(e.vertices.size(), size_t(3));
        const double pixel = 1.0 / canvas->View().Scale();
        QVERIFY2(std::abs(host::CurveOf(e).Length() - 100.0) < 4 * pixel,
                 qPrintable(QString::number(host::CurveOf(e).Length())));
        QCOMPARE(canvas->PathPoints().size(), size_t(0));
    }

    void hiddenLevelIsNeitherPaintedNorPicked()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        const auto level = d.AddLevel("Hidden", 3, std::nullopt, 0); // red
        AddLine(d, {10, 50}, {90, 50}, level);
        m_window->Refresh();
        QListWidget* levels = m_window->LevelList();
        QCOMPARE(levels->count(), 2);
        QListWidgetItem* item = levels->item(1);
        QCOMPARE(item->text(), QString("Hidden"));

        // Red pixels within a pixel of the line's position.
        auto redNear = [&](QPoint p) {
            QImage image(canvas->size(), QImage::Format_RGB32);
            QPainter painter(&image);
            canvas->Render(painter, canvas->View());
            painter.end();
            int red = 0;
            for (int dy = -1; dy <= 1; ++dy)
                red += image.pixelColor(p + QPoint(0, dy)) == QColor(255, 0, 0);
            return red;
        };
        const QPoint onLine = Pixel(canvas, {50, 50});
        QCOMPARE(redNear(onLine), 1);
        item->setCheckState(Qt::Unchecked);
        QVERIFY(!canvas->IsLevelVisible(level));
        QCOMPARE(redNear(onLine), 0);
        QVERIFY(!canvas->PickAt(onLine).has_value());
    }

    // A Shown element as the DXF import stores a kept hatch or block reference: a filled red
    // square, a line on the green level "Kerb" in BYLAYER colour, a blue dot and a text.
    host::ElementHandle AddShown(host::InMemoryDrawing& d)
    {
        d.AddLevel("Kerb", 2, std::nullopt, 0); // green
        host::DrawingElement e;
        e.kind = host::ElementKind::Shown;
        e.extras->dxfKind = "INSERT";
        e.level = d.DefaultLevel();
        e.extras->shown.pieces.push_back({"0", 1, {{20, 20, 0}, {40, 20, 0}, {40, 40, 0}, {20, 40, 0}}, true, true});
        e.extras->shown.pieces.push_back({"Kerb", host::kAciByLayer, {{60, 50, 0}, {90, 50, 0}}, false, false});
        e.extras->shown.pieces.push_back({"0", 5, {{50, 80, 0}, {50, 80, 0}}, false, false});
        e.extras->shown.texts.push_back({"0", 7, "Bay 1\nBay 2", {60, 20, 0}, 4.0, 0.0});
        return d.AddNewElement(std::move(e));
    }

    QImage Rendered(app::DrawingCanvas* canvas)
    {
        QImage image(canvas->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        canvas->Render(painter, canvas->View());
        return image;
    }

    void shownElementPaintsItsPiecesInTheirColoursAndShadesFills()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        AddShown(d);
        m_window->Refresh();
        const QImage before = Rendered(canvas);
        const QColor background = before.pixelColor(Pixel(canvas, {5, 95}));

        // Inside the filled square: shaded, so red but not the full red of its border.
        const QColor inside = before.pixelColor(Pixel(canvas, {30, 30}));
        QVERIFY2(inside.red() > background.red() + 40, qPrintable(inside.name()));
        QVERIFY2(inside.red() < 255 && inside.green() < 80, qPrintable(inside.name()));
        int fullRed = 0;
        for (int dx = -1; dx <= 1; ++dx)
            fullRed += before.pixelColor(Pixel(canvas, {20, 30}) + QPoint(dx, 0)) == QColor(255, 0, 0);
        QVERIFY(fullRed >= 1);
        // The BYLAYER line takes the colour of its layer's level, the dot its own.
        auto countNear = [](const QImage& image, QPoint p, QColor c) {
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    n += image.pixelColor(p + QPoint(dx, dy)) == c;
            return n;
        };
        const QColor green(QString::fromStdString(host::HostColorRgb(2)));
        const QColor blue(QString::fromStdString(host::AciRgb(5)));
        QVERIFY(countNear(before, Pixel(canvas, {75, 50}), green) >= 1);
        QVERIFY(countNear(before, Pixel(canvas, {50, 80}), blue) >= 1);

        // Hiding the level "Kerb" hides that piece and leaves the others.
        QListWidget* levels = m_window->LevelList();
        for (int i = 0; i < levels->count(); ++i)
            if (levels->item(i)->text() == "Kerb")
                levels->item(i)->setCheckState(Qt::Unchecked);
        const QImage after = Rendered(canvas);
        QCOMPARE(countNear(after, Pixel(canvas, {75, 50}), green), 0);
        QVERIFY(countNear(after, Pixel(canvas, {50, 80}), blue) >= 1);
    }

    void shownElementIsPickedByItsPiecesFillsAndTexts()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        const host::ElementHandle shown = AddShown(d);
        m_window->Refresh();
        for (QPointF world : {QPointF(30, 30), QPointF(75, 50), QPointF(50, 80), QPointF(62, 16)}) {
            const auto hit = canvas->PickAt(Pixel(canvas, world));
            QVERIFY2(hit.has_value(), qPrintable(QString("%1,%2").arg(world.x()).arg(world.y())));
            QCOMPARE(hit->id, shown.id);
        }
        QVERIFY(!canvas->PickAt(Pixel(canvas, {10, 90})).has_value());
        const QRectF extents = canvas->Extents();
        QVERIFY(extents.contains(QPointF(50, 80)) || extents.bottom() >= 80);
        QCOMPARE(extents.left(), 20.0);
        // Window selection takes it only when all of it lies inside.
        QVERIFY(canvas->InsideWindow(QRectF(Pixel(canvas, {15, 85}), Pixel(canvas, {95, 5})).normalized())
                    .size() == 1);
        QVERIFY(canvas->InsideWindow(QRectF(Pixel(canvas, {15, 85}), Pixel(canvas, {80, 5})).normalized())
                    .empty());
    }

    void statusBarCountsEntitiesKeptButNotShown()
    {
        QCOMPARE(app::KeptNotShownText(0), QString());
        QCOMPARE(app::KeptNotShownText(1), QString("1 entity kept, not shown"));
        QCOMPARE(app::KeptNotShownText(12), QString("12 entities kept, not shown"));
        ShownWindow();
        auto* label = m_window->findChild<QLabel*>("KeptNotShownLabel");
        QVERIFY(label);
        QCOMPARE(label->text(), QString());
        const host::DxfImport import = host::ReadDxfFile(VELROK_TEST_DATA_DIR "/dxf/road.dxf");
        QVERIFY(m_window->OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        QCOMPARE(label->text(), app::KeptNotShownText(import.skippedEntities));
        m_window->NewDrawing();
        QCOMPARE(label->text(), QString());
    }

    void deletingGroupRemovesItsElementsOnly()
    {
        ShownWindow();
        auto& d = *m_window->Drawing();
        const auto keep = AddLine(d, {0, 0}, {1, 1});
        const auto group = d.AddNewNamedGroup("run 1");
        for (int i = 0; i < 3; ++i) {
            const auto e = AddLine(d, {0, double(i)}, {5, double(i)});
            d.AddGroupMember(group, e);
        }
        m_window->Refresh();
        QCOMPARE(m_window->GroupList()->count(), 1);
        QCOMPARE(m_window->GroupList()->item(0)->text(), QString("run 1 (3)"));
        m_window->DeleteGroup(group);
        QCOMPARE(d.ModelElements().size(), size_t(1));
        QCOMPARE(d.ModelElements().front()->id.Value(), keep.id);
        QCOMPARE(d.Groups().size(), size_t(0));
        QCOMPARE(m_window->GroupList()->count(), 0);
    }

    void savesDxfThatReadsBackAndExportsPictures()
    {
        ShownWindow();
        auto& d = *m_window->Drawing();
        AddLine(d, {0, 0}, {10, 0});
        AddLine(d, {0, 0}, {0, 10});
        QTemporaryDir dir;
        const std::string dxf = (dir.path() + "/out.dxf").toStdString();
        QVERIFY(m_window->SaveDxf(dxf));
        const host::DxfImport back = host::ReadDxfFile(dxf);
        QVERIFY2(back.ok(), back.error.c_str());
        QCOMPARE(back.drawing->ModelElements().size(), size_t(2));
        const std::string png = (dir.path() + "/out.png").toStdString(),
                          svg = (dir.path() + "/out.svg").toStdString();
        QVERIFY(m_window->ExportPng(png));
        QVERIFY(m_window->ExportSvg(svg));
        QCOMPARE(QImage(QString::fromStdString(png)).size(),
                 QSize(app::kPngExportWidth, app::kPngExportHeight));
        QVERIFY(QFileInfo(QString::fromStdString(svg)).size() > 0);
    }

    void registeredWhileOpenAnd429AfterClose()
    {
        ShownWindow();
        QVERIFY(m_window->IsRegistered());
        QCOMPARE(host::Attach(m_registry, host::kStandardProgId).application.get(),
                 static_cast<host::CadHost*>(m_window->Drawing().get()));
        // A drawing opened later replaces the registered one.
        QVERIFY(m_window->OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        QCOMPARE(host::Attach(m_registry, host::kStandardProgId).application.get(),
                 static_cast<host::CadHost*>(m_window->Drawing().get()));
        app::QtWindowActivator activator;
        QVERIFY(activator.ActivateWindowByTitle(m_window->Drawing()->Caption()));
        QVERIFY(!activator.ActivateWindowByTitle("no such window"));

        m_window->close();
        QVERIFY(!m_window->IsRegistered());
        try {
            host::Attach(m_registry, host::kStandardProgId);
            QFAIL("attach succeeded after the drawing window closed");
        } catch (const host::HostError& e) {
            QCOMPARE(e.Number(), 429);
        }
        testing::RecordingStatus status;
        host::CurrentPath path;
        QVERIFY(!host::AddPath(m_registry, host::kStandardProgId, m_messages, status, path));
        QCOMPARE(m_messages.shown.back().title, std::string("Can't create object"));
        QCOMPARE(m_messages.shown.back().text,
                 std::string("Microstation is not running! Start Microstation and try again!"));
        // Shown again, it is the running host once more.
        m_window->show();
        QVERIFY(m_window->IsRegistered());
    }

    void wheelZoomKeepsThePointUnderTheCursorAndMiddleDragPans()
    {
        auto* canvas = ShownWindow();
        const QPointF cursor(200.0, 150.0);
        const QPointF before = canvas->View().ToWorld(cursor);
        const double scale = canvas->View().Scale();
        QWheelEvent wheel(cursor, canvas->mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        QVERIFY(std::abs(canvas->View().Scale() - scale * app::kWheelZoomStep * app::kWheelZoomStep) <
                1e-9 * scale);
        const QPointF after = canvas->View().ToWorld(cursor);
        QVERIFY2(
            std::hypot(after.x() - before.x(), after.y() - before.y()) < 1e-9,
            qPrintable(
                QString("%1 %2 -> %3 %4").arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));

        const QPointF grabbed = canvas->View().ToWorld(QPointF(300, 300));
        QTest::mousePress(canvas, Qt::MiddleButton, {}, QPoint(300, 300));
        for (QPoint p : {QPoint(320, 310), QPoint(350, 330)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(p), canvas->mapToGlobal(QPointF(p)), Qt::NoButton,
                             Qt::MiddleButton, Qt::NoModifier);
            QApplication::sendEvent(canvas, &move);
        }
        QTest::mouseRelease(canvas, Qt::MiddleButton, {}, QPoint(350, 330));
        // The drawing moved with the pointer: the grabbed point now lies under the release point.
        const QPointF moved = canvas->View().ToWorld(QPointF(350, 330));
        QVERIFY(std::hypot(moved.x() - grabbed.x(), moved.y() - grabbed.y()) < 1e-9);
    }

    void levelLineStyleDashesTheLineAtTheDrawingScale()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        // Style "2": dash 0.5, gap 0.25 drawing units.
        const auto dashed = d.AddLevel("Dashed", 2, d.LineStyleTable()[2].handle, 0);
        AddLine(d, {10, 50}, {90, 50}, dashed);
        canvas->View().Fit(QRectF(0, 0, 100, 100));
        const double scale = canvas->View().Scale(); // pixels per unit
        QImage image(canvas->size(), QImage::Format_RGB32);
        {
            QPainter painter(&image);
            canvas->Render(painter, canvas->View());
        }
        const int row = Pixel(canvas, {50, 50}).y();
        int on = 0, total = 0;
        for (int x = Pixel(canvas, {20, 50}).x(); x < Pixel(canvas, {80, 50}).x(); ++x, ++total)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixelColor(x, row + dy) == QColor(0, 255, 0)) {
                    ++on;
                    break;
                }
        const double share = double(on) / total;
        QVERIFY2(share > 0.55 && share < 0.8,
                 qPrintable(QString("%1 of the line drawn at %2 px per unit").arg(share).arg(scale)));
    }

    void paints100000ElementsQuickly()
    {
        auto* canvas = ShownWindow();
        auto& d = *m_window->Drawing();
        const auto styled = d.AddLevel("Dashed", 2, d.LineStyleTable()[2].handle, 0);
        for (int i = 0; i < 100000; ++i) {
            const double x = (i % 400) * 2.5, y = (i / 400) * 2.5;
            AddLine(d, {x, y}, {x + 2.0, y + 1.0}, i % 2 ? styled : host::LevelHandle{});
        }
        QElapsedTimer timer;
        timer.start();
        canvas->ZoomToFit();
        QImage image(canvas->size(), QImage::Format_RGB32);
        {
            QPainter painter(&image);
            canvas->Render(painter, canvas->View());
        }
        const qint64 fitMs = timer.restart();
        {
            QPainter painter(&image);
            canvas->Render(painter, canvas->View());
        }
        const qint64 refitMs = timer.restart();
        canvas->View().ZoomAt(QPointF(450, 350), 20.0);
        {
            QPainter painter(&image);
            canvas->Render(painter, canvas->View());
        }
        const qint64 zoomedMs = timer.restart();
        QVERIFY(canvas->PickAt(Pixel(canvas, {1.0, 0.5})).has_value());
        const qint64 pickMs = timer.elapsed();
        qInfo("100000 elements: first paint with flattening %lld ms, whole drawing again %lld ms, zoomed "
              "paint %lld ms, "
              "pick %lld ms",
              fitMs, refitMs, zoomedMs, pickMs);
        QVERIFY2(zoomedMs < 1000, qPrintable(QString::number(zoomedMs)));
        QVERIFY2(refitMs < 1500, qPrintable(QString::number(refitMs)));
        QVERIFY2(pickMs < 500, qPrintable(QString::number(pickMs)));
    }
};

std::unique_ptr<QObject> MakeDrawingWindowTest()
{
    return std::make_unique<DrawingWindowTest>();
}

#include "DrawingWindowTest.moc"
