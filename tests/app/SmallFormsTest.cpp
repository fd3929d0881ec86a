// Splash, about and help: their texts, the hand-over timer, the update link, the help topics.
#include "AppTestSupport.h"
#include "app/HelpViewer.h"
#include "app/QtMessageService.h"
#include "app/frmAbout.h"
#include "app/frmSettings.h"
#include "app/frmSplash.h"
#include "ui_frmAbout.h"
#include "ui_frmSettings.h"
#include "ui_frmSplash.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace velrok;
using namespace velrok::apptest;

class SmallFormsTest : public QObject {
    Q_OBJECT
  private slots:
    void splashShowsTheLocaleSeparatorAndVersion_data();
    void splashShowsTheLocaleSeparatorAndVersion();
    void splashHandsOverAfter2000Milliseconds();
    void aboutShowsVersionAndDescription();
    void updateLinkFailureIsReported();
    void helpOpensAtTheFormsTopic();
    void carriageReturnsBreakMessageLines();
};

void SmallFormsTest::splashShowsTheLocaleSeparatorAndVersion_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::newRow("German") << "de_DE"
                            << ",";
    QTest::newRow("English") << "en_US"
                             << ".";
    QTest::newRow("Swedish") << "sv_SE"
                             << ",";
}

void SmallFormsTest::splashShowsTheLocaleSeparatorAndVersion()
{
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    app::frmSplash splash{QLocale(locale)};
    QCOMPARE(splash.Form().lblSeparator->text(), separator);
    QCOMPARE(splash.Form().Label4->text(), QStringLiteral("You should use:"));
    QCOMPARE(splash.Form().Label1->text(), QStringLiteral("as Decimal Separator in Velrok"));
    const app::AppVersion v = app::BuildVersion();
    QCOMPARE(splash.Form().Label5->text(),
             QStringLiteral("Version %1  (Build %2)").arg(v.major).arg(v.revision));
    QCOMPARE(app::DecimalSeparatorOf(QLocale(locale)), separator.at(0).toLatin1());
}

void SmallFormsTest::splashHandsOverAfter2000Milliseconds()
{
    app::frmSplash splash{QLocale(QStringLiteral("de_DE"))};
    splash.show();
    QSignalSpy finished(&splash, &app::frmSplash::Finished);
    QCOMPARE(splash.Timer()->interval(), 2000);
    QTest::qWait(1500);
    QCOMPARE(finished.count(), 0);
    QVERIFY(finished.wait(2000));
    QCOMPARE(splash.isVisible(), false);
}

void SmallFormsTest::aboutShowsVersionAndDescription()
{
    testing::RecordingMessages messages;
    app::frmAbout about(messages);
    const app::AppVersion v = app::BuildVersion();
    QCOMPARE(about.windowTitle(), QStringLiteral("About Velrok"));
    QCOMPARE(about.Form().lblVersion->text(),
             QStringLiteral("Version %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision));
    QCOMPARE(about.Form().lblDescription->text(),
             QStringLiteral("Vehicle Turning Simulation for Microstation\n(version 2002-2009)"));
    QCOMPARE(about.Form().Command2->text(), QStringLiteral("Check for updates"));
}

void SmallFormsTest::updateLinkFailureIsReported()
{
    testing::RecordingMessages messages;
    QList<QUrl> opened;
    app::frmAbout working(messages, nullptr, [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    working.Form().Command2->click();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].toString(), QString::fromLatin1(app::kUpdatePage));
    QCOMPARE(messages.shown.size(), size_t(0));

    app::frmAbout failing(messages, nullptr, [](const QUrl&) { return false; });
    failing.Form().Command2->click();
    QCOMPARE(messages.shown.size(), size_t(1));
    QCOMPARE(messages.shown[0].title, std::string("Check for updates"));
    QCOMPARE(messages.shown[0].icon, MsgIcon::Critical);
}

void SmallFormsTest::helpOpensAtTheFormsTopic()
{
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    w->findChild<QAction*>(QStringLiteral("M_Helpfile"))->trigger();
    auto* viewer = w->findChild<app::HelpViewer*>(QStringLiteral("HelpViewer"));
    QVERIFY(viewer != nullptr);
    QCOMPARE(viewer->Topic(), 1);
    QVERIFY2(viewer->Browser()->toPlainText().contains(QStringLiteral("The main window")),
             qPrintable(viewer->Browser()->toPlainText().left(200)));

    app::frmSettings form(h.env);
    form.Form().Command3->click();
    auto* settingsHelp = form.findChild<app::HelpViewer*>(QStringLiteral("HelpViewer"));
    QVERIFY(settingsHelp != nullptr);
    QCOMPARE(settingsHelp->Topic(), 2);
    QVERIFY2(settingsHelp->Browser()->toPlainText().contains(QStringLiteral("General settings")),
             qPrintable(settingsHelp->Browser()->toPlainText().left(200)));
}

void SmallFormsTest::carriageReturnsBreakMessageLines()
{
    QCOMPARE(app::MessageTextForDisplay("Delete current Vehicle? \r\rVan"),
             QStringLiteral("Delete current Vehicle? \n\nVan"));
    QCOMPARE(app::MessageTextForDisplay("a\r\nb"), QStringLiteral("a\nb"));
    QCOMPARE(app::MessageTextForDisplay("Total Length: 9,6"), QStringLiteral("Total Length: 9,6"));
}

std::unique_ptr<QObject> MakeSmallFormsTest()
{
    return std::make_unique<SmallFormsTest>();
}

#include "SmallFormsTest.moc"
