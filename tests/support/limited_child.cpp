#include "limited_child.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "child_process.h"
#include "fixtures.h"

namespace tessaron::testing {

namespace {

void LimitFileSize(std::optional<uint64_t> limit) {
    std::signal(SIGXFSZ, SIG_IGN);  // kept across exec
    if (limit) {
        const rlimit r{*limit, *limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
}

// Runs `child` in a forked process (see RunInChild); Status is its exit
// status, or -1 when it could not start or did not exit normally.
ChildResult Fork(const std::function<void(int)>& child) {
    const ForkedChild run = RunInChild(child);
    ChildResult result;
    result.Output = run.Output;
    if (run.Started && WIFEXITED(run.WaitStatus)) result.Status = WEXITSTATUS(run.WaitStatus);
    return result;
}

}  // namespace

ChildResult RunWithFileSizeLimit(std::optional<uint64_t> limit, const std::function<std::string()>& work) {
    return Fork([&](int out) {
        LimitFileSize(limit);
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            text = std::string("unexpected exception: ") + e.what();
        }
        const bool written = ::write(out, text.data(), text.size()) == ssize_t(text.size());
        ::_exit(written ? 0 : 1);
    });
}

ChildResult RunProgramWithFileSizeLimit(std::optional<uint64_t> limit, const std::vector<std::string>& argv) {
    return Fork([&](int err) {
        LimitFileSize(limit);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(126);
    });
}

bool PermissionsApply() { return ::geteuid() != 0; }

std::vector<FolderEntry> Snapshot(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        FolderEntry entry{e.path().filename().string(), {}};
        if (e.is_regular_file()) entry.Bytes = ReadFileBytes(e.path().string());
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    return entries;
}

}  // namespace tessaron::testing
