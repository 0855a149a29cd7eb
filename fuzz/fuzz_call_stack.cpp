// The debug records behind call-stack texts: a class library over arbitrary content (its debug
// tables included) loaded by a processor, then the call stack of every method and virtual method
// told from its debug record, at words inside and past the class's code. Damaged input must end in
// an engine error, never a crash or a read outside script memory.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_archive.h"
#include "script/processor.h"
#include "shell/error_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryArchive archive({{"Main.glc", InputBytes(data, size)}});
    try {
        auto processor = std::make_unique<Processor>(&archive.File(), 64, 64, 64, 64);
        ZEMAClass* main = processor->ClassByName(String("Main"));
        if (main == nullptr) return 0;
        DStack<TraceEntry>& trace = processor->TraceStack();
        const uint32_t code = main->CodeAddress();
        const uint32_t methods = main->MethodCount() < 16 ? main->MethodCount() : 16;
        const uint32_t virtuals = main->VirtualMethodCount() < 16 ? main->VirtualMethodCount() : 16;
        for (uint32_t i = 0; i < methods + virtuals; ++i) {
            const uint32_t record =
                i < methods ? main->MethodDebugRecord(i) : main->VirtualMethodDebugRecord(i - methods);
            for (uint32_t offset : {4u, 8u, 64u, 0x10000u}) {
                trace.Push(code + offset);
                trace.Push(record);
            }
            processor->SetPC(code + 4 * (i + 1));
            CallStackText(*processor);
        }
    } catch (const DExep&) {
    }
    return 0;
}
