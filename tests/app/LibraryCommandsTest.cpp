// The library editor's buttons and file menu, checked against the bytes of the vehicle files.
#include "AppTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QLabel>
#include <QTest>

#include "app/QtStatusService.h"

using namespace velrok;
using namespace velrok::apptest;

namespace {

constexpr int kRecord = 1634;
constexpr int kDeletedOffset = 350;
constexpr int kTypeOffset = 352;

void TypeInto(QWidget* w, const char* name, const QString& text)
{
    auto* field = Child<QLineEdit>(w, name);
    field->selectAll();
    QTest::keyClicks(field, text);
}

QString Name(const QByteArray& bytes, int record)
{
    return QString::fromLatin1(bytes.mid((record - 1) * kRecord, 100));
}

QString Padded(const QString& name)
{
    return name.leftJustified(100, QLatin1Char(' '), true);
}

} // namespace

class LibraryCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void pickingTypesShowsTheirFieldsAndKeepsHiddenTexts();
    void saveIntoAnEmptyLibraryWritesRecordOne();
    void copyCutsTheNameTo100AndSelectsTheCopy();
    void deleteAsksAndFreesTheSlotOnlyOnYes();
    void newVehicleThenSaveWithEmptyNumbersWritesNothing();
    void fileNewThenDeleteActOnTheNewFile();
    void saveAsRefusesAnExistingFile();
    void newVehicleClearsTheSummaryAndAClickShowsTheSelectedEntryAgain();
    void fileNewAsksInTheUsersFolderUnderItsOwnTitle();
};

void LibraryCommandsTest::pickingTypesShowsTheirFieldsAndKeepsHiddenTexts()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto* combo = Child<QComboBox>(w.get(), "Combo1");
    auto pick = [&](int code) {
        const int index = combo->findData(code);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    auto hidden = [&](const char* name) { return Child<QWidget>(w.get(), name)->isHidden(); };

    pick(10);
    TypeInto(w.get(), "txt_Front4", "1,25");
    for (const char* name : {"txtHitch4", "txt_Front4", "txt_Wheelbase4", "txt_Back4", "Label14", "Label1_15",
                             "txt_WheelWidth_4", "txtHitch3", "Label1_8"})
        QVERIFY2(!hidden(name), name);

    pick(1);
    for (const char* name : {"txtHitch", "Label1_2", "Label12", "txt_Front2", "txtHitch3", "txt_Front4",
                             "Label1_14", "txt_VeichleWidth_4"})
        QVERIFY2(hidden(name), name);
    for (const char* name : {"txt_Front", "txt_Wheelbase", "txt_Back", "Label1_0", "Label1_1", "Label1_3",
                             "Label11", "txt_WheelWidth", "txt_VeichleWidth"})
        QVERIFY2(!hidden(name), name);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Front4")->text(), QStringLiteral("1,25"));

    pick(10);
    QCOMPARE(hidden("txt_Front4"), false);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Front4")->text(), QStringLiteral("1,25"));

    // Code 13 has a third body but no H3.
    pick(13);
    QCOMPARE(hidden("txt_Front3"), false);
    QCOMPARE(hidden("txtHitch3"), true);
    QCOMPARE(hidden("Label1_8"), true);
    QCOMPARE(hidden("txt_Front4"), true);
}

void LibraryCommandsTest::saveIntoAnEmptyLibraryWritesRecordOne()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    TypeInto(w.get(), "txt_Name", QStringLiteral("Van"));
    Child<QPushButton>(w.get(), "Command1")->click();

    const QByteArray bytes = FileBytes(h.UserLibrary());
    QCOMPARE(bytes.size(), kRecord);
    QCOMPARE(Name(bytes, 1), Padded(QStringLiteral("Van")));
    QCOMPARE(Int16At(bytes, kDeletedOffset), 0);
    QCOMPARE(Int16At(bytes, kTypeOffset), 2);
    auto* list = Child<QListWidget>(w.get(), "List1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), Padded(QStringLiteral("Van")));
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), QStringLiteral("Van"));
    QCOMPARE(h.messages.shown.size(), size_t(0));

    // A second save with the entry selected overwrites record 1.
    TypeInto(w.get(), "txt_Name", QStringLiteral("Van 2"));
    Child<QPushButton>(w.get(), "Command1")->click();
    const QByteArray again = FileBytes(h.UserLibrary());
    QCOMPARE(again.size(), kRecord);
    QCOMPARE(Name(again, 1), Padded(QStringLiteral("Van 2")));
    QCOMPARE(w->Status().Panel(1)->text(), QStringLiteral("Saved"));
    // The library beside the program stays as shipped; the caption names the user's copy.
    QCOMPARE(FileBytes(h.Path("DefaultVehicles.vdt")).size(), 0);
    QCOMPARE(w->Library().CurrentFile(), h.UserLibrary());
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [DefaultVehicles]"));
}

void LibraryCommandsTest::copyCutsTheNameTo100AndSelectsTheCopy()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    const QString longName = QString(95, QLatin1Char('n'));
    TypeInto(w.get(), "txt_Name", longName);
    Child<QPushButton>(w.get(), "Command1")->click();
    Child<QPushButton>(w.get(), "Command6")->click();

    const QByteArray bytes = FileBytes(h.UserLibrary());
    QCOMPARE(bytes.size(), 2 * kRecord);
    QCOMPARE(Name(bytes, 1), Padded(longName));
    QCOMPARE(Name(bytes, 2), QStringLiteral("Copy of ") + longName.left(92));
    auto* list = Child<QListWidget>(w.get(), "List1");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(list->currentItem()->data(Qt::UserRole).toInt(), 2);
}

void LibraryCommandsTest::deleteAsksAndFreesTheSlotOnlyOnYes()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto* list = Child<QListWidget>(w.get(), "List1");
    for (const char* name : {"Alpha", "Beta"}) {
        Child<QPushButton>(w.get(), "Command4")->click();
        // New vehicle empties the fields; the defaults are typed back for the semitrailer.
        const char* values[][2] = {
            {"txt_MaxTurning", "40"},     {"txt_MaxSegAnle", "70"},     {"txt_LockToLock", "7"},
            {"txt_Front", "1,4"},         {"txt_Wheelbase", "5,6"},     {"txt_Back", "2,6"},
            {"txtHitch", "2,65"},         {"txt_WheelWidth", "2,55"},   {"txt_VeichleWidth", "2,6"},
            {"txt_Front2", "0,91"},       {"txt_Wheelbase2", "9,3"},    {"txt_Back2", "2,1"},
            {"txt_WheelWidth_2", "2,55"}, {"txt_VeichleWidth_2", "2,6"}};
        for (const auto& v : values)
            TypeInto(w.get(), v[0], QString::fromLatin1(v[1]));
        TypeInto(w.get(), "txt_Name", QString::fromLatin1(name));
        Child<QPushButton>(w.get(), "Command1")->click();
    }
    QCOMPARE(list->count(), 2);
    QCOMPARE(h.messages.shown.size(), size_t(0));
    const QByteArray before = FileBytes(h.UserLibrary());

    list->setCurrentRow(0);
    h.messages.answers.push_back(MsgAnswer::No);
    Child<QPushButton>(w.get(), "Command5")->click();
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Delet Vehicle"));
    QCOMPARE(h.messages.shown[0].text, std::string("Delete current Vehicle? \r\rAlpha"));
    QCOMPARE(h.messages.shown[0].icon, MsgIcon::Question);
    QCOMPARE(h.messages.shown[0].buttons, MsgButtons::YesNo);
    QCOMPARE(FileBytes(h.UserLibrary()), before);
    QCOMPARE(list->count(), 2);

    h.messages.answers.push_back(MsgAnswer::Yes);
    Child<QPushButton>(w.get(), "Command5")->click();
    const QByteArray after = FileBytes(h.UserLibrary());
    QCOMPARE(after.size(), 2 * kRecord);
    QCOMPARE(Int16At(after, kDeletedOffset), -1);
    QCOMPARE(Int16At(after, kRecord + kDeletedOffset), 0);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), QStringLiteral("Beta"));
}

void LibraryCommandsTest::newVehicleThenSaveWithEmptyNumbersWritesNothing()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    TypeInto(w.get(), "txt_Name", QStringLiteral("Kept"));
    Child<QPushButton>(w.get(), "Command1")->click();
    const QByteArray before = FileBytes(h.UserLibrary());

    Child<QPushButton>(w.get(), "Command4")->click();
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Front")->text(), QString());
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), QString());
    TypeInto(w.get(), "txt_Name", QStringLiteral("Empty"));
    Child<QPushButton>(w.get(), "Command1")->click();

    QCOMPARE(FileBytes(h.UserLibrary()), before);
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Velrok"));
    QVERIFY2(h.messages.shown[0].text.ends_with(" Prepare to Save or Copy"),
             h.messages.shown[0].text.c_str());
}

void LibraryCommandsTest::fileNewThenDeleteActOnTheNewFile()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    TypeInto(w.get(), "txt_Name", QStringLiteral("Old"));
    Child<QPushButton>(w.get(), "Command1")->click();
    const QByteArray oldBytes = FileBytes(h.UserLibrary());

    h.dialogs.saveAnswers.push_back(h.Path("fresh.vdt"));
    w->findChild<QAction*>(QStringLiteral("M_New"))->trigger();
    QCOMPARE(h.dialogs.asked.back().filter, std::string("Vehicle Data (*.vdt)|*.vdt"));
    QCOMPARE(h.dialogs.asked.back().defaultExtension, std::string("vdt"));
    QCOMPARE(FileBytes(h.Path("fresh.vdt")).size(), 0);
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [fresh]"));
    QCOMPARE(h.settings.Get("VehicleFile", ""), h.Path("fresh.vdt"));
    auto* list = Child<QListWidget>(w.get(), "List1");
    QCOMPARE(list->count(), 0);

    TypeInto(w.get(), "txt_Name", QStringLiteral("New one"));
    Child<QPushButton>(w.get(), "Command1")->click();
    QCOMPARE(list->count(), 1);
    list->setCurrentRow(0);
    Child<QPushButton>(w.get(), "Command5")->click(); // the recorder answers Yes

    const QByteArray fresh = FileBytes(h.Path("fresh.vdt"));
    QCOMPARE(fresh.size(), kRecord);
    QCOMPARE(Int16At(fresh, kDeletedOffset), -1);
    QCOMPARE(FileBytes(h.UserLibrary()), oldBytes);
    // Deleting the only entry empties the fields.
    QCOMPARE(list->count(), 0);
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), QString());
}

void LibraryCommandsTest::saveAsRefusesAnExistingFile()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    h.CreateFile("taken.vdt");
    auto w = h.LoadedWindow();
    h.dialogs.saveAnswers.push_back(h.Path("taken.vdt"));
    w->findChild<QAction*>(QStringLiteral("M_save"))->trigger();
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Save As"));
    QCOMPARE(h.messages.shown[0].text, std::string("File already exist, cant overwrite"));

    TypeInto(w.get(), "txt_Name", QStringLiteral("Copied"));
    Child<QPushButton>(w.get(), "Command1")->click();
    h.dialogs.saveAnswers.push_back(h.Path("copy.vdt"));
    w->findChild<QAction*>(QStringLiteral("M_save"))->trigger();
    QCOMPARE(FileBytes(h.Path("copy.vdt")), FileBytes(h.UserLibrary()));
    QCOMPARE(w->Library().CurrentFile(), h.UserLibrary());
}

void LibraryCommandsTest::newVehicleClearsTheSummaryAndAClickShowsTheSelectedEntryAgain()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QString longName = QStringLiteral("Articulated semitrailer with a very long name, 16,5 m, tri-axle");
    TypeInto(w.get(), "txt_Name", longName);
    Child<QPushButton>(w.get(), "Command1")->click();
    auto* list = Child<QListWidget>(w.get(), "List1");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->toolTip(), longName);
    auto* total = Child<QLabel>(w.get(), "lbl_TotalLength");
    QCOMPARE(total->text(), QStringLiteral("Total Length: 21,05"));

    Child<QPushButton>(w.get(), "Command4")->click();
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), QString());
    QCOMPARE(total->text(), QStringLiteral("Total Length: "));
    QCOMPARE(w->Status().Panel(1)->text(), QString());
    QCOMPARE(w->Library().NewVehicleFlag(), true);
    QCOMPARE(list->currentRow(), 0); // the entry stays selected

    // A click on the entry already selected shows its vehicle again and ends the new vehicle.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Name")->text(), longName);
    QCOMPARE(w->Library().NewVehicleFlag(), false);
    QCOMPARE(total->text(), QStringLiteral("Total Length: 21,05"));
    QCOMPARE(w->Status().Panel(1)->text(), QStringLiteral("Min Turning Radius (Centerline): 8,71"));

    // So does it after edits that were not saved.
    TypeInto(w.get(), "txt_Front", QStringLiteral("3"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(Child<QLineEdit>(w.get(), "txt_Front")->text(), QStringLiteral("1,4"));
    QCOMPARE(h.messages.shown.size(), size_t(0));
}

void LibraryCommandsTest::fileNewAsksInTheUsersFolderUnderItsOwnTitle()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    h.dialogs.saveAnswers.push_back(h.Path("data/fresh.vdt"));
    w->findChild<QAction*>(QStringLiteral("M_New"))->trigger();
    QCOMPARE(h.dialogs.asked.back().title, std::string("New"));
    QCOMPARE(h.dialogs.asked.back().initialFolder, h.Path("data"));
    QCOMPARE(w->Library().CurrentFile(), h.Path("data/fresh.vdt"));
    w->findChild<QAction*>(QStringLiteral("M_save"))->trigger(); // cancelled
    QCOMPARE(h.dialogs.asked.back().title, std::string("Save As"));
    w->findChild<QAction*>(QStringLiteral("M_Open"))->trigger(); // cancelled: reloads
    QCOMPARE(h.dialogs.asked.back().title, std::string("Open"));
    QCOMPARE(h.dialogs.asked.back().initialFolder, h.Path("data"));
}

std::unique_ptr<QObject> MakeLibraryCommandsTest()
{
    return std::make_unique<LibraryCommandsTest>();
}

#include "LibraryCommandsTest.moc"
