// Velrok's desktop program: the splash, then after 2000 ms the main window.
#include "app/AppEnvironment.h"
#include "app/AppLanguage.h"
#include "app/QtMessageService.h"
#include "app/frmSplash.h"
#include "app/frmVehicleTurning.h"
#include "host/qt/QtSettingsStore.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velrok"));
    QApplication::setQuitOnLastWindowClosed(false);

    using namespace velrok::app;
    const QLocale userLocale = QLocale::system();
    velrok::host::QtSettingsStore settings;
    QtMessageService messages;
    AppSession session;
    AppEnvironment env{settings,
                       messages,
                       session,
                       QCoreApplication::applicationDirPath().toStdString(),
                       DecimalSeparatorOf(userLocale),
                       nullptr,
                       {},
                       nullptr};
    // The user's copy of the default library lives here, not in the (read-only) program folder.
    env.dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    // French captions as the forms carry them, or English: as chosen in Options > Langue, else as
    // the locale says.
    Translations translations(app);
    translations.Use(ChooseLanguage(settings.Get(kLanguageSetting, ""), userLocale.name().toStdString()));
    env.translations = &translations;

    std::unique_ptr<frmVehicleTurning> window;
    frmSplash splash(userLocale);
    QObject::connect(&splash, &frmSplash::Finished, [&] {
        window = std::make_unique<frmVehicleTurning>(env);
        messages.SetParent(window.get());
        QObject::connect(window.get(), &frmVehicleTurning::Unloaded, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        window->Load();
        window->show();
    });
    splash.show();
    const int result = QApplication::exec();
    window.reset();
    return result;
}
