// The character-to-hot-key table that the well-known object 28 is: 256 16-bit key codes indexed by
// a character, taken from the hot-key block of the current language, with the language block it
// was chosen for. The table always has all 256 entries: what the block does not supply is 0, so
// no character can index past it.
#pragma once

#include <cstdint>

#include "script/script_object.h"

class DataBlock;
class LanguageBlock;

constexpr uint32_t kHotKeyTableKind = 65;

class HotKeyTable : public ScriptObject {
  public:
    static constexpr uint32_t kEntries = 256;

    // Copies the block's payload (as much of the 512 bytes as it holds). Neither block is owned;
    // the language block must outlive the table.
    HotKeyTable(const LanguageBlock* language, const DataBlock& hotKeys);
    ~HotKeyTable() override;
    HotKeyTable(const HotKeyTable&) = delete;
    HotKeyTable& operator=(const HotKeyTable&) = delete;

    uint16_t Code(uint8_t character) const;
    // Script address of entry 0; the entries are little-endian.
    uint32_t TableAddress() const { return ToScript(table_); }
    const LanguageBlock* Language() const { return language_; }

    // The table at a script value, checked.
    static HotKeyTable* FromAddress(uint32_t address);

  private:
    const LanguageBlock* language_;
    uint8_t* table_;
};
