// The output style settings form: lists filled from the stored keys and the active drawing, the
// forty-eight keys stored in order by OK, nothing by Quit, and the keys of lists a failed load
// never filled left as they were.
#include "app/styles/frmVehicleTurningSettings.h"
#include "fakes/RecordingServices.h"
#include "host/InMemoryDrawing.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace velrok;
using namespace velrok::app;

namespace {

std::vector<std::string> Keys(const MemorySettingsStore& store)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : store.Writes())
        keys.push_back(key);
    return keys;
}

// The value last written under the key.
std::string Written(const MemorySettingsStore& store, const std::string& key)
{
    const auto& writes = store.Writes();
    for (auto it = writes.rbegin(); it != writes.rend(); ++it)
        if (it->first == key)
            return it->second;
    return "<not written>";
}

} // namespace

class StyleFormTest : public QObject {
    Q_OBJECT

    host::HostRegistry m_registry;
    std::shared_ptr<host::InMemoryDrawing> m_drawing;
    MemorySettingsStore m_settings;
    testing::RecordingMessages m_messages;

    std::unique_ptr<frmVehicleTurningSettings> LoadedForm()
    {
        auto form = std::make_unique<frmVehicleTurningSettings>(m_settings, m_messages, m_registry,
                                                                host::kStandardProgId);
        form->show();
        form->Load();
        return form;
    }

  private slots:
    void init()
    {
        m_drawing = std::make_shared<host::InMemoryDrawing>();
        m_registry.Register(host::kStandardProgId, m_drawing);
        m_settings = MemorySettingsStore();
        m_messages.shown.clear();
    }

    void captionFramesAndButtons()
    {
        auto form = LoadedForm();
        QCOMPARE(form->windowTitle(), QString("Param.Sortie Epure Giration de Vehicule"));
        QCOMPARE(form->findChild<QPushButton*>("Command1")->text(), QString("&OK"));
        QCOMPARE(form->findChild<QPushButton*>("Command2")->text(), QString("&Quitte"));
        QStringList frames;
        for (const QGroupBox* box : form->findChildren<QGroupBox*>())
            frames << box->title();
        frames.sort();
        QCOMPARE(frames, (QStringList{"Braq. Roues", "Epure Vehic. ", "Propriété Vehicule"}));
        QCOMPARE(form->findChildren<QComboBox*>().size(), 48);
        QVERIFY(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void emptyStoreShowsDefaultsAndOkStoresFortyEightKeysInOrder()
    {
        auto form = LoadedForm();
        QVERIFY(!form->LoadError().has_value());
        for (int i = 0; i < kStyleClassCount; ++i) {
            const StyleClass& c = kStyleClasses[static_cast<size_t>(i)];
            QCOMPARE(form->Combo(StyleColumn::Color, i)->currentIndex(), c.defaultColor);
            QCOMPARE(form->Combo(StyleColumn::Color, i)->count(), 8);
            QCOMPARE(form->Combo(StyleColumn::LineType, i)->currentText(), QString("0"));
            QCOMPARE(form->Combo(StyleColumn::LineType, i)->count(), 9); // ByLevel and "0".."7"
            QCOMPARE(form->Combo(StyleColumn::Weight, i)->currentText(), QString("0"));
            QCOMPARE(form->Combo(StyleColumn::Weight, i)->count(), 33);
            QCOMPARE(form->Combo(StyleColumn::Level, i)->currentText(), QString(c.defaultLevel));
        }
        QCOMPARE(form->Combo(StyleColumn::Color, 0)->currentText(), QString("White"));
        form->Combo(StyleColumn::Color, 11)->setCurrentIndex(1); // Envelope red
        form->Combo(StyleColumn::Weight, 0)->setCurrentIndex(32);
        form->findChild<QPushButton*>("Command1")->click();
        QVERIFY(!form->isVisible());
        const std::vector<std::string> keys = Keys(m_settings);
        QCOMPARE(keys.size(), size_t(48));
        QCOMPARE(keys[0], std::string("VehicleBodyOutlineColor"));
        QCOMPARE(keys[3], std::string("VehicleSweepRightFrontColor"));
        QCOMPARE(keys[11], std::string("EnvelopeColor"));
        QCOMPARE(keys[12], std::string("VehicleBodyOutlineLineType"));
        QCOMPARE(keys[24], std::string("VehicleBodyOutlineLineWeight"));
        QCOMPARE(keys[47], std::string("EnvelopeLevel"));
        QCOMPARE(m_settings.Writes()[11].second, std::string("1"));
        QCOMPARE(m_settings.Writes()[24].second, std::string("31"));
        QCOMPARE(m_settings.Writes()[13].second, std::string("0"));
        QCOMPARE(m_settings.Writes()[36].second, std::string("Velrok_Vehicle"));
    }

    void storedValuesTheDrawingLacksAndTrimmedStyleNames()
    {
        m_drawing->AddLineStyle("  Border  ", "", {1.0, -0.5});
        m_drawing->AddLineStyle("   ", "", {});
        m_drawing->AddLevel("Road", 1, std::nullopt, 0);
        m_settings.Set("WheelOutlineLineType", "Dashed");
        m_settings.Set("TyreTreadLineType", "Border");
        m_settings.Set("EnvelopeLevel", "Not_In_Drawing");
        m_settings.Set("TyreTreadLineWeight", "ByLevel");
        m_settings.Set("WheelOutlineColor", "4");
        const size_t before = m_settings.Writes().size();
        auto form = LoadedForm();
        QComboBox* types = form->Combo(StyleColumn::LineType, 2);
        QCOMPARE(types->count(), 10);
        QCOMPARE(types->itemText(9), QString("Border"));
        QCOMPARE(types->currentText(), QString("Border"));
        QCOMPARE(form->Combo(StyleColumn::LineType, 1)->currentText(), QString("ByLevel"));
        QCOMPARE(form->Combo(StyleColumn::Weight, 2)->currentText(), QString("ByLevel"));
        QCOMPARE(form->Combo(StyleColumn::Color, 1)->currentText(), QString("Cyan"));
        QComboBox* level = form->Combo(StyleColumn::Level, 11);
        QCOMPARE(level->currentText(), QString("Not_In_Drawing"));
        QCOMPARE(level->count(), 2); // "0" and "Road", in the drawing's order
        QCOMPARE(level->itemText(1), QString("Road"));
        form->Ok();
        QCOMPARE(Written(m_settings, "WheelOutlineLineType"), std::string("ByLevel"));
        QCOMPARE(Written(m_settings, "TyreTreadLineType"), std::string("Border"));
        QCOMPARE(Written(m_settings, "EnvelopeLevel"), std::string("Not_In_Drawing"));
        QCOMPARE(Written(m_settings, "WheelOutlineColor"), std::string("4"));
        QCOMPARE(m_settings.Writes().size() - before, size_t(48));
    }

    void quitStoresNothing()
    {
        auto form = LoadedForm();
        form->Combo(StyleColumn::Color, 0)->setCurrentIndex(3);
        form->Combo(StyleColumn::Level, 0)->setEditText("Changed");
        form->findChild<QPushButton*>("Command2")->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(m_settings.Writes().size(), size_t(0));
    }

    void failedLoadStoresOnlyTheListsItFilled()
    {
        m_registry.Unregister(host::kStandardProgId);
        m_settings.Set("EnvelopeLineType", "3");
        m_settings.Set("EnvelopeLevel", "Kept");
        const size_t before = m_settings.Writes().size();
        auto form = LoadedForm();
        QVERIFY(form->LoadError().has_value());
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QCOMPARE(m_messages.shown[0].title, std::string("Velrok"));
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(form->Combo(StyleColumn::LineType, 0)->count(), 0);
        QCOMPARE(form->Combo(StyleColumn::Weight, 0)->count(), 0); // later steps are skipped
        form->Ok();
        const std::vector<std::string> keys = Keys(m_settings);
        QCOMPARE(keys.size() - before, size_t(12));
        QCOMPARE(keys.back(), std::string("EnvelopeColor"));
        QCOMPARE(m_settings.Get("EnvelopeLineType", ""), std::string("3"));
        QCOMPARE(m_settings.Get("EnvelopeLevel", ""), std::string("Kept"));
    }

    void badStoredColoursNeitherStopTheLoadNorLoseAStoredKey()
    {
        m_settings.Set("TyreTreadColor", "Yellow");     // not a number
        m_settings.Set("WheelSweepLeftBackColor", "9"); // beyond the eight colours
        m_settings.Set("EnvelopeColor", "1");           // a valid colour of a later class
        m_settings.Set("EnvelopeLineType", "3");
        auto form = LoadedForm();
        QVERIFY(!form->LoadError().has_value());
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QCOMPARE(m_messages.shown[0].title, std::string("Velrok"));
        const std::string& text = m_messages.shown[0].text;
        QVERIFY2(text.find("TyreTreadColor") != std::string::npos, text.c_str());
        QVERIFY2(text.find("WheelSweepLeftBackColor") != std::string::npos, text.c_str());
        // The later steps ran, and the bad lists show their class defaults.
        QCOMPARE(form->Combo(StyleColumn::LineType, 11)->currentText(), QString("3"));
        QCOMPARE(form->Combo(StyleColumn::Color, 2)->currentText(), QString("Yellow"));
        QCOMPARE(form->Combo(StyleColumn::Color, 10)->currentText(), QString("Green"));
        QCOMPARE(form->Combo(StyleColumn::Color, 11)->currentText(), QString("Red"));

        form->Combo(StyleColumn::Color, 10)->setCurrentIndex(6); // the user picks Magenta there
        const size_t before = m_settings.Writes().size();
        form->Ok();
        QVERIFY(!form->isVisible());
        QCOMPARE(m_settings.Writes().size() - before, size_t(47)); // all but the untouched bad one
        QCOMPARE(m_settings.Get("TyreTreadColor", ""), std::string("Yellow"));
        QCOMPARE(Written(m_settings, "WheelSweepLeftBackColor"), std::string("6"));
        QCOMPARE(Written(m_settings, "EnvelopeColor"), std::string("1"));
        QCOMPARE(Written(m_settings, "WheelSweepRightBackColor"), std::string("3"));
        QCOMPARE(Written(m_settings, "EnvelopeLineType"), std::string("3"));
    }

    void badColourAndNoHostAreToldInOneBox()
    {
        m_registry.Unregister(host::kStandardProgId);
        m_settings.Set("VehicleBodyOutlineColor", "x");
        m_settings.Set("WheelOutlineColor", "5");
        auto form = LoadedForm();
        QVERIFY(form->LoadError().has_value());
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QVERIFY(m_messages.shown[0].text.rfind(*form->LoadError(), 0) == 0);
        QVERIFY(m_messages.shown[0].text.find("VehicleBodyOutlineColor") != std::string::npos);
        const size_t before = m_settings.Writes().size();
        form->Ok();
        // Only the eleven good colour lists were filled and stored; the bad one keeps its text.
        QCOMPARE(m_settings.Writes().size() - before, size_t(11));
        QCOMPARE(m_settings.Get("VehicleBodyOutlineColor", ""), std::string("x"));
        QCOMPARE(Written(m_settings, "WheelOutlineColor"), std::string("5"));
    }

    void failedWriteKeepsTheFormOpen()
    {
        auto form = LoadedForm();
        m_settings.SetFailWrites(true);
        form->Ok();
        QVERIFY(form->isVisible());
        QCOMPARE(m_messages.shown.size(), size_t(1));
        QCOMPARE(m_messages.shown[0].title, std::string("Velrok Settings"));
        QCOMPARE(m_messages.shown[0].text,
                 std::string("The setting VehicleBodyOutlineColor could not be stored."));
    }
};

std::unique_ptr<QObject> MakeStyleFormTest()
{
    return std::make_unique<StyleFormTest>();
}

#include "StyleFormTest.moc"
