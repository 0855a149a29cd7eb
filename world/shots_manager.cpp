#include "world/shots_manager.h"

#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/trace_flag.h"
#include "script/zema_class.h"

ShotsManager::ShotsManager(MethodRunner* processor) : ObjectManager(processor, 1) {}

bool ShotsManager::IsKindOf(const char* name) const {
    return std::strcmp(name, "ShotsManager") == 0 || ObjectManager::IsKindOf(name);
}

ScriptObject* ShotsManager::AddShot(ScriptObject* object, [[maybe_unused]] uint32_t value) {
    if (TraceFlag()) {
        const ZEMAClass* cls = object != nullptr ? object->Class() : nullptr;
        if (cls == nullptr || !cls->InheritsFrom("Shot")) {
            throw FatalExep(String("Not an shot object added to shot manager!"));
        }
    }
    // A node without an item would end every walk of the list early.
    if (object == nullptr) return nullptr;
    AppendObject(object);
    return object;
}
