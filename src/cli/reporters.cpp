#include "reporters.h"

#include <string>

namespace tessaron::cli {

void PlainReporter::Problem(const std::string& message) {
    err_ << kProgramName << ": " << message << '\n' << std::flush;
}

void TerminalReporter::Progress(size_t done, size_t total) {
    lastDone_ = done;
    lastTotal_ = total;
    // Redrawing for every small frame would cost more than the export.
    const auto now = std::chrono::steady_clock::now();
    if (done != total && drawn_ && now - lastDraw_ < std::chrono::milliseconds(50)) return;
    lastDraw_ = now;
    Draw(done, total);
}

void TerminalReporter::Problem(const std::string& message) {
    Clear();
    err_ << kProgramName << ": " << message << '\n';
    if (lastTotal_ > 0) Draw(lastDone_, lastTotal_);
    err_ << std::flush;
}

void TerminalReporter::Finish() {
    if (drawn_) err_ << '\n' << std::flush;
    drawn_ = false;
}

void TerminalReporter::Draw(size_t done, size_t total) {
    constexpr size_t kBarWidth = 40;
    const size_t filled = total ? done * kBarWidth / total : kBarWidth;
    err_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << done
         << '/' << total << std::flush;
    drawn_ = true;
}

void TerminalReporter::Clear() {
    if (drawn_) err_ << "\r\033[K";
    drawn_ = false;
}

}  // namespace tessaron::cli
