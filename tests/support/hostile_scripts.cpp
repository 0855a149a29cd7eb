#include "tests/support/hostile_scripts.h"

#include <cstdio>

#include "script/operations.h"
#include "tools/content/script_subclass.h"

std::vector<uint32_t> FieldWords(uint32_t field) {
    return CodeWords(
        {PushIntWords(static_cast<int32_t>(field)), {OpWord(Op::FieldAddress), OpWord(Op::Fetch)}});
}

std::vector<uint32_t> DeleteFieldWords(uint32_t field) {
    return CodeWords({FieldWords(field), {OpWord(Op::DeleteObject)}});
}

std::vector<uint32_t> DeleteSelfWords() {
    return {OpWord(Op::This), OpWord(Op::DeleteObject)};
}

std::vector<uint32_t> FailWords() {
    return {OpWord(Op::PushZero), OpWord(Op::Fetch)};
}

std::string FailMessage() {
    return "Script memory access outside the address space at 0x00000000, 4 bytes";
}

std::string NotValid(uint32_t address, const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "Not a valid object at 0x%08X where %s expected", address, what);
    return text;
}
