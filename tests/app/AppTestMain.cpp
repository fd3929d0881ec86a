// Runs one suite of the widget tests by name (as CTest does), or every suite without a name.
#include "RunSuites.h"

#include <QApplication>

#include <memory>

std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeLibraryCommandsTest();
std::unique_ptr<QObject> MakeSettingsFormTest();
std::unique_ptr<QObject> MakeSmallFormsTest();
std::unique_ptr<QObject> MakeVehicleSchematicTest();
std::unique_ptr<QObject> MakeWindowPlacementTest();
std::unique_ptr<QObject> MakeDimensionGridTest();
std::unique_ptr<QObject> MakeLanguageTest();

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const velrok::testing::SuiteList suites = {{"MainWindowTest", MakeMainWindowTest},
                                               {"LibraryCommandsTest", MakeLibraryCommandsTest},
                                               {"SettingsFormTest", MakeSettingsFormTest},
                                               {"SmallFormsTest", MakeSmallFormsTest},
                                               {"VehicleSchematicTest", MakeVehicleSchematicTest},
                                               {"WindowPlacementTest", MakeWindowPlacementTest},
                                               {"DimensionGridTest", MakeDimensionGridTest},
                                               {"LanguageTest", MakeLanguageTest}};
    return velrok::testing::RunSuites(argc, argv, suites);
}
