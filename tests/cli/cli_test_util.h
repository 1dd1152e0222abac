// Runs tessaron-export in-process and captures what it prints.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"

namespace tessaron::testing {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliResult RunCli(const std::vector<std::string>& args, bool progressBar = false) {
    std::vector<const char*> argv{"tessaron-export"};
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    CliResult r;
    r.status = cli::Main(int(argv.size()), argv.data(), out, err, progressBar);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace tessaron::testing
