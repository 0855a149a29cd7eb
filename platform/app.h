// The main thread's services. The main thread owns the window: it pumps its events until quit is
// asked for, and runs, on behalf of the game thread, what must happen on it (display mode changes,
// message boxes, the error dialog). The game thread talks to it only through this class.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/code_page.h"

// Message box styles and answers, numbered as the engine's callers pass and test them.
constexpr uint32_t MbOk = 0x00;
constexpr uint32_t MbOkCancel = 0x01;
constexpr uint32_t MbYesNo = 0x04;
constexpr uint32_t MbButtonMask = 0x0F;
constexpr uint32_t MbIconError = 0x10;
constexpr uint32_t MbIconQuestion = 0x20;
constexpr uint32_t MbIconWarning = 0x30;
constexpr uint32_t MbIconInformation = 0x40;
constexpr uint32_t MbIconMask = 0xF0;
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;

class App {
  public:
    using Task = std::function<void()>;
    // alt: Alt was held, so the key came as a system key.
    using KeyDownHandler = std::function<void(int32_t virtualKey, bool alt)>;
    // A typed character as a byte of the game's code page.
    using CharHandler = std::function<void(uint8_t character, bool alt)>;

    // The thread that constructs the App is the main thread.
    App();
    // Join the game thread first: the backends' destructors ask for quit and join it if it runs.
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Main thread: pumps events and serves calls until quit is asked for; returns the quit code.
    int RunMainLoop();
    // Starts the game thread; its end wakes the main thread.
    void StartGameThread(Task body);
    // Main thread: waits for the game thread to end, still serving run-on-main calls and events,
    // then joins it. An exception that escaped the game thread is thrown on here.
    void JoinGameThread();
    // Asks for quit and joins a game thread that still runs, swallowing what escaped it; for
    // tearing down. Main thread.
    void StopGameThread();

    // Runs the task on the main thread and returns when it is done; an exception it throws is
    // thrown on in the caller. Called on the main thread it runs at once. Served only while the
    // main thread is in RunMainLoop or JoinGameThread.
    void RunOnMain(const Task& task);
    // The same without waiting.
    void PostToMain(Task task);

    // Any thread: ends RunMainLoop with the code. The first request's code counts.
    void PostQuit(int code = 0);
    bool QuitRequested() const { return quit_.load(); }
    bool IsMainThread() const { return std::this_thread::get_id() == mainThread_; }

    // The window is in the foreground (focused and not minimised). True at start.
    bool Active() const { return active_.load(); }
    // Wheel steps summed since last taken, 120 per notch, positive away from the user.
    int32_t WheelSum() const { return wheelSum_.load(); }
    int32_t TakeWheelSum() { return wheelSum_.exchange(0); }

    // Handlers are called on the main thread; set them before the main loop runs.
    void SetKeyDownHandler(KeyDownHandler handler) { keyDown_ = std::move(handler); }
    void SetCharHandler(CharHandler handler) { char_ = std::move(handler); }

    // A modal message box (MbOk / MbOkCancel / MbYesNo with an MbIcon kind), shown on the main
    // thread whichever thread asks; returns the button id (IdOk, IdCancel, IdYes, IdNo).
    int ShowMessageBox(const std::string& title, const std::string& text, uint32_t style);
    // The engine's error report: a modal box with the caption, the error's message and the script
    // call stack (lines ending in CR LF; may be empty), closed with OK. Shown on the main thread
    // whichever thread asks.
    void ShowErrorDialog(const std::string& caption, const std::string& message,
                         const std::string& callStack);
    // Hides or shows the system's mouse pointer over the window (the game draws its own).
    virtual void ShowCursor(bool visible);

  protected:
    // Main thread: handles pending window events; with wait, first sleeps until an event arrives
    // or Wake is called. The base has no events and sleeps on a condition.
    virtual void Pump(bool wait);
    // Any thread: makes a waiting Pump return.
    virtual void Wake();
    // Main thread: shows the box. The base shows nothing and answers with the first button.
    virtual int MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style);
    // Main thread: shows the error report. The base shows it as an error message box.
    virtual void ErrorDialogOnMain(const std::string& caption, const std::string& message,
                                   const std::string& callStack);

    void SetActive(bool active) { active_.store(active); }
    void AddWheel(int32_t steps) { wheelSum_.fetch_add(steps); }
    void DeliverKeyDown(int32_t virtualKey, bool alt);
    void DeliverChar(uint8_t character, bool alt);
    // Typed text in UTF-8: each character the code page has, except control characters (those
    // come with their keys, see ControlCharacter).
    void DeliverText(std::string_view utf8);

  private:
    struct Call;
    void ServeCalls();

    const std::thread::id mainThread_;
    std::atomic<bool> quit_{false};
    std::atomic<bool> active_{true};
    std::atomic<int32_t> wheelSum_{0};
    KeyDownHandler keyDown_;
    CharHandler char_;
    CodePageConverter codePage_;

    std::mutex mutex_;
    std::condition_variable wakeCondition_;
    bool wakePending_ = false;
    int quitCode_ = 0;
    std::deque<Task> calls_;

    std::thread gameThread_;
    std::atomic<bool> gameDone_{false};
    std::exception_ptr gameError_;
};

// The message and the call stack as one text with plain line ends.
std::string ErrorDialogText(const std::string& message, const std::string& callStack);

// The answers of a box's first button and of dismissing it (Escape or closing).
int FirstMessageBoxButton(uint32_t style);
int DismissedMessageBoxAnswer(uint32_t style);
