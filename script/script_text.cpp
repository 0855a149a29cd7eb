#include "script/script_text.h"

#include "foundation/script_memory.h"

String TextFromScript(uint32_t address) {
    const uint32_t length = ScriptTextLength(address);
    return String::FromBytes(FromScript<const char>(address), length);
}
