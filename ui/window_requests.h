// What a control asks of the window it sits in while it handles pointer input: whether the primary
// button is held, a new hint text beside the pointer, and a message posted to the window's queue.
// The window is named by the dialog value virtual method 13 receives. The dialog window installs
// the answers; until it does, the button reads as released and requests are dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

struct WindowRequests {
    // Action 4 held or the left mouse button down, as the window's input device reports them.
    std::function<bool(uint32_t dialog)> primaryHeld;
    std::function<void(uint32_t dialog, std::string_view text)> setHint;
    std::function<void(uint32_t dialog, int32_t code, int32_t p1, int32_t p2)> postMessage;
};

WindowRequests& WindowRequestHooks();

bool WindowPrimaryHeld(uint32_t dialog);
void WindowSetHint(uint32_t dialog, std::string_view text);
void WindowPostMessage(uint32_t dialog, int32_t code, int32_t p1, int32_t p2);
