#include "child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tessaron::testing {

namespace {

std::string ReadToEnd(int fd) {
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

}  // namespace

ForkedChild RunInChild(const std::function<void(int out)>& child) {
    ForkedChild result;
    int fds[2];
    if (::pipe(fds) != 0) return result;
    std::fflush(nullptr);  // nothing buffered is written twice
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
    result.Started = true;
    result.Output = ReadToEnd(fds[0]);
    ::close(fds[0]);
    while (::waitpid(pid, &result.WaitStatus, 0) < 0 && errno == EINTR) {}
    return result;
}

}  // namespace tessaron::testing
