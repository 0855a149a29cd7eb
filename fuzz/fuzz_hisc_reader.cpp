// The high-score file ("HISC" blocks and whatever else) over arbitrary content, read whole as
// start-up reads it and the tables kept walked. Damaged input must end in an engine error, never a crash, an
// overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "screens/high_scores.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    std::vector<std::unique_ptr<HighScoreTable>> tables;
    try {
        ReadHighScoreTables(reader, "input", tables);
    } catch (const DExep&) {
    }
    // The tables before a damaged block are kept: they must be whole.
    for (const auto& table : tables) {
        volatile uint64_t sum = table->key.Size() + table->title.Size();
        for (const HighScoreEntry& entry : table->Entries())
            sum = sum + entry.name.Size() + static_cast<uint32_t>(entry.score);
        if (table->Entries().size() > kHighScoreTableSize) __builtin_trap();
    }
    return 0;
}
