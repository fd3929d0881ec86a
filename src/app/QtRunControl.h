// Yielding to the Qt event loop during long work, and the stop-request flag set by Quit.
#pragma once

#include "common/UiServices.h"

namespace velrok::app {

class QtRunControl : public RunControl {
  public:
    void Yield() override;
    bool StopRequested() const override { return m_stop; }
    void ClearStopRequest() override { m_stop = false; }
    void RequestStop() { m_stop = true; }

  private:
    bool m_stop = false;
};

} // namespace velrok::app
