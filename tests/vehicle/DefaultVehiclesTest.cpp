// The built default library against its reviewed source: every configuration present, every
// vehicle's fields summing to its stated overall length.
#include "common/NumberText.h"
#include "vehicle/SumSegments.h"
#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleType.h"

#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <set>

namespace velrok {
namespace {

const std::string kLibrary = VELROK_BINARY_DIR "/bin/DefaultVehicles.vdt";

nlohmann::json Source()
{
    std::ifstream in(VELROK_SOURCE_DIR "/data/default-vehicles.json");
    return nlohmann::json::parse(in);
}

TEST(DefaultVehicles, EveryVehicleOfTheSourceIsALiveRecordInOrder)
{
    const nlohmann::json vehicles = Source().at("vehicles");
    VehicleList list;
    ASSERT_EQ(ListVehicleRecords(kLibrary, list), "");
    ASSERT_EQ(list.size(), vehicles.size());
    std::set<int> types;
    for (size_t i = 0; i < list.size(); ++i) {
        const RecordReadResult read = ReadVehicleRecord(kLibrary, list[i].itemData);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(list[i].itemData, static_cast<int>(i + 1));
        EXPECT_EQ(Trim(read.record.Name), vehicles[i].at("name").get<std::string>());
        EXPECT_EQ(read.record.VType, vehicles[i].at("type").get<int>());
        EXPECT_EQ(CheckRecordShowable(read.record), "");
        types.insert(read.record.VType);
    }
    EXPECT_EQ(types.size(), 13u) << "at least one vehicle of every configuration";
}

TEST(DefaultVehicles, FieldsShownFromEachRecordSumToTheStatedOverallLength)
{
    const nlohmann::json vehicles = Source().at("vehicles");
    for (size_t i = 0; i < vehicles.size(); ++i) {
        const RecordReadResult read = ReadVehicleRecord(kLibrary, static_cast<std::int64_t>(i + 1));
        ASSERT_TRUE(read.ok()) << read.error;
        VehicleFields fields;
        FieldsFromRecord(read.record, fields, ',');
        const SegmentsSummary s = SumSegments(read.record.VType, fields, ',');
        EXPECT_TRUE(s.lengthOk) << s.panel1Text;
        EXPECT_NEAR(s.totalLength, vehicles[i].at("overall_length").get<double>(), 0.1)
            << vehicles[i].at("name").get<std::string>();
        EXPECT_NE(s.panel1Text.find("Min Turning Radius (Centerline): "), std::string::npos) << s.panel1Text;
    }
}

TEST(DefaultVehicles, KingpinAheadOfTheDriveAxleIsANegativeHitchAndBodiesBehindCouplingsArePositiveF2)
{
    // The 16.50 m articulated vehicle: fifth wheel 0.5 ahead of the drive axle.
    const RecordReadResult artic = ReadVehicleRecord(kLibrary, 5);
    ASSERT_TRUE(artic.ok()) << artic.error;
    ASSERT_EQ(artic.record.VType, 2);
    EXPECT_EQ(artic.record.Units[0].Hitch, -0.5);
    // Kingpin to semitrailer rear may not exceed 12.00 m.
    EXPECT_LE(artic.record.Units[1].Wheelbase + artic.record.Units[1].Back, 12.0 + 1e-9);
    for (std::int64_t n = 1; n <= 16; ++n) {
        const VehicleRecord r = ReadVehicleRecord(kLibrary, n).record;
        const int t = r.VType;
        if (t == 4 || t == 5 || t == 8 || t == 11) {
            // These bodies start behind their coupling; the program negates F2 for them.
            EXPECT_GE(r.Units[1].Front, 0.0) << Trim(r.Name);
        }
        for (const UnitRecord& u : r.Units) {
            if (u.Kind == 1 || u.Kind == 3) {
                EXPECT_LE(u.VehicleWidth, 2.6) << Trim(r.Name);
                EXPECT_LE(u.WheelWidth, u.VehicleWidth) << Trim(r.Name);
            }
        }
    }
}

} // namespace
} // namespace velrok
