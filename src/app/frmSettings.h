// The general settings form: how the program finds the host CAD program ("CadVersion" and the
// typed-in identifier "CadVersion_Special"). Closing it in any way brings back the main window.
#pragma once

#include "app/AppEnvironment.h"

#include <QDialog>

#include <memory>

namespace Ui {
class frmSettings;
}

namespace velrok::app {

inline constexpr const char* kCadVersionSetting = "CadVersion";
inline constexpr const char* kCadVersionSpecialSetting = "CadVersion_Special";
inline constexpr int kCadVersionManual = 0;
inline constexpr int kCadVersionStandard = 10;

class frmSettings : public QDialog {
    Q_OBJECT
  public:
    frmSettings(AppEnvironment& env, QWidget* parent = nullptr);
    ~frmSettings() override;

    // The first-run flow asks for a choice with a red frame caption.
    void MarkFirstRun();
    Ui::frmSettings& Form() { return *m_ui; }

    void done(int result) override;

  signals:
    void Closed();

  private:
    void Load();
    void ComboChanged(int index);
    void Ok();

    std::unique_ptr<Ui::frmSettings> m_ui;
    AppEnvironment& m_env;
};

} // namespace velrok::app
