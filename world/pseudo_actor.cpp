#include "world/pseudo_actor.h"

#include <optional>
#include <utility>

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "ui/visual.h"
#include "world/entry_defaults.h"
#include "world/step_arithmetic.h"
#include "world/world_picture.h"

namespace {

// The mask the snapshot breaks up with.
constexpr const char* kBrokerPicture = "Misc\\Broker.dpf";

// Entry i as the source shows it: its virtual methods 8, 10, 12 and 9 asked in turn. Each runs
// script code, which may delete the source: an entry it did not answer whole is none.
std::optional<PseudoEntry> Snapshot(VisualObject& source, int32_t i) {
    PseudoEntry entry;
    const uint32_t frame = Visual::CallEvent8(&source, i, entry.x, entry.y, entry.orientation);
    if (frame != 0) entry.frame = std::make_unique<Frame>(*Frame::FromAddress(frame));
    if (!source.Alive()) return std::nullopt;
    entry.layer = Visual::CallEvent10(&source, i);
    if (!source.Alive()) return std::nullopt;
    entry.value12 = Visual::CallEvent12(&source, i);
    if (!source.Alive()) return std::nullopt;
    // One call for the pair: the method may do more than answer.
    MethodRunner& runner = RunnerOf(&source);
    runner.DataStack().Push(static_cast<uint32_t>(i));
    runner.CallVirtual(&source, 9);
    entry.first9 = static_cast<int32_t>(runner.DataStack().Pop());
    entry.second9 = static_cast<int32_t>(runner.DataStack().Pop());
    return entry;
}

// The entry an index names, popped; null (after pushing the plain actor's answer) when there is none.
const PseudoEntry* PoppedEntry(ScriptObject* receiver, uint32_t number) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    NativeArgs args(receiver);
    const PseudoEntry* entry = pseudo.Entry(args.Int());
    if (entry == nullptr) PushEntryDefaults(pseudo, number, args.Stack());
    return entry;
}

void PseudoStep(ScriptObject* receiver) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    NativeArgs(receiver).Int();
    PseudoActor::Step(pseudo);
}

void PseudoEntryCount(ScriptObject* receiver) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(pseudo.EntryCount());
}

void PseudoPicture(ScriptObject* receiver) {
    const PseudoEntry* entry = PoppedEntry(receiver, kPictureVirtual);
    if (entry == nullptr) return;
    PushPictureAnswer(RunnerOf(receiver).DataStack(), entry->frame.get(), entry->x, entry->y,
                      entry->orientation);
}

void PseudoPair(ScriptObject* receiver) {
    const PseudoEntry* entry = PoppedEntry(receiver, 9);
    if (entry == nullptr) return;
    DStack<uint32_t>& stack = RunnerOf(receiver).DataStack();
    stack.Push(static_cast<uint32_t>(entry->second9));
    stack.Push(static_cast<uint32_t>(entry->first9));
}

void PseudoLayer(ScriptObject* receiver) {
    const PseudoEntry* entry = PoppedEntry(receiver, kLayerVirtual);
    if (entry != nullptr) RunnerOf(receiver).DataStack().Push(static_cast<uint32_t>(entry->layer));
}

void PseudoValue12(ScriptObject* receiver) {
    const PseudoEntry* entry = PoppedEntry(receiver, 12);
    if (entry != nullptr) RunnerOf(receiver).DataStack().Push(static_cast<uint32_t>(entry->value12));
}

void CreatePseudoActor(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    VisualObject& source = VisualObject::Of(args.Object(0, "source actor"));
    const int32_t flags = args.Int();
    PushNewObject(runner, std::make_unique<PseudoActorObject>(cls, source, flags));
}

void PushCountdown(ScriptObject* receiver) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(pseudo.Own(kPseudoCountdown));
}

void PopCountdown(ScriptObject* receiver) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    pseudo.Own(kPseudoCountdown) = NativeArgs(receiver).Word();
}

void PushFlagsReference(ScriptObject* receiver) {
    PseudoActorObject& pseudo = PseudoActorObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(pseudo.OwnAddress(kPseudoFlags));
}

}  // namespace

PseudoActorObject::PseudoActorObject(ZEMAClass* cls, VisualObject& source, int32_t flags)
    : ActorObject(cls, 0, 0, source.Int(kVisualX), source.Int(kVisualY), source.Int(kActorSpeedX),
                  source.Int(kActorSpeedY), 0, 0, uint32_t{kPseudoActorFieldCount} - kActorFieldCount) {
    SetInt(kPseudoCountdown, kPseudoCountdownStart);
    SetInt(kPseudoFlags, flags);
    SetInt(kVisualPhaseStep, 0);
    // As many entries as a drawing of the source takes; the snapshot ends where the source does.
    const int32_t count = VisibleEntryCount(Visual::CallEvent7(&source));
    entries_.reserve(static_cast<size_t>(count));
    MethodRunner& runner = RunnerOf(&source);
    for (int32_t i = 0; i < count && source.Alive(); ++i) {
        runner.CountLoopRound();  // each snapshot runs scripts
        std::optional<PseudoEntry> entry = Snapshot(source, i);
        if (!entry) break;
        entries_.push_back(std::move(*entry));
    }
}

PseudoActorObject::~PseudoActorObject() = default;

const PseudoEntry* PseudoActorObject::Entry(int32_t i) const {
    if (i < 0 || static_cast<uint32_t>(i) >= entries_.size()) return nullptr;
    return &entries_[static_cast<size_t>(i)];
}

PseudoActorObject& PseudoActorObject::Of(ScriptObject* receiver) {
    return ReceiverOf<PseudoActorObject>(receiver, "PseudoActor object expected");
}

void PseudoActor::Step(PseudoActorObject& pseudo) {
    // Counted in 32 bits around: a countdown a script set to 0 or below never ends the actor.
    const uint32_t countdown = pseudo.Own(kPseudoCountdown) - 1;
    pseudo.Own(kPseudoCountdown) = countdown;
    if (countdown == 0) {
        pseudo.SetState(kActorGone);
        if ((pseudo.Own(kPseudoFlags) & kPseudoSplinters) != 0) {
            Actor::MakeSplinters(pseudo, CachedPicture(Actor::ProcessorOf(&pseudo), kBrokerPicture));
        }
    }
    for (PseudoEntry& entry : pseudo.entries_) {
        entry.x = WrappingAdd(entry.x, pseudo.SpeedX());
        entry.y = WrappingAdd(entry.y, pseudo.SpeedY());
    }
    Actor::Step(pseudo);
}

void PseudoActor::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(PseudoStep, kStepVirtual);
    target.SetVirtualMethod(PseudoEntryCount, kPictureCountVirtual);
    target.SetVirtualMethod(PseudoPicture, kPictureVirtual);
    target.SetVirtualMethod(PseudoPair, 9);
    target.SetVirtualMethod(PseudoLayer, kLayerVirtual);
    target.SetVirtualMethod(PseudoValue12, 12);
    BindNativeBase(row, target);
    target.SetMethod(CreatePseudoActor, kCreateObjectMethod);
    target.SetMethod(PushCountdown, 35);
    target.SetMethod(PopCountdown, 36);
    target.SetMethod(PushFlagsReference, 37);
}
