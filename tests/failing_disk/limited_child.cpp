#include "limited_child.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string ReadAll(int fd) {
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, size_t(got));
    }
    return text;
}

// Forks; the child runs `child` with the write end of a pipe and must end
// with _exit.  Returns the exit status and what came through the pipe.
ChildResult Fork(const std::function<void(int)>& child) {
    ChildResult result;
    int fds[2];
    if (::pipe(fds) != 0) return result;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        child(fds[1]);
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return result;
    }
    result.Output = ReadAll(fds[0]);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
