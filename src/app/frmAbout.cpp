// About form: load and the update link.
#include "app/frmAbout.h"

#include "app/AppEnvironment.h"
#include "app/FormPlacement.h"
#include "ui_frmAbout.h"

#include <QDesktopServices>

namespace velrok::app {

frmAbout::frmAbout(MessageService& messages, QWidget* parent, UrlOpener openUrl)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmAbout>()), m_messages(messages),
      m_openUrl(std::move(openUrl))
{
    if (!m_openUrl)
        m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    CentreOnScreen(this);
    setWindowTitle(QStringLiteral("About Velrok"));
    const AppVersion v = BuildVersion();
    m_ui->lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision));
    m_ui->lblDescription->setText(
        QStringLiteral("Vehicle Turning Simulation for Microstation\n(version 2002-2009)"));
    m_ui->lblDisclaimer->clear();
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmAbout::CheckForUpdates);
}

frmAbout::~frmAbout() = default;

void frmAbout::CheckForUpdates()
{
    if (!m_openUrl(QUrl(QString::fromLatin1(kUpdatePage))))
        m_messages.Show("Check for updates", std::string("No program could open ") + kUpdatePage,
                        MsgIcon::Critical);
}

} // namespace velrok::app
