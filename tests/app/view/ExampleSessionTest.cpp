// A session on the bundled roundabout through the drawing window and the diagram widgets: click
// the path, Add path, Execute a semitrailer, then the run's group in the drawing and its lists,
// the diagrams painted, the report, and Add path failing with 429 once the window is closed.
#include "ExampleRun.h"
#include "TestPaths.h"

#include <QFileInfo>
#include <QListWidget>

#include <map>
#include <memory>
#include <vector>

using namespace velrok;

namespace {

const char* const kExample = VELROK_SOURCE_DIR "/examples/roundabout.dxf";

std::map<std::string, int> ElementsPerLevel(const host::InMemoryDrawing& d)
{
    std::map<std::string, int> counts;
    for (const host::DrawingElement* e : d.ModelElements())
        ++counts[d.Level(e->level).name];
    return counts;
}

int CountColor(const QImage& image, QColor color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

} // namespace

class ExampleSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void semitrailerOnTheRoundabout()
    {
        if (!QFileInfo::exists(kExample))
            QSKIP("examples/roundabout.dxf is not there");
        host::HostRegistry registry;
        testing::RecordingMessages windowMessages;
        app::frmDrawing window(registry, windowMessages);
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.OpenDxf(kExample));
        app::ResultDiagram angle(app::DiagramKind::Angle, nullptr, ',');
        app::ResultDiagram speed(app::DiagramKind::Speed, nullptr, ',');
        angle.resize(500, 300);
        speed.resize(500, 300);
        viewtest::ExampleSession session{registry, window, angle, speed};

        QVERIFY(session.ClickPath());
        QVERIFY(session.AddPath());
        QVERIFY(!session.path.IsZero());
        QCOMPARE(window.Drawing()->Selection().size(), size_t(0)); // Add path clears it

        const auto& d = *window.Drawing();
        const std::map<std::string, int> before = ElementsPerLevel(d);
        QVERIFY(session.Execute());
        const SweepResults& r = session.results;
        for (const auto& m : session.messages.shown)
            qInfo("message: %s / %s", m.title.c_str(), m.text.c_str());
        QCOMPARE(static_cast<int>(r.Stop), static_cast<int>(StopReason::None));
        QVERIFY(session.run.yields > 100); // the run kept the window alive

        // One new group holding exactly the new elements, on the run's levels.
        QCOMPARE(d.Groups().size(), size_t(1));
        const host::DrawingGroup& group = d.Groups().front();
        QCOMPARE(group.name, r.GroupName);
        std::map<std::string, int> added = ElementsPerLevel(d);
        for (const auto& [level, n] : before)
            added[level] -= n;
        std::erase_if(added, [](const auto& entry) { return entry.second == 0; });
        std::map<std::string, int> inGroup;
        for (const host::ElementId& id : group.members)
            ++inGroup[d.Level(d.Element(d.GetElementByID(id)).level).name];
        QCOMPARE(inGroup, added);
        // The default output styles put the wheel sweeps on the left and right sweep levels.
        std::vector<std::string> levels;
        for (const auto& [level, n] : added) {
            qInfo("%s: %d elements", level.c_str(), n);
            levels.push_back(level);
        }
        QCOMPARE(levels, (std::vector<std::string>{"Velrok_Envelope", "Velrok_LeftSweep", "Velrok_RightSweep",
                                                   "Velrok_Vehicle"}));
        QVERIFY(r.EnvelopeDrawn);
        QCOMPARE(added["Velrok_Envelope"], 2); // the outer line of each side
        QCOMPARE(added["Velrok_LeftSweep"], added["Velrok_RightSweep"]);

        // The window lists the run's group and the levels it created.
        window.Refresh();
        QCOMPARE(window.GroupList()->count(), 1);
        QVERIFY(window.GroupList()->item(0)->text().startsWith(QString::fromStdString(r.GroupName)));
        QVERIFY(!window.LevelList()->findItems("Velrok_Envelope", Qt::MatchExactly).isEmpty());

        // The report in panel 2, and both diagrams with curves right of the labels.
        QVERIFY2(r.Report.rfind("Truck Max Turning Angle: ", 0) == 0, r.Report.c_str());
        QCOMPARE(session.status.panel2, r.Report);
        QVERIFY(angle.Picture().xMax > 50.0);
        const QImage a = angle.Image().copy(150, 0, 350, 300), s = speed.Image().copy(150, 0, 350, 300);
        QVERIFY(CountColor(a, QColor(255, 0, 0)) > 100);
        QVERIFY(CountColor(a, QColor(255, 255, 0)) > 100);
        QVERIFY(CountColor(s, QColor(255, 0, 0)) > 100);

        // Deleting the run's group takes the drawing back to what it was.
        window.DeleteGroup(group.handle);
        std::map<std::string, int> after = ElementsPerLevel(d);
        std::erase_if(after, [](const auto& entry) { return entry.second == 0; });
        QCOMPARE(after, before);

        windowMessages.answers.push_back(MsgAnswer::Discard); // the run's elements are not saved
        window.close();
        QVERIFY(!session.AddPath());
        QCOMPARE(session.messages.shown.back().title, std::string("Can't create object"));
    }
};

std::unique_ptr<QObject> MakeExampleSessionTest()
{
    return std::make_unique<ExampleSessionTest>();
}

#include "ExampleSessionTest.moc"
