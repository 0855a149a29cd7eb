// The script-addressable fields of a native object (and of every script object): a plain-data
// block of 32-bit values in script memory, owned by the C++ object, its count kept on the host
// side. Natives push the addresses of these fields and scripts read and write them freely, so
// native code takes a value read back from here as untrusted: an index, count or size stored in a
// field is checked at each use. Every native class whose fields scripts address keeps them in one
// of these.
#pragma once

#include <cstdint>

#include "foundation/script_memory.h"

class ScriptFields {
  public:
    // count zero-filled fields (none for 0).
    explicit ScriptFields(uint32_t count = 0);
    ScriptFields(const ScriptFields& other);
    ScriptFields& operator=(const ScriptFields& other);
    ScriptFields(ScriptFields&&) noexcept = default;
    ScriptFields& operator=(ScriptFields&&) noexcept = default;

    uint32_t Count() const { return count_; }
    // The fields, null when there are none.
    uint32_t* Data() const { return words_.get(); }
    // Script address of field index; the index must be below Count().
    uint32_t Address(uint32_t index) const { return ToScript(words_.get() + index); }

  private:
    ScriptBuffer<uint32_t> words_;
    uint32_t count_ = 0;
};
