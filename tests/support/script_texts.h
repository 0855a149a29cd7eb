// Texts copied into script memory for handing to natives by address, kept until the holder goes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/script_memory.h"

class ScriptTexts {
  public:
    uint32_t Add(std::string_view text) {
        texts_.push_back(CopyTextToScript(text));
        return ToScript(texts_.back().get());
    }

  private:
    std::vector<ScriptBuffer<char>> texts_;
};
