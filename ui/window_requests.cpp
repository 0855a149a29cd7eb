#include "ui/window_requests.h"

#include "foundation/engine_string.h"
#include "ui/dialog_window.h"

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

WindowRequestScope::WindowRequestScope(DialogWindow& window) : previous_(WindowRequestHooks()) {
    // Requests can come after a script deleted the window and before its loop notices: they are
    // dropped then.
    const uint32_t own = window.DialogValue();
    WindowRequests routed;
    routed.primaryHeld = [life = window.LifeToken(), own, previous = previous_.primaryHeld](uint32_t dialog) {
        if (dialog != own) return previous ? previous(dialog) : false;
        return *life != nullptr && (*life)->PrimaryHeld();
    };
    routed.setHint = [life = window.LifeToken(), own, previous = previous_.setHint](uint32_t dialog,
                                                                                    std::string_view text) {
        if (dialog != own) {
            if (previous) previous(dialog, text);
            return;
        }
        if (*life != nullptr) (*life)->SetHint(String::FromBytes(text.data(), text.size()));
    };
    routed.postMessage = [life = window.LifeToken(), own, previous = previous_.postMessage](
                             uint32_t dialog, int32_t code, int32_t p1, int32_t p2) {
        if (dialog != own) {
            if (previous) previous(dialog, code, p1, p2);
            return;
        }
        if (*life != nullptr) (*life)->PostMessage(code, p1, p2);
    };
    WindowRequestHooks() = std::move(routed);
}

WindowRequestScope::~WindowRequestScope() {
    WindowRequestHooks() = std::move(previous_);
}
