#include "platform/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/app.h"

namespace {

// The write end of the pipe while handlers are installed; -1 otherwise. Read in the handler, so
// it must be lock-free.
std::atomic<int> g_signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// The byte that tells the watcher to end; signal numbers are never 0.
constexpr uint8_t kEndWatch = 0;

// Only async-signal-safe calls: the quit request itself takes locks, so the watcher thread makes it.
void OnSignal(int signal) {
    const int saved = errno;
    const int fd = g_signalPipe.load();
    const auto byte = static_cast<uint8_t>(signal);
    if (fd >= 0) (void)!write(fd, &byte, 1);
    errno = saved;
}

}  // namespace

QuitOnSignals::QuitOnSignals(App& app) : app_(app) {
    // Without a pipe the signals keep their default action: they end the process at once.
    if (pipe2(pipe_, O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return;
    }
    // A full pipe drops a signal rather than blocking the thread the signal interrupted.
    fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
    g_signalPipe.store(pipe_[1]);
    watcher_ = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &savedInterrupt_);
    sigaction(SIGTERM, &action, &savedTerminate_);
}

QuitOnSignals::~QuitOnSignals() {
    if (pipe_[1] < 0) return;
    sigaction(SIGINT, &savedInterrupt_, nullptr);
    sigaction(SIGTERM, &savedTerminate_, nullptr);
    g_signalPipe.store(-1);
    const uint8_t end = kEndWatch;
    // The watcher reads until this byte arrives, so a full pipe only delays it.
    while (write(pipe_[1], &end, 1) < 0 && (errno == EINTR || errno == EAGAIN)) std::this_thread::yield();
    watcher_.join();
    close(pipe_[0]);
    close(pipe_[1]);
}

void QuitOnSignals::Watch() {
    for (;;) {
        uint8_t byte = kEndWatch;
        const ssize_t n = read(pipe_[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || byte == kEndWatch) return;
        app_.PostQuit(0);
    }
}
