// Skills: pilot abilities with a level, held by a player in numbered skill slots. WeaponSkill raises
// one damage value of every shot its pilot's weapons fire; CommerceSkill and SwitchSkill give their
// level as a percentage. Names and descriptions are messages of "Skills.mes" and "SkillsDesc.mes".
#pragma once

#include <cstdint>

#include "script/script_object.h"
#include "script/weak_object.h"

struct NativeClassRow;

constexpr uint32_t kSkillApplyVirtual = 7;
constexpr uint32_t kSkillValueVirtual = 8;
constexpr uint32_t kSkillApplyToVirtual = 9;

// The message numbers CommerceSkill and SwitchSkill are named by (a WeaponSkill by its slot).
constexpr uint32_t kCommerceSkillMessage = 51;
constexpr uint32_t kSwitchSkillMessage = 52;

// The native object of every skill. Natives push these values, never their addresses, so they stay
// in the C++ object; the owner is kept weakly because the player owns its skills.
class SkillObject : public ScriptObject {
  public:
    // Level 1, both flags 0, slot 0, no owner. parameter is the damage kind of a WeaponSkill.
    explicit SkillObject(ZEMAClass* cls, int32_t parameter = 0);

    // A skill of the same class with every field copied.
    ScriptObject* Clone() const override;

    ScriptObject* Owner() const { return owner_.Get(); }
    void SetOwner(ScriptObject* owner) { owner_ = WeakObject(owner); }
    int32_t Level() const { return level_; }
    void SetLevel(int32_t level) { level_ = level; }
    int32_t StepFlag() const { return stepFlag_; }
    void SetStepFlag(int32_t flag) { stepFlag_ = flag; }
    int32_t ApplyFlag() const { return applyFlag_; }
    void SetApplyFlag(int32_t flag) { applyFlag_ = flag; }
    int32_t SlotNumber() const { return slot_; }
    void SetSlotNumber(int32_t slot) { slot_ = slot; }
    // The damage kind a WeaponSkill raises, always one of the ten.
    uint32_t DamageKind() const;
    int32_t Parameter() const { return parameter_; }

    // The receiver of a skill native; FatalExep when it is not a skill.
    static SkillObject& Of(ScriptObject* receiver);

  private:
    WeakObject owner_;
    int32_t level_ = 1;
    int32_t stepFlag_ = 0;
    int32_t applyFlag_ = 0;
    int32_t slot_ = 0;
    int32_t parameter_ = 0;
};

// What holds a pilot's skills: the player's native object implements it, so that weapons and the
// equipment can find a skill by slot number without knowing the player.
class SkillHolder {
  public:
    // The live skill in that slot, null for an empty or out-of-range slot.
    virtual SkillObject* SkillAt(int32_t slot) const = 0;

  protected:
    ~SkillHolder() = default;
};

struct Skill {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Virtual method 8: the skill's value.
    static int32_t CallValue(ScriptObject* skill);
    // Virtual method 9 with the object (a fired shot).
    static void CallApplyTo(ScriptObject* skill, ScriptObject* object);
    // Virtual method 7.
    static void CallApply(ScriptObject* skill);
};

struct WeaponSkill {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

struct CommerceSkill {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // level x 10, at most 100.
    static int32_t Percentage(int32_t level);
};

struct SwitchSkill {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // level x 5, at most 100.
    static int32_t Percentage(int32_t level);
};
