// Runs one Qt Test suite by name (as CTest does), or every suite without a name; Qt Test's own
// options follow the suite name. Shared by the widget test programs.
#pragma once

#include <QObject>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace velrok::testing {

using SuiteList = std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>>;

inline int RunSuites(int argc, char** argv, const SuiteList& suites)
{
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

} // namespace velrok::testing
