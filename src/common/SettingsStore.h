// Per-user settings: text values by key under application "Velrok", section "Turn".
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velrok {

inline constexpr const char* kSettingsApplication = "Velrok";
inline constexpr const char* kSettingsSection = "Turn";

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Every read names the default it falls back to when the key is absent.
    virtual std::string Get(const std::string& key, const std::string& defaultValue) const = 0;
    // False when the store could not be written.
    virtual bool Set(const std::string& key, const std::string& value) = 0;
};

// An in-memory store; it remembers the order of writes so callers' write order can be checked.
class MemorySettingsStore : public SettingsStore {
public:
    std::string Get(const std::string& key, const std::string& defaultValue) const override;
    bool Set(const std::string& key, const std::string& value) override;

    bool Has(const std::string& key) const { return m_values.count(key) != 0; }
    const std::vector<std::pair<std::string, std::string>>& Writes() const { return m_writes; }
    void SetFailWrites(bool fail) { m_failWrites = fail; }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::pair<std::string, std::string>> m_writes;
    bool m_failWrites = false;
};

}  // namespace velrok
