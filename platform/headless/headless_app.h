// The main thread's services without a window: events are injected by the test, message boxes are
// recorded and answered from a script.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/app.h"

struct MessageBoxCall {
    std::string title;
    std::string text;
    uint32_t style = 0;
};

struct ErrorDialogCall {
    std::string caption;
    std::string message;
    std::string callStack;
};

class HeadlessApp : public App {
  public:
    ~HeadlessApp() override;

    // Answers for the next boxes, in order; without one a box answers with its first button.
    void ScriptAnswers(std::vector<int> answers);
    std::vector<MessageBoxCall> MessageBoxCalls() const;
    // Error reports, in order; each is also written to stderr.
    std::vector<ErrorDialogCall> ErrorDialogCalls() const;

    // Events as the window would deliver them; call on the main thread.
    void InjectKeyDown(int32_t virtualKey, bool alt = false) { DeliverKeyDown(virtualKey, alt); }
    void InjectChar(uint8_t character, bool alt = false) { DeliverChar(character, alt); }
    // Typed text as the system reports it, UTF-8.
    void InjectText(std::string_view utf8) { DeliverText(utf8); }
    void InjectActive(bool active) { SetActive(active); }
    void InjectWheel(int32_t steps) { AddWheel(steps); }
    // The user closes the window: the main loop ends.
    void InjectClose() { PostQuit(0); }

    bool CursorVisible() const { return cursorVisible_; }
    void ShowCursor(bool visible) override { cursorVisible_ = visible; }

  protected:
    int MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style) override;
    void ErrorDialogOnMain(const std::string& caption, const std::string& message,
                           const std::string& callStack) override;

  private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxCall> calls_;
    std::vector<ErrorDialogCall> errorDialogs_;
    std::deque<int> answers_;
    bool cursorVisible_ = true;
};
