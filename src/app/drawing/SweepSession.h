// The main window's side of the drawing and the run: the drawing window as the running host, the
// add-path and execute commands over the shared logic, the result diagrams in the two picture
// frames, the output style form, and the controls locked while a run is under way. The main
// window creates one and connects its buttons and menu items to it.
#pragma once

#include "app/diagrams/ResultDiagram.h"
#include "app/drawing/QtWindowActivator.h"
#include "app/drawing/frmDrawing.h"
#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"
#include "host/PathAcquisition.h"
#include "sweep/SweepRun.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QWidget;

namespace velrok::app {

class frmVehicleTurningSettings;

// The example drawing opened at start-up: examples/roundabout.dxf beside the program, one folder
// up, or in the source tree the program was built from. Empty when none is found.
std::string FindExampleDrawing(const std::string& programFolder);

struct SweepSessionServices {
    MessageService& messages;
    StatusService& status;
    RunControl& run;
    SettingsStore& settings;
    const std::string& progId; // the identifier attach uses; the general settings may change it
    char decimalSeparator = ',';
    SweepClock* clock = nullptr; // null: the system clock
};

class SweepSession : public QObject {
    Q_OBJECT
  public:
    // The diagrams fill the two picture frames; `owner` is the main window (the style form and the
    // drawing window are its tool windows).
    SweepSession(SweepSessionServices services, QWidget* anglePicture, QWidget* speedPicture, QWidget* owner);
    ~SweepSession() override;

    // The controls that would change a run's state; disabled during a run, restored after.
    void LockDuringRun(QWidget* control) { m_lockedWidgets.push_back(control); }
    void LockDuringRun(QAction* action) { m_lockedActions.push_back(action); }

    // The drawing window, made the first time with the example drawing or an empty one, not shown.
    frmDrawing* CreateDrawingWindow();
    // Opens the drawing window (again) with the example drawing or an empty one.
    void ShowDrawingWindow();
    // Before the program ends: Save / Discard / Cancel when the drawing has unsaved changes. True
    // when it may end (no drawing window, nothing to save, saved or discarded).
    bool ConfirmDiscardDrawing();
    // Keeps the drawing window's geometry in the settings store (also done when it is closed).
    void StoreDrawingGeometry();
    // Command7 and Command3; the main window copies its fields and options into the inputs. A
    // taken path shows its length in panel 1 and its start and direction in the drawing window.
    // Execute refuses (false) while a run is under way.
    bool AddPath();
    bool Execute(const SweepInputs& inputs);
    // M_Settings_color: the style form, without blocking the main window.
    void ShowStyleForm();

    // The clock that paces the run's yields (null: the system clock); tests pass a stepping one.
    void SetClock(SweepClock* clock) { m_services.clock = clock; }
    bool Running() const { return m_running; }
    frmDrawing* DrawingWindow() const { return m_drawing.get(); }
    ResultDiagram* AngleDiagram() const { return m_angle; }
    ResultDiagram* SpeedDiagram() const { return m_speed; }
    frmVehicleTurningSettings* StyleForm() const { return m_styleForm.get(); }
    const SweepResults& Results() const { return m_results; }
    const host::CurrentPath& CurrentPath() const { return m_path; }
    host::HostRegistry& Registry() { return m_registry; }

  signals:
    void RunStarted();
    void RunFinished();

  private:
    class Clock;
    class Random;
    void SetLocked(bool locked);

    SweepSessionServices m_services;
    QWidget* m_owner;
    host::HostRegistry m_registry;
    std::unique_ptr<frmDrawing> m_drawing;
    std::unique_ptr<frmVehicleTurningSettings> m_styleForm;
    ResultDiagram* m_angle = nullptr;
    ResultDiagram* m_speed = nullptr;
    QtWindowActivator m_activator;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<Random> m_random;
    host::CurrentPath m_path;
    SweepResults m_results;
    bool m_running = false;
    std::vector<QPointer<QWidget>> m_lockedWidgets;
    std::vector<QPointer<QAction>> m_lockedActions;
    std::vector<bool> m_wasEnabled;
};

} // namespace velrok::app
