// tessaron-export: exports or lists the frames of an FLX sprite archive.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "command_line.h"
#include "reporters.h"

int main(int argc, char** argv) {
    try {
        return tessaron::cli::Main(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
    } catch (const std::exception& e) {
        std::cerr << tessaron::cli::kProgramName << ": " << e.what() << '\n';
        return tessaron::cli::kExitFailed;
    }
}
