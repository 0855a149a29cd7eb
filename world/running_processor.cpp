#include "world/running_processor.h"

#include "foundation/exceptions.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "script/zema_class.h"

Processor& RunningProcessor(ScriptObject* object, const char* what) {
    auto* processor = dynamic_cast<Processor*>(&RunnerOf(object));
    if (processor == nullptr) ThrowFatal("%s without a processor", what);
    return *processor;
}
