// velrok-cli vehicles / vehicle N run as a user runs them, on the default library the build made.
#include "RunCli.h"
#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using RunResult = velrok::testing::CliRun;

// Runs velrok-cli with the arguments from another working folder, so that the default library is
// found beside the program and not in the current folder.
RunResult RunCli(const std::string& arguments)
{
    const std::string errFile =
        (std::filesystem::temp_directory_path() / ("velrok-cli-err-" + std::to_string(::getpid()))).string();
    RunResult r = velrok::testing::RunCliIn("/", arguments, errFile);
    std::filesystem::remove(errFile);
    return r;
}

TEST(VelrokCli, VehiclesJsonListsTheDefaultLibraryInRecordOrder)
{
    const RunResult r = RunCli("vehicles --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::json list = nlohmann::json::parse(r.out);
    ASSERT_TRUE(list.is_array());
    ASSERT_GE(list.size(), 13u);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].at("record").get<int>(), static_cast<int>(i + 1));
        const std::string name = list[i].at("name").get<std::string>();
        EXPECT_FALSE(name.empty());
        EXPECT_NE(name.back(), ' ') << "names are trimmed";
    }
    EXPECT_EQ(list[0].at("type").get<int>(), 1);
    EXPECT_EQ(list[0].at("type_name").get<std::string>(), "Truck");
    EXPECT_EQ(list[2].at("type").get<int>(), 2);
    EXPECT_EQ(list[2].at("type_name").get<std::string>(), "Semi-Trailer");
    EXPECT_EQ(list[2].at("name").get<std::string>(), "AASHTO WB-12 semitrailer");
}

TEST(VelrokCli, VehicleJsonHoldsTheFieldsOfItsConfigurationWithDecimalPoints)
{
    const RunResult r = RunCli("vehicle 5 --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json v = nlohmann::json::parse(r.out);
    EXPECT_EQ(v.at("record").get<int>(), 5);
    EXPECT_EQ(v.at("type").get<int>(), 2);
    const nlohmann::json& f = v.at("fields");
    EXPECT_EQ(f.at("txt_Name").get<std::string>(), "EU articulated vehicle 16.50 m");
    EXPECT_EQ(f.at("txt_MaxTurning").get<std::string>(), "40");
    EXPECT_EQ(f.at("txt_Front").get<std::string>(), "1.4");
    EXPECT_EQ(f.at("txtHitch").get<std::string>(), "-0.5");
    EXPECT_EQ(f.at("txt_Wheelbase2").get<std::string>(), "7.7");
    EXPECT_FALSE(f.contains("txtHitch2")) << "a semitrailer does not fill H2";
    EXPECT_FALSE(f.contains("txt_Front3"));
    EXPECT_EQ(f.size(), 16u);
}

TEST(VelrokCli, ExplicitFileAndTextOutput)
{
    const RunResult r = RunCli("vehicle 1 '" VELROK_BINARY_DIR "/bin/DefaultVehicles.vdt'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Type: 1 Truck"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Total Length: 9.1"), std::string::npos) << r.out;
}

TEST(VelrokCli, ErrorsGoToStderrWithANonZeroExit)
{
    for (const char* args : {"vehicles /no/such/library.vdt", "vehicle 999", "vehicle 0 --json", "vehicle x",
                             "vehicle 1 /no/such/library.vdt"}) {
        const RunResult r = RunCli(args);
        EXPECT_NE(r.exitCode, 0) << args;
        EXPECT_NE(r.err, "") << args;
        EXPECT_EQ(r.out.find('{'), std::string::npos) << args << ": " << r.out;
    }
}

} // namespace
