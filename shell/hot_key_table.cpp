#include "shell/hot_key_table.h"

#include <algorithm>
#include <cstring>

#include "foundation/data_block.h"

HotKeyTable::HotKeyTable(const LanguageBlock* language, const DataBlock& hotKeys)
    : ScriptObject(nullptr), language_(language), table_(static_cast<uint8_t*>(ScriptAlloc(2 * kEntries))) {
    SetKind(kHotKeyTableKind);
    const uint32_t bytes = std::min<uint32_t>(hotKeys.PayloadSize(), 2 * kEntries);
    if (bytes > 0 && hotKeys.Payload() != nullptr) std::memcpy(table_, hotKeys.Payload(), bytes);
}

HotKeyTable::~HotKeyTable() {
    ScriptFree(table_);
}

uint16_t HotKeyTable::Code(uint8_t character) const {
    return LoadU16(table_ + 2 * character);
}

HotKeyTable* HotKeyTable::FromAddress(uint32_t address) {
    return static_cast<HotKeyTable*>(ScriptObject::FromAddress(address, kHotKeyTableKind, "hot-key table"));
}
