// The drawing window and unsaved work: what counts as a change, the Save / Discard / Cancel
// question before closing, opening or starting another drawing, the path mark that is no part of
// the drawing, and the results export over the writer the program connects.
#include "TestPaths.h"
#include "app/drawing/PathMarkerOverlay.h"
#include "app/drawing/frmDrawing.h"
#include "fakes/RecordingServices.h"
#include "host/DxfReader.h"

#include <QAction>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velrok;
using velrok::app::frmDrawing;

namespace {

void AddLine(host::InMemoryDrawing& d, double length)
{
    host::DrawingElement e;
    e.kind = host::ElementKind::Line;
    e.vertices = {{0, 0, 0}, {length, 0, 0}};
    e.level = d.DefaultLevel();
    d.AddNewElement(std::move(e));
}

} // namespace

class DrawingChangesTest : public QObject {
    Q_OBJECT

    host::HostRegistry m_registry;
    testing::RecordingMessages m_messages;
    std::unique_ptr<frmDrawing> m_window;
    QTemporaryDir m_dir;

    // A shown window holding one line that was never saved.
    frmDrawing& ChangedWindow()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        m_window->resize(800, 600);
        m_window->show();
        AddLine(*m_window->Drawing(), 10.0);
        return *m_window;
    }
    std::string TempPath(const char* name) const { return (m_dir.path() + "/" + name).toStdString(); }

  private slots:
    void cleanup()
    {
        m_window.reset();
        m_messages.shown.clear();
        m_messages.answers.clear();
    }

    void changesCountButSelectingAndSavingDoNot()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        QVERIFY(!m_window->IsModified());
        AddLine(*m_window->Drawing(), 5.0);
        QVERIFY(m_window->IsModified());
        QVERIFY(m_window->SaveDxf(TempPath("a.dxf")));
        QVERIFY(!m_window->IsModified());
        QCOMPARE(m_window->FilePath(), TempPath("a.dxf"));
        auto& d = *m_window->Drawing();
        d.Select(d.GetElementByID(d.ModelElements().front()->id));
        d.UnselectAllElements();
        QVERIFY(!m_window->IsModified());
        // Opening a file starts unchanged, however many edits reading it took.
        QVERIFY(m_window->OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        QVERIFY(!m_window->IsModified());
        QVERIFY(m_messages.shown.empty()); // nothing unsaved: never asked
    }

    void closingWithUnsavedChangesAsksAndCancelKeepsTheWindow()
    {
        frmDrawing& w = ChangedWindow();
        const auto drawing = w.Drawing();
        m_messages.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QCOMPARE(m_messages.shown[0].buttons, MsgButtons::SaveDiscardCancel);
        QCOMPARE(m_messages.shown[0].title, std::string("Velrok drawing"));
        QVERIFY2(m_messages.shown[0].text.find("(1 element in it)") != std::string::npos,
                 m_messages.shown[0].text.c_str());
        QVERIFY(w.isVisible());
        QVERIFY(w.IsRegistered());
        QCOMPARE(w.Drawing(), drawing);
        QVERIFY(w.IsModified());
    }

    void discardClosesAndSaveClosesOnlyWhenTheFileIsWritten()
    {
        {
            frmDrawing& w = ChangedWindow();
            m_messages.answers = {MsgAnswer::Discard};
            QVERIFY(w.close());
            QVERIFY(!w.IsRegistered());
        }
        {
            // Save, but the user cancels the file dialog: the window and its changes stay.
            frmDrawing& w = ChangedWindow();
            w.SetSavePathChooser([] { return std::string(); });
            m_messages.answers = {MsgAnswer::Save};
            QVERIFY(!w.close());
            QVERIFY(w.isVisible() && w.IsModified());
            // Save into a folder that does not exist: the failure is told, the window stays.
            w.SetSavePathChooser([this] { return TempPath("no/such/folder/x.dxf"); });
            m_messages.answers = {MsgAnswer::Save};
            QVERIFY(!w.close());
            QVERIFY(w.isVisible() && w.IsModified());
            QCOMPARE(m_messages.shown.back().icon, MsgIcon::Exclamation);
            // Save to a good path: written, then closed.
            w.SetSavePathChooser([this] { return TempPath("kept.dxf"); });
            m_messages.answers = {MsgAnswer::Save};
            QVERIFY(w.close());
            QVERIFY(!w.IsRegistered());
            const host::DxfImport back = host::ReadDxfFile(TempPath("kept.dxf"));
            QVERIFY2(back.ok(), back.error.c_str());
            QCOMPARE(back.drawing->ModelElements().size(), size_t(1));
        }
    }

    void openingOrStartingAnotherDrawingAsksFirst()
    {
        frmDrawing& w = ChangedWindow();
        const auto changed = w.Drawing();
        m_messages.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        QCOMPARE(w.Drawing(), changed);
        m_messages.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.NewDrawing());
        QCOMPARE(w.Drawing(), changed);
        QCOMPARE(m_messages.shown.size(), size_t(2));
        // The File menu's New goes through the same question.
        m_messages.answers = {MsgAnswer::Cancel};
        w.findChild<QAction*>("M_DrawingNew")->trigger();
        QCOMPARE(w.Drawing(), changed);
        QCOMPARE(m_messages.shown.size(), size_t(3));

        m_messages.answers = {MsgAnswer::Discard};
        QVERIFY(w.OpenDxf(VELROK_TEST_DATA_DIR "/dxf/road.dxf"));
        QVERIFY(w.Drawing() != changed);
        QVERIFY(!w.IsModified());
        QVERIFY(w.NewDrawing()); // unchanged: no question
        QCOMPARE(m_messages.shown.size(), size_t(4));
        QVERIFY(w.FilePath().empty());
    }

    void thePathMarkIsNeitherSavedNorAChange()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        m_window->resize(800, 600);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        AddLine(*m_window->Drawing(), 10.0);
        QVERIFY(m_window->SaveDxf(TempPath("before.dxf")));
        const uint64_t revision = m_window->Drawing()->Revision();
        host::PathMarker marker{{0.0, 0.0}, {1.0, 0.0}, 10.0};
        m_window->ShowPathMarker(marker);
        QApplication::processEvents();
        app::PathMarkerOverlay* overlay = m_window->MarkerOverlay();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->geometry(), m_window->Canvas()->rect());
        QCOMPARE(m_window->Drawing()->Revision(), revision);
        QVERIFY(!m_window->IsModified());
        QVERIFY(m_window->SaveDxf(TempPath("after.dxf")));
        QCOMPARE(host::ReadDxfFile(TempPath("after.dxf")).drawing->ModelElements().size(), size_t(1));
        // The mark is painted over the canvas in its own colour, at the path's start.
        const QImage image = m_window->Canvas()->grab().toImage();
        const QPoint start = m_window->Canvas()->View().ToScreen({0.0, 0.0}).toPoint();
        int orange = 0;
        for (int dx = -12; dx <= 50; ++dx)
            for (int dy = -12; dy <= 12; ++dy) {
                const QColor c = image.pixelColor(start + QPoint(dx, dy));
                orange += c.red() > 200 && c.green() > 90 && c.green() < 170 && c.blue() < 60;
            }
        QVERIFY2(orange > 30, qPrintable(QString::number(orange)));
        // Another drawing drops the mark of the old one's path.
        QVERIFY(m_window->NewDrawing());
        QVERIFY(!overlay->Marker().has_value());
        QVERIFY(!overlay->isVisible());
    }

    void markerArrowPointsTheWayThePathLeavesOnScreen()
    {
        app::Viewport view;
        view.SetSize(QSizeF(400, 300));
        view.Fit(QRectF(0, 0, 100, 100));
        const auto shape = [&](double dx, double dy) {
            return app::MarkerShapeOnScreen(host::PathMarker{{50, 50}, {dx, dy}, 1.0}, view);
        };
        const QPointF centre = view.ToScreen({50, 50});
        const auto east = shape(1, 0);
        QCOMPARE(east.start, centre);
        QVERIFY(std::fabs(east.tip.x() - centre.x() - app::kMarkerArrowLengthPx) < 1e-9);
        QVERIFY(std::fabs(east.tip.y() - centre.y()) < 1e-9);
        const auto north = shape(0, 1); // up in the drawing is up on screen
        QVERIFY(std::fabs(north.tip.y() - (centre.y() - app::kMarkerArrowLengthPx)) < 1e-9);
        QCOMPARE(north.head.size(), 3);
        QCOMPARE(north.head[0], north.tip);
        // A path of no length has a ring and no arrow.
        const auto none = shape(0, 0);
        QCOMPARE(none.tip, none.start);
        QVERIFY(none.head.isEmpty());
    }

    void resultsExportWaitsForItsWriterAndReportsItsFailure()
    {
        m_window = std::make_unique<frmDrawing>(m_registry, m_messages);
        QAction* item = m_window->findChild<QAction*>("M_DrawingExportResults");
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QString("Export results as &DXF..."));
        QVERIFY(!item->isEnabled());
        QVERIFY(!m_window->ExportResultsDxf(std::nullopt, TempPath("r.dxf")));

        std::optional<host::NamedGroupHandle> seenGroup{host::NamedGroupHandle{99}};
        std::string seenPath;
        const host::InMemoryDrawing* seenDrawing = nullptr;
        bool succeed = true;
        m_window->SetResultsDxfExport([&](const host::InMemoryDrawing& drawing,
                                          std::optional<host::NamedGroupHandle> group,
                                          const std::string& path, std::string& error) {
            seenDrawing = &drawing;
            seenGroup = group;
            seenPath = path;
            if (!succeed)
                error = "disk full";
            return succeed;
        });
        QVERIFY(item->isEnabled());
        QVERIFY(m_window->ExportResultsDxf(std::nullopt, TempPath("all.dxf")));
        QVERIFY(!seenGroup.has_value());
        QCOMPARE(seenPath, TempPath("all.dxf"));
        QCOMPARE(seenDrawing, m_window->Drawing().get());
        succeed = false;
        QVERIFY(!m_window->ExportResultsDxf(host::NamedGroupHandle{7}, TempPath("one.dxf")));
        QCOMPARE(seenGroup->id, uint64_t(7));
        QCOMPARE(m_messages.shown.back().text, std::string("disk full"));
        QVERIFY(!m_window->IsModified()); // exporting changes nothing
    }
};

std::unique_ptr<QObject> MakeDrawingChangesTest()
{
    return std::make_unique<DrawingChangesTest>();
}

#include "DrawingChangesTest.moc"
