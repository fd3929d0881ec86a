// Brings a top-level window of this program to the front by its title, as the sweep does with
// the host window before it starts drawing.
#pragma once

#include "host/PathAcquisition.h"

namespace velrok::app {

class QtWindowActivator : public host::WindowActivator {
  public:
    bool ActivateWindowByTitle(const std::string& title) override;
};

} // namespace velrok::app
