// What the host tests that cross-check with ezdxf share: a file's bytes and a shell command's
// output.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace velrok::host::testing {

inline std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Standard output and error of the command; empty when it cannot be started.
inline std::string Shell(const std::string& command)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);
    return output;
}

} // namespace velrok::host::testing
