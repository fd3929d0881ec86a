// velrok-cli sweep run as a user runs it: exit codes, the three outputs, the JSON report's shape,
// the messages on stderr and an ezdxf audit of the DXF it writes.
#include "RunCli.h"
#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

using velrok::testing::CliRun;

// A folder of its own per test, removed afterwards.
class SweepCli : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("velrok-sweep-cli-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string In(const std::string& name) const { return (m_dir / name).string(); }

    CliRun Cli(const std::string& arguments) const
    {
        return velrok::testing::RunCliIn(m_dir.string(), "sweep " + arguments, In("stderr.txt"));
    }

    // "#N" for the first vehicle of a configuration in the default library.
    std::string FirstOfType(int type) const
    {
        const std::string command = "'" VELROK_BINARY_DIR "/bin/velrok-cli' vehicles --json";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string text;
        std::array<char, 4096> buffer{};
        size_t n = 0;
        while (pipe && (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            text.append(buffer.data(), n);
        if (pipe)
            ::pclose(pipe);
        for (const Json& v : Json::parse(text))
            if (v["type"] == type)
                return "'#" + std::to_string(v["record"].get<int>()) + "'";
        return "'#0'";
    }

    Json ReadJson(const std::string& name) const
    {
        std::ifstream in(In(name));
        return Json::parse(in);
    }

    // An arc of radius 6 about the origin from 270 to 90 degrees: too tight for any truck.
    std::string TightArc() const
    {
        const std::string path = In("tight.dxf");
        std::ofstream(path)
            << "0\nSECTION\n2\nENTITIES\n0\nARC\n5\nA1\n8\nPATH\n10\n0\n20\n0\n40\n6\n50\n270\n51\n"
               "90\n0\nENDSEC\n0\nEOF\n";
        return path;
    }

    // A straight path along x from 0 to 40 on PATH, kerbs along it at y = 3 and y = -3.5 on
    // KERB, and, when asked, one kerb "1C" across the road at x = 20.
    std::string Road(bool crossing) const
    {
        const std::string path = In("road.dxf");
        auto line = [](const char* handle, const char* layer, double x1, double y1, double x2, double y2) {
            return "0\nLINE\n5\n" + std::string(handle) + "\n8\n" + layer + "\n10\n" + std::to_string(x1) +
                   "\n20\n" + std::to_string(y1) + "\n11\n" + std::to_string(x2) + "\n21\n" +
                   std::to_string(y2) + "\n";
        };
        std::ofstream(path) << "0\nSECTION\n2\nENTITIES\n" << line("A1", "PATH", 0, 0, 40, 0)
                            << line("B1", "KERB", -20, 3, 60, 3) << line("B2", "KERB", -20, -3.5, 60, -3.5)
                            << (crossing ? line("1C", "KERB", 20, -5, 20, 5) : std::string())
                            << "0\nENDSEC\n0\nEOF\n";
        return path;
    }

    fs::path m_dir;
};

const std::string kJunction = VELROK_SOURCE_DIR "/examples/junction.dxf";

TEST_F(SweepCli, JunctionTurnWritesTheThreeOutputs)
{
    const CliRun r =
        Cli("'" + kJunction + "' --vehicle " + FirstOfType(2) +
            " --path layer:VehiclePath --envelope --out out.dxf " + "--svg out.svg --json out.json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Truck Max Turning Angle: ", 0), 0u) << r.out;
    ASSERT_TRUE(fs::exists(In("out.dxf")));
    ASSERT_TRUE(fs::exists(In("out.svg")));
    const Json j = ReadJson("out.json");

    const std::set<std::string> keys{"vehicle",         "path",
                                     "report",          "stop",
                                     "max_front_angle", "max_segment_angle",
                                     "lowest_speed",    "speed_unit",
                                     "path_track",      "series",
                                     "sweep_points",    "envelope",
                                     "swept_area",      "conflict_report",
                                     "conflicts",       "least_clearance",
                                     "group",           "elements_per_level",
                                     "messages"};
    std::set<std::string> got;
    for (const auto& [k, v] : j.items())
        got.insert(k);
    EXPECT_EQ(got, keys);

    EXPECT_EQ(j["vehicle"]["type"], 2);
    ASSERT_EQ(j["vehicle"]["segments"].size(), 2u);
    EXPECT_EQ(j["vehicle"]["segments"][0]["Kind"], 1);
    EXPECT_EQ(j["vehicle"]["segments"][0]["DrawHitchCircle"], true);
    EXPECT_EQ(j["vehicle"]["segments"][1]["Kind"], 3);
    EXPECT_EQ(j["path"]["reverse"], false);
    // 50 straight, a quarter circle of 12.5 and 47.5 straight.
    EXPECT_NEAR(j["path"]["length"].get<double>(), 97.5 + 12.5 * 3.14159265358979 / 2, 1e-6);
    const size_t stations = j["path"]["stations"].get<size_t>();
    EXPECT_EQ(j["path_track"].size(), stations);
    EXPECT_EQ(j["series"]["SteerAngleSeries"].size(), stations); // the empty entry 0 left out
    EXPECT_EQ(j["series"]["SpeedSeries"].size(), stations);
    EXPECT_EQ(j["series"]["ArticAngleSeries1"].size(), stations - 1);
    EXPECT_EQ(j["series"]["ArticAngleSeries2"].size(), 0u);
    EXPECT_EQ(j["series"]["SteerAngleSeries"][0][0], 0.0);
    EXPECT_EQ(j["sweep_points"]["VehicleSweepLeftFront"].size(), 2 * stations); // zero row left out
    EXPECT_EQ(j["sweep_points"]["WheelSweepLeftFront"].size(), stations);
    EXPECT_EQ(j["sweep_points"]["VehicleSweepLeftFront"][0].size(), 5u);
    EXPECT_TRUE(j["stop"].is_null());
    EXPECT_EQ(j["speed_unit"], "km/h");
    EXPECT_EQ(j["report"].get<std::string>() + "\n", r.out);
    EXPECT_TRUE(j["messages"].empty());
    ASSERT_TRUE(j["envelope"].is_object());
    EXPECT_GT(j["envelope"]["left"].size(), stations / 2);
    EXPECT_GT(j["envelope"]["right"].size(), stations / 2);

    const Json& levels = j["elements_per_level"];
    EXPECT_EQ(levels["Velrok_Vehicle"].get<int>() % 27, 0) << levels.dump(); // tractor 18, trailer 9
    EXPECT_GT(levels["Velrok_Vehicle"].get<int>(), 27);
    EXPECT_EQ(levels["Velrok_LeftSweep"].get<int>() + levels["Velrok_RightSweep"].get<int>(), 14);
    EXPECT_EQ(levels["Velrok_Envelope"], 2);
    const std::string group = j["group"];
    EXPECT_GE(group.size(), 13u);
    EXPECT_LE(group.size(), 15u);
}

TEST_F(SweepCli, KerbsClearedGiveTheLeastClearanceAndExitZero)
{
    const CliRun r = Cli("'" + Road(false) + "' --vehicle " + FirstOfType(1) +
                         " --path layer:PATH --kerbs 'KERB;Nothing' --json out.json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json j = ReadJson("out.json");
    const double halfBody = j["vehicle"]["segments"][0]["VehicleWidth"].get<double>() / 2.0;
    ASSERT_TRUE(j["least_clearance"].is_object());
    EXPECT_NEAR(j["least_clearance"]["distance"].get<double>(), 3.0 - halfBody, 1e-3);
    EXPECT_EQ(j["least_clearance"]["handle"], "B1");
    EXPECT_TRUE(j["conflicts"].empty());
    EXPECT_NEAR(j["swept_area"]["max_width"].get<double>(), 2.0 * halfBody, 1e-6);
    EXPECT_GT(j["swept_area"]["body"].get<double>(), 40.0 * 2.0 * halfBody);
    EXPECT_GT(j["swept_area"]["wheels"].get<double>(), 0.0);
    const std::string line = j["conflict_report"];
    EXPECT_EQ(line.rfind("Conflicts: none, least clearance ", 0), 0u) << line;
    EXPECT_EQ(r.out, j["report"].get<std::string>() + "\n" + line + "\n");
    EXPECT_FALSE(j["elements_per_level"].contains("Velrok_Conflicts"));
    EXPECT_FALSE(j["elements_per_level"].contains("Velrok_Clearance")); // no obstacle levels named
}

TEST_F(SweepCli, KerbAcrossTheRoadIsAConflictAndExitsWithFour)
{
    std::ofstream(In("styles.ini")) << "[Turn]\nKerbLevels=Old\n";
    const auto before = fs::last_write_time(In("styles.ini"));
    const CliRun r = Cli("'" + Road(true) + "' --vehicle " + FirstOfType(1) +
                         " --path layer:PATH --kerbs KERB --obstacles KERB --clearance 0.25 --settings styles.ini"
                         " --json out.json --out out.dxf");
    ASSERT_EQ(r.exitCode, 4) << r.err;
    ASSERT_TRUE(fs::exists(In("out.dxf")));
    const Json j = ReadJson("out.json");
    ASSERT_EQ(j["conflicts"].size(), 2u) << j["conflicts"].dump();
    std::set<std::string> classes;
    for (const Json& c : j["conflicts"]) {
        classes.insert(c["class"].get<std::string>());
        EXPECT_EQ(c["handle"], "1C");
        EXPECT_GT(c["depth"].get<double>(), 0.0);
        EXPECT_LE(c["first_station"].get<double>(), c["last_station"].get<double>());
        EXPECT_LT(c["first_station"].get<double>(), 20.0); // the front overhang reaches it first
    }
    EXPECT_EQ(classes, (std::set<std::string>{"kerb", "obstacle"}));
    EXPECT_EQ(j["conflict_report"].get<std::string>().rfind("Conflicts: 2 (1 kerb, 1 obstacle), first at station ", 0),
              0u);
    // Highlights: the piece across the body, the pieces under the left and the right wheels; a
    // circle and a text each; and the clearance envelope's one ring.
    EXPECT_EQ(j["elements_per_level"]["Velrok_Conflicts"], 7) << j["elements_per_level"].dump();
    EXPECT_EQ(j["elements_per_level"]["Velrok_Clearance"], 1);
    // The options hold for this run; the stored settings stay as they were.
    EXPECT_EQ(fs::last_write_time(In("styles.ini")), before);
    std::ifstream ini(In("styles.ini"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(ini), {}), "[Turn]\nKerbLevels=Old\n");
}

TEST_F(SweepCli, BadClearanceIsRefused)
{
    const CliRun r = Cli("'" + Road(false) + "' --vehicle " + FirstOfType(1) +
                         " --path layer:PATH --kerbs KERB --clearance wide --json out.json");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--clearance wide"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(In("out.json")));
}

TEST_F(SweepCli, WrittenDxfPassesTheEzdxfAudit)
{
    ASSERT_EQ(Cli("'" + kJunction + "' --vehicle " + FirstOfType(2) +
                  " --path layer:VehiclePath --envelope --out out.dxf")
                  .exitCode,
              0);
    const std::string check = "/usr/bin/python3 -c 'import ezdxf, sys; d = ezdxf.readfile(sys.argv[1]); "
                              "a = d.audit(); print(len(a.errors), len(d.groups), "
                              "len(d.modelspace().query(\"*[layer==\\\"Velrok_Envelope\\\"]\")))' '" +
                              In("out.dxf") + "' > '" + In("audit.txt") + "' 2>&1";
    ASSERT_EQ(std::system(check.c_str()), 0);
    std::ifstream in(In("audit.txt"));
    int errors = -1, groups = -1, envelope = -1;
    in >> errors >> groups >> envelope;
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(groups, 1);
    EXPECT_EQ(envelope, 2);
}

TEST_F(SweepCli, LimitStopExitsWithThreeAndStillWrites)
{
    const CliRun r =
        Cli("'" + TightArc() + "' --vehicle " + FirstOfType(1) + " --envelope --out out.dxf --json out.json");
    ASSERT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.err.rfind("Exceeded Front Wheel Angle!: Max turning angle exceeded at station: ", 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("\nVehicle stopped at position for exceeded turn angle.\n\nEvaluated average angle"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(In("out.dxf")));
    const Json j = ReadJson("out.json");
    EXPECT_EQ(j["stop"]["limit"], "front-wheel");
    EXPECT_GT(j["stop"]["angle"].get<double>(), 40.0);
    EXPECT_EQ(j["max_front_angle"], j["stop"]["angle"]);
    EXPECT_TRUE(j["envelope"].is_null()); // not after a front-wheel stop
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_EQ(j["messages"][0]["title"], "Exceeded Front Wheel Angle!");
    EXPECT_EQ(j["messages"][0]["icon"], "critical");
    EXPECT_NE(j["messages"][0]["text"].get<std::string>().find('\r'), std::string::npos);
    EXPECT_EQ(j["elements_per_level"]["Velrok_Vehicle"].get<int>() % 17, 0);
}

TEST_F(SweepCli, RefusedInputExitsWithTwoAndWritesNothing)
{
    const std::string arc = TightArc();
    CliRun r = Cli("'" + arc + "' --vehicle " + FirstOfType(1) + " --speed 31 --json out.json --out out.dxf");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Bad value: I refuse to maneuver at this speed! Lower speed to 30 or less\n");
    EXPECT_FALSE(fs::exists(In("out.json")));
    EXPECT_FALSE(fs::exists(In("out.dxf")));

    r = Cli("'" + arc + "' --vehicle 'No such truck'");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("No vehicle named \"No such truck\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("#1 "), std::string::npos) << r.err;

    r = Cli("'" + arc + "' --vehicle " + FirstOfType(1) + " --lock-to-lock 0");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(
        r.err,
        "Bad value: Bad value for Lock to lock! Must be above zero!\n\n(A common value is 6-8 seconds)\n");
}

TEST_F(SweepCli, AmbiguousPathListsTheCandidates)
{
    const CliRun r = Cli("'" + kJunction + "' --vehicle " + FirstOfType(2) + "");
    EXPECT_EQ(r.exitCode, 2);
    // The path, six road edges, one island line and the two kerb arcs.
    EXPECT_NE(r.err.find("10 path elements on the drawing"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("POLYLINE  layer VehiclePath  length 117.135"), std::string::npos) << r.err;
    // The handle listed selects the element.
    const size_t at = r.err.find("POLYLINE");
    const size_t lineStart = r.err.rfind('\n', at) + 1;
    const std::string handle = r.err.substr(lineStart + 2, at - lineStart - 4);
    EXPECT_EQ(
        Cli("'" + kJunction + "' --vehicle " + FirstOfType(2) + " --no-vehicle --path " + handle).exitCode, 0)
        << handle;
}

TEST_F(SweepCli, SettingsFileChoosesTheLevels)
{
    std::ofstream(In("styles.ini")) << "[Turn]\nVehicleBodyOutlineLevel=Trucks\nEnvelopeColor=1\n";
    const CliRun r = Cli("'" + kJunction + "' --vehicle " + FirstOfType(1) +
                         " --path layer:VehiclePath --first-last --settings styles.ini " + "--json out.json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json j = ReadJson("out.json");
    EXPECT_EQ(j["elements_per_level"]["Trucks"], 2); // one body outline per position
    EXPECT_EQ(j["elements_per_level"]["Velrok_Vehicle"], 2 * 16);
}

// Ctrl-C during the run: the run stops, nothing is written, exit 130. The signal is sent after a
// delay; a run that finished first, or a signal that came before the program was ready, is tried
// again with another delay.
TEST_F(SweepCli, InterruptWritesNothingAndExitsWith130)
{
    const std::string path = In("long.dxf");
    std::ofstream(path) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\nL1\n8\nPATH\n10\n0\n20\n0\n11\n990\n21\n0\n"
                           "0\nENDSEC\n0\nEOF\n";
    const std::string vehicle = FirstOfType(10);
    const std::string record = vehicle.substr(1, vehicle.size() - 2);
    const std::string program = VELROK_BINARY_DIR "/bin/velrok-cli";
    bool interrupted = false;
    int delayMs = 150;
    for (int attempt = 0; attempt < 6 && !interrupted; ++attempt) {
        fs::remove(In("out.json"));
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int err = ::open(In("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, 2);
            const int out = ::open("/dev/null", O_WRONLY);
            ::dup2(out, 1);
            ::execl(program.c_str(), program.c_str(), "sweep", path.c_str(), "--vehicle", record.c_str(),
                    "--envelope", "--spacing", "0", "--json", In("out.json").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(pid, SIGINT);
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::ifstream in(In("stderr.txt"));
        const std::string err((std::istreambuf_iterator<char>(in)), {});
        if (WIFEXITED(status) && WEXITSTATUS(status) == 130) {
            EXPECT_NE(err.find("stopped, nothing written"), std::string::npos) << err;
            EXPECT_FALSE(fs::exists(In("out.json")));
            interrupted = true;
        } else if (WIFSIGNALED(status)) {
            delayMs *= 2; // not ready yet
        } else {
            ASSERT_TRUE(WIFEXITED(status)) << status;
            ASSERT_EQ(WEXITSTATUS(status), 0) << err;
            delayMs /= 2; // the run was done before the signal
        }
    }
    EXPECT_TRUE(interrupted) << "last delay " << delayMs << " ms";
}

TEST_F(SweepCli, InternalFailureExitsWithOne)
{
    // A line weight that is no number fails every outline; the run goes on without them.
    std::ofstream(In("styles.ini")) << "[Turn]\nTyreTreadLineWeight=heavy\n";
    const CliRun r = Cli("'" + kJunction + "' --vehicle " + FirstOfType(1) +
                         " --path layer:VehiclePath --first-last --settings styles.ini --json out.json");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Veichle Turning Simulation: "), std::string::npos) << r.err;
    const Json j = ReadJson("out.json");
    ASSERT_EQ(j["messages"].size(), 2u); // the first and the last position
    const std::string text = j["messages"][0]["text"];
    EXPECT_EQ(text.substr(text.size() - 12), " PlotSegment");
    EXPECT_EQ(j["messages"][0]["icon"], "exclamation");
    EXPECT_TRUE(j["stop"].is_null());
    EXPECT_FALSE(j["report"].get<std::string>().empty());
}

// The results alone, to attach to the project drawing: the run's group and levels, none of the
// drawing's own layers or entities.
TEST_F(SweepCli, ResultsOnlyHoldsTheRunAlone)
{
    const CliRun r = Cli("'" + kJunction + "' --vehicle " + FirstOfType(2) +
                         " --path layer:VehiclePath --out out.dxf --results-only results.dxf --json out.json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::ifstream in(In("results.dxf"));
    ASSERT_TRUE(in);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    int groups = 0, members = 0;
    std::set<std::string> layers;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == "0" && lines[i + 1] == "GROUP")
            ++groups;
        if (lines[i] == "340")
            ++members;
        if (lines[i] == "8")
            layers.insert(lines[i + 1]);
    }
    EXPECT_EQ(groups, 1);
    const Json j = ReadJson("out.json");
    int drawn = 0;
    for (const auto& [level, count] : j["elements_per_level"].items())
        drawn += count.get<int>();
    EXPECT_EQ(members, drawn);
    EXPECT_EQ(layers.count("VehiclePath"), 0u);
    EXPECT_EQ(layers.count("Velrok_Vehicle"), 1u);
}

TEST_F(SweepCli, HelpListsTheOptionsWithTheirDefaults)
{
    const CliRun r = Cli("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option :
         {"--vehicle", "--library", "--path", "--speed TEXT=0", "--unit", "=kmh", "--lock-to-lock",
          "--spacing TEXT=5", "--no-vehicle", "--first-last", "--no-sweep", "--envelope", "--reverse",
          "--settings", "--out", "--results-only", "--svg", "--json"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

} // namespace
