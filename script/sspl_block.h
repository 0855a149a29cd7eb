// The "SSPL" block that a player configuration holds: a block object (a script object of no class
// and a data block) with nothing after the common header and its payload loaded.
#pragma once

#include <string_view>

#include "foundation/data_block.h"
#include "script/script_object.h"

class SSPLBlock : public ScriptObject, public DataBlock {
  public:
    SSPLBlock();
    SSPLBlock(const SSPLBlock& other);
    ScriptObject* Clone() const override;

    // The payload becomes system, NUL, planet, NUL.
    void SetNames(std::string_view system, std::string_view planet);
    // The two texts; each ends at its NUL or at the payload's end, and is empty past it.
    std::string_view First() const;
    std::string_view Second() const;
};
