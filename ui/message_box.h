// The modal message window: a framed text, an optional picture and up to four answer buttons
// (texts 117, 119, 120 and 121 of "system.mes"), built, run and destroyed in one call, over another
// window or on its own.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"

class DialogWindow;
class Image;
class InputDevice;
class Processor;

// Style bits: the buttons, and leaving out the background.
constexpr uint32_t kMessageBoxOk = 1;      // id 117, answers 1
constexpr uint32_t kMessageBoxCancel = 2;  // id 119, answers 0
constexpr uint32_t kMessageBoxThird = 4;   // id 120, answers 2
constexpr uint32_t kMessageBoxFourth = 8;  // id 121, answers 3
constexpr uint32_t kMessageBoxBare = 16;   // no background rectangle

// Runs the box and gives the answer. With a parent the box takes its display and pointer, lies in
// front of it (the parent keeps being stepped and drawn) and runs with the parent's input device
// when it has one; without, the game's display and the engine's pointer. FatalExep when there is
// no input device to run with.
int32_t MessageBox(Processor& processor, InputDevice* input, DialogWindow* parent, const String& text,
                   uint32_t style, Image* picture, int32_t typingSpeed);
int32_t MessageBoxOverWindow(Processor& processor, DialogWindow& parent, const String& text, uint32_t style,
                             Image* picture, int32_t typingSpeed);
int32_t MessageBoxNoWindow(Processor& processor, InputDevice& input, const String& text, uint32_t style,
                           Image* picture, int32_t typingSpeed);

// (A struct of the same name as the function: MessageBox::OnEvent names the box's callback.)
struct MessageBox {
    // Buttons answer by id; the close request and Escape answer 0; Enter does nothing; any other
    // character or key answers as the current control would when clicked.
    static void OnEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
};
