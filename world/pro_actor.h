// ProActor: an actor that follows a path a script gives as an integer array of records {dx, dy,
// speed, wait}: each record is a straight segment to origin + (dx, dy) at that speed, followed by a
// pause of wait steps. The path stays the script's: records are read from it, checked, as each
// segment starts. A path actor never leaves by the field margins; it ends with its path.
#pragma once

#include <cstdint>

#include "world/actor.h"

struct NativeClassRow;

// Fields after the actor's, in order; all of them scripts may reach, so each is read as untrusted.
enum ProActorField : uint32_t {
    kProOriginX = kActorFieldCount,
    kProOriginY,
    kProStartX,
    kProStartY,
    kProTargetX,
    kProTargetY,
    kProSegmentSpeed,
    kProWait,
    kProPath,  // script address of the first record's first integer, 0 for none
    kProSegmentCount,
    kProSegmentIndex,
    kProStepCount,
    kProStepIndex,
    kProDefaultSpeed,
    kProActorFieldCount
};

constexpr uint32_t kProRecordInts = 4;
constexpr int32_t kProDefaultSpeedStart = 100;
constexpr uint32_t kSegmentReachedVirtual = 18;

class ProActorObject : public ActorObject {
  public:
    // An actor as Actor's create makes it; its origin is where it starts.
    ProActorObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
                   int32_t speedY, uint32_t damageTable, uint32_t armourTable);

    static ProActorObject& Of(ScriptObject* receiver);
};

struct ProActor {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Number of whole records of the script integer array at path (its element count is the word
    // before its first element); FatalExep when the array does not lie in script memory.
    static uint32_t RecordCount(uint32_t path);
    // Takes the path (0 for none) with the origin given and starts its first segment.
    static void StartPath(ProActorObject& actor, uint32_t path, int32_t originX, int32_t originY);
    // Starts segment k of the path from the current position; FatalExep without a path or for a
    // segment it does not have. A segment shorter than one step, or one at a speed below 1, is
    // finished at once.
    static void StartSegment(ProActorObject& actor, int32_t k);
    // The path step without popping: waits, moves along the segment, reports a reached segment
    // (virtual method 18) and ends the actor (state 2) after the last; then the animation.
    static void Step(ProActorObject& actor);
};
