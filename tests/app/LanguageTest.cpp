// The interface language: French captions as the forms carry them, English through the built-in
// translation, chosen by the locale or in Options > Langue, switched while the window is open.
#include "AppTestSupport.h"
#include "app/AppLanguage.h"
#include "app/frmSettings.h"
#include "ui_frmSettings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

using namespace velrok;
using namespace velrok::apptest;

class LanguageTest : public QObject {
    Q_OBJECT
  private slots:
    void storedChoiceElseTheLocaleDecides();
    void englishCaptionsLeaveMessagesAndListsAlone();
    void menuSwitchesTheOpenWindowAndKeepsWhatWasTyped();
};

void LanguageTest::storedChoiceElseTheLocaleDecides()
{
    const struct {
        const char* stored;
        const char* locale;
        const char* language;
    } cases[] = {{"", "fr_FR", "fr"},   {"", "fr_CA", "fr"},   {"", "de_DE", "en"},
                 {"", "C", "en"},       {"", "", "en"},        {"en", "fr_FR", "en"},
                 {"fr", "en_US", "fr"}, {"xx", "fr_BE", "fr"}, {"xx", "sv_SE", "en"}};
    for (const auto& c : cases)
        QCOMPARE(app::ChooseLanguage(c.stored, c.locale), std::string(c.language));
}

void LanguageTest::englishCaptionsLeaveMessagesAndListsAlone()
{
    app::Translations translations(*qApp);
    QVERIFY(translations.Use("en"));
    Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    QCOMPARE(Child<QGroupBox>(w.get(), "Frame2")->title(), QStringLiteral("Display options"));
    QCOMPARE(Child<QPushButton>(w.get(), "Command1")->text(), QStringLiteral("S&ave"));
    QCOMPARE(Child<QMenu>(w.get(), "M_File")->title(), QStringLiteral("&File"));
    QCOMPARE(w->findChild<QAction*>(QStringLiteral("M_Drawing"))->text(), QStringLiteral("&Drawing"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [DefaultVehicles]"));
    // Lists, tabs and the summary are not captions of the form.
    QCOMPARE(Child<QComboBox>(w.get(), "Combo1")->currentText(), QStringLiteral("Semi-Trailer"));
    QCOMPARE(Child<QTabBar>(w.get(), "TabStrip1")->tabText(0), QStringLiteral("Vehicle Details"));
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), QStringLiteral("Total Length: 21,05"));
    // Another form made now is English too; its messages stay as they are.
    app::frmSettings form(h.env);
    QCOMPARE(form.Form().Command2->text(), QStringLiteral("&Cancel"));
    form.Form().Combo2->setCurrentIndex(-1);
    form.Form().Command1->click();
    QCOMPARE(h.messages.shown.back().title, std::string("Velrok Settings"));
    QCOMPARE(h.messages.shown.back().text, std::string("Invalid property array index"));

    QVERIFY(translations.Use("fr"));
    QCoreApplication::processEvents(); // the language change reaches the open window
    QCOMPARE(Child<QGroupBox>(w.get(), "Frame2")->title(), QStringLiteral("Param.Affichage"));
}

void LanguageTest::menuSwitchesTheOpenWindowAndKeepsWhatWasTyped()
{
    app::Translations translations(*qApp);
    Harness h;
    h.env.translations = &translations;
    h.CreateFile("DefaultVehicles.vdt");
    auto w = h.LoadedWindow();
    auto action = [&](const char* name) { return w->findChild<QAction*>(QString::fromLatin1(name)); };
    QCOMPARE(action("M_LanguageSystem")->isChecked(), true); // nothing stored yet
    auto* name = Child<QLineEdit>(w.get(), "txt_Name");
    QTest::keyClicks(name, "Not saved");
    auto* wb2 = Child<QLineEdit>(w.get(), "txt_Wheelbase2");
    wb2->selectAll();
    QTest::keyClicks(wb2, "11");
    const QString summary = Child<QLabel>(w.get(), "lbl_TotalLength")->text();
    QVERIFY(summary != QStringLiteral("Total Length: "));

    action("M_LanguageEnglish")->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(h.settings.Get("Language", "?"), std::string("en"));
    QCOMPARE(translations.Current(), std::string("en"));
    QCOMPARE(Child<QGroupBox>(w.get(), "Frame2")->title(), QStringLiteral("Display options"));
    QCOMPARE(Child<QMenu>(w.get(), "M_Language")->title(), QStringLiteral("Language"));
    QCOMPARE(action("M_LanguageEnglish")->isChecked(), true);
    QCOMPARE(action("M_LanguageSystem")->isChecked(), false);
    QCOMPARE(w->windowTitle(), QStringLiteral("Vehicle Turning Simulation [DefaultVehicles]"));
    QCOMPARE(name->text(), QStringLiteral("Not saved"));
    QCOMPARE(wb2->text(), QStringLiteral("11"));
    // The summary as it stood, not the label's bare caption from the form.
    QCOMPARE(Child<QLabel>(w.get(), "lbl_TotalLength")->text(), summary);

    action("M_LanguageFrench")->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(h.settings.Get("Language", "?"), std::string("fr"));
    QCOMPARE(Child<QGroupBox>(w.get(), "Frame2")->title(), QStringLiteral("Param.Affichage"));
    QCOMPARE(Child<QPushButton>(w.get(), "Command1")->text(), QStringLiteral("S&auv"));

    action("M_LanguageSystem")->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(h.settings.Get("Language", "?"), std::string(""));
    QCOMPARE(translations.Current(), app::ChooseLanguage("", QLocale::system().name().toStdString()));
    QVERIFY(translations.Use("fr"));
}

std::unique_ptr<QObject> MakeLanguageTest()
{
    return std::make_unique<LanguageTest>();
}

#include "LanguageTest.moc"
