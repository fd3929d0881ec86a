// What every subcommand of velrok-cli shares: where the program lies and the exit code.
#pragma once

#include <string>

namespace velrok::cli {

struct CliContext {
    std::string programFolder; // folder of the velrok-cli executable
    int exitCode = 0;          // set by the subcommand that ran
};

// The folder of the running executable (argv0 when /proc/self/exe is not available).
std::string ProgramFolder(const char* argv0);

// DefaultVehicles.vdt beside the executable.
std::string DefaultLibraryPath(const CliContext& context);

} // namespace velrok::cli
