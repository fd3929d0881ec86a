// `velrok-cli vehicles` lists the live records of a library; `velrok-cli vehicle N` prints one
// record as the edit fields would show it, numbers with "." as the decimal separator.
#include "cli/VehicleCommands.h"

#include "common/NumberText.h"
#include "vehicle/SumSegments.h"
#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleType.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iomanip>
#include <iostream>
#include <memory>

namespace velrok::cli {

namespace {

using Json = nlohmann::ordered_json;

struct LibraryOptions {
    std::string file;
    bool json = false;
    std::int64_t record = 0;
};

std::string TypeName(int code)
{
    return IsVehicleType(code) ? std::string(VehicleTypeOf(code).displayName) : "?";
}

// Prints an error on stderr and gives the exit code for it.
int Fail(const std::string& text)
{
    std::cerr << "velrok-cli: " << text << "\n";
    return 1;
}

std::string LibraryPath(const LibraryOptions& o, const CliContext& context)
{
    return o.file.empty() ? DefaultLibraryPath(context) : o.file;
}

int ListVehicles(const LibraryOptions& o, const CliContext& context)
{
    const std::string path = LibraryPath(o, context);
    if (!FileExists(path))
        return Fail("Can't find saved Vehicle File! \"" + path + "\"");
    VehicleList list;
    if (std::string error = ListVehicleRecords(path, list); !error.empty())
        return Fail(error);
    Json rows = Json::array();
    for (const VehicleListEntry& entry : list) {
        const RecordReadResult read = ReadVehicleRecord(path, entry.itemData);
        if (!read.ok())
            return Fail(read.error);
        rows.push_back({{"record", entry.itemData},
                        {"type", read.record.VType},
                        {"type_name", TypeName(read.record.VType)},
                        {"name", Trim(entry.text)}});
    }
    if (o.json) {
        std::cout << rows.dump(2) << "\n";
        return 0;
    }
    std::cout << "Vehicles in " << path << "\n";
    for (const Json& row : rows) {
        std::cout << std::setw(5) << row["record"].get<int>() << "  " << std::setw(2)
                  << row["type"].get<int>() << " " << std::left << std::setw(22)
                  << row["type_name"].get<std::string>() << std::right << " "
                  << row["name"].get<std::string>() << "\n";
    }
    return 0;
}

int ShowVehicle(const LibraryOptions& o, const CliContext& context)
{
    const std::string path = LibraryPath(o, context);
    if (!FileExists(path))
        return Fail("Can't find saved Vehicle File! \"" + path + "\"");
    const RecordReadResult read = ReadVehicleRecord(path, o.record);
    if (!read.ok())
        return Fail(read.error);
    const VehicleRecord& r = read.record;
    if (r.Deleted != kRecordLive)
        return Fail("Record " + std::to_string(o.record) + " is a deleted vehicle.");
    if (std::string why = CheckRecordShowable(r); !why.empty())
        return Fail("Record " + std::to_string(o.record) + ": " + why);

    VehicleFields fields;
    FieldsFromRecord(r, fields, '.');
    Json shown = Json::object();
    for (std::string_view name : FieldsFilledFromRecord(r.VType))
        shown[std::string(name)] = *FieldByName(fields, name);
    const SegmentsSummary summary = SumSegments(r.VType, fields, '.');
    if (o.json) {
        const Json out = {{"record", o.record},
                          {"type", r.VType},
                          {"type_name", TypeName(r.VType)},
                          {"total_length", summary.totalLength},
                          {"fields", shown}};
        std::cout << out.dump(2) << "\n";
        return 0;
    }
    std::cout << "Record " << o.record << " of " << path << "\n";
    std::cout << "Type: " << r.VType << " " << TypeName(r.VType) << "\n";
    for (const auto& [name, value] : shown.items())
        std::cout << "  " << std::left << std::setw(20) << name << std::right << value.get<std::string>()
                  << "\n";
    std::cout << summary.totalLengthText << "\n";
    if (!summary.panel1Text.empty())
        std::cout << summary.panel1Text << "\n";
    return 0;
}

} // namespace

void AddVehicleCommands(CLI::App& app, CliContext& context)
{
    // The options live as long as the program; CLI11 keeps references to them.
    auto list = std::make_shared<LibraryOptions>();
    CLI::App* vehicles =
        app.add_subcommand("vehicles", "List the vehicles of a library (record, type, name)");
    vehicles->add_option("FILE", list->file,
                         "Vehicle library (default: DefaultVehicles.vdt beside the program)");
    vehicles->add_flag("--json", list->json, "Print JSON");
    vehicles->callback([list, &context] { context.exitCode = ListVehicles(*list, context); });

    auto one = std::make_shared<LibraryOptions>();
    CLI::App* vehicle = app.add_subcommand("vehicle", "Print one vehicle as the edit fields show it");
    vehicle->add_option("N", one->record, "Record number (1 = first record of the file)")->required();
    vehicle->add_option("FILE", one->file,
                        "Vehicle library (default: DefaultVehicles.vdt beside the program)");
    vehicle->add_flag("--json", one->json, "Print JSON");
    vehicle->callback([one, &context] { context.exitCode = ShowVehicle(*one, context); });
}

} // namespace velrok::cli
