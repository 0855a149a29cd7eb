#include "tests/support/reused_address.h"

#include "script/script_object.h"

ScriptObject* MakeAtAddress(uint32_t address, const std::function<ScriptObject*()>& make) {
    constexpr int kTries = 64;
    for (int i = 0; i < kTries; ++i) {
        ScriptObject* made = make();
        if (made != nullptr && made->Address() == address) return made;
    }
    return nullptr;
}
