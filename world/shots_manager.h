// The flight's list of shots: an ObjectManager kind (object 10 of a running flight) whose object list
// holds the shots in flight. Scripts see it as a plain ObjectManager; native code adds shots through
// AddShot, which in trace mode refuses anything that is not a shot.
#pragma once

#include <cstdint>

#include "script/object_manager.h"

class ShotsManager : public ObjectManager {
  public:
    explicit ShotsManager(MethodRunner* processor);

    // "ShotsManager", then what an ObjectManager answers.
    bool IsKindOf(const char* name) const override;

    // Appends the shot to the object list and gives it back. While the trace flag is set an object
    // whose class does not inherit from "Shot" is an engine error. value is the caller's mark for the
    // node; the manager owns every object it holds whatever the mark. A null object is not added.
    ScriptObject* AddShot(ScriptObject* object, uint32_t value);
};
