// The two diagram widgets as the run's SweepDiagrams: the angle diagram first, then the speed
// diagram in the unit the run was typed in.
#pragma once

#include "app/diagrams/ResultDiagram.h"
#include "sweep/SweepRun.h"

namespace velrok::app {

class ResultDiagrams : public SweepDiagrams {
  public:
    ResultDiagrams(ResultDiagram& angle, ResultDiagram& speed) : m_angle(angle), m_speed(speed) {}
    void DrawAngleDiagram(const SweepResults& results) override
    {
        m_angle.SetPicture(AngleDiagram(results, m_angle.DecimalSeparator()));
    }
    void DrawSpeedDiagram(const SweepResults& results) override
    {
        m_speed.SetPicture(SpeedDiagram(results, results.SpeedUnitIndex, m_speed.DecimalSeparator()));
    }

  private:
    ResultDiagram& m_angle;
    ResultDiagram& m_speed;
};

} // namespace velrok::app
