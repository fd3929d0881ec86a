// Which vehicle library the program starts with. The library shipped beside the program is only
// ever read: the first start copies it into the user's own data folder and works on that copy,
// because a program folder is read-only for users and an update would replace it.
#pragma once

#include <string>

namespace velrok {

// The library to list at start-up and how the program may use it.
struct StartupLibrary {
    std::string path;
    bool readOnly = false; // the shipped file itself: listed and shown, never written
    std::string message;   // not empty: tell the user (the copy could not be made)
};

// programFolder/DefaultVehicles.vdt and dataFolder/DefaultVehicles.vdt.
std::string ShippedLibraryPath(const std::string& programFolder);
std::string UserLibraryPath(const std::string& dataFolder);

// True when both paths name the same file (also through links or "..", when both exist);
// otherwise compares the normalised paths.
bool SameFile(const std::string& a, const std::string& b);

// The start-up choice, from the stored "VehicleFile" setting:
// - a stored path other than the shipped library is used as it is (a missing file is dealt with
//   by the list loading, which asks for another one);
// - otherwise (no setting, or a setting naming the shipped file, as older versions stored it) the
//   user's copy in dataFolder is used; when it does not exist yet, the shipped file is copied
//   there first (the folder is created). An existing copy is never overwritten.
// - when the copy cannot be made, or there is no data folder, the shipped file is used read-only
//   and `message` says why. Nothing here writes the shipped file.
StartupLibrary ChooseStartupLibrary(const std::string& storedSetting, const std::string& programFolder,
                                    const std::string& dataFolder);

} // namespace velrok
