// The window side of the game, on the main thread: the window's events become what the game
// thread reads (the key and character queues; the app keeps the active flag and the wheel sum),
// and the window's own message numbers are answered.
#pragma once

#include <cstdint>

class App;
class Audio;
class InputQueue;

// The window's own messages, numbered as their senders post them.
constexpr uint32_t kDisplayModeStarting = 0x4C8;  // the DrawDib display sets up its mode
constexpr uint32_t kDisplayModeDone = 0x4C9;
constexpr uint32_t kPlayCdTrack = 0x4CA;  // lParam: track number in its low byte; 0 plays on
constexpr uint32_t kStopCd = 0x4CB;
constexpr uint32_t kReservedMessage = 0x4CC;

// Answers one of the window's own messages: CD play and stop go to the audio output's CD. Every
// answer is 0, for numbers it does not know too.
int32_t MainWndProc(Audio& audio, uint32_t message, uint32_t wParam, int32_t lParam);

// Key presses go to the key queue, typed characters to the character queue, with the Alt marker
// in front of a character typed with Alt, and Alt+key also as marker and character. Either Alt key
// counts, right Alt only where the keyboard layout does not type with it (the app's alt flag). Call on the
// main thread before the main loop runs.
void ConnectWindowProcedure(App& app, InputQueue& keys, InputQueue& characters);
