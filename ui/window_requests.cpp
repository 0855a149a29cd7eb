#include "ui/window_requests.h"

WindowRequests& WindowRequestHooks() {
    static WindowRequests hooks;
    return hooks;
}

bool WindowPrimaryHeld(uint32_t dialog) {
    const auto& held = WindowRequestHooks().primaryHeld;
    return held ? held(dialog) : false;
}

void WindowSetHint(uint32_t dialog, std::string_view text) {
    const auto& setHint = WindowRequestHooks().setHint;
    if (setHint) setHint(dialog, text);
}

void WindowPostMessage(uint32_t dialog, int32_t code, int32_t p1, int32_t p2) {
    const auto& post = WindowRequestHooks().postMessage;
    if (post) post(dialog, code, p1, p2);
}
