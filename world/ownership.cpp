#include "world/ownership.h"

#include "foundation/exceptions.h"
#include "script/object_manager.h"
#include "script/processor.h"

ScriptObject* Ownable(Processor& processor, ScriptObject* object, const char* what) {
    if (object != nullptr && processor.Objects().BelongsToEngine(object)) {
        ThrowFatal("%s cannot take an object the engine keeps", what);
    }
    return object;
}

void DestroyOwned(ScriptObject* object) {
    if (object == nullptr || !object->Alive()) return;
    DestroyObject(object);
}
