// A log in script memory that script code appends words to, so that a test of a script subclass
// sees which of its methods ran, in order, and with what: the code words it gives go into the
// subclass's method bodies.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/script_memory.h"

class ScriptLog {
  public:
    explicit ScriptLog(uint32_t capacity = 4096);

    // Code words that pop the top of the data stack into the log.
    std::vector<uint32_t> AppendTop() const;
    // Code words that append a constant.
    std::vector<uint32_t> Append(uint32_t value) const;
    // What was appended, oldest first.
    std::vector<uint32_t> Entries() const;
    // Empties the log (its code words stay valid).
    void Clear() { words_.get()[0] = 0; }

  private:
    ScriptBuffer<uint32_t> words_;  // the count, then the entries
    uint32_t capacity_;
};
