// TimeControl: a text control that shows the game date and time ("major/minor hour:minute") and
// brings it up to date at every step. The game time is the GameManager's (object 22).
#pragma once

#include <cstdint>
#include <functional>

#include "ui/text_controls.h"

class GTime;

// The game time an object under ID 22 holds, or null. The GameManager installs its own lookup;
// where it finds none, a GTime object stored there is read directly.
using GameTimeLookup = std::function<const GTime*(ScriptObject* gameManager)>;
GameTimeLookup& GameTimeLookupHook();

class TimeControlObject : public StaticTextObject {
  public:
    // The text "Time", at once replaced by the game time when there is one.
    TimeControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id);

    // Virtual method 2: the text becomes the game time; without a game time it stays.
    void ShowGameTime();

    static TimeControlObject& Of(ScriptObject* receiver);
};

struct TimeControl {
    // Virtual method 2, the StaticText binding, then native 0.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
