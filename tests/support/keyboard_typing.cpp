#include "tests/support/keyboard_typing.h"

#include <cctype>
#include <iterator>
#include <memory>
#include <ostream>
#include <stdexcept>

#include "platform/key_table.h"
#include "shell/frame_timer.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "tools/content/demo_content.h"
#include "tools/content/startup_archive.h"

namespace {

static_assert(std::size(kDemoPlayerKeys) == 8, "the demo binds eight actions");

// A key no screen reads: the window watch's.
constexpr int32_t kWatchKey = VK_SCROLL;

int32_t KeyOf(char c) {
    if (c == ' ') return VK_SPACE;
    if (c == '\b') return VK_BACK;
    if (c == '\r') return VK_RETURN;
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) return std::toupper(static_cast<unsigned char>(c));
    throw std::invalid_argument(std::string("no key types '") + c + "'");
}

// Whether a window started or ended since Start. Every window forgets the input so far as it
// starts and as it ends (ForgetInputSoFar): the watch presses a key that nothing reads, and a
// window that came or went has heard that press.
class WindowWatch {
  public:
    explicit WindowWatch(GameHarness& game) : game_(game) {}
    void Start() {
        // Straight into the key state: no key queue, no character.
        game_.SetButton(kWatchKey, true);
        game_.SetButton(kWatchKey, false);
        presses_ = game_.Host().Input().Presses(kWatchKey);
    }
    bool WindowCameOrWent() const { return game_.Host().Input().HeardPresses(kWatchKey) >= presses_; }

  private:
    GameHarness& game_;
    uint64_t presses_ = 0;
};

}  // namespace

std::vector<DialogKeys> BindableDialogKeys() {
    return {{"DemoKeys", kDemoPlayerKeys[4], kDemoPlayerKeys[5], kDemoPlayerKeys[6]},
            {"LettersAndADigit", 'I', 'E', '4'}};
}

std::vector<TypingCase> TypingCases(const std::vector<const char*>& placeNames) {
    std::vector<TypingCase> cases;
    for (const DialogKeys& keys : BindableDialogKeys())
        for (size_t place = 0; place < placeNames.size(); ++place)
            cases.push_back({keys, place, placeNames[place]});
    return cases;
}

std::string TypingCaseName(const TypingCase& c) {
    return std::string(c.keys.name) + c.placeName;
}

void PrintTo(const TypingCase& c, std::ostream* out) {
    *out << TypingCaseName(c);
}

std::vector<uint32_t> DialogKeyCodes(const DialogKeys& keys) {
    std::vector<uint32_t> codes(std::begin(kDemoPlayerKeys), std::end(kDemoPlayerKeys));
    codes[4] = keys.primary;
    codes[5] = keys.secondary;
    codes[6] = keys.close;
    return codes;
}

void BindDialogKeys(InputDevice& device, const DialogKeys& keys) {
    const std::vector<uint32_t> c = DialogKeyCodes(keys);
    device.Actions().SetCodes({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]});
    device.SetJoystickNumber(0);
    device.SetMouseEnabled(true);
}

std::string DialogKeysFile(const DialogKeys& keys) {
    return InputDeviceFile(DialogKeyCodes(keys), true);
}

uint32_t TypeLikeAKeyboard(GameHarness& game, uint32_t time, const std::string& text) {
    for (char c : text) {
        const int32_t key = KeyOf(c);
        game.At(time, [&game, key, c] {
            game.PressKey(key);
            game.TypeChar(static_cast<uint8_t>(c));
        });
        game.At(time + FrameTimer::kFramePeriod, [&game, key] { game.ReleaseKey(key); });
        time += kKeystrokeMs;
    }
    return time;
}

void EscapeFrom(GameHarness& game, uint32_t time, int count) {
    for (int i = 0; i < count; ++i, time += 300) {
        game.At(time, [&game] {
            game.PressKey(VK_ESCAPE);
            game.TypeChar(VK_ESCAPE);
        });
        game.At(time + FrameTimer::kFramePeriod, [&game] { game.ReleaseKey(VK_ESCAPE); });
    }
}

uint32_t DoubleClickAt(GameHarness& game, uint32_t time, int32_t x, int32_t y) {
    for (uint32_t click : {time, time + 160}) {
        game.At(click, [&game, x, y] {
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(click + 80, [&game] { game.SetButton(VK_LBUTTON, false); });
    }
    return time + 160;
}

uint32_t RestTypeAndLook(GameHarness& game, uint32_t time, int32_t x, int32_t y, const std::string& text,
                         std::function<void(bool windowCameOrWent)> look) {
    auto watch = std::make_shared<WindowWatch>(game);
    game.At(time, [&game, x, y, watch] {
        game.MovePointer(x, y);
        watch->Start();
    });
    time = TypeLikeAKeyboard(game, time + 100, text) + 200;
    game.At(time, [watch, look = std::move(look)] { look(watch->WindowCameOrWent()); });
    return time + 100;
}
