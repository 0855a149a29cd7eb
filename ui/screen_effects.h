// Screen effects: script objects that change the finished picture of a frame after everything else
// is drawn, for as long as they run. ScreenEffect is the base (a state word: running or finished);
// FadeEffect scales the brightness of the whole 16-bit screen step by step. Their owners (a dialog
// window, the flight) apply and step them every frame and delete the finished ones.
#pragma once

#include <cstdint>

#include "script/script_fields.h"
#include "script/script_object.h"

class ScreenSurface;
struct NativeClassRow;

// The virtual method that applies an effect to the finished frame.
constexpr uint32_t kApplyEffectVirtual = 7;

// Effect states.
constexpr int32_t kEffectRunning = 0;
constexpr int32_t kEffectFinished = 2;

// Fields of a ScreenEffectObject; FadeEffect's follow from kEffectFieldCount.
enum ScreenEffectField : uint32_t { kEffectState, kEffectFieldCount };
enum FadeEffectField : uint32_t {
    kFadeFramesLeft = kEffectFieldCount,  // steps still to run
    kFadeLevel,                           // brightness in 256ths
    kFadeLevelStep,                       // added to the level by each step; negative fades out
    kFadeFieldCount
};

// The native object of every ScreenEffect. Its fields live in script memory because natives hand
// scripts their addresses: whatever is read back is untrusted.
class ScreenEffectObject : public ScriptObject {
  public:
    explicit ScreenEffectObject(ZEMAClass* cls, uint32_t fieldCount = kEffectFieldCount);

    int32_t Int(uint32_t index) const;
    void SetInt(uint32_t index, int32_t value);
    uint32_t OwnAddress(uint32_t index) const;
    int32_t State() const { return Int(kEffectState); }

    // The receiver of an effect native; FatalExep when it is not an effect (or lacks the field).
    static ScreenEffectObject& Of(ScriptObject* receiver, uint32_t needFields = kEffectFieldCount);
    // The effect a script value names; FatalExep when it names none.
    static ScreenEffectObject& FromAddress(uint32_t address);

  private:
    ScriptFields own_;
};

struct ScreenEffect {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

struct FadeEffect {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // One step: counts a frame down; finishes at the last, else moves the level by its step,
    // kept within 0..256.
    static void StepFade(ScreenEffectObject& fade);
};

// Scales every pixel of a locked 16-bit surface by level / 256 (level held to 0..256), channel by
// channel in the surface's 5-5-5 or 5-6-5 layout. Other depths, and a surface without pixels, are
// left alone.
void FadeSurface(ScreenSurface& surface, int32_t level);
