// The library commands with recording fakes and a temporary folder: every message, title, icon
// and order, and which file and record each command touches.
#include "vehicle/VehicleLibrary.h"

#include "common/NumberText.h"

#include "VehicleTestSupport.h"
#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <limits>

namespace velrok {
namespace {

using testing::ReadAllBytes;
using testing::RecordingMessages;
using testing::RecordingStatus;
using testing::TempDir;
using testing::WriteAllBytes;

class QueuedDialogs : public FileDialogs {
  public:
    std::string OpenFile(const Options& options) override { return Next(options, "open"); }
    std::string SaveFile(const Options& options) override { return Next(options, "save"); }
    std::deque<std::string> answers; // empty text = cancelled
    std::vector<std::string> calls;
    Options last;

  private:
    std::string Next(const Options& options, const char* kind)
    {
        calls.push_back(kind);
        last = options;
        if (answers.empty())
            return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
};

VehicleRecord Stored(const std::string& name, std::int16_t type)
{
    VehicleFields f;
    f.txt_Name = name;
    RecordFromFieldsResult built = RecordFromFields(f, type, ',');
    EXPECT_TRUE(built.ok()) << built.error;
    return built.record;
}

class VehicleLibraryTest : public ::testing::Test {
  protected:
    VehicleLibraryTest()
        : library({messages, status, settings, dialogs, ',', dir.Path().string(), dir.File("user")})
    {
    }

    // A library file of the named vehicles (type 2 unless given), as current file.
    std::string MakeLibrary(const std::string& file, const std::vector<std::pair<std::string, int>>& vehicles)
    {
        const std::string path = dir.File(file);
        WriteAllBytes(path, {});
        for (size_t i = 0; i < vehicles.size(); ++i)
            EXPECT_EQ(
                WriteVehicleRecord(path, static_cast<std::int64_t>(i + 1),
                                   Stored(vehicles[i].first, static_cast<std::int16_t>(vehicles[i].second))),
                "");
        return path;
    }

    void Open(const std::string& path)
    {
        settings.Set(kVehicleFileSetting, path);
        library.StartUp();
        messages.shown.clear();
    }

    std::vector<std::string> ListTexts() const
    {
        std::vector<std::string> out;
        for (const auto& e : library.List())
            out.push_back(Trim(e.text) + "#" + std::to_string(e.itemData));
        return out;
    }

    TempDir dir;
    RecordingMessages messages;
    RecordingStatus status;
    MemorySettingsStore settings;
    QueuedDialogs dialogs;
    VehicleLibrary library;
};

TEST_F(VehicleLibraryTest, StartUpOpensTheDefaultLibraryBesideTheProgramAndShowsItsFirstVehicle)
{
    MakeLibrary("DefaultVehicles.vdt", {{"Rig", 1}, {"Artic", 2}});
    library.StartUp();
    EXPECT_EQ(library.CurrentFile(), dir.File("user/DefaultVehicles.vdt"));
    EXPECT_EQ(library.Caption(), "Vehicle Turning Simulation [DefaultVehicles]");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Rig#1", "Artic#2"}));
    EXPECT_EQ(library.SelectedIndex(), 0);
    EXPECT_EQ(library.Fields().txt_Name, "Rig");
    EXPECT_EQ(library.ConfigurationInForce(), 1);
    EXPECT_EQ(library.SelectedType(), 1);
    EXPECT_EQ(library.ShownPictureKey(), "Truck");
    EXPECT_EQ(library.Summary().totalLengthText, "Total Length: 9,6");
    EXPECT_EQ(status.panel1, "Min Turning Radius (Centerline): 8,71");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(settings.Has(kVehicleFileSetting)) << "start-up only reads the setting";
}

TEST_F(VehicleLibraryTest, MissingLibraryAsksForAFileOnceAndACancelLeavesTheListEmpty)
{
    settings.Set(kVehicleFileSetting, dir.File("gone.vdt"));
    library.StartUp();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Open File");
    EXPECT_EQ(messages.shown[0].text, "Can't find saved Vehicle File! Please open file");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{"open"}));
    EXPECT_EQ(dialogs.last.filter, "Vehicle Data (*.vdt)|*.vdt");
    EXPECT_EQ(dialogs.last.defaultExtension, "vdt");
    EXPECT_EQ(dialogs.last.initialFolder, dir.File("user"));
    EXPECT_TRUE(library.List().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("gone.vdt")));

    // Picking a file instead makes it the current file and the setting.
    const std::string other = MakeLibrary("other.vdt", {{"Bus", 6}});
    dialogs.answers = {other};
    library.LoadVehicleList();
    EXPECT_EQ(library.CurrentFile(), other);
    EXPECT_EQ(settings.Get(kVehicleFileSetting, ""), other);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Bus#1"}));
}

TEST_F(VehicleLibraryTest, SaveWithoutNameShowsOnlyTheMissingNameMessage)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Rig", 1}});
    Open(path);
    const auto before = ReadAllBytes(path);
    library.Fields().txt_Name = "   ";
    library.Save();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Missing value");
    EXPECT_EQ(messages.shown[0].text, "Please Input Name for the Vehicle");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(ReadAllBytes(path), before);
}

TEST_F(VehicleLibraryTest, SaveOverwritesTheSelectedVehicleAndShowsIt)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Rig", 1}, {"Artic", 2}});
    Open(path);
    library.SelectEntry(1);
    library.Fields().txt_Name = "Artic long";
    library.Fields().txt_Wheelbase2 = "13,8";
    library.Save();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Rig#1", "Artic long#2"}));
    EXPECT_EQ(library.SelectedIndex(), 1);
    EXPECT_EQ(ReadVehicleRecord(path, 2).record.Units[1].Wheelbase, 13.8);
    EXPECT_EQ(std::filesystem::file_size(path), 2u * 1634);
}

TEST_F(VehicleLibraryTest, NewVehicleThenSaveWithEmptyNumbersWritesNothingAndReportsTheConversion)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Rig", 1}});
    Open(path);
    EXPECT_EQ(status.panel1, "Min Turning Radius (Centerline): 8,71");
    library.NewVehicle();
    EXPECT_TRUE(library.NewVehicleFlag());
    EXPECT_EQ(library.Fields().txt_Front, "");
    // The figures of the vehicle shown before go with its fields.
    EXPECT_EQ(library.Summary().totalLengthText, "Total Length: ");
    EXPECT_EQ(status.panel1, "");
    EXPECT_EQ(library.Fields().txt_VeichleWidth_4, "");
    library.Fields().txt_Name = "Empty";
    const auto before = ReadAllBytes(path);
    library.Save();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Velrok");
    EXPECT_EQ(messages.shown[0].text, "Missing value for Max Turning Angle! Prepare to Save or Copy");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(ReadAllBytes(path), before);
}

TEST_F(VehicleLibraryTest, NewVehicleIsSavedIntoTheLowestFreeSlotAndShown)
{
    const std::string path = MakeLibrary("lib.vdt", {{"One", 1}, {"Two", 1}, {"Three", 1}});
    Open(path);
    library.SelectEntry(1);
    library.Delete();
    library.NewVehicle();
    library.Fields() = VehicleFields{};
    library.Fields().txt_Name = "Four";
    library.SelectType(7);
    library.Save();
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"One#1", "Four#2", "Three#3"}));
    EXPECT_EQ(library.SelectedIndex(), 1);
    EXPECT_FALSE(library.NewVehicleFlag());
    EXPECT_EQ(library.ConfigurationInForce(), 7);
}

TEST_F(VehicleLibraryTest, CopyStoresCopyOfTheNameAsANewRecordAndLeavesTheOriginal)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Van", 1}, {"Bus", 6}});
    Open(path);
    const RecordReadResult original = ReadVehicleRecord(path, 1);
    library.Copy();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Van#1", "Bus#2", "Copy of Van#3"}));
    EXPECT_EQ(library.SelectedIndex(), 2);
    EXPECT_EQ(library.Fields().txt_Name, "Copy of Van");
    EXPECT_EQ(ReadVehicleRecord(path, 1).record, original.record);
}

TEST_F(VehicleLibraryTest, CopyOfALongNameKeepsItsFirst92Characters)
{
    const std::string name(95, 'x');
    const std::string path = MakeLibrary("lib.vdt", {{name, 1}});
    Open(path);
    library.Copy();
    EXPECT_EQ(ReadVehicleRecord(path, 2).record.Name, "Copy of " + std::string(92, 'x'));
}

TEST_F(VehicleLibraryTest, SaveAndCopySaySavedInPanel1)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Van", 1}});
    Open(path);
    library.Save();
    EXPECT_EQ(status.panel1, "Saved");
    library.Fields().txt_Wheelbase = "6";
    library.LengthFieldEdited();
    EXPECT_NE(status.panel1, "Saved"); // the next edit shows the turning radius again
    library.Copy();
    EXPECT_EQ(status.panel1, "Saved");
    // A save that writes nothing says nothing of the kind.
    library.Fields().txt_Name = "";
    status.panel1.clear();
    library.Save();
    EXPECT_EQ(status.panel1, "");
}

TEST_F(VehicleLibraryTest, TheShippedLibraryIsShownButNeverWritten)
{
    // The user's copy cannot be made (a file lies where the data folder should be).
    WriteAllBytes(dir.File("user"), {9});
    const std::string shipped = MakeLibrary("DefaultVehicles.vdt", {{"Rig", 1}, {"Artic", 2}});
    const auto before = ReadAllBytes(shipped);
    library.StartUp();
    EXPECT_EQ(library.CurrentFile(), shipped);
    EXPECT_TRUE(library.CurrentFileIsShipped());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Velrok");
    EXPECT_NE(messages.shown[0].text.find("read-only"), std::string::npos);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Rig#1", "Artic#2"}));

    messages.answers = {MsgAnswer::Yes};
    for (auto command : {&VehicleLibrary::Save, &VehicleLibrary::Copy, &VehicleLibrary::Delete}) {
        messages.shown.clear();
        library.SelectEntry(0);
        (library.*command)();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  "The vehicle library beside the program is never changed. Save it under another name "
                  "(Fich > Sauv.en) and open that file to edit its vehicles.");
    }
    EXPECT_EQ(ReadAllBytes(shipped), before);

    // Sauv.en still copies it into a file of the user's own, which can be edited.
    dialogs.answers = {dir.File("mine.vdt")};
    library.FileSaveAs();
    EXPECT_EQ(dialogs.last.title, "Save As");
    dialogs.answers = {dir.File("mine.vdt")};
    library.FileOpen();
    EXPECT_FALSE(library.CurrentFileIsShipped());
    library.SelectEntry(0);
    library.Fields().txt_Name = "Rig 2";
    library.Save();
    EXPECT_EQ(Trim(ReadVehicleRecord(dir.File("mine.vdt"), 1).record.Name), "Rig 2");
    EXPECT_EQ(ReadAllBytes(shipped), before);
}

TEST_F(VehicleLibraryTest, SaveWithNothingSelectedAndNoNewVehicleReportsTwice)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Rig", 1}});
    Open(path);
    library.SelectEntry(-1);
    const auto before = ReadAllBytes(path);
    library.Save();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].title, "Save Setting");
    EXPECT_EQ(messages.shown[0].text, "Nothing selected in List!");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(messages.shown[1].title, "Velrok");
    EXPECT_EQ(messages.shown[1].text, "No vehicle was saved. Prepare to Save or Copy");
    EXPECT_EQ(ReadAllBytes(path), before);
}

TEST_F(VehicleLibraryTest, DeleteAsksFirstAndNoChangesNothing)
{
    const std::string path = MakeLibrary("lib.vdt", {{"One", 1}, {"Two", 2}});
    Open(path);
    library.SelectEntry(1);
    const auto before = ReadAllBytes(path);
    messages.answers = {MsgAnswer::No};
    library.Delete();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Delet Vehicle");
    EXPECT_EQ(messages.shown[0].text, "Delete current Vehicle? \r\rTwo");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Question);
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ReadAllBytes(path), before);
    EXPECT_EQ(ListTexts().size(), 2u);
}

TEST_F(VehicleLibraryTest, DeletingTheFirstEntryShowsTheNewFirstAndTheLastEmptiesTheFields)
{
    const std::string path = MakeLibrary("lib.vdt", {{"One", 1}, {"Two", 2}, {"Three", 2}});
    Open(path);
    library.SelectEntry(2);
    library.Delete();
    EXPECT_EQ(library.SelectedIndex(), 1) << "the entry before the deleted one";
    EXPECT_EQ(library.Fields().txt_Name, "Two");
    library.SelectEntry(0);
    library.Delete();
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Two#2"}));
    EXPECT_EQ(library.SelectedIndex(), 0);
    EXPECT_EQ(library.Fields().txt_Name, "Two");
    library.Delete();
    EXPECT_TRUE(library.List().empty());
    EXPECT_EQ(library.Fields().txt_Name, "");
    EXPECT_EQ(library.Fields().txt_MaxTurning, "");
    EXPECT_FALSE(library.NewVehicleFlag()) << "emptying the fields leaves the flag alone";
    EXPECT_EQ(messages.shown.size(), 3u) << "one question per delete, nothing else";
}

TEST_F(VehicleLibraryTest, DeleteActsOnTheFileTheUserSeesEvenWhenTheSettingNamesAnother)
{
    const std::string first = MakeLibrary("first.vdt", {{"A1", 1}, {"A2", 1}});
    const std::string second = MakeLibrary("second.vdt", {{"B1", 1}, {"B2", 1}});
    Open(first);
    settings.SetFailWrites(true); // the setting keeps naming the first file
    dialogs.answers = {second};
    library.FileOpen();
    ASSERT_EQ(library.CurrentFile(), second);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().title, "Veichle Turning Simulation");
    EXPECT_NE(messages.shown.back().text.find(" open File"), std::string::npos);
    const auto firstBefore = ReadAllBytes(first);
    library.SelectEntry(1);
    library.Delete();
    EXPECT_EQ(ReadAllBytes(first), firstBefore);
    EXPECT_EQ(ReadVehicleRecord(second, 2).record.Deleted, -1);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"B1#1"}));
}

TEST_F(VehicleLibraryTest, FileNewCreatesTheEmptyFileMakesItCurrentAndSavesIntoIt)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Rig", 1}});
    Open(path);
    dialogs.answers = {dir.File("lib.vdt")};
    library.FileNew();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Save As");
    EXPECT_EQ(messages.shown[0].text, "File already exist, cant overwrite");
    EXPECT_EQ(library.CurrentFile(), path);
    messages.shown.clear();

    const std::string fresh = dir.File("fresh.vdt");
    dialogs.answers = {fresh};
    library.FileNew();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(library.CurrentFile(), fresh);
    EXPECT_EQ(settings.Get(kVehicleFileSetting, ""), fresh);
    EXPECT_EQ(library.Caption(), "Vehicle Turning Simulation [fresh]");
    EXPECT_EQ(std::filesystem::file_size(fresh), 0u);
    EXPECT_TRUE(library.List().empty());

    // The fields still show Rig; saving writes it as record 1 of the new file.
    library.Save();
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Rig#1"}));
    EXPECT_EQ(library.SelectedIndex(), 0);
    EXPECT_EQ(std::filesystem::file_size(path), 1634u);
}

TEST_F(VehicleLibraryTest, FileOpenCancelledReloadsTheCurrentFileAndShowsItsFirstVehicle)
{
    const std::string path = MakeLibrary("lib.vdt", {{"One", 1}, {"Two", 2}});
    Open(path);
    library.SelectEntry(1);
    library.FileOpen();
    EXPECT_EQ(library.CurrentFile(), path);
    EXPECT_EQ(library.SelectedIndex(), 0);
    EXPECT_EQ(library.Fields().txt_Name, "One");
    EXPECT_EQ(settings.Get(kVehicleFileSetting, ""), path);

    VehicleLibrary blank({messages, status, settings, dialogs, ',', dir.Path().string(), dir.File("user")});
    status.progressVisible = true;
    blank.FileOpen();
    EXPECT_FALSE(status.progressVisible) << "no current file: the progress bar is hidden";
}

TEST_F(VehicleLibraryTest, SaveAsCopiesTheFileAndKeepsTheCurrentOne)
{
    const std::string path = MakeLibrary("lib.vdt", {{"One", 1}});
    Open(path);
    dialogs.answers = {dir.File("copy.vdt")};
    library.FileSaveAs();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadAllBytes(dir.File("copy.vdt")), ReadAllBytes(path));
    EXPECT_EQ(library.CurrentFile(), path);

    dialogs.answers = {dir.File("copy.vdt")};
    library.FileSaveAs();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "File already exist, cant overwrite");
}

TEST_F(VehicleLibraryTest, RecordThatCannotBeShownChangesNothing)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Good", 2}, {"Bad type", 2}, {"Bad number", 2}});
    auto bytes = ReadAllBytes(path);
    bytes[1634 + 352] = 14; // VType of record 2
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&bytes[2 * 1634 + 580 + 130], &nan, 8); // Wheelbase of slot 2 of record 3
    WriteAllBytes(path, bytes);
    Open(path);
    const VehicleFields before = library.Fields();
    library.SelectType(1);
    for (int entry : {1, 2}) {
        messages.shown.clear();
        library.SelectEntry(entry);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Velrok");
        EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
        EXPECT_NE(messages.shown[0].text.find("Record " + std::to_string(entry + 1)), std::string::npos)
            << messages.shown[0].text;
        EXPECT_EQ(library.Fields().txt_Name, before.txt_Name);
        EXPECT_EQ(library.Fields().txt_Wheelbase2, before.txt_Wheelbase2);
        EXPECT_EQ(library.ConfigurationInForce(), 2);
        EXPECT_EQ(library.SelectedType(), 1);
    }
}

TEST_F(VehicleLibraryTest, KeyReleaseSumsByTheConfigurationInForceNotThePickedType)
{
    const std::string path = MakeLibrary("lib.vdt", {{"Artic", 2}});
    Open(path);
    library.SelectType(10);
    EXPECT_EQ(library.ShownPictureKey(), "TripleTrailer");
    EXPECT_EQ(library.ShownFields().headings.size(), 3u);
    EXPECT_EQ(library.Summary().totalLengthText, "Total Length: 49,85");
    library.SelectType(1);
    EXPECT_EQ(library.Fields().txt_Wheelbase4, "9,3") << "hidden fields keep their texts";
    library.Fields().txt_Wheelbase2 = "10,3";
    library.LengthFieldEdited();
    EXPECT_EQ(library.ConfigurationInForce(), 2);
    EXPECT_EQ(library.Summary().totalLengthText, "Total Length: 22,05");
}

} // namespace
} // namespace velrok
