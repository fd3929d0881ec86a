// The start-up library choice and the first-start copy of the shipped library.
#include "vehicle/StartupLibrary.h"

#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleLibrary.h"

#include <filesystem>
#include <system_error>

namespace velrok {

namespace fs = std::filesystem;

namespace {

std::string InFolder(const std::string& folder, const char* name)
{
    if (folder.empty())
        return name;
    return (fs::path(folder) / name).string();
}

std::string ReadOnlyNote(const std::string& shipped)
{
    return " The vehicle library beside the program (\"" + shipped +
           "\") is shown read-only; save your vehicles in a file of your own (Fich > Sauv.en).";
}

} // namespace

std::string ShippedLibraryPath(const std::string& programFolder)
{
    return InFolder(programFolder, kDefaultVehicleFileName);
}

std::string UserLibraryPath(const std::string& dataFolder)
{
    return InFolder(dataFolder, kDefaultVehicleFileName);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code ec;
    if (fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal())
        return true;
    // Two spellings through links: only the file system knows, and only when both exist.
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

StartupLibrary ChooseStartupLibrary(const std::string& storedSetting, const std::string& programFolder,
                                    const std::string& dataFolder)
{
    const std::string shipped = ShippedLibraryPath(programFolder);
    if (!storedSetting.empty() && !SameFile(storedSetting, shipped))
        return {storedSetting, false, {}};
    if (dataFolder.empty())
        return {shipped, true, "There is no folder for your own data." + ReadOnlyNote(shipped)};

    const std::string copy = UserLibraryPath(dataFolder);
    if (FileExists(copy))
        return {copy, false, {}};
    // Without a shipped file there is nothing to copy; the list loading reports the missing file.
    if (!FileExists(shipped))
        return {shipped, true, {}};

    std::error_code ec;
    fs::create_directories(dataFolder, ec);
    if (ec)
        return {shipped, true,
                "Could not create the folder \"" + dataFolder + "\": " + ec.message() + "." +
                    ReadOnlyNote(shipped)};
    if (!CopyVehicleFile(shipped, copy, false))
        return {shipped, true,
                "Could not copy the default vehicle library to \"" + copy + "\"." + ReadOnlyNote(shipped)};
    return {copy, false, {}};
}

} // namespace velrok
