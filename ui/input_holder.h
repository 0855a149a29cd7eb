// How scripts name an input device: by the object that holds it (a pilot holds its player's). The
// holder's class implements this; natives that take a device look it up through the holder at each
// use, and a loop running with it ends when the holder is deleted.
#pragma once

#include <cstdint>

class InputDevice;
class ScriptObject;

class InputHolder {
  public:
    // The device; null while the holder has none.
    virtual InputDevice* HeldInput() = 0;

  protected:
    ~InputHolder() = default;
};

// The device of a script object that holds one; FatalExep naming what for null, for an object that
// holds none, or one whose device is not there.
InputDevice& ScriptInputDevice(ScriptObject* holder, const char* what);
