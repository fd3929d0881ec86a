// Shared pieces of the command-line program.
#include "cli/CliCommon.h"

#include <filesystem>

namespace velrok::cli {

std::string ProgramFolder(const char* argv0)
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path().string();
    return std::filesystem::absolute(argv0 ? argv0 : "", ec).parent_path().string();
}

std::string DefaultLibraryPath(const CliContext& context)
{
    return (std::filesystem::path(context.programFolder) / "DefaultVehicles.vdt").string();
}

} // namespace velrok::cli
