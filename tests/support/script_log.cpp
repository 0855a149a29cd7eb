#include "tests/support/script_log.h"

#include <algorithm>

#include "script/operations.h"

ScriptLog::ScriptLog(uint32_t capacity)
    : words_(NewScriptBuffer<uint32_t>((size_t{capacity} + 1) * sizeof(uint32_t))), capacity_(capacity) {}

std::vector<uint32_t> ScriptLog::AppendTop() const {
    const uint32_t count = ToScript(words_.get());
    // value -> value entries count -> value entry -> (stored); then the count goes up.
    return {OpWord(Op::PushInline),
            count + 4,
            OpWord(Op::PushInline),
            count,
            OpWord(Op::Fetch),
            OpWord(Op::IndexWords),
            OpWord(Op::Store),
            OpWord(Op::PushInline),
            count,
            OpWord(Op::IncrementMemory)};
}

std::vector<uint32_t> ScriptLog::Append(uint32_t value) const {
    std::vector<uint32_t> words = {OpWord(Op::PushInline), value};
    const std::vector<uint32_t> append = AppendTop();
    words.insert(words.end(), append.begin(), append.end());
    return words;
}

std::vector<uint32_t> ScriptLog::Entries() const {
    const uint32_t count = std::min(words_.get()[0], capacity_);
    return {words_.get() + 1, words_.get() + 1 + count};
}
