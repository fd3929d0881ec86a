// Build-time tool: turns the reviewed data/default-vehicles.json into the default vehicle library
// DefaultVehicles.vdt, one record per vehicle in the order of the JSON.
//
//   velrok-make-default-vehicles <input.json> <output.vdt>
//
// Every field the vehicle's configuration uses must be given, and no other, so that a vehicle
// never silently takes a default text. The output is written next to its place and renamed in.
#include "common/NumberText.h"
#include "vehicle/SumSegments.h"
#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleRecord.h"
#include "vehicle/VehicleType.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace {

using velrok::VehicleFields;

// Allowed difference between the stated overall length and the sum of the fields.
constexpr double kLengthTolerance = 0.1;

VehicleFields FieldsOf(const nlohmann::json& vehicle, int type, const std::string& where)
{
    VehicleFields fields;
    fields.txt_Name = vehicle.at("name").get<std::string>();
    fields.Text1 = vehicle.at("description").get<std::string>();
    std::vector<std::string_view> wanted = velrok::DimensionFieldsInUse(type);
    wanted.insert(wanted.end(), {"txt_MaxTurning", "txt_MaxSegAnle", "txt_LockToLock"});
    const nlohmann::json& given = vehicle.at("fields");
    for (std::string_view name : wanted) {
        if (!given.contains(std::string(name)))
            throw std::runtime_error(where + ": field " + std::string(name) + " is missing");
    }
    for (const auto& [name, value] : given.items()) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end())
            throw std::runtime_error(where + ": field " + name + " is not used by type " +
                                     std::to_string(type));
        *velrok::FieldByName(fields, name) = velrok::FormatNumber(value.get<double>(), '.');
    }
    return fields;
}

void Run(const std::string& input, const std::string& output)
{
    std::ifstream in(input);
    if (!in)
        throw std::runtime_error("cannot open " + input);
    const nlohmann::json doc = nlohmann::json::parse(in);

    std::vector<velrok::RecordBytes> records;
    for (const nlohmann::json& vehicle : doc.at("vehicles")) {
        const int type = vehicle.at("type").get<int>();
        const std::string where = input + ": \"" + vehicle.at("name").get<std::string>() + "\"";
        if (!velrok::IsVehicleType(type))
            throw std::runtime_error(where + ": type " + std::to_string(type) + " is not 1..13");
        if (vehicle.at("description").get<std::string>().size() > velrok::kDescriptionLength)
            throw std::runtime_error(where + ": description longer than 250 characters");
        const VehicleFields fields = FieldsOf(vehicle, type, where);
        const velrok::SegmentsSummary summary = velrok::SumSegments(type, fields, '.');
        const double stated = vehicle.at("overall_length").get<double>();
        if (!summary.lengthOk || std::fabs(summary.totalLength - stated) > kLengthTolerance)
            throw std::runtime_error(where + ": the fields sum to " + summary.totalLengthText + ", stated " +
                                     velrok::FormatNumber(stated, '.'));
        const velrok::RecordFromFieldsResult built = velrok::RecordFromFields(fields, type, '.');
        if (!built.ok())
            throw std::runtime_error(where + ": " + built.error);
        velrok::RecordBytes bytes;
        if (std::string error = velrok::EncodeVehicleRecord(built.record, bytes); !error.empty())
            throw std::runtime_error(where + ": " + error);
        records.push_back(bytes);
    }

    const std::string temp = output + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const auto& r : records)
            out.write(reinterpret_cast<const char*>(r.data()), static_cast<std::streamsize>(r.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + temp);
    }
    std::filesystem::rename(temp, output);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: velrok-make-default-vehicles <input.json> <output.vdt>\n";
        return 2;
    }
    try {
        Run(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "velrok-make-default-vehicles: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
