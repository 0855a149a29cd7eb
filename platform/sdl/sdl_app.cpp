#include "platform/sdl/sdl_app.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/key_table.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_video.h"

namespace {

// The table reads keys as SDL reports them.
static_assert(SDLK_SCANCODE_MASK == kScancodeKeyFlag);
static_assert(SDLK_F1 == (kScancodeKeyFlag | 58) && SDLK_KP_0 == (kScancodeKeyFlag | 98));
static_assert(SDL_SCANCODE_A == 4 && SDL_SCANCODE_LCTRL == 224 && SDL_SCANCODE_RGUI == 231);
static_assert(SDLK_RETURN == '\r' && SDLK_ESCAPE == 27 && SDLK_a == 'a');

constexpr int32_t kWheelDelta = 120;

// Right Alt types text where the layout makes it AltGr: the key then reports the mode key, or
// holding it sets the mode modifier.
bool SystemKeyHeld(uint16_t mod) {
    Modifiers modifiers;
    modifiers.leftAlt = (mod & KMOD_LALT) != 0;
    modifiers.rightAlt = (mod & KMOD_RALT) != 0;
    modifiers.ctrl = (mod & KMOD_CTRL) != 0;
    modifiers.rightAltTypes =
        (mod & KMOD_MODE) != 0 || SDL_GetKeyFromScancode(SDL_SCANCODE_RALT) != SDLK_RALT;
    return AltHeld(modifiers);
}

// SDL turns SIGINT and SIGTERM into a quit event, which nobody reads while a modal box runs its
// own event loop. While a box shows, the two signals end the process at once instead; what the
// box reports has been logged before it was shown.
class EndOnSignalWhileShown {
  public:
    EndOnSignalWhileShown() {
        struct sigaction action {};
        action.sa_handler = [](int signal) { _exit(128 + signal); };
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &savedInterrupt_);
        sigaction(SIGTERM, &action, &savedTerminate_);
    }
    ~EndOnSignalWhileShown() {
        sigaction(SIGINT, &savedInterrupt_, nullptr);
        sigaction(SIGTERM, &savedTerminate_, nullptr);
    }
    EndOnSignalWhileShown(const EndOnSignalWhileShown&) = delete;
    EndOnSignalWhileShown& operator=(const EndOnSignalWhileShown&) = delete;

  private:
    struct sigaction savedInterrupt_ {};
    struct sigaction savedTerminate_ {};
};

}  // namespace

SdlApp::SdlApp(SDL_Window* window) : window_(window), wakeEvent_(SDL_RegisterEvents(1)) {}

SdlApp::~SdlApp() {
    StopGameThread();
}

void SdlApp::Attach(SdlVideo* video, SdlInput* input) {
    video_ = video;
    input_ = input;
}

void SdlApp::ShowCursor(bool visible) {
    RunOnMain([visible] { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); });
}

void SdlApp::Pump(bool wait) {
    SDL_Event event;
    // Without an event of its own to wake it, the loop looks for calls every few milliseconds.
    const bool canWake = wakeEvent_ != static_cast<uint32_t>(-1);
    if (wait && (canWake ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, 5))) Handle(event);
    while (SDL_PollEvent(&event)) Handle(event);
    if (video_) video_->UploadPendingFrame();
}

void SdlApp::Wake() {
    if (wakeEvent_ == static_cast<uint32_t>(-1) || wakeQueued_.exchange(true)) return;
    SDL_Event event{};
    event.type = wakeEvent_;
    if (SDL_PushEvent(&event) != 1) wakeQueued_.store(false);
}

int SdlApp::MessageBoxOnMain(const std::string& title, const std::string& text, uint32_t style) {
    const std::string utf8Title = codePage_.ToUtf8(title);
    const std::string utf8Text = codePage_.ToUtf8(text);
    SDL_MessageBoxButtonData buttons[2] = {};
    int count = 1;
    const uint32_t returnKey = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const uint32_t escapeKey = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (style & MbButtonMask) {
        case MbOkCancel:
            buttons[0] = {returnKey, IdOk, "OK"};
            buttons[1] = {escapeKey, IdCancel, "Cancel"};
            count = 2;
            break;
        case MbYesNo:
            buttons[0] = {returnKey, IdYes, "Yes"};
            buttons[1] = {escapeKey, IdNo, "No"};
            count = 2;
            break;
        default:
            buttons[0] = {returnKey | escapeKey, IdOk, "OK"};
            break;
    }
    uint32_t flags = 0;
    switch (style & MbIconMask) {
        case MbIconError:
            flags = SDL_MESSAGEBOX_ERROR;
            break;
        case MbIconWarning:
            flags = SDL_MESSAGEBOX_WARNING;
            break;
        case MbIconQuestion:
        case MbIconInformation:
            flags = SDL_MESSAGEBOX_INFORMATION;
            break;
        default:
            break;
    }
    const bool windowShown = (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
    const SDL_MessageBoxData data{
        flags, windowShown ? window_ : nullptr, utf8Title.c_str(), utf8Text.c_str(), count, buttons, nullptr};
    int pressed = -1;
    int shown;
    {
        EndOnSignalWhileShown signals;
        shown = SDL_ShowMessageBox(&data, &pressed);
    }
    if (shown != 0) {
        // No way to show it: the text must not be lost.
        std::fprintf(stderr, "%s: %s\n", utf8Title.c_str(), utf8Text.c_str());
        return DismissedMessageBoxAnswer(style);
    }
    return pressed < 0 ? DismissedMessageBoxAnswer(style) : pressed;
}

void SdlApp::Handle(const SDL_Event& event) {
    if (event.type == wakeEvent_) {
        wakeQueued_.store(false);
        return;
    }
    switch (event.type) {
        case SDL_QUIT:
            PostQuit(0);
            break;
        case SDL_WINDOWEVENT:
            HandleWindow(event.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.key);
            break;
        case SDL_TEXTINPUT:
            if (!SystemKeyHeld(SDL_GetModState())) DeliverText(event.text.text);
            break;
        case SDL_MOUSEWHEEL: {
            int32_t y = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
            AddWheel(y * kWheelDelta);
            break;
        }
        default:
            if (input_) input_->Handle(event);
            break;
    }
}

void SdlApp::HandleKey(const SDL_KeyboardEvent& key) {
    const uint16_t mod = key.keysym.mod;
    const int32_t vk = VirtualKeyFromKey(key.keysym.sym, key.keysym.scancode, (mod & KMOD_NUM) != 0);
    if (vk == 0) return;
    const bool down = key.state == SDL_PRESSED;
    if (input_) input_->HandleKey(key.keysym.scancode, vk, down);
    if (!down) return;
    const int32_t code = UnsidedVirtualKey(vk);
    const bool alt = SystemKeyHeld(mod);
    DeliverKeyDown(code, alt);
    if (alt) return;
    const int32_t character = ControlCharacter(code, (mod & KMOD_CTRL) != 0);
    if (character >= 0) DeliverChar(static_cast<uint8_t>(character), false);
}

void SdlApp::HandleWindow(const SDL_WindowEvent& window) {
    switch (window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            SetActive(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            SetActive(false);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            SetActive((SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (video_) video_->Redraw();
            break;
        default:
            break;
    }
}
