#include "script/script_text.h"

#include <cstring>

#include "foundation/script_memory.h"

String TextFromScript(uint32_t address) {
    const char* text = ScriptPointer<const char>(address, 1);
    // The whole region is mapped, so the scan may run to its end but never beyond.
    const size_t room = static_cast<size_t>(kScriptRegionSize - address);
    const size_t length = strnlen(text, room);
    CheckScriptRange(address, static_cast<uint32_t>(length < room ? length + 1 : room + 1));
    return String::FromBytes(text, length);
}
