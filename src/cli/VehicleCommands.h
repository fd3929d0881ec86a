// The vehicles and vehicle subcommands: look into a vehicle library without the window.
#pragma once

#include "cli/CliCommon.h"

#include <CLI/CLI.hpp>

namespace velrok::cli {

// Adds `vehicles [FILE] [--json]` and `vehicle N [FILE] [--json]` to the program.
void AddVehicleCommands(CLI::App& app, CliContext& context);

} // namespace velrok::cli
