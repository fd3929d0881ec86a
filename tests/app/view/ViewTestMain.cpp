// Runs one suite of the drawing, diagram and style form tests by name (as CTest does), or all.
#include <QApplication>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

std::unique_ptr<QObject> MakeDrawingWindowTest();
std::unique_ptr<QObject> MakeDiagramsTest();
std::unique_ptr<QObject> MakeStyleFormTest();
std::unique_ptr<QObject> MakeExampleSessionTest();
std::unique_ptr<QObject> MakeSweepSessionTest();
std::unique_ptr<QObject> MakeMainWindowSessionTest();

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>> suites = {
        {"DrawingWindowTest", MakeDrawingWindowTest}, {"DiagramsTest", MakeDiagramsTest},
        {"StyleFormTest", MakeStyleFormTest},         {"ExampleSessionTest", MakeExampleSessionTest},
        {"SweepSessionTest", MakeSweepSessionTest},   {"MainWindowSessionTest", MakeMainWindowSessionTest}};
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    int failures = 0;
    bool ran = false;
    for (const auto& [name, make] : suites) {
        if (only != nullptr && std::strcmp(only, name) != 0)
            continue;
        ran = true;
        auto suite = make();
        std::vector<char*> args = {argv[0]};
        for (int i = only != nullptr ? 2 : 1; i < argc; ++i)
            args.push_back(argv[i]);
        failures += QTest::qExec(suite.get(), static_cast<int>(args.size()), args.data());
    }
    return ran ? failures : 1;
}
