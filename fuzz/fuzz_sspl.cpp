// The "SSPL" block of a player configuration over arbitrary content, read and copied. Damaged input
// must end in an engine error, never a crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "script/sspl_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadEachBlock<SSPLBlock>(data, size, [](SSPLBlock& block) {
        std::unique_ptr<ScriptObject> copy(block.Clone());
        volatile uint32_t sum = 0;
        for (uint32_t i = 0; block.Payload() != nullptr && i < block.PayloadSize(); ++i)
            sum = sum + block.Payload()[i];
    });
    return 0;
}
