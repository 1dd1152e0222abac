// The command line of tessaron-export and the run it asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "export_run.h"

namespace tessaron::cli {

// Exit statuses.
constexpr int kExitOk = 0;       // everything asked for was written (or listed)
constexpr int kExitFailed = 1;   // the archive is unusable, or frames or files failed
constexpr int kExitUsage = 2;    // the command line is wrong

struct Options {
    std::string Archive;
    std::string OutDir;             // empty with --list
    bool ShowTiny = false;
    bool Raw = false;
    bool List = false;
    std::optional<uint32_t> Entry;  // --block: the archive entry number
    unsigned Jobs = 0;              // --jobs: frames exported at once; 0 means one per core
    bool Png = false;               // --format png: PNG frames instead of BMPs
    bool Transparent = false;       // --transparent: index 0x44 transparent in PNGs
    bool Sheet = false;             // --sheet: one PNG sheet and its JSON per block
    bool Json = false;              // --json: the listing as JSON
};

// Parses a hexadecimal entry number such as 1A, 1a or 0x1A.
std::optional<uint32_t> ParseEntryNumber(const std::string& text);

// Lists or exports as `options` say.  Listing goes to `out`; problems and
// the summary go to `reporter`.
int Run(const Options& options, std::ostream& out, Reporter& reporter);

// The whole program: parses the arguments (help goes to `out`, usage errors
// to `err`) and runs.  With `progressBar` a bar is drawn on `err`.
int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool progressBar);

}  // namespace tessaron::cli
