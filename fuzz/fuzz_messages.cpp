// Message file reader over arbitrary content, in the current language and in language 1. Damaged
// input must end in an engine error, never a crash or an overrun; every stored text must be whole.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "script/message_manager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    for (uint32_t language : {1u, 2u}) {
        FileBlockReader reader;
        try {
            reader.Open(file.Path());
        } catch (const DExep&) {
            return 0;
        }
        LanguageBlock block;
        block.SetLanguage(language);
        MessageTable table(10, 10, true);
        try {
            ReadMessageFile(reader, "fuzz.mes", table, &block);
        } catch (const DExep&) {
        }
        for (uint32_t i = 0; i < table.End() && i < 4096; ++i) {
            if (const String* text = table.Get(i)) {
                if (std::strlen(text->Text()) + 1 != text->Length()) __builtin_trap();
            }
        }
    }
    unlink("vondrel.log");  // entries out of range are logged
    return 0;
}
