// ProcessorOps that run one instruction word that is not at PC. The word runs from a one-word
// buffer, an address or an inline table, so it must not be a return word nor an operation that
// reads inline words: either would run off the word.

#include "foundation/exceptions.h"
#include "script/operations.h"
#include "script/processor.h"

void ProcessorOps::Execute(Processor& processor) {
    const uint32_t word = processor.DataStack().Pop();
    processor.ExecuteWordAt(processor.ExecuteBuffer(word), processor.PC());
}

void ProcessorOps::ExecuteAt(Processor& processor) {
    const uint32_t address = processor.DataStack().Pop();
    processor.ExecuteWordAt(address, processor.PC());
}

// Inline: count m, then m words; runs word n and continues after the table.
void ProcessorOps::ExecuteFromTable(Processor& processor) {
    const uint32_t n = processor.DataStack().Pop();
    const uint32_t countAddress = processor.PC();
    const uint32_t m = ScriptLoad32(countAddress);
    if (n >= m) {
        ThrowFatal("Index %u outside an instruction table of %u words", n, m);
    }
    processor.ExecuteWordAt(countAddress + 4 + 4 * n, countAddress + 4 + 4 * m);
}
