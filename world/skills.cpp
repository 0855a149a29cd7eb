#include "world/skills.h"

#include <algorithm>
#include <new>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/create_native.h"
#include "script/message_manager.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/native_handler.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "world/actor.h"
#include "world/world_kinds.h"

SkillObject::SkillObject(ZEMAClass* cls, int32_t parameter) : ScriptObject(cls), parameter_(parameter) {
    SetKind(kSkillObjectKind);
}

ScriptObject* SkillObject::Clone() const {
    try {
        return new SkillObject(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

uint32_t SkillObject::DamageKind() const {
    // The index comes from scripts and stored pilots: one outside the table would reach past it.
    return static_cast<uint32_t>(std::clamp<int32_t>(parameter_, 0, int32_t{kDamageKinds} - 1));
}

SkillObject& SkillObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SkillObject>(receiver, "Skill object expected");
}

int32_t CommerceSkill::Percentage(int32_t level) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t{level} * 10, 100));
}

int32_t SwitchSkill::Percentage(int32_t level) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t{level} * 5, 100));
}

int32_t Skill::CallValue(ScriptObject* skill) {
    MethodRunner& runner = RunnerOf(skill);
    runner.CallVirtual(skill, kSkillValueVirtual);
    return static_cast<int32_t>(runner.DataStack().Pop());
}

void Skill::CallApplyTo(ScriptObject* skill, ScriptObject* object) {
    MethodRunner& runner = RunnerOf(skill);
    runner.DataStack().Push(object != nullptr ? object->Address() : 0);
    runner.CallVirtual(skill, kSkillApplyToVirtual);
}

void Skill::CallApply(ScriptObject* skill) {
    RunnerOf(skill).CallVirtual(skill, kSkillApplyVirtual);
}

namespace {

uint32_t MessageAddress(ScriptObject* receiver, const char* file, uint32_t number) {
    auto* processor = dynamic_cast<Processor*>(&RunnerOf(receiver));
    auto* messages = processor != nullptr
                         ? dynamic_cast<MessageManager*>(processor->Objects().GetObject(kMessageManagerId))
                         : nullptr;
    if (messages == nullptr) ThrowFatal("No message manager (object %u)", kMessageManagerId);
    return messages->ScriptMessage(String(file), number);
}

void PushSkillText(ScriptObject* receiver, const char* file, uint32_t number) {
    NativeArgs args(receiver);
    args.Stack().Push(MessageAddress(receiver, file, number));
}

uint32_t WeaponSkillMessage(ScriptObject* receiver) {
    return static_cast<uint32_t>(SkillObject::Of(receiver).SlotNumber());
}

void WeaponSkillName(ScriptObject* receiver) {
    PushSkillText(receiver, "Skills.mes", WeaponSkillMessage(receiver));
}

void WeaponSkillDescription(ScriptObject* receiver) {
    PushSkillText(receiver, "SkillsDesc.mes", WeaponSkillMessage(receiver));
}

template <uint32_t Number>
void FixedName(ScriptObject* receiver) {
    PushSkillText(receiver, "Skills.mes", Number);
}

template <uint32_t Number>
void FixedDescription(ScriptObject* receiver) {
    PushSkillText(receiver, "SkillsDesc.mes", Number);
}

void Nothing(ScriptObject*) {}

void ValueOne(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(1);
}

void IgnoreInt(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
}

constexpr NativeHandler CreateSkill = CreateNative<SkillObject, "Skill">;

template <int32_t (SkillObject::*Get)() const>
void PushValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(static_cast<uint32_t>((SkillObject::Of(receiver).*Get)()));
}

template <void (SkillObject::*Set)(int32_t)>
void PopValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    (SkillObject::Of(receiver).*Set)(value);
}

void PushOwner(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const ScriptObject* owner = SkillObject::Of(receiver).Owner();
    args.Stack().Push(owner != nullptr ? owner->Address() : 0);
}

void WeaponSkillValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(static_cast<uint32_t>(SkillObject::Of(receiver).Level()));
}

void WeaponSkillApplyTo(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* shot = args.Object(0, "shot");
    const SkillObject& skill = SkillObject::Of(receiver);
    const uint32_t table = Actor::CallEvent16(shot, 0);
    const uint32_t at = table + skill.DamageKind() * 4;
    ScriptStore32(at, ScriptLoad32(at) + static_cast<uint32_t>(skill.Level()));
}

template <int32_t (*Percentage)(int32_t)>
void PushPercentage(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(static_cast<uint32_t>(Percentage(SkillObject::Of(receiver).Level())));
}

}  // namespace

void Skill::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(Nothing, kSkillApplyVirtual);
    target.SetVirtualMethod(ValueOne, kSkillValueVirtual);
    target.SetVirtualMethod(IgnoreInt, kSkillApplyToVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateSkill, 0);
    target.SetMethod(PushValue<&SkillObject::Level>, 4);
    target.SetMethod(PushValue<&SkillObject::StepFlag>, 5);
    target.SetMethod(PushValue<&SkillObject::ApplyFlag>, 6);
    target.SetMethod(PushOwner, 7);
    target.SetMethod(PopValue<&SkillObject::SetStepFlag>, 8);
    target.SetMethod(PopValue<&SkillObject::SetApplyFlag>, 9);
    target.SetMethod(PushValue<&SkillObject::SlotNumber>, 10);
}

void WeaponSkill::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(WeaponSkillName, kNameVirtual);
    target.SetVirtualMethod(WeaponSkillDescription, kDescriptionVirtual);
    target.SetVirtualMethod(WeaponSkillValue, kSkillValueVirtual);
    target.SetVirtualMethod(WeaponSkillApplyTo, kSkillApplyToVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<SkillObject, "WeaponSkill", int32_t>, 0);
}

void CommerceSkill::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(FixedName<kCommerceSkillMessage>, kNameVirtual);
    target.SetVirtualMethod(FixedDescription<kCommerceSkillMessage>, kDescriptionVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateSkill, 0);
    target.SetMethod(PushPercentage<CommerceSkill::Percentage>, 10);
}

void SwitchSkill::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(FixedName<kSwitchSkillMessage>, kNameVirtual);
    target.SetVirtualMethod(FixedDescription<kSwitchSkillMessage>, kDescriptionVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateSkill, 0);
    target.SetMethod(PushPercentage<SwitchSkill::Percentage>, 10);
}
