// velrok-cli: Velrok without the window. Each subcommand lives in its own file and adds itself
// here through an Add...Commands(app, context) function.
#include "cli/CliCommon.h"
#include "cli/SweepCommand.h"
#include "cli/VehicleCommands.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv)
{
    CLI::App app{"Velrok: swept-path analysis of road vehicles, command line"};
    app.require_subcommand(1);
    velrok::cli::CliContext context{velrok::cli::ProgramFolder(argc > 0 ? argv[0] : nullptr)};

    velrok::cli::AddVehicleCommands(app, context);
    velrok::cli::AddSweepCommand(app, context);

    CLI11_PARSE(app, argc, argv);
    return context.exitCode;
}
