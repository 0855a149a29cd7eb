// What a control asks of the window it sits in while it handles pointer input: whether the primary
// button is held, a new hint text beside the pointer, and a message posted to the window's queue.
// The window is named by the dialog value virtual method 13 receives (0 for a native window). A
// WindowRequestScope routes the requests to a window; without one the button reads as released and
// requests are dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

class DialogWindow;

struct WindowRequests {
    // Action 4 held or the left mouse button down, as the window answers (DialogWindow::PrimaryHeld).
    std::function<bool(uint32_t dialog)> primaryHeld;
    std::function<void(uint32_t dialog, std::string_view text)> setHint;
    std::function<void(uint32_t dialog, int32_t code, int32_t p1, int32_t p2)> postMessage;
};

WindowRequests& WindowRequestHooks();

bool WindowPrimaryHeld(uint32_t dialog);
void WindowSetHint(uint32_t dialog, std::string_view text);
void WindowPostMessage(uint32_t dialog, int32_t code, int32_t p1, int32_t p2);

// While it lives, requests naming the window's dialog value go to that window: its input device, its
// hint text and its message queue. Others go where they went before, so windows run one inside
// another each answer for themselves. Made around a window's modal loop.
class WindowRequestScope {
  public:
    explicit WindowRequestScope(DialogWindow& window);
    ~WindowRequestScope();
    WindowRequestScope(const WindowRequestScope&) = delete;
    WindowRequestScope& operator=(const WindowRequestScope&) = delete;

  private:
    WindowRequests previous_;
};
