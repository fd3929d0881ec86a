// The general settings form: what it selects, what OK stores and switches, what Cancel keeps.
#include "AppTestSupport.h"
#include "app/frmSettings.h"
#include "ui_frmSettings.h"

#include <QSignalSpy>
#include <QTest>

using namespace velrok;
using namespace velrok::apptest;

class SettingsFormTest : public QObject {
    Q_OBJECT
  private slots:
    void emptyStoreSelectsTheStandardEntry();
    void manualEntryStoresTheTrimmedIdentifierAndUsesIt();
    void unknownStoredVersionLeavesNoSelectionAndOkFails();
    void storedVersionThatIsNotANumberStopsTheLoad();
    void cancelStoresNothingAndClosesTheForm();
};

void SettingsFormTest::emptyStoreSelectsTheStandardEntry()
{
    Harness h(true);
    app::frmSettings form(h.env);
    QCOMPARE(form.windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(form.Form().Combo2->count(), 2);
    QCOMPARE(form.Form().Combo2->currentText(), QStringLiteral("Microstation V8"));
    QCOMPARE(form.Form().Text16->isHidden(), true);
    QCOMPARE(form.Form().Text16->text(), QStringLiteral("MicrostationDGN.ApplicationObjectConnector"));
    // An empty stored version counts as the standard entry here.
    h.settings.Set("CadVersion", "");
    app::frmSettings again(h.env);
    QCOMPARE(again.Form().Combo2->currentIndex(), 1);
}

void SettingsFormTest::manualEntryStoresTheTrimmedIdentifierAndUsesIt()
{
    Harness h;
    app::frmSettings form(h.env);
    form.Form().Combo2->setCurrentIndex(0);
    QCOMPARE(form.Form().Combo2->currentText(), QStringLiteral("Manually (type in self)"));
    QCOMPARE(form.Form().Text16->isHidden(), false);
    form.Form().Text16->clear();
    QTest::keyClicks(form.Form().Text16, "  Other.CadConnector  ");
    QSignalSpy closed(&form, &app::frmSettings::Closed);
    form.Form().Command1->click();
    QCOMPARE(h.settings.Get("CadVersion", "?"), std::string("0"));
    QCOMPARE(h.settings.Get("CadVersion_Special", "?"), std::string("Other.CadConnector"));
    QCOMPARE(h.session.hostProgId, std::string("Other.CadConnector"));
    QCOMPARE(closed.count(), 1);

    // Back to the standard entry: the standard identifier, whatever the text field holds.
    app::frmSettings second(h.env);
    QCOMPARE(second.Form().Combo2->currentIndex(), 0);
    second.Form().Combo2->setCurrentIndex(1);
    second.Form().Command1->click();
    QCOMPARE(h.settings.Get("CadVersion", "?"), std::string("10"));
    QCOMPARE(h.session.hostProgId, std::string("MicrostationDGN.ApplicationObjectConnector"));
}

void SettingsFormTest::unknownStoredVersionLeavesNoSelectionAndOkFails()
{
    Harness h;
    h.settings.Set("CadVersion", "8");
    const size_t writes = h.settings.Writes().size();
    app::frmSettings form(h.env);
    QCOMPARE(form.Form().Combo2->currentIndex(), -1);
    QSignalSpy closed(&form, &app::frmSettings::Closed);
    form.Form().Command1->click();
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Velrok Settings"));
    QCOMPARE(h.messages.shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(h.settings.Writes().size(), writes);
    QCOMPARE(closed.count(), 0);
}

void SettingsFormTest::storedVersionThatIsNotANumberStopsTheLoad()
{
    Harness h;
    h.settings.Set("CadVersion", "V8");
    h.settings.Set("CadVersion_Special", "Kept.Id");
    app::frmSettings form(h.env);
    QCOMPARE(h.messages.shown.size(), size_t(1));
    QCOMPARE(h.messages.shown[0].title, std::string("Settings"));
    QCOMPARE(h.messages.shown[0].text, std::string("Error: 13"));
    // The remaining load steps were skipped.
    QCOMPARE(form.Form().Text16->text(), QString());
}

void SettingsFormTest::cancelStoresNothingAndClosesTheForm()
{
    Harness h;
    const size_t writes = h.settings.Writes().size();
    app::frmSettings form(h.env);
    form.Form().Combo2->setCurrentIndex(0);
    QTest::keyClicks(form.Form().Text16, "x");
    QSignalSpy closed(&form, &app::frmSettings::Closed);
    form.Form().Command2->click();
    QCOMPARE(h.settings.Writes().size(), writes);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(h.session.hostProgId, std::string("MicrostationDGN.ApplicationObjectConnector"));
}

std::unique_ptr<QObject> MakeSettingsFormTest()
{
    return std::make_unique<SettingsFormTest>();
}

#include "SettingsFormTest.moc"
