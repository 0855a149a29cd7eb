#include "tests/support/child_exit.h"

#include <poll.h>
#include <sys/wait.h>

int WaitForChild(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid)
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        poll(nullptr, 0, 10);
    }
    return -1;
}
