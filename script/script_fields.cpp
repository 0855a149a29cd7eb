#include "script/script_fields.h"

#include <cstring>

ScriptFields::ScriptFields(uint32_t count)
    : words_(count == 0 ? nullptr : NewScriptBuffer<uint32_t>(sizeof(uint32_t) * uint64_t{count})),
      count_(count) {}

ScriptFields::ScriptFields(const ScriptFields& other) : ScriptFields(other.count_) {
    if (count_ != 0) std::memcpy(words_.get(), other.words_.get(), sizeof(uint32_t) * count_);
}

ScriptFields& ScriptFields::operator=(const ScriptFields& other) {
    if (this != &other) *this = ScriptFields(other);
    return *this;
}
