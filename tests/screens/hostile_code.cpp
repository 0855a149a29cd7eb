#include "tests/screens/hostile_code.h"

#include "script/operations.h"

const char* const kFailMessage = "Script memory access outside the address space at 0x00000000, 4 bytes";

std::vector<uint32_t> DeleteThisWords() {
    return {OpWord(Op::This), OpWord(Op::DeleteObject)};
}

std::vector<uint32_t> DeleteFieldWords(uint32_t field) {
    return {OpWord(Op::PushInline), field, OpWord(Op::FieldAddress), OpWord(Op::Fetch),
            OpWord(Op::DeleteObject)};
}

std::vector<uint32_t> FailWords() {
    return {OpWord(Op::PushZero), OpWord(Op::Fetch)};
}
