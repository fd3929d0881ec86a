// The library file: count rule, listing, slot reuse, and every fault leaving the file as it was.
#include "vehicle/VehicleFile.h"

#include "VehicleTestSupport.h"
#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace velrok {
namespace {

using testing::ReadAllBytes;
using testing::RecordingMessages;
using testing::TempDir;
using testing::WriteAllBytes;

// ---- Count rule and small helpers -----------------------------------------------------------

struct CountCase {
    std::uintmax_t length;
    std::int64_t count;
};

class RecordCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(RecordCount, LengthOverRecordLengthRoundedHalfToEven)
{
    EXPECT_EQ(RecordCountForLength(GetParam().length), GetParam().count) << "length " << GetParam().length;
}

INSTANTIATE_TEST_SUITE_P(Lengths, RecordCount,
                         ::testing::Values(CountCase{0, 0}, CountCase{1634, 1}, CountCase{2 * 1634 + 1000, 3},
                                           CountCase{2 * 1634 + 500, 2}, CountCase{816, 0}, CountCase{817, 0},
                                           CountCase{818, 1}, CountCase{1634 + 817, 2},
                                           CountCase{2 * 1634 + 817, 2}, CountCase{3 * 1634 + 817, 4}));

struct TitleCase {
    const char* path;
    const char* title;
};

class FileTitleCases : public ::testing::TestWithParam<TitleCase> {};

TEST_P(FileTitleCases, NameWithoutFolderAndFromTheFirstDotOn)
{
    EXPECT_EQ(FileTitle(GetParam().path), GetParam().title) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, FileTitleCases,
                         ::testing::Values(TitleCase{"C:\\Data\\Trucks.vdt", "Trucks"},
                                           TitleCase{"/home/u/my.trucks.vdt", "my"},
                                           TitleCase{"plain", "plain"}, TitleCase{"/a.b/c", "c"},
                                           TitleCase{"", ""}, TitleCase{"D:\\x/.hidden", ""}));

TEST(FileExistsTest, OnlyExistingFilesThatAreNotFolders)
{
    TempDir dir;
    WriteAllBytes(dir.File("a.vdt"), {});
    EXPECT_TRUE(FileExists(dir.File("a.vdt")));
    EXPECT_FALSE(FileExists(dir.Path().string()));
    EXPECT_FALSE(FileExists(dir.File("missing.vdt")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.File("missing/deeper.vdt")));
}

// ---- Records on disk ------------------------------------------------------------------------

VehicleRecord Vehicle(const std::string& name, std::int16_t type = 1)
{
    VehicleRecord r;
    r.Name = name;
    r.VType = type;
    r.MaxTurning = 40;
    r.MaxSegAngle = 70;
    r.LockToLock = 7;
    r.Units[0] = {1, 2.55, 2.6, 1.4, 5.6, 2.6, 0};
    return r;
}

// A file of the named vehicles, written by the plain save rules.
std::string MakeFile(const TempDir& dir, const std::vector<std::string>& names)
{
    const std::string path = dir.File("lib.vdt");
    WriteAllBytes(path, {});
    RecordingMessages messages;
    for (const std::string& name : names) {
        bool flag = true;
        EXPECT_EQ(SaveVehicle(Vehicle(name), -1, path, false, flag, messages).error, "");
    }
    return path;
}

std::string Padded(const std::string& name)
{
    return name + std::string(100 - name.size(), ' ');
}

TEST(VehicleFileTest, EmptyFileListsNothingAndTheFirstSaveWritesRecordOne)
{
    TempDir dir;
    const std::string path = dir.File("empty.vdt");
    WriteAllBytes(path, {});
    VehicleList list;
    EXPECT_EQ(ListVehicleRecords(path, list), "");
    EXPECT_TRUE(list.empty());

    RecordingMessages messages;
    bool flag = false; // an empty list makes it a new vehicle all the same
    const SaveVehicleResult saved = SaveVehicle(Vehicle("Van"), -1, path, true, flag, messages);
    EXPECT_EQ(saved.error, "");
    EXPECT_EQ(saved.recordNumber, "1");
    EXPECT_FALSE(flag);
    EXPECT_EQ(std::filesystem::file_size(path), 1634u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(VehicleFileTest, DeletedSlotIsSkippedInTheListAndReusedByTheNextNewVehicle)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One", "Two", "Three"});
    RecordingMessages messages;
    EXPECT_EQ(DeleteVehicle(2, path, messages), "");
    EXPECT_EQ(std::filesystem::file_size(path), 3u * 1634) << "the file never shrinks";
    EXPECT_EQ(ReadAllBytes(path)[1634 + 350], 0xFF) << "Deleted = -1 at offset 350 of record 2";

    VehicleList list;
    ASSERT_EQ(ListVehicleRecords(path, list), "");
    EXPECT_EQ(list, (VehicleList{{Padded("One"), 1}, {Padded("Three"), 3}}));

    bool flag = true;
    const SaveVehicleResult saved = SaveVehicle(Vehicle("Four"), -1, path, false, flag, messages);
    EXPECT_EQ(saved.recordNumber, "2");
    EXPECT_EQ(std::filesystem::file_size(path), 3u * 1634);
    const RecordReadResult read = ReadVehicleRecord(path, 2);
    EXPECT_EQ(read.record.Name, Padded("Four"));
    EXPECT_EQ(read.record.Deleted, 0);
}

TEST(VehicleFileTest, ExistingVehicleOverwritesItsRecordAndNothingSelectedWritesNothing)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One", "Two"});
    RecordingMessages messages;
    bool flag = false;
    EXPECT_EQ(SaveVehicle(Vehicle("Second"), 2, path, false, flag, messages).recordNumber, "2");
    EXPECT_EQ(ReadVehicleRecord(path, 2).record.Name, Padded("Second"));

    const auto before = ReadAllBytes(path);
    const SaveVehicleResult none = SaveVehicle(Vehicle("Lost"), -1, path, false, flag, messages);
    EXPECT_EQ(none.recordNumber, "");
    EXPECT_EQ(none.error, "");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Save Setting");
    EXPECT_EQ(messages.shown[0].text, "Nothing selected in List!");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(ReadAllBytes(path), before);
}

TEST(VehicleFileTest, TruncatedLastRecordCountsByTheRuleAndReadsZeroPadded)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One", "Two", "Three"});
    auto bytes = ReadAllBytes(path);
    bytes.resize(2 * 1634 + 1000); // record 3 keeps its name and type, loses slot 4 on
    WriteAllBytes(path, bytes);
    VehicleList list;
    ASSERT_EQ(ListVehicleRecords(path, list), "");
    ASSERT_EQ(list.size(), 3u);
    const RecordReadResult third = ReadVehicleRecord(path, 3);
    ASSERT_TRUE(third.ok()) << third.error;
    EXPECT_EQ(third.record.Name, Padded("Three"));
    EXPECT_EQ(third.record.Units[0].Wheelbase, 5.6);
    EXPECT_EQ(third.record.Units[5].Kind, 0);

    bytes.resize(2 * 1634 + 500); // now record 3 does not count
    WriteAllBytes(path, bytes);
    list.clear();
    ASSERT_EQ(ListVehicleRecords(path, list), "");
    EXPECT_EQ(list.size(), 2u);
    EXPECT_FALSE(ReadVehicleRecord(path, 3).ok());
    RecordingMessages messages;
    bool flag = true;
    EXPECT_EQ(SaveVehicle(Vehicle("Next"), -1, path, false, flag, messages).recordNumber, "3");
    EXPECT_EQ(std::filesystem::file_size(path), 3u * 1634) << "the stray half record is overwritten";
}

TEST(VehicleFileTest, MissingFileAndFolderAreReportedAndNeverCreated)
{
    TempDir dir;
    RecordingMessages messages;
    const std::string gone = dir.File("gone.vdt");
    bool flag = true;
    const SaveVehicleResult saved = SaveVehicle(Vehicle("X"), -1, gone, false, flag, messages);
    EXPECT_NE(saved.error, "");
    EXPECT_EQ(saved.recordNumber, "");
    EXPECT_TRUE(flag) << "the flag stays set when nothing was written";
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_NE(DeleteVehicle(1, gone, messages), "");
    EXPECT_FALSE(std::filesystem::exists(gone));

    VehicleList list;
    EXPECT_NE(ListVehicleRecords(dir.Path().string(), list), "");
    EXPECT_NE(WriteVehicleRecord(dir.Path().string(), 1, Vehicle("X")), "");
    EXPECT_FALSE(ReadVehicleRecord(dir.Path().string(), 1).ok());
    EXPECT_TRUE(messages.shown.empty());
}

TEST(VehicleFileTest, RecordNumbersOutsideTheFileAreRefused)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One"});
    EXPECT_FALSE(ReadVehicleRecord(path, 0).ok());
    EXPECT_FALSE(ReadVehicleRecord(path, 2).ok());
    EXPECT_NE(WriteVehicleRecord(path, 3, Vehicle("Gap")), "") << "writing past count + 1 would leave a hole";
    EXPECT_EQ(std::filesystem::file_size(path), 1634u);
}

TEST(VehicleFileTest, DeleteWithoutPathShowsTheMissingPathMessage)
{
    RecordingMessages messages;
    EXPECT_EQ(DeleteVehicle(1, "", messages), "");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Missing path");
    EXPECT_EQ(messages.shown[0].text, "Missing Vehicle file path!");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
}

TEST(VehicleFileTest, NameTheCodePageCannotHoldIsRefusedAndNothingWritten)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One"});
    const auto before = ReadAllBytes(path);
    const std::string error = WriteVehicleRecord(path, 1, Vehicle("\xE2\x9C\x93 tick"));
    EXPECT_NE(error.find("Windows-1252"), std::string::npos) << error;
    EXPECT_EQ(ReadAllBytes(path), before);
}

// A file this process cannot open for writing: a read-only file, or, when running with the
// rights to write one anyway, a read-only kernel attribute.
std::string ReadOnlyFile(const TempDir& dir)
{
    const std::string path = MakeFile(dir, {"One"});
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    if (!std::fstream(path, std::ios::in | std::ios::out | std::ios::binary))
        return path;
    const std::string attribute = "/sys/devices/system/cpu/online";
    if (FileExists(attribute) && !std::fstream(attribute, std::ios::in | std::ios::out | std::ios::binary))
        return attribute;
    return {};
}

TEST(VehicleFileTest, ReadOnlyFileIsReportedAndUnchanged)
{
    TempDir dir;
    const std::string path = ReadOnlyFile(dir);
    if (path.empty())
        GTEST_SKIP() << "no file on this machine refuses writing";
    const auto before = ReadAllBytes(path);
    RecordingMessages messages;
    bool flag = false;
    const SaveVehicleResult saved = SaveVehicle(Vehicle("X"), 1, path, false, flag, messages);
    EXPECT_NE(saved.error.find("Can't write"), std::string::npos) << saved.error;
    EXPECT_EQ(saved.recordNumber, "");
    EXPECT_EQ(ReadAllBytes(path), before);
}

TEST(VehicleFileTest, FullDiskDuringAnAppendLeavesTheFileAtItsOldLength)
{
    TempDir dir;
    const std::string path = MakeFile(dir, {"One", "Two"});
    const auto before = ReadAllBytes(path);
    // A file-size limit makes the append fail part way, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 2 * 1634 + 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    RecordingMessages messages;
    bool flag = true;
    const SaveVehicleResult saved = SaveVehicle(Vehicle("Three"), -1, path, false, flag, messages);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_NE(saved.error, "");
    EXPECT_EQ(saved.recordNumber, "");
    EXPECT_TRUE(flag);
    EXPECT_EQ(ReadAllBytes(path), before);
}

// ---- Copy ------------------------------------------------------------------------------------

TEST(CopyVehicleFileTest, CopiesWholeFilesAndRefusesWhatTheRulesRefuse)
{
    TempDir dir;
    const std::string source = MakeFile(dir, {"One", "Two"});
    const std::string target = dir.File("copy.vdt");
    EXPECT_FALSE(CopyVehicleFile(dir.File("none.vdt"), target, true));
    EXPECT_FALSE(std::filesystem::exists(target));

    EXPECT_TRUE(CopyVehicleFile(source, target, false));
    EXPECT_EQ(ReadAllBytes(target), ReadAllBytes(source));

    WriteAllBytes(target, {1, 2, 3});
    EXPECT_FALSE(CopyVehicleFile(source, target, false));
    EXPECT_EQ(ReadAllBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(CopyVehicleFile(source, target, true));
    EXPECT_EQ(ReadAllBytes(target), ReadAllBytes(source));

    const std::string empty = dir.File("empty.vdt");
    WriteAllBytes(empty, {});
    EXPECT_TRUE(CopyVehicleFile(empty, dir.File("empty2.vdt"), false));
    EXPECT_EQ(std::filesystem::file_size(dir.File("empty2.vdt")), 0u);

    EXPECT_FALSE(CopyVehicleFile(source, dir.File("no/such/folder.vdt"), true));
    EXPECT_FALSE(CopyVehicleFile(source, dir.Path().string(), true)) << "a folder is not replaced";
    // No temporary file is left behind by any of the copies.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
        ++files;
    }
    EXPECT_EQ(files, 4);
}

TEST(CopyVehicleFileTest, FailedCopyLeavesTheOldTargetWhole)
{
    TempDir dir;
    const std::string source = MakeFile(dir, {"One", "Two"});
    const std::string target = dir.File("target.vdt");
    WriteAllBytes(target, {9, 9});
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool copied = CopyVehicleFile(source, target, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(copied);
    EXPECT_EQ(ReadAllBytes(target), (std::vector<std::uint8_t>{9, 9}));
}

TEST(CreateEmptyVehicleFileTest, CreatesOnlyNewFiles)
{
    TempDir dir;
    EXPECT_EQ(CreateEmptyVehicleFile(dir.File("new.vdt")), "");
    EXPECT_EQ(std::filesystem::file_size(dir.File("new.vdt")), 0u);
    WriteAllBytes(dir.File("old.vdt"), {7});
    EXPECT_NE(CreateEmptyVehicleFile(dir.File("old.vdt")), "");
    EXPECT_EQ(ReadAllBytes(dir.File("old.vdt")), (std::vector<std::uint8_t>{7}));
    EXPECT_NE(CreateEmptyVehicleFile(dir.File("no/folder.vdt")), "");
}

} // namespace
} // namespace velrok
