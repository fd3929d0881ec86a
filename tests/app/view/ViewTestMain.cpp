// Runs one suite of the drawing, diagram and style form tests by name (as CTest does), or all.
#include "../RunSuites.h"

#include <QApplication>

#include <memory>

std::unique_ptr<QObject> MakeDrawingWindowTest();
std::unique_ptr<QObject> MakeDiagramsTest();
std::unique_ptr<QObject> MakeStyleFormTest();
std::unique_ptr<QObject> MakeExampleSessionTest();
std::unique_ptr<QObject> MakeSweepSessionTest();
std::unique_ptr<QObject> MakeMainWindowSessionTest();
std::unique_ptr<QObject> MakeDrawingChangesTest();
std::unique_ptr<QObject> MakeConflictTableTest();

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const velrok::testing::SuiteList suites = {
        {"DrawingWindowTest", MakeDrawingWindowTest},  {"DiagramsTest", MakeDiagramsTest},
        {"StyleFormTest", MakeStyleFormTest},          {"ExampleSessionTest", MakeExampleSessionTest},
        {"SweepSessionTest", MakeSweepSessionTest},    {"MainWindowSessionTest", MakeMainWindowSessionTest},
        {"DrawingChangesTest", MakeDrawingChangesTest},    {"ConflictTableTest", MakeConflictTableTest}};
    return velrok::testing::RunSuites(argc, argv, suites);
}
