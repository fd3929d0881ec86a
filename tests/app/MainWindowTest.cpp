// The main window's load, options, tabs, summary, unload and first-run flow, through its widgets.
#include "AppTestSupport.h"
#include "app/QtStatusService.h"
#include "app/VehicleSchematic.h"
#include "app/frmSettings.h"
#include "app/frmLevelChoice.h"
#include "app/drawing/SweepSession.h"
#include "ui_frmLevelChoice.h"
#include "host/qt/QtSettingsStore.h"
#include "ui_frmSettings.h"

#include <QApplication>
#include <QFileInfo>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace velrok;
using namespace velrok::apptest;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void emptySettingsGiveTheStartState();
    void captionIsTheFileNameBeforeItsFirstDot();
    void damagedOptionFallsBackAndLoadGoesOn();
    void optionRulesOfThePlottingBoxes();
    void tabsShowOnePageEach();
    void keyReleaseInALengthFieldSumsByTheConfigurationInForce();
    void fieldThatIsNotANumberShowsInTheSummary();
    void unloadWritesTheKeysInOrder();
    void quitRaisesTheStopRequestAndUnloads();
    void firstRunSendsTheUserToTheSettingsForm();
    void cleanSettingsFileAsksForTheCadVersionOnce();
    void clearanceIsStoredWhenTypedAndRefusedWhenNotANumber();
    void obstacleLevelsAreChosenFromTheDrawingsLevels();
    void progressBarLiesOverPanel2();
    void menusCarryTheirCaptions();
};

void MainWindowTest::emptySettingsGiveTheStartState()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();

    QCOMPARE(h.messages.shown.size(), size_t(0));
    QCOMPARE(Child<QCheckBox>(w.get(), "chk_PlotVehicle")->isChecked(), true);
    QCOMPARE(Child<QCheckBox>(w.get(), "chk_plotSweep")->isChecked(), true);
    QCOMPARE(Child<QCheckBox>(w.get(), "Check1")->isChecked(), false);
    QCOMPARE(Child<QCheckBox>(w.get(), "Check2")->isChecked(), false);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_plotSpacing")->text(), QStringLiteral("5"));
    QCOMPARE(Child<QComboBox>(w.get(), "Combo1")->count(), 13);
    QCOMPARE(Child<QComboBox>(w.get(), "Combo1")->currentText(), QStringLiteral("Semi-Trailer"));
    QCOMPARE(Child<QComboBox>(w.get(), "Combo1")->currentData().toInt(), 2);
    QCOMPARE(Child<QComboBox>(w.get(), "Combo4")->currentIndex(), 0);
    QCOMPARE(Child<QComboBox>(w.get(), "Combo4")->itemText(2), QStringLiteral("ms (Meters/Second"));
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Speed")->text(), QStringLiteral("0"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [DefaultVehicles]"));
    QCOMPARE(w->Library().CurrentFile(), h.UserLibrary());
    QCOMPARE(w->HelpTopic(), 1);
    // The main window stays beside the drawing window, not above it.
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(h.session.hostProgId, std::string("MicrostationDGN.ApplicationObjectConnector"));
    // The default texts and the semitrailer give 1,4 + 5,6 + 2,65 + 9,3 + 2,1.
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: 21,05"));
    QCOMPARE(w->Status().Panel(1)->text(), QStringLiteral("Min Turning Radius (Centerline): 8,71"));
}

void MainWindowTest::captionIsTheFileNameBeforeItsFirstDot()
{
    Harness h;
    h.CreateFile("my.trucks.vdt");
    h.settings.Set("VehicleFile", h.Path("my.trucks.vdt"));
    auto w = h.LoadedWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [my]"));
}

void MainWindowTest::damagedOptionFallsBackAndLoadGoesOn()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    h.settings.Set("PlotVehicle", "yes");
    h.settings.Set("PlotSweep", "0");
    h.settings.Set("SpeedSort", "many");
    h.settings.Set("Speed", "12,5");
    auto w = h.LoadedWindow();
    QCOMPARE(h.messages.shown.size(), size_t(0));
    QCOMPARE(Child<QCheckBox>(w.get(), "chk_PlotVehicle")->isChecked(), true);
    QCOMPARE(Child<QCheckBox>(w.get(), "chk_plotSweep")->isChecked(), false);
    QCOMPARE(Child<QComboBox>(w.get(), "Combo4")->currentIndex(), 0);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Speed")->text(), QStringLiteral("12,5"));
    // The library was still listed and the caption set.
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [DefaultVehicles]"));
}

void MainWindowTest::optionRulesOfThePlottingBoxes()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    h.settings.Set("SpeedSort", "2");
    auto w = h.LoadedWindow();
    QCOMPARE(Child<QComboBox>(w.get(), "Combo4")->currentIndex(), 2);
    auto* plot = Child<QCheckBox>(w.get(), "chk_PlotVehicle");
    auto* only = Child<QCheckBox>(w.get(), "Check1");
    auto* spacing = Child<QLineEdit>(w.get(), "txt_plotSpacing");
    auto* label = Child<QLabel>(w.get(), "Label5");

    only->click();
    QCOMPARE(spacing->isEnabled(), false);
    QCOMPARE(label->isEnabled(), false);
    plot->click();
    QCOMPARE(only->isEnabled(), false);
    QCOMPARE(spacing->isEnabled(), false);
    plot->click();
    QCOMPARE(only->isEnabled(), true);
    QCOMPARE(spacing->isEnabled(), false); // plot only first and last is still on
    only->click();
    QCOMPARE(spacing->isEnabled(), true);
    QCOMPARE(label->isEnabled(), true);
}

void MainWindowTest::tabsShowOnePageEach()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto* tabs = Child<QTabBar>(w.get(), "TabStrip1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(2), QStringLiteral("Lock to lock Report\t"));
    auto* frame = Child<QWidget>(w.get(), "Frame1");
    auto* angles = Child<QWidget>(w.get(), "Picture3");
    auto* speeds = Child<QWidget>(w.get(), "Picture2");
    const struct {
        int tab;
        bool frame, angles, speeds;
    } cases[] = {{1, false, true, false}, {2, false, false, true}, {0, true, false, false}};
    for (const auto& c : cases) {
        tabs->setCurrentIndex(c.tab);
        QCOMPARE(frame->isHidden(), !c.frame);
        QCOMPARE(angles->isHidden(), !c.angles);
        QCOMPARE(speeds->isHidden(), !c.speeds);
    }
    // The diagram pictures lie where the frame lies.
    tabs->setCurrentIndex(1);
    QCOMPARE(angles->geometry(), frame->geometry());
}

void MainWindowTest::keyReleaseInALengthFieldSumsByTheConfigurationInForce()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    // Save a truck so that the configuration in force is 1.
    auto* combo = Child<QComboBox>(w.get(), "Combo1");
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QTest::keyClicks(Child<QLineEdit>(w.get(), "txt_Name"), "Truck A");
    Child<QPushButton>(w.get(), "Command1")->click();
    QCOMPARE(w->Library().ConfigurationInForce(), 1);
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: 9,6"));

    // Pick another type: the summary follows the picked type ...
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: 21,05"));
    // ... but a key release in a length field sums by the vehicle last read: F + WB + B.
    auto* front = Child<QLineEdit>(w.get(), "txt_Front");
    front->selectAll();
    QTest::keyClicks(front, "2");
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: 10,2"));
    // The schematic follows the typed value to scale.
    const auto& dims = Child<app::VehicleSchematic>(w.get(), "Image1")->Layout().dimensions;
    QCOMPARE(dims.at(0).letter, QStringLiteral("F"));
    QCOMPARE(dims.at(0).x1 - dims.at(0).x0, 2.0);
}

void MainWindowTest::fieldThatIsNotANumberShowsInTheSummary()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto* combo = Child<QComboBox>(w.get(), "Combo1");
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    QTest::keyClicks(Child<QLineEdit>(w.get(), "txt_Name"), "T");
    Child<QPushButton>(w.get(), "Command1")->click();
    auto* back = Child<QLineEdit>(w.get(), "txt_Back");
    back->selectAll();
    QTest::keyClicks(back, "x");
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: ?"));
    QVERIFY2(w->Status().Panel(1)->text().contains(QStringLiteral("Back (B)")),
             qPrintable(w->Status().Panel(1)->text()));
}

void MainWindowTest::unloadWritesTheKeysInOrder()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    Child<QCheckBox>(w.get(), "Check2")->click();
    Child<QCheckBox>(w.get(), "chk_plotSweep")->click();
    auto* speed = Child<QLineEdit>(w.get(), "txt_Speed");
    speed->clear();
    QTest::keyClicks(speed, "fast");
    Child<QComboBox>(w.get(), "Combo4")->setCurrentIndex(1);
    const size_t before = h.settings.Writes().size();
    w->close();

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"VehicleFile", h.UserLibrary()},
        {"PlotVehicle", "1"},
        {"MaxVehicleSpacing", "5"},
        {"PlotOnlyFirstAndLast", "0"},
        {"PlotSweep", "0"},
        {"SpeedSort", "1"},
        {"Speed", "fast"},
        {"PlotEnvelope", "1"}};
    const auto& writes = h.settings.Writes();
    // The options first, in their order, then the geometry of the two windows.
    QCOMPARE(writes.size() - before, expected.size() + 2);
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(writes[before + i].first, expected[i].first);
        QCOMPARE(writes[before + i].second, expected[i].second);
    }
    QCOMPARE(writes[before + expected.size()].first, std::string("MainWindowGeometry"));
    QCOMPARE(writes[before + expected.size() + 1].first, std::string("DrawingWindowGeometry"));
}

void MainWindowTest::quitRaisesTheStopRequestAndUnloads()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    QSignalSpy unloaded(w.get(), &app::frmVehicleTurning::Unloaded);
    QCOMPARE(w->Run().StopRequested(), false);
    Child<QPushButton>(w.get(), "Command2")->click();
    QCOMPARE(w->Run().StopRequested(), true);
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(h.settings.Has("PlotEnvelope"));
}

void MainWindowTest::firstRunSendsTheUserToTheSettingsForm()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    h.settings.Set("CadVersion", "");
    bool sawForm = false, windowHidden = false;
    QString frameCaption;
    app::frmVehicleTurning window(h.env);
    // The form is modal: answer it from the event loop it runs, as soon as it is up.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<app::frmSettings*>(QApplication::activeModalWidget());
        if (form == nullptr)
            return;
        poll.stop();
        sawForm = true;
        windowHidden = window.isHidden();
        frameCaption = form->Form().Frame4->title();
        form->Form().Command2->click();
    });
    poll.start();
    window.Load();
    QVERIFY(sawForm);
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("First time, select Microstation version"));
    QCOMPARE(h.messages.shown[0].text,
             std::string("Welcome! You will now be redirected to the settings form.\r\r"
                         "Please select your CAD version in the bottom left part."));
    QCOMPARE(h.messages.shown[0].icon, MsgIcon::Information);
    QCOMPARE(windowHidden, true);
    QCOMPARE(frameCaption, QStringLiteral("Select your CAD version"));
    // Closing the settings form brought the main window back.
    QCOMPARE(window.isVisible(), true);
    QCOMPARE(h.session.hostProgId, std::string("MicrostationDGN.ApplicationObjectConnector"));
}

void MainWindowTest::cleanSettingsFileAsksForTheCadVersionOnce()
{
    Harness h(true);
    h.CreateFile("DefaultVehicles.vdt");
    const QString iniPath = QString::fromStdString(h.Path("home/.config/Velrok/Velrok.ini"));
    QVERIFY(!QFileInfo::exists(iniPath));
    auto start = [&](SettingsStore& store, bool& sawForm, bool& hiddenMeanwhile) {
        app::AppEnvironment env{store, h.messages, h.session, h.folder.path().toStdString(), ',', &h.dialogs,
                                h.Path("data")};
        app::frmVehicleTurning window(env);
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* form = qobject_cast<app::frmSettings*>(QApplication::activeModalWidget());
            if (form == nullptr)
                return;
            poll.stop();
            sawForm = true;
            hiddenMeanwhile = window.isHidden();
            form->Form().Command1->click(); // OK with the proposed standard entry
        });
        poll.start();
        window.Load();
        // A form that never came up must not leave the poll running into the next start.
        poll.stop();
        QCOMPARE(window.isVisible(), sawForm);
    };

    {
        host::QtSettingsStore clean(iniPath.toStdString());
        bool sawForm = false, hidden = false;
        start(clean, sawForm, hidden);
        QVERIFY(sawForm);
        QVERIFY(hidden);
        QCOMPARE(h.messages.shown.size(), size_t(1));
        QCOMPARE(h.messages.shown[0].title, std::string("First time, select Microstation version"));
    }
    // The choice went into the file, so the next start goes straight to the main window.
    {
        host::QtSettingsStore again(iniPath.toStdString());
        QCOMPARE(again.Get("CadVersion", "?"), std::string("10"));
        bool sawForm = false, hidden = false;
        start(again, sawForm, hidden);
        QVERIFY(!sawForm);
        QCOMPARE(h.messages.shown.size(), size_t(1));
    }
}

void MainWindowTest::clearanceIsStoredWhenTypedAndRefusedWhenNotANumber()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto* clearance = Child<QLineEdit>(w.get(), "txt_Clearance");
    QCOMPARE(clearance->text(), QStringLiteral("0,5"));
    QVERIFY(!h.settings.Has("ClearanceDistance"));

    clearance->selectAll();
    QTest::keyClicks(clearance, "0,8");
    emit clearance->editingFinished();
    QCOMPARE(h.settings.Get("ClearanceDistance", "?"), std::string("0,8"));

    clearance->selectAll();
    QTest::keyClicks(clearance, "far");
    emit clearance->editingFinished();
    QCOMPARE(h.settings.Get("ClearanceDistance", "?"), std::string("0,8"));
    QCOMPARE(w->Status().Panel(1)->text(), QStringLiteral("Bad value for Clearance distance!"));
    QVERIFY(!clearance->styleSheet().isEmpty());

    // The next start shows what was stored.
    w.reset();
    auto again = h.LoadedWindow();
    QCOMPARE(Child<QLineEdit>(again.get(), "txt_Clearance")->text(), QStringLiteral("0,8"));
}

void MainWindowTest::obstacleLevelsAreChosenFromTheDrawingsLevels()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    h.settings.Set("ObstacleLevels", "Trees");
    auto w = h.LoadedWindow();
    app::frmDrawing* drawing = w->Session().DrawingWindow();
    QVERIFY(drawing != nullptr);
    drawing->Drawing()->AddNewLevel("Walls");
    drawing->Drawing()->AddNewLevel("Kerbs");

    QStringList shown;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<app::frmLevelChoice*>(QApplication::activeModalWidget());
        if (form == nullptr)
            return;
        poll.stop();
        QListWidget* list = form->Form().List_Levels;
        for (int i = 0; i < list->count(); ++i) {
            shown << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "+" : "");
            if (list->item(i)->text() == QStringLiteral("Walls"))
                list->item(i)->setCheckState(Qt::Checked);
        }
        form->Form().Command1->click();
    });
    poll.start();
    Child<QPushButton>(w.get(), "Command_ObstacleLevels")->click();
    // The drawing's levels in order, then the stored one it lacks, still chosen.
    QVERIFY2(shown.size() >= 3, qPrintable(shown.join(',')));
    QCOMPARE(shown.last(), QStringLiteral("Trees+"));
    QVERIFY2(shown.contains(QStringLiteral("Walls")) && shown.contains(QStringLiteral("Kerbs")),
             qPrintable(shown.join(',')));
    QCOMPARE(h.settings.Get("ObstacleLevels", "?"), std::string("Walls;Trees"));
    QCOMPARE(h.settings.Get("KerbLevels", "?"), std::string("?"));
    QCOMPARE(Child<QPushButton>(w.get(), "Command_ObstacleLevels")->toolTip(), QStringLiteral("Walls;Trees"));
}

void MainWindowTest::progressBarLiesOverPanel2()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    w->resize(1100, 720);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->Status().SetProgressVisible(true);
    QProgressBar* bar = w->Status().ProgressBar();
    QCOMPARE(bar->objectName(), QStringLiteral("ProgressBar1"));
    const QRect panel = w->Status().Panel(2)->geometry();
    QCOMPARE(bar->geometry().left(), panel.left());
    QCOMPARE(bar->geometry().width(), panel.width());
    QCOMPARE(bar->geometry().top(), 2);
    QCOMPARE(bar->geometry().height(), Child<QStatusBar>(w.get(), "StatusBar1")->height() - 2);
    w->resize(900, 700);
    QApplication::processEvents();
    QCOMPARE(bar->geometry().width(), w->Status().Panel(2)->geometry().width());
}

void MainWindowTest::menusCarryTheirCaptions()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    const struct {
        const char* name;
        const char* caption;
    } menus[] = {{"M_File", "&Fich"}, {"M_Settings", "&Options "}, {"M_Help", "&Aide"}};
    for (const auto& m : menus)
        QCOMPARE(Child<QMenu>(w.get(), m.name)->title(), QString::fromLatin1(m.caption));
    const struct {
        const char* name;
        const char* caption;
    } items[] = {{"M_Open", "Ouvr"},
                 {"M_save", "Sauv.en"},
                 {"M_New", "New"},
                 {"M_settingsVersion", "Version Plateform.DAO"},
                 {"M_Settings_color", "Affichage Girat"},
                 {"M_Helpfile", "&Fic.Aide"},
                 {"M_About", "&About"}};
    for (const auto& i : items) {
        auto* action = w->findChild<QAction*>(QString::fromLatin1(i.name));
        QVERIFY2(action != nullptr, i.name);
        QCOMPARE(action->text(), QString::fromLatin1(i.caption));
    }
    QCOMPARE(Child<QPushButton>(w.get(), "Command1")->text(), QStringLiteral("S&auv"));
    QCOMPARE(Child<QPushButton>(w.get(), "Command7")->text(), QStringLiteral("&Aj. Chem"));
    QCOMPARE(Child<QPushButton>(w.get(), "Command3")->text(), QStringLiteral("&Execute"));
}

std::unique_ptr<QObject> MakeMainWindowTest()
{
    return std::make_unique<MainWindowTest>();
}

#include "MainWindowTest.moc"
