#include "world/level.h"

#include <memory>

#include "foundation/exceptions.h"
#include "foundation/word.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "world/world_kinds.h"

namespace {

Processor& ProcessorOf(ZEMAClass& cls) {
    auto* processor = dynamic_cast<Processor*>(cls.GetProcessor());
    if (processor == nullptr) ThrowFatal("Class %s has no processor", cls.ClassName().Text());
    return *processor;
}

// --- virtual method defaults ---

void LevelStep(ScriptObject* receiver) {
    LevelObject& level = LevelObject::Of(receiver);
    NativeArgs(receiver).Int();  // the frame number: the default step does not need it
    level.Step();
}

void NoOverlay(ScriptObject*) {}

// --- natives ---

void CreateLevel(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    ZEMAClass* cls = NativeArgs(runner).Class("level class");
    PushNewObject(runner, std::make_unique<LevelObject>(cls, ScreenWidthFor(*cls)));
}

void PushScreenHeight(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(PublishedFlight().screenHeightX100 / 100));
}

void FinishLevel(ScriptObject* receiver) {
    LevelObject::Of(receiver).Finish();
}

// The field may hold anything a script wrote around it; the answer is 0 or 1.
void PushFinished(ScriptObject* receiver) {
    LevelObject& level = LevelObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(level.Finished() ? 1 : 0);
}

}  // namespace

LevelObject::LevelObject(ZEMAClass* cls, int32_t sceneWidth) : ScriptObject(cls), own_(kLevelFieldCount) {
    if (cls == nullptr) ThrowFatal("Level created without a class");
    SetKind(kLevelObjectKind);
    SetInt(kLevelValue, 3);
    SetInt(kLevelSceneWidth, sceneWidth);
}

uint32_t& LevelObject::Own(uint32_t index) {
    if (index >= own_.Count()) ThrowFatal("Field %u of a level is out of range", index);
    return own_.Data()[index];
}

uint32_t LevelObject::Own(uint32_t index) const {
    return const_cast<LevelObject*>(this)->Own(index);
}

uint32_t LevelObject::OwnAddress(uint32_t index) const {
    if (index >= own_.Count()) ThrowFatal("Field %u of a level is out of range", index);
    return own_.Address(index);
}

void LevelObject::Step() {
    SetInt(kLevelProgress, WrappingAdd(Progress(), Speed()));
}

LevelObject& LevelObject::Of(ScriptObject* receiver) {
    return ReceiverOf<LevelObject>(receiver, "Level object expected");
}

LevelObject* LevelObject::Running(ObjectManager& objects) {
    return dynamic_cast<LevelObject*>(objects.GetObject(kLevelId));
}

void Level::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(NoOverlay, kLevelOverlayVirtual);
    target.SetVirtualMethod(LevelStep, 2);
    BindNativeBase(row, target);
    target.SetMethod(CreateLevel, 0);
    BindFieldAddresses<LevelObject, 4, kLevelSpeed, kLevelBackgroundColour, kLevelFlightState>(target);
    target.SetMethod(PushFieldValue<LevelObject, kLevelSceneWidth>, 7);
    target.SetMethod(PopFieldValue<LevelObject, kLevelSceneWidth>, 8);
    target.SetMethod(PushFieldAddress<LevelObject, kLevelTintValue>, 9);
    target.SetMethod(PushFieldAddress<LevelObject, kLevelLayerMode>, 10);
    target.SetMethod(PushScreenHeight, 11);
    target.SetMethod(PushFieldValue<LevelObject, kLevelViewX>, 12);
    target.SetMethod(FinishLevel, 13);
    target.SetMethod(PushFinished, 14);
    target.SetMethod(PopFieldValue<LevelObject, kLevelValue>, 15);
    target.SetMethod(PushFieldValue<LevelObject, kLevelValue>, 16);
    target.SetMethod(PushFieldValue<LevelObject, kLevelProgress>, 17);
}

int32_t ScreenWidthFor(ZEMAClass& cls) {
    ScriptObject* screenObject = ProcessorOf(cls).Objects().GetObject(kScreenId);
    ZEMAClass* screenClass = screenObject != nullptr ? screenObject->Class() : nullptr;
    // The native class behind it also when a script class derives the screen's.
    auto* screen = screenClass != nullptr ? dynamic_cast<ZEMAScreen*>(screenClass->NativeClass()) : nullptr;
    if (screen == nullptr) ThrowFatal("No screen object for the level of class %s", cls.ClassName().Text());
    return screen->Buffer().Surface()->Width();
}

FlightValues& PublishedFlight() {
    static FlightValues values;
    return values;
}
