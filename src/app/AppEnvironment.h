// What every form of the program is given: the settings store, the message service, the program
// folder, the user's decimal separator and the session state that lives until the program ends.
#pragma once

#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"
#include "vehicle/VehicleLibrary.h"

#include <string>

class QLocale;

namespace velrok::app {

struct AppVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The build's version, from project(VERSION) of the top CMakeLists.
AppVersion BuildVersion();

// The decimal separator of a locale as the core takes it; '.' when the locale's is not one byte.
char DecimalSeparatorOf(const QLocale& locale);

class Translations;

// State of one program run that outlives the forms: the identifier the next host attach uses.
// The main window's load sets the standard one; the general settings form may switch it.
struct AppSession {
    std::string hostProgId = host::kStandardProgId;
};

struct AppEnvironment {
    SettingsStore& settings;
    MessageService& messages;
    AppSession& session;
    std::string programFolder; // where the shipped default library lies (only ever read)
    char decimalSeparator = ',';
    // The open and save dialogs; null means the program's own QFileDialog ones. Tests pass a fake.
    FileDialogs* dialogs = nullptr;
    // The user's own data folder: the copy of the default library, where the file dialogs start.
    std::string dataFolder;
    // The interface language (Options > Langue); null: the choice is only stored.
    Translations* translations = nullptr;
};

} // namespace velrok::app
