// PseudoActor: a frozen snapshot of another actor's picture entries that drifts on with the actor's
// speed for a number of steps and then vanishes, breaking into splinters when its flags ask for it
// (the destruction effect of explosion mode 3). The frames are copies it owns, so the snapshot
// outlives its source.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "world/actor.h"

class Frame;
struct NativeClassRow;

enum PseudoActorField : uint32_t {
    kPseudoCountdown = kActorFieldCount,  // steps left; the step that brings it to 0 ends the actor
    kPseudoReserved,
    kPseudoFlags,
    kPseudoActorFieldCount
};

constexpr int32_t kPseudoCountdownStart = 15;
constexpr uint32_t kPseudoSplinters = 1;  // flags bit: break into splinters at the end

// One picture entry as the source showed it.
struct PseudoEntry {
    std::unique_ptr<Frame> frame;  // null when the source drew no frame
    int32_t x = 0;
    int32_t y = 0;
    int32_t layer = 0;
    uint32_t orientation = 0;
    int32_t value12 = 0;  // virtual method 12
    int32_t first9 = 0;   // virtual method 9, the value on top
    int32_t second9 = 0;
};

class PseudoActorObject : public ActorObject {
  public:
    // The snapshot of source's picture entries (asked through its virtual methods 7 to 12, the count
    // taken as a drawing takes it), at its position and speed, without a picture, energy 0 and
    // animation step 0; countdown 15. A source that goes while it is asked leaves the entries it
    // answered whole.
    PseudoActorObject(ZEMAClass* cls, VisualObject& source, int32_t flags);
    ~PseudoActorObject() override;

    uint32_t EntryCount() const { return static_cast<uint32_t>(entries_.size()); }
    // Entry i, or null for an index it does not have.
    const PseudoEntry* Entry(int32_t i) const;

    static PseudoActorObject& Of(ScriptObject* receiver);

  private:
    friend struct PseudoActor;
    std::vector<PseudoEntry> entries_;
};

struct PseudoActor {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Counts down (ending with splinters when the flags say so), moves every entry by the speed,
    // then the actor step.
    static void Step(PseudoActorObject& pseudo);
};
