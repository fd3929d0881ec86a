// Registry of running host instances.
#include "host/HostRegistry.h"

namespace velrok::host {

void HostRegistry::Register(const std::string& progId, std::shared_ptr<CadHost> host)
{
    m_running[progId] = host;
}

void HostRegistry::Unregister(const std::string& progId)
{
    m_running.erase(progId);
}

std::shared_ptr<CadHost> HostRegistry::GetObject(const std::string& progId) const
{
    auto it = m_running.find(progId);
    if (it != m_running.end()) {
        if (auto host = it->second.lock())
            return host;
    }
    throw HostError(HostErrorKind::NotRunning, kErrNotRunning, "ActiveX component can't create object");
}

} // namespace velrok::host
