// Renders the program's forms to PNG files (used by `make screenshots`): the main window with each
// tab, the general settings, about and splash forms, and the schematic of every configuration.
// Runs against a temporary library filled through the window's own commands.
#include "AppTestSupport.h"
#include "app/VehicleSchematic.h"
#include "app/frmAbout.h"
#include "app/frmSettings.h"
#include "app/frmSplash.h"
#include "ui_frmSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace velrok;
using namespace velrok::apptest;

namespace {

struct Sample {
    const char* name;
    int code;
    std::vector<std::pair<const char*, const char*>> values;
};

void Save(app::frmVehicleTurning& w, const Sample& s)
{
    Child<QPushButton>(&w, "Command4")->click();
    const VehicleFields defaults;
    for (std::string_view field : VehicleFieldNames())
        Child<QLineEdit>(&w, std::string(field).c_str())
            ->setText(QString::fromStdString(*FieldByName(defaults, field)));
    Child<QLineEdit>(&w, "txt_Name")->setText(QString::fromUtf8(s.name));
    for (const auto& [field, value] : s.values)
        Child<QLineEdit>(&w, field)->setText(QString::fromUtf8(value));
    auto* combo = Child<QComboBox>(&w, "Combo1");
    const int index = combo->findData(s.code);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    Child<QPushButton>(&w, "Command1")->click();
}

bool Grab(QWidget* w, const QString& file)
{
    w->show();
    QApplication::processEvents();
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: velrok-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    bool ok = true;

    // The program's own default library when given, else a few vehicles saved through the window.
    Harness h;
    const QString library = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool haveLibrary = !library.isEmpty() && QFile::exists(library);
    if (haveLibrary)
        QFile::copy(library, QString::fromStdString(h.Path("DefaultVehicles.vdt")));
    else
        h.CreateFile("DefaultVehicles.vdt");
    app::frmVehicleTurning window(h.env);
    window.Load();
    const std::vector<Sample> samples = {
        {"Rigid truck 12 m", 1, {{"txt_Front", "1,5"}, {"txt_Wheelbase", "6,5"}, {"txt_Back", "3,5"}}},
        {"Semi-trailer 16,5 m",
         2,
         {{"txt_Front", "1,4"},
          {"txt_Wheelbase", "3,8"},
          {"txt_Back", "0,9"},
          {"txtHitch", "0,5"},
          {"txt_Front2", "1,6"},
          {"txt_Wheelbase2", "8,2"},
          {"txt_Back2", "4,0"}}},
        {"Truck and drawbar trailer",
         3,
         {{"txt_Wheelbase", "5,2"},
          {"txtHitch", "1,6"},
          {"txtHitch2", "2,8"},
          {"txt_Front2", "1,2"},
          {"txt_Wheelbase2", "5,0"},
          {"txt_Back2", "1,5"}}},
        {"City bus 12 m", 6, {{"txt_Front", "2,7"}, {"txt_Wheelbase", "6,0"}, {"txt_Back", "3,3"}}},
        {"Articulated bus 18 m",
         5,
         {{"txt_Front", "2,7"},
          {"txt_Wheelbase", "5,9"},
          {"txtHitch", "1,7"},
          {"txt_Front2", "0,6"},
          {"txt_Wheelbase2", "6,7"},
          {"txt_Back2", "2,6"}}},
        {"Car",
         7,
         {{"txt_Front", "0,9"},
          {"txt_Wheelbase", "2,7"},
          {"txt_Back", "1,0"},
          {"txt_WheelWidth", "1,6"},
          {"txt_VeichleWidth", "1,8"}}},
    };
    auto* list = Child<QListWidget>(&window, "List1");
    window.resize(1120, 720);
    if (haveLibrary) {
        // Every vehicle of the library on its own, to check the side views with real dimensions.
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            ok &= Grab(Child<app::VehicleSchematic>(&window, "Image1"),
                       out + QStringLiteral("/library-%1.png").arg(row + 1, 2, 10, QLatin1Char('0')));
        }
    } else {
        for (const Sample& s : samples)
            Save(window, s);
    }
    // A semitrailer for the main window.
    const QList<QListWidgetItem*> semi =
        list->findItems(QStringLiteral("articulated vehicle"), Qt::MatchContains);
    list->setCurrentRow(semi.isEmpty() ? std::min(1, list->count() - 1) : list->row(semi.first()));
    auto* tabs = Child<QTabBar>(&window, "TabStrip1");
    const char* tabFiles[] = {"main-vehicle-details.png", "main-turning-report.png",
                              "main-lock-to-lock-report.png"};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        ok &= Grab(&window, out + "/" + tabFiles[i]);
    }
    tabs->setCurrentIndex(0);

    app::frmSettings settings(h.env);
    ok &= Grab(&settings, out + "/general-settings.png");
    settings.Form().Combo2->setCurrentIndex(0);
    ok &= Grab(&settings, out + "/general-settings-manual.png");
    settings.hide();

    app::frmAbout about(h.messages);
    ok &= Grab(&about, out + "/about.png");

    app::frmSplash splash(QLocale(QStringLiteral("de_DE")));
    splash.Timer()->stop();
    ok &= Grab(&splash, out + "/splash.png");

    for (int code = 1; code <= 13; ++code) {
        app::VehicleSchematic picture;
        picture.resize(640, 240);
        picture.ShowPicture(code, app::SchematicDims{});
        ok &= Grab(&picture, out + "/schematic-" + picture.Key() + ".png");
    }
    return ok ? 0 : 1;
}
