// In-memory settings store.
#include "common/SettingsStore.h"

namespace velrok {

std::string MemorySettingsStore::Get(const std::string& key, const std::string& defaultValue) const
{
    auto it = m_values.find(key);
    return it == m_values.end() ? defaultValue : it->second;
}

bool MemorySettingsStore::Set(const std::string& key, const std::string& value)
{
    if (m_failWrites)
        return false;
    m_values[key] = value;
    m_writes.emplace_back(key, value);
    return true;
}

}  // namespace velrok
