// Guides: equipment that steers. A guide keeps a heading in hundredths of a degree and turns its own
// velocity (CircleGuide at a constant rate, SelfGuidedGuide toward the nearest actor), or scatters
// the shots its weapon fires (AngleGuide). Each kind has a settings panel for the shop.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "world/option.h"

class ActorObject;

constexpr uint32_t kGuideReleaseVirtual = 15;
constexpr uint32_t kGuideApplyVirtual = 17;

// Captions of the panels, messages of "system.mes".
constexpr uint32_t kCircleGuideCaption = 360;
constexpr uint32_t kAngleGuideCaption = 361;
constexpr uint32_t kSelfGuidedGuideCaption = 362;

// Fields of a guide after Option's. Scripts reach A and B by reference.
enum GuideField : uint32_t {
    kGuideA = kOptionFieldCount,  // heading (circle, self-guided) or spread (angle)
    kGuideB,                      // turn rate (circle, self-guided) or the spread given at creation
    kGuideC,                      // the turn rate given at creation (circle) or the lock flag (self-guided)
    kGuideFieldCount
};

class GuideObject : public OptionObject {
  public:
    // Item kind 6 at (0, 0) heading up; setting is the turn rate or spread of a kind (0 for a plain
    // guide).
    GuideObject(ZEMAClass* cls, uint32_t picture, int32_t consumption, int32_t valueF, int32_t baseValue,
                int32_t setting);

    int32_t Heading() const { return Int(kGuideA); }
    int32_t TurnRate() const { return Int(kGuideB); }
    int32_t Spread() const { return Int(kGuideA); }
    bool Locked() const { return Own(kGuideC) != 0; }

    // The target of a self-guided guide while it lives, else null.
    ActorObject* Target() const;
    void SetTarget(ScriptObject* target) { target_ = WeakObject(target); }

    static GuideObject& Of(ScriptObject* receiver);

  private:
    WeakObject target_;
};

struct Guide {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // Virtual method 17 with a fired shot.
    static void CallApply(ScriptObject* guide, ScriptObject* shot);

    // The steering rules, on the guide's fields.
    static void StepCircle(GuideObject& guide);
    static void StepSelfGuided(GuideObject& guide);
    // Turns the shot's velocity by a random angle within the spread, keeping its length.
    static void Scatter(const GuideObject& guide, ActorObject& shot);
    // The nearest live actor of the flight's actor list (object 5) to the guide, or null.
    static ScriptObject* NearestActor(GuideObject& guide);
};

struct CircleGuide {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct AngleGuide {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct SelfGuidedGuide {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
