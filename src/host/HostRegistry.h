// Running host instances by programmatic identifier: attach finds one, never starts one.
#pragma once

#include "host/CadHost.h"

#include <map>
#include <memory>
#include <string>

namespace velrok::host {

inline constexpr const char* kStandardProgId = "MicrostationDGN.ApplicationObjectConnector";

class HostRegistry {
  public:
    // A running instance announces itself under an identifier; it withdraws when it closes.
    void Register(const std::string& progId, std::shared_ptr<CadHost> host);
    void Unregister(const std::string& progId);
    // The running instance, or HostError number 429 when none runs under that identifier.
    std::shared_ptr<CadHost> GetObject(const std::string& progId) const;

  private:
    std::map<std::string, std::weak_ptr<CadHost>> m_running;
};

// The connector, application and active model of one attach, acquired afresh by each command.
struct HostSession {
    std::shared_ptr<CadHost> application;
    CadHost& Model() const { return *application; }
    CadHost& DesignFile() const { return *application; }
};

} // namespace velrok::host
