// The QSettings store over an INI file: defaults, round trips, section and file format.
#include "host/qt/QtSettingsStore.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace velrok::host {
namespace {

class IniStore : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::string(VELROK_BINARY_DIR) + "/tests/qtsettings_" + info->name() + ".ini";
        std::filesystem::remove(path);
    }
    void TearDown() override { std::filesystem::remove(path); }
    std::string FileText() const
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string path;
};

TEST_F(IniStore, AbsentKeyGivesTheDefault)
{
    QtSettingsStore store(path);
    EXPECT_EQ(store.Get("VehicleFile", "DefaultVehicles.vdt"), "DefaultVehicles.vdt");
    EXPECT_EQ(store.Get("VehicleFile", ""), "");
}

TEST_F(IniStore, WrittenValuesSurviveAnotherStoreOnTheSameFile)
{
    {
        QtSettingsStore store(path);
        EXPECT_TRUE(store.Set("VehicleBodyOutlineLevel", "Velrok_Vehicle"));
        EXPECT_TRUE(store.Set("VehicleFile", "/data/Lib fr\xc3\xa9quent.vdt"));
        EXPECT_TRUE(store.Set("EnvelopeLineType", ""));
    }
    QtSettingsStore again(path);
    EXPECT_EQ(again.Get("VehicleBodyOutlineLevel", "x"), "Velrok_Vehicle");
    EXPECT_EQ(again.Get("VehicleFile", "x"), "/data/Lib fr\xc3\xa9quent.vdt");
    EXPECT_EQ(again.Get("EnvelopeLineType", "x"), ""); // stored empty is not absent
    // Keys live in section "Turn".
    EXPECT_NE(FileText().find("[Turn]"), std::string::npos) << FileText();
    EXPECT_NE(FileText().find("VehicleBodyOutlineLevel=Velrok_Vehicle"), std::string::npos) << FileText();
}

TEST_F(IniStore, HandWrittenIniIsRead)
{
    std::ofstream(path) << "[Turn]\nPlotSweep=1\nCadVersion=V8\n[Other]\nPlotSweep=0\n";
    QtSettingsStore store(path);
    EXPECT_EQ(store.Get("PlotSweep", "0"), "1");
    EXPECT_EQ(store.Get("CadVersion", ""), "V8");
}

TEST_F(IniStore, UnwritableFileReportsFailure)
{
    // A plain file where a folder should be: nothing can be created below it, even as root.
    std::ofstream(path) << "x";
    QtSettingsStore store(path + "/sub/settings.ini");
    EXPECT_FALSE(store.Set("PlotSweep", "1"));
}

} // namespace
} // namespace velrok::host
