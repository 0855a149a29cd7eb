// Characteristics file reader over arbitrary content. Damaged input must end in an engine error,
// never a crash or an overrun; every record must hold between 1 and the limit of values, and every
// text value must point at a whole text. Runs in the fuzz folder, where the log goes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "script/char_manager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    CharacteristicsSet set;
    try {
        ReadCharacteristics(reader, "fuzz.txt", set);
    } catch (const DExep&) {
    }
    for (uint32_t id = 0; id < 4096; ++id) {
        const CharacteristicsSet::Record* record = set.Find(id);
        if (record == nullptr) continue;
        const uint32_t count = record->values.Count();
        if (count == 0 || count > kMaxCharacteristics) __builtin_trap();
        volatile uint32_t sum = 0;
        for (uint32_t i = 0; i < count; ++i) sum = sum + record->values.Data()[i];
    }
    unlink("vondrel.log");
    return 0;
}
