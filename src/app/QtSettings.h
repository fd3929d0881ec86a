// The per-user settings store of the program: QSettings, application "Velrok", section "Turn".
#pragma once

#include "common/SettingsStore.h"

#include <memory>

namespace velrok::app {

std::unique_ptr<SettingsStore> MakeUserSettingsStore();

} // namespace velrok::app
