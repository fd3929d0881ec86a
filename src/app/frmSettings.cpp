// General settings: load, the Text16 rule, OK, Cancel and Help.
#include "app/frmSettings.h"

#include "app/FormPlacement.h"
#include "app/HelpViewer.h"
#include "common/NumberText.h"
#include "ui_frmSettings.h"

#include <cmath>

namespace velrok::app {

namespace {
constexpr int kHelpTopicSettings = 2;
// The runtime's number for a text that is not a number, which the load box reports.
constexpr int kErrTypeMismatch = 13;
constexpr const char* kManualEntry = "Manually (type in self)";
constexpr const char* kStandardEntry = "Microstation V8";
} // namespace

frmSettings::frmSettings(AppEnvironment& env, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmSettings>()), m_env(env)
{
    m_ui->setupUi(this);
    connect(m_ui->Combo2, &QComboBox::currentIndexChanged, this, &frmSettings::ComboChanged);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmSettings::Ok);
    connect(m_ui->Command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Command3, &QPushButton::clicked, this, [this] { OpenHelp(this, kHelpTopicSettings); });
    Load();
}

frmSettings::~frmSettings() = default;

void frmSettings::Load()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    CentreOnScreen(this);
    m_ui->Combo2->addItem(QString::fromLatin1(kManualEntry), kCadVersionManual);
    m_ui->Combo2->addItem(QString::fromLatin1(kStandardEntry), kCadVersionStandard);
    // Nothing is selected until the stored choice is known.
    m_ui->Combo2->setCurrentIndex(-1);
    ComboChanged(-1);

    std::string stored = Trim(m_env.settings.Get(kCadVersionSetting, "10"));
    if (stored.empty())
        stored = "10";
    const ParsedNumber code = ParseNumber(stored, m_env.decimalSeparator);
    if (!code.ok()) {
        m_env.messages.Show("Settings", "Error: " + std::to_string(kErrTypeMismatch), MsgIcon::Critical);
        return;
    }
    m_ui->Combo2->setCurrentIndex(m_ui->Combo2->findData(static_cast<int>(std::lround(code.value))));
    m_ui->Text16->setText(
        QString::fromStdString(m_env.settings.Get(kCadVersionSpecialSetting, host::kStandardProgId)));
}

void frmSettings::MarkFirstRun()
{
    m_ui->Frame4->setTitle(QStringLiteral("Select your CAD version"));
    m_ui->Frame4->setStyleSheet(QStringLiteral("QGroupBox { color: rgb(255, 0, 0); }"));
}

void frmSettings::ComboChanged(int index)
{
    m_ui->Text16->setVisible(index == 0);
}

void frmSettings::Ok()
{
    const int index = m_ui->Combo2->currentIndex();
    if (index < 0) {
        m_env.messages.Show("Velrok Settings", "Invalid property array index", MsgIcon::Exclamation);
        return;
    }
    const int code = m_ui->Combo2->itemData(index).toInt();
    const std::string special = Trim(m_ui->Text16->text().toStdString());
    if (!m_env.settings.Set(kCadVersionSetting, std::to_string(code)) ||
        !m_env.settings.Set(kCadVersionSpecialSetting, special)) {
        m_env.messages.Show("Velrok Settings", "The settings could not be stored", MsgIcon::Exclamation);
        return;
    }
    // Holds until the program ends; the next start sets the standard identifier again.
    m_env.session.hostProgId = code != kCadVersionManual ? std::string(host::kStandardProgId) : special;
    accept();
}

void frmSettings::done(int result)
{
    QDialog::done(result);
    emit Closed();
}

} // namespace velrok::app
