// SIGINT and SIGTERM as a request to quit, for the program without a window: the same request as
// closing the window (SDL turns the two signals into its quit event, the window's backend turns
// that into App::PostQuit(0)), so the game thread stops and the program shuts down in order and
// exits with 0.
#pragma once

#include <signal.h>

#include <thread>

class App;

class QuitOnSignals {
  public:
    // Installs the handlers for the object's life; one object at a time. The app must outlive it.
    explicit QuitOnSignals(App& app);
    // Puts the handlers back that were there before.
    ~QuitOnSignals();
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

  private:
    void Watch();

    App& app_;
    int pipe_[2] = {-1, -1};  // the handler writes the signal's number, the watcher reads it
    struct sigaction savedInterrupt_ {};
    struct sigaction savedTerminate_ {};
    std::thread watcher_;
};
