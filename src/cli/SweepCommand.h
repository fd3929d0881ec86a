// `velrok-cli sweep`: a sweep run on a DXF drawing, written back as DXF, SVG and a JSON report.
#pragma once

#include "cli/CliCommon.h"

#include <CLI/CLI.hpp>

namespace velrok::cli {

// Exit codes: 0 the run went to its end, 3 a limit or a unit that cannot follow stopped it
// (outputs still written), 2 bad input or a refused check, 1 an internal failure, 130 Ctrl-C.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitStopped = 3;
inline constexpr int kExitInterrupted = 130;

void AddSweepCommand(CLI::App& app, CliContext& context);

} // namespace velrok::cli
