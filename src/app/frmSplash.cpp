// Splash form: separator and version, then the timer hands over.
#include "app/frmSplash.h"

#include "app/AppEnvironment.h"
#include "app/FormPlacement.h"
#include "app/VehicleSchematic.h"
#include "app/frmAbout.h"
#include "ui_frmSplash.h"

#include <QGuiApplication>
#include <QTimer>

namespace velrok::app {

frmSplash::frmSplash(const QLocale& userLocale, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::frmSplash>()),
      m_timer(new QTimer(this))
{
    m_ui->setupUi(this);
    m_ui->Image1->SetShowDimensions(false);
    SchematicDims semitrailer;
    semitrailer.WB = 3.8, semitrailer.B = 0.9, semitrailer.H = 0.5;
    semitrailer.F2 = 1.6, semitrailer.WB2 = 8.2, semitrailer.B2 = 4.0;
    m_ui->Image1->ShowPicture(2, semitrailer);
    m_ui->Label4->setText(QStringLiteral("You should use:"));
    m_ui->Label1->setText(QStringLiteral("as Decimal Separator in Velrok"));
    m_ui->lblSeparator->setText(userLocale.decimalPoint());
    m_ui->lblUpdateNotice->setText(
        QStringLiteral("Updates are published on %1").arg(QString::fromLatin1(kUpdatePage)));
    const AppVersion v = BuildVersion();
    m_ui->Label5->setText(QStringLiteral("Version %1  (Build %2)").arg(v.major).arg(v.revision));
    QGuiApplication::restoreOverrideCursor();
    CentreOnScreen(this);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(kSplashMilliseconds);
    connect(m_timer, &QTimer::timeout, this, [this] {
        close();
        emit Finished();
    });
    m_timer->start();
}

frmSplash::~frmSplash() = default;

} // namespace velrok::app
