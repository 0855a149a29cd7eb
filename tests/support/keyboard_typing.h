// A player typing into a screen: the keys a player binds to a window's primary, secondary and close
// actions, and text typed as a keyboard delivers it while the pointer rests somewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class GameHarness;
class InputDevice;

// The keys bound to actions 4 (primary), 5 (secondary) and 6 (close); the other actions keep the
// demo's keys.
struct DialogKeys {
    const char* name;  // a test name's part
    uint32_t primary, secondary, close;
};
// The demo's own (Space, X, C) and a player's own with a digit among them (I, E, 4).
std::vector<DialogKeys> BindableDialogKeys();
// One row of a typing test's table: the keys bound, and where the pointer rests while the text is
// typed, as an index into the screen's own places, with the place's name.
struct TypingCase {
    DialogKeys keys;
    size_t place;
    const char* placeName;
};
// Every binding with every place.
std::vector<TypingCase> TypingCases(const std::vector<const char*>& placeNames);
// A test name's part: the binding's and the place's names.
std::string TypingCaseName(const TypingCase& c);
// The same for the test's output.
void PrintTo(const TypingCase& c, std::ostream* out);

// Typed text that holds every key of BindableDialogKeys, each at least once.
constexpr const char* kTextOfBoundKeys = "Nox ice 4 cx";

// The demo's mapping with actions 4 to 6 on the keys given, on a keyboard device.
std::vector<uint32_t> DialogKeyCodes(const DialogKeys& keys);
void BindDialogKeys(InputDevice& device, const DialogKeys& keys);
// The same as a key mapping file entry ("INPD") that reads the mouse too.
std::string DialogKeysFile(const DialogKeys& keys);

// Types the text from the time given as a keyboard does, one character every kKeystrokeMs: the key
// goes down (into the key queue and the key state) with its character, and comes up a frame later.
// Letters, digits, spaces, '\b' (Backspace) and '\r' (Enter). Gives the time the last key is up.
constexpr uint32_t kKeystrokeMs = 70;
uint32_t TypeLikeAKeyboard(GameHarness& game, uint32_t time, const std::string& text);
// Escape, typed every 300 ms from the time given, count times: whatever window is still open then
// closes, so that a run whose screens went wrong ends instead of waiting for input.
void EscapeFrom(GameHarness& game, uint32_t time, int count = 8);

// Two clicks of the first button at (x, y), 160 ms apart from the time given: what opens a field.
// Gives the time of the second.
uint32_t DoubleClickAt(GameHarness& game, uint32_t time, int32_t x, int32_t y);

// One test's typing from the time given: the pointer comes to rest at (x, y), the text is typed
// after it, and then look hears whether a window started or ended meanwhile (the screen closed, or
// another opened). Gives the time after the look, when the test confirms.
uint32_t RestTypeAndLook(GameHarness& game, uint32_t time, int32_t x, int32_t y, const std::string& text,
                         std::function<void(bool windowCameOrWent)> look);
