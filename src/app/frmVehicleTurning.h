// The main window: the vehicle library editor over VehicleLibrary, the schematic, the sweep
// options, the speed, the tab strip with its three pages, the menus and the status bar. It owns
// the state that outlives one command and writes the options back when it is unloaded.
#pragma once

#include "app/AppEnvironment.h"
#include "app/QtRunControl.h"
#include "vehicle/VehicleLibrary.h"

#include <QMainWindow>

#include <memory>

class QLineEdit;

namespace Ui {
class frmVehicleTurning;
}

namespace velrok::app {

class QtFileDialogs;
class QtStatusService;
class SweepSession;
class frmSettings;

// Settings keys of the main window's options.
inline constexpr const char* kPlotVehicleSetting = "PlotVehicle";
inline constexpr const char* kMaxVehicleSpacingSetting = "MaxVehicleSpacing";
inline constexpr const char* kPlotOnlyFirstAndLastSetting = "PlotOnlyFirstAndLast";
inline constexpr const char* kPlotSweepSetting = "PlotSweep";
inline constexpr const char* kPlotEnvelopeSetting = "PlotEnvelope";
inline constexpr const char* kSpeedSortSetting = "SpeedSort";
inline constexpr const char* kSpeedSetting = "Speed";

// Keys of the three tabs of TabStrip1.
inline constexpr const char* kTabVehicleData = "VData";
inline constexpr const char* kTabAngleDiagram = "ResDia";
inline constexpr const char* kTabSpeedDiagram = "Lockspeed";

class frmVehicleTurning : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmVehicleTurning(AppEnvironment& env, QWidget* parent = nullptr);
    ~frmVehicleTurning() override;

    // The load steps 1 to 11, run once before the window is first shown.
    void Load();
    // Writes the options to the settings store (also done when the window closes).
    void Unload();

    Ui::frmVehicleTurning& Form() { return *m_ui; }
    VehicleLibrary& Library() { return *m_library; }
    QtStatusService& Status() { return *m_status; }
    QtRunControl& Run() { return m_run; }
    // The drawing window, Add path, Execute, the diagrams and the output style form.
    SweepSession& Session() { return *m_session; }
    int HelpTopic() const { return m_helpTopic; }

  signals:
    // The window was closed (by Quit or by its frame) and has written its options: the program ends.
    void Unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Widgets to core and back: the window stays a thin shell over VehicleLibrary.
    void CopyFieldsToCore();
    void ShowLibraryState();
    void ShowFields();
    void ShowList();
    void ShowSchematic();
    void ShowSummary();
    template <class Command> void RunLibraryCommand(Command command);

    void ApplyPlotVehicleRule();
    void ApplyOnlyFirstAndLastRule();
    void SelectTab(int index);
    void ShowGeneralSettings(bool firstRun);
    void ShowAbout();
    void Quit();
    void Execute();
    void LoadOptions();
    void ChooseLanguageFromMenu(const char* language);
    void StoreClearance();
    void ChooseLevels(const char* settingKey, const QString& title);
    void ShowLevelTooltips();
    void ShowLanguageChoice();
    QLineEdit* Field(std::string_view controlName) const;

    std::unique_ptr<Ui::frmVehicleTurning> m_ui;
    AppEnvironment& m_env;
    QtStatusService* m_status = nullptr;
    std::unique_ptr<QtFileDialogs> m_ownDialogs;
    std::unique_ptr<VehicleLibrary> m_library;
    QtRunControl m_run;
    SweepSession* m_session = nullptr;
    int m_helpTopic = 0;
    bool m_showing = false;       // the window is copying core state into widgets
    bool m_quitConfirmed = false; // Quit asked about unsaved work before closing
    QAction* m_drawingAction = nullptr;
    int m_rowBeforePress = -1; // List1's current row when the mouse was last pressed on it
};

} // namespace velrok::app
