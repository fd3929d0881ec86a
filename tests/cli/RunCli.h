// Runs the built velrok-cli in a shell from a given folder and collects its output and exit code.
#pragma once

#include "TestPaths.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace velrok::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `arguments` are passed to the shell as written; standard error goes through `errFile`.
inline CliRun RunCliIn(const std::string& folder, const std::string& arguments, const std::string& errFile)
{
    const std::string command =
        "cd '" + folder + "' && '" VELROK_BINARY_DIR "/bin/velrok-cli' " + arguments + " 2>'" + errFile + "'";
    CliRun r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

} // namespace velrok::testing
