// EventManager (object 25): the script class through which scripts, and native code of the screens,
// test, read, set, create and remove the pilots' event records, for one pilot or for every pilot of
// the player list (object 23) at once. The records live in each pilot's event table.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "foundation/engine_string.h"
#include "foundation/script_memory.h"
#include "script/script_object.h"

class Processor;
struct NativeClassRow;

// Texts handed to scripts are copies that the object keeps for its life, one per distinct text:
// a record changing or going never frees a text a script still reads.
class EventManagerObject : public ScriptObject {
  public:
    explicit EventManagerObject(ZEMAClass* cls) : ScriptObject(cls) {}

    uint32_t ScriptCopy(const String& text);

    static EventManagerObject& Of(ScriptObject* receiver);

  private:
    std::map<std::string, ScriptBuffer<char>, std::less<>> copies_;
};

// The operations behind natives 4-17. "All" operations walk the player list of the processor in
// order and leave its cursor where it was; without a player list they find nothing and change
// nothing. A pilot that is not a player has no records.
struct EventManager {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static bool AnyHasEvent(Processor& processor, const String& key);
    static bool HasEvent(ScriptObject* pilot, const String& key);
    // The first pilot's record text (false when no pilot has the key).
    static bool FirstEventText(Processor& processor, const String& key, String& text);
    static int32_t FirstEventValue(Processor& processor, const String& key);
    static bool EventText(ScriptObject* pilot, const String& key, String& text);
    static int32_t EventValue(ScriptObject* pilot, const String& key);
    static void SetEventTextAll(Processor& processor, const String& key, const String& text);
    static void SetEventValueAll(Processor& processor, const String& key, int32_t value);
    static void SetEventText(ScriptObject* pilot, const String& key, const String& text);
    static void SetEventValue(ScriptObject* pilot, const String& key, int32_t value);
    static void RecordEventAll(Processor& processor, const String& key, int32_t kind, const String& text,
                               int32_t value);
    static void RecordEvent(ScriptObject* pilot, const String& key, int32_t kind, const String& text,
                            int32_t value);
    static void RemoveEvent(ScriptObject* pilot, const String& key);
    static void RemoveEventAll(Processor& processor, const String& key);
};
