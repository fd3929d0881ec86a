// The output style settings form: copies the loaded lists into the combo boxes and back.
#include "app/styles/frmVehicleTurningSettings.h"

#include "ui_frmVehicleTurningSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>

namespace velrok::app {

frmVehicleTurningSettings::frmVehicleTurningSettings(SettingsStore& settings, MessageService& messages,
                                                     const host::HostRegistry& registry, std::string progId,
                                                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmVehicleTurningSettings>()),
      m_settings(settings), m_messages(messages), m_registry(registry), m_progId(std::move(progId))
{
    m_ui->setupUi(this);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmVehicleTurningSettings::Ok);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmVehicleTurningSettings::Quit);
}

frmVehicleTurningSettings::~frmVehicleTurningSettings() = default;

QComboBox* frmVehicleTurningSettings::Combo(StyleColumn column, int classIndex) const
{
    const StyleClass& c = kStyleClasses.at(static_cast<size_t>(classIndex));
    const char* names[] = {c.colorCombo, c.lineTypeCombo, c.weightCombo, c.levelCombo};
    return findChild<QComboBox*>(QString::fromLatin1(names[static_cast<int>(column)]));
}

void frmVehicleTurningSettings::Load()
{
    // Changing a window flag hides a shown window; it is shown again as it was.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible)
        show();
    if (windowState() == Qt::WindowNoState) {
        adjustSize();
        if (const QScreen* screen = QApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            move((s.width() - width()) / 2, (s.height() - height()) / 2);
        }
    }
    StyleFormLoad load = LoadStyleForm(m_settings, m_registry, m_progId);
    m_loaded = load.state;
    m_loadError = load.error;
    ShowState(load.state);
    if (const std::string warning = load.WarningText(); !warning.empty())
        m_messages.Show(kStyleLoadFailureTitle, warning, MsgIcon::Exclamation);
    unsetCursor();
}

void frmVehicleTurningSettings::ShowState(const StyleFormState& state)
{
    const std::array<const std::array<StyleList, kStyleClassCount>*, 4> columns = {
        &state.colors, &state.lineTypes, &state.weights, &state.levels};
    for (int column = 0; column < 4; ++column) {
        for (int i = 0; i < kStyleClassCount; ++i) {
            const StyleList& list = (*columns[static_cast<size_t>(column)])[static_cast<size_t>(i)];
            QComboBox* combo = Combo(static_cast<StyleColumn>(column), i);
            combo->clear();
            if (!list.filled)
                continue;
            for (const std::string& item : list.items)
                combo->addItem(QString::fromStdString(item));
            combo->setCurrentIndex(list.index);
            if (combo->isEditable())
                combo->setEditText(QString::fromStdString(list.editText));
        }
    }
}

StyleFormState frmVehicleTurningSettings::ReadState() const
{
    StyleFormState state = m_loaded;
    for (int i = 0; i < kStyleClassCount; ++i) {
        const auto k = static_cast<size_t>(i);
        state.colors[k].index = Combo(StyleColumn::Color, i)->currentIndex();
        state.lineTypes[k].index = Combo(StyleColumn::LineType, i)->currentIndex();
        state.weights[k].index = Combo(StyleColumn::Weight, i)->currentIndex();
        state.levels[k].editText = Combo(StyleColumn::Level, i)->currentText().toStdString();
    }
    return state;
}

void frmVehicleTurningSettings::Ok()
{
    if (const auto error = StoreStyleForm(ReadState(), m_settings)) {
        m_messages.Show(kStyleStoreFailureTitle, *error, MsgIcon::Exclamation);
        return;
    }
    close();
}

void frmVehicleTurningSettings::Quit()
{
    close();
}

} // namespace velrok::app
