#include "setup/interrupt_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

#include "foundation/exceptions.h"

namespace {

const int kSignals[] = {SIGINT, SIGTERM};
struct sigaction previous[2];
// Lock-free, so the handler may read it.
std::atomic<int> interruptFd{-1};

extern "C" void OnInterrupt(int) {
    const int saved = errno;
    const int fd = interruptFd.load();
    const char byte = 1;
    if (fd >= 0) {
        // A full pipe already says that an interrupt came.
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) ThrowFatal("Cannot watch for interrupts: no pipe");
    read_ = fds[0];
    write_ = fds[1];
    interruptFd.store(write_);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a prompt waiting for input gives up
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous[i]);
}

InterruptWatch::~InterruptWatch() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous[i], nullptr);
    interruptFd.store(-1);
    close(read_);
    close(write_);
}

InterruptWatch& ProgramInterruptWatch() {
    // Never destroyed: its handlers stay until the process is gone.
    static InterruptWatch* const watch = new InterruptWatch();
    return *watch;
}

bool TakeInterrupt(int fd) {
    bool taken = false;
    char bytes[64];
    for (ssize_t n = read(fd, bytes, sizeof bytes); n > 0 || (n < 0 && errno == EINTR);
         n = read(fd, bytes, sizeof bytes)) {
        if (n > 0) taken = true;
    }
    return taken;
}
