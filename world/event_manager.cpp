#include "world/event_manager.h"

#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "shell/game_ids.h"
#include "world/actor.h"
#include "world/player.h"

namespace {

PlayerEventTable* TableOf(ScriptObject* pilot) {
    auto* player = dynamic_cast<PlayerObject*>(pilot);
    return player != nullptr ? &player->Events() : nullptr;
}

// The pilots of the player list in list order, walked by node so that the list's cursor stays.
std::vector<PlayerObject*> Pilots(Processor& processor) {
    std::vector<PlayerObject*> pilots;
    auto* list = processor.Objects().ListAt(kPlayerListId);
    if (list == nullptr) return pilots;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
        if (auto* player = dynamic_cast<PlayerObject*>(node->item)) pilots.push_back(player);
    }
    return pilots;
}

// A found entry whose record is missing counts as absent.
PlayerEvent* Record(ScriptObject* pilot, const String& key) {
    PlayerEventTable* table = TableOf(pilot);
    return table != nullptr ? table->Find(key) : nullptr;
}

PlayerEvent* FirstRecord(Processor& processor, const String& key) {
    for (PlayerObject* pilot : Pilots(processor)) {
        if (PlayerEvent* record = Record(pilot, key)) return record;
    }
    return nullptr;
}

// The table keeps a record already under the key and deletes the offered one.
void Enter(ScriptObject* pilot, const String& key, int32_t kind, const String& text, int32_t value) {
    PlayerEventTable* table = TableOf(pilot);
    if (table == nullptr) return;
    auto record = std::make_unique<PlayerEvent>();
    record->kind = kind;
    record->text = text;
    record->value = value;
    table->FindOrAdd(key, record.release());
}

Processor& ProcessorFor(ScriptObject* receiver) {
    return Actor::ProcessorOf(receiver);
}

ScriptObject* PopPilot(NativeArgs& args) {
    return args.ObjectOrNull(0, "EventManager pilot");
}

void PushFlag(NativeArgs& args, bool flag) {
    args.Stack().Push(flag ? 0xFFFFFFFFu : 0u);
}

void PushText(ScriptObject* receiver, NativeArgs& args, bool found, const String& text) {
    args.Stack().Push(found ? EventManagerObject::Of(receiver).ScriptCopy(text) : 0);
}

void AnyHas(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    PushFlag(args, EventManager::AnyHasEvent(ProcessorFor(receiver), key));
}

void Has(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    PushFlag(args, EventManager::HasEvent(pilot, key));
}

void FirstText(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    String text;
    const bool found = EventManager::FirstEventText(ProcessorFor(receiver), key, text);
    PushText(receiver, args, found, text);
}

void FirstValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    args.Stack().Push(static_cast<uint32_t>(EventManager::FirstEventValue(ProcessorFor(receiver), key)));
}

void PilotText(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    String text;
    const bool found = EventManager::EventText(pilot, key, text);
    PushText(receiver, args, found, text);
}

void PilotValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    args.Stack().Push(static_cast<uint32_t>(EventManager::EventValue(pilot, key)));
}

void SetTextAll(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    const String key = args.TextCopy();
    EventManager::SetEventTextAll(ProcessorFor(receiver), key, text);
}

void SetValueAll(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    const String key = args.TextCopy();
    EventManager::SetEventValueAll(ProcessorFor(receiver), key, value);
}

void SetText(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    EventManager::SetEventText(pilot, key, text);
}

void SetValue(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    EventManager::SetEventValue(pilot, key, value);
}

void RecordAll(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    const String text = args.TextCopy();
    const int32_t kind = args.Int();
    const String key = args.TextCopy();
    EventManager::RecordEventAll(ProcessorFor(receiver), key, kind, text, value);
}

void RecordOne(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    const String text = args.TextCopy();
    const int32_t kind = args.Int();
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    EventManager::RecordEvent(pilot, key, kind, text, value);
}

void Remove(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    ScriptObject* pilot = PopPilot(args);
    EventManager::RemoveEvent(pilot, key);
}

void RemoveAll(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String key = args.TextCopy();
    EventManager::RemoveEventAll(ProcessorFor(receiver), key);
}

}  // namespace

uint32_t EventManagerObject::ScriptCopy(const String& text) {
    auto found = copies_.find(text.View());
    if (found == copies_.end()) {
        found = copies_.emplace(std::string(text.View()), CopyTextToScript(text.View())).first;
    }
    return ToScript(found->second.get());
}

EventManagerObject& EventManagerObject::Of(ScriptObject* receiver) {
    return ReceiverOf<EventManagerObject>(receiver, "EventManager object expected");
}

bool EventManager::AnyHasEvent(Processor& processor, const String& key) {
    return FirstRecord(processor, key) != nullptr;
}

bool EventManager::HasEvent(ScriptObject* pilot, const String& key) {
    return Record(pilot, key) != nullptr;
}

bool EventManager::FirstEventText(Processor& processor, const String& key, String& text) {
    const PlayerEvent* record = FirstRecord(processor, key);
    if (record == nullptr) return false;
    text = record->text;
    return true;
}

int32_t EventManager::FirstEventValue(Processor& processor, const String& key) {
    const PlayerEvent* record = FirstRecord(processor, key);
    return record != nullptr ? record->value : 0;
}

bool EventManager::EventText(ScriptObject* pilot, const String& key, String& text) {
    const PlayerEvent* record = Record(pilot, key);
    if (record == nullptr) return false;
    text = record->text;
    return true;
}

int32_t EventManager::EventValue(ScriptObject* pilot, const String& key) {
    const PlayerEvent* record = Record(pilot, key);
    return record != nullptr ? record->value : 0;
}

void EventManager::SetEventTextAll(Processor& processor, const String& key, const String& text) {
    for (PlayerObject* pilot : Pilots(processor)) {
        if (PlayerEvent* record = Record(pilot, key)) {
            record->text = text;
        } else {
            Enter(pilot, key, 0, text, 0);
        }
    }
}

void EventManager::SetEventValueAll(Processor& processor, const String& key, int32_t value) {
    for (PlayerObject* pilot : Pilots(processor)) {
        if (PlayerEvent* record = Record(pilot, key)) {
            record->value = value;
        } else {
            Enter(pilot, key, 0, String(), value);
        }
    }
}

void EventManager::SetEventText(ScriptObject* pilot, const String& key, const String& text) {
    if (PlayerEvent* record = Record(pilot, key)) record->text = text;
}

void EventManager::SetEventValue(ScriptObject* pilot, const String& key, int32_t value) {
    if (PlayerEvent* record = Record(pilot, key)) record->value = value;
}

void EventManager::RecordEventAll(Processor& processor, const String& key, int32_t kind, const String& text,
                                  int32_t value) {
    for (PlayerObject* pilot : Pilots(processor)) Enter(pilot, key, kind, text, value);
}

void EventManager::RecordEvent(ScriptObject* pilot, const String& key, int32_t kind, const String& text,
                               int32_t value) {
    Enter(pilot, key, kind, text, value);
}

void EventManager::RemoveEvent(ScriptObject* pilot, const String& key) {
    if (PlayerEventTable* table = TableOf(pilot)) table->Remove(key);
}

void EventManager::RemoveEventAll(Processor& processor, const String& key) {
    for (PlayerObject* pilot : Pilots(processor)) RemoveEvent(pilot, key);
}

void EventManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<EventManagerObject, "EventManager">, 0);
    target.SetMethod(AnyHas, 4);
    target.SetMethod(Has, 5);
    target.SetMethod(FirstText, 6);
    target.SetMethod(FirstValue, 7);
    target.SetMethod(PilotText, 8);
    target.SetMethod(PilotValue, 9);
    target.SetMethod(SetTextAll, 10);
    target.SetMethod(SetValueAll, 11);
    target.SetMethod(SetText, 12);
    target.SetMethod(SetValue, 13);
    target.SetMethod(RecordAll, 14);
    target.SetMethod(RecordOne, 15);
    target.SetMethod(Remove, 16);
    target.SetMethod(RemoveAll, 17);
}
