// How tessaron-export shows its progress and problems on stderr.
#pragma once

#include <chrono>
#include <ostream>

#include "export_run.h"

namespace tessaron::cli {

// Problems only, one line each; for stderr that is not a terminal.
class PlainReporter : public Reporter {
public:
    explicit PlainReporter(std::ostream& err) : err_(err) {}
    void Progress(size_t, size_t) override {}
    void Problem(const std::string& message) override;

private:
    std::ostream& err_;
};

// A progress bar redrawn in place, for stderr on a terminal.  Problems
// clear the bar, print their line and let the bar come back below them.
class TerminalReporter : public Reporter {
public:
    explicit TerminalReporter(std::ostream& err) : err_(err) {}
    ~TerminalReporter() override { Finish(); }
    void Progress(size_t done, size_t total) override;
    void Problem(const std::string& message) override;
    // Ends the bar's line; called once the run is over.
    void Finish();

private:
    void Draw(size_t done, size_t total);
    void Clear();
    std::ostream& err_;
    bool drawn_ = false;
    size_t lastDone_ = 0, lastTotal_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// The prefix of every line the program writes to stderr.
inline constexpr const char* kProgramName = "tessaron-export";

}  // namespace tessaron::cli
