// The start-up library choice: the first start copies the shipped library into the user's data
// folder once, an existing copy is never overwritten, and the shipped file is never written.
#include "vehicle/StartupLibrary.h"

#include "VehicleTestSupport.h"
#include "vehicle/VehicleFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velrok {
namespace {

using testing::ReadAllBytes;
using testing::TempDir;
using testing::WriteAllBytes;

class StartupLibraryTest : public ::testing::Test {
  protected:
    StartupLibraryTest()
    {
        std::filesystem::create_directories(program);
        // Two records' worth of recognisable bytes stand for the shipped library.
        shippedBytes.assign(2 * 1634, 0);
        for (size_t i = 0; i < shippedBytes.size(); ++i)
            shippedBytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        WriteAllBytes(ShippedLibraryPath(program), shippedBytes);
    }

    TempDir dir;
    std::string program = dir.File("program");
    std::string data = dir.File("home/.local/share/Velrok"); // does not exist yet
    std::vector<std::uint8_t> shippedBytes;
};

TEST_F(StartupLibraryTest, FirstStartCopiesTheShippedLibraryIntoANewDataFolder)
{
    const StartupLibrary start = ChooseStartupLibrary("", program, data);
    EXPECT_EQ(start.path, UserLibraryPath(data));
    EXPECT_FALSE(start.readOnly);
    EXPECT_EQ(start.message, "");
    EXPECT_EQ(ReadAllBytes(UserLibraryPath(data)), shippedBytes);
    EXPECT_EQ(ReadAllBytes(ShippedLibraryPath(program)), shippedBytes);
    // No temporary file is left beside the copy.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(data))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(StartupLibraryTest, AnExistingCopyIsUsedAndNeverOverwritten)
{
    std::filesystem::create_directories(data);
    const std::vector<std::uint8_t> mine(1634, 0x41);
    WriteAllBytes(UserLibraryPath(data), mine);
    for (const std::string& stored : {std::string(), ShippedLibraryPath(program)}) {
        const StartupLibrary start = ChooseStartupLibrary(stored, program, data);
        EXPECT_EQ(start.path, UserLibraryPath(data)) << "stored: " << stored;
        EXPECT_FALSE(start.readOnly);
        EXPECT_EQ(ReadAllBytes(UserLibraryPath(data)), mine);
    }
}

TEST_F(StartupLibraryTest, ASettingNamingTheShippedFileMovesToTheUsersCopy)
{
    // Older versions stored the shipped path itself; spelled with ".." it is still that file.
    const std::string spelled = program + "/../program/DefaultVehicles.vdt";
    const StartupLibrary start = ChooseStartupLibrary(spelled, program, data);
    EXPECT_EQ(start.path, UserLibraryPath(data));
    EXPECT_EQ(ReadAllBytes(UserLibraryPath(data)), shippedBytes);
}

TEST_F(StartupLibraryTest, AnotherStoredLibraryIsUsedAsItIsWithoutACopy)
{
    for (const std::string& other : {dir.File("mine.vdt"), dir.File("gone.vdt")}) {
        if (other == dir.File("mine.vdt"))
            WriteAllBytes(other, {});
        const StartupLibrary start = ChooseStartupLibrary(other, program, data);
        EXPECT_EQ(start.path, other);
        EXPECT_FALSE(start.readOnly);
        EXPECT_EQ(start.message, "");
    }
    EXPECT_FALSE(std::filesystem::exists(data));
}

TEST_F(StartupLibraryTest, AFailedCopyIsReportedAndTheShippedFileIsReadOnly)
{
    // A plain file where the data folder should be: neither the folder nor the copy can be made.
    WriteAllBytes(dir.File("blocked"), {1, 2, 3});
    const StartupLibrary blocked = ChooseStartupLibrary("", program, dir.File("blocked") + "/Velrok");
    EXPECT_EQ(blocked.path, ShippedLibraryPath(program));
    EXPECT_TRUE(blocked.readOnly);
    EXPECT_NE(blocked.message.find("Could not create the folder"), std::string::npos) << blocked.message;
    EXPECT_NE(blocked.message.find("read-only"), std::string::npos) << blocked.message;

    // A folder in the way of the copy's file name.
    std::filesystem::create_directories(UserLibraryPath(data));
    const StartupLibrary inTheWay = ChooseStartupLibrary("", program, data);
    EXPECT_TRUE(inTheWay.readOnly);
    EXPECT_NE(inTheWay.message.find("Could not copy the default vehicle library to"), std::string::npos)
        << inTheWay.message;

    const StartupLibrary noFolder = ChooseStartupLibrary("", program, "");
    EXPECT_EQ(noFolder.path, ShippedLibraryPath(program));
    EXPECT_TRUE(noFolder.readOnly);
    EXPECT_FALSE(noFolder.message.empty());
    EXPECT_EQ(ReadAllBytes(ShippedLibraryPath(program)), shippedBytes);
}

TEST_F(StartupLibraryTest, NoShippedLibraryLeavesTheMissingFileToTheListLoading)
{
    std::filesystem::remove(ShippedLibraryPath(program));
    const StartupLibrary start = ChooseStartupLibrary("", program, data);
    EXPECT_EQ(start.path, ShippedLibraryPath(program));
    EXPECT_EQ(start.message, "");
    EXPECT_FALSE(FileExists(UserLibraryPath(data)));
}

TEST(SameFile, NamesOfOneFileMatchAndOthersDoNot)
{
    TempDir dir;
    WriteAllBytes(dir.File("a.vdt"), {});
    EXPECT_TRUE(SameFile(dir.File("a.vdt"), dir.File("x/../a.vdt")));
    EXPECT_TRUE(SameFile(dir.File("gone.vdt"), dir.File("./gone.vdt")));
    EXPECT_FALSE(SameFile(dir.File("a.vdt"), dir.File("b.vdt")));
    EXPECT_FALSE(SameFile("", dir.File("a.vdt")));
}

} // namespace
} // namespace velrok
