// The output style settings form: twelve rows of colour, line type, weight and level lists,
// filled from the stored keys and the active drawing when it opens; OK stores, Quit does not.
#pragma once

#include "app/styles/OutputStyleSettings.h"
#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QComboBox;

namespace Ui {
class frmVehicleTurningSettings;
}

namespace velrok::app {

class frmVehicleTurningSettings : public QWidget {
    Q_OBJECT
  public:
    frmVehicleTurningSettings(SettingsStore& settings, MessageService& messages,
                              const host::HostRegistry& registry, std::string progId,
                              QWidget* parent = nullptr);
    ~frmVehicleTurningSettings() override;

    // Centres the form, makes it topmost and fills the lists (a failure is shown, the rest skipped).
    void Load();
    // OK: stores the lists and closes; on a failure the form stays open. Quit closes only.
    void Ok();
    void Quit();

    QComboBox* Combo(StyleColumn column, int classIndex) const;
    const std::optional<std::string>& LoadError() const { return m_loadError; }

  private:
    void ShowState(const StyleFormState& state);
    StyleFormState ReadState() const;

    std::unique_ptr<Ui::frmVehicleTurningSettings> m_ui;
    SettingsStore& m_settings;
    MessageService& m_messages;
    const host::HostRegistry& m_registry;
    std::string m_progId;
    StyleFormState m_loaded; // which lists the load filled
    std::optional<std::string> m_loadError;
};

} // namespace velrok::app
