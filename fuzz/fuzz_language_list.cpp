// "Language.lng" parser over arbitrary content. Every name must be one whole, non-empty line of at
// most 99 bytes, and every shown name must be found again with a number.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "setup/language_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LanguageList list =
        LanguageList::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const LanguageChoice& choice : list.Shown()) {
        if (choice.name.empty() || choice.name.size() > 99) __builtin_trap();
        if (choice.name.find('\n') != std::string::npos) __builtin_trap();
        if (!list.Find(choice.name)) __builtin_trap();
        if (!list.IndexOfNumber(choice.number)) __builtin_trap();
    }
    return 0;
}
