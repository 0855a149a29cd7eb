// What the engine reads of an actor of the game world: its world position and whether it is
// being taken out of the game. The game world's actor objects implement it; the nearest-actor
// searches of MathProcs read it and never change it.
#pragma once

#include <cstdint>

class ActorView {
  public:
    virtual int32_t ActorX() const = 0;
    virtual int32_t ActorY() const = 0;
    // Non-zero while the actor is being removed; such an actor is never chosen.
    virtual uint32_t ActorRemoved() const = 0;

  protected:
    ~ActorView() = default;
};
