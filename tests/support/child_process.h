// Running a piece of test work in a forked child process, so that limits,
// crashes and signals stay with the child.
#pragma once

#include <functional>
#include <string>

namespace tessaron::testing {

struct ForkedChild {
    bool Started = false;  // false when no pipe or no child could be made
    int WaitStatus = 0;    // as waitpid reports it
    std::string Output;    // everything the child wrote to its pipe
};

// Forks; the child runs `child` with the write end of a pipe and must end
// with _exit.  Waits for the child and returns what came through the pipe.
ForkedChild RunInChild(const std::function<void(int out)>& child);

}  // namespace tessaron::testing
