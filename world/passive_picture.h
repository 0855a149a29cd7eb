// PassivePicture: an actor that plays its picture once (or for a set number of steps) and then
// vanishes. Explosion is the kind the destruction effects make; both share one record and differ
// only in the virtual methods they bind.
#pragma once

#include <cstdint>

#include "world/actor.h"

enum PassivePictureField : uint32_t {
    kPassiveLifetime = kActorFieldCount,  // steps left; below 1 the animation decides
    kPassiveStop,                         // non-zero ends it with the animation's next step
    kPassivePictureFieldCount
};

class PassivePictureObject : public ActorObject {
  public:
    // Energy 0, no speed, lifetime -1, one frame per step.
    PassivePictureObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y);

    static PassivePictureObject& Of(ScriptObject* receiver);
};

struct PassivePicture {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The end rule shared with the shot explosions: with a lifetime below 1 the actor lasts while
    // its animation phase is inside its picture's frames and the stop field is 0; otherwise the
    // lifetime counts down and its last step ends it. An ended actor gets state 2.
    static void Age(ActorObject& actor, uint32_t lifetimeField, uint32_t stopField);
    // Virtual method 8 of the kinds that show one frame: pops i, pushes orientation 0, y, x and the
    // picture's frame numbered phase / 100.
    static void EntryNative(ScriptObject* receiver);
    // Virtual method 2: the actor step, then Age.
    static void StepNative(ScriptObject* receiver);
};

struct Explosion {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Creates an "Explosion" by class name with the picture (a script value) at (x, y) and enters
    // it into the flight's actors.
    static ActorObject& Create(Processor& processor, uint32_t picture, int32_t x, int32_t y);
};
