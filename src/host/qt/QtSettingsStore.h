// The settings store of the programs: QSettings under application "Velrok", section "Turn",
// either the user's own store or a given INI file (for reproducible command-line runs).
#pragma once

#include "common/SettingsStore.h"

#include <memory>
#include <string>

class QSettings;

namespace velrok::host {

class QtSettingsStore : public SettingsStore {
  public:
    // The user's store for application "Velrok".
    QtSettingsStore();
    // An INI file instead; created on the first write if it does not exist.
    explicit QtSettingsStore(const std::string& iniFile);
    ~QtSettingsStore() override;

    std::string Get(const std::string& key, const std::string& defaultValue) const override;
    bool Set(const std::string& key, const std::string& value) override;

  private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace velrok::host
