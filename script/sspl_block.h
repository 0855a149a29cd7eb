// The "SSPL" block that a player configuration holds: a block object (a script object of no class
// and a data block) with nothing after the common header and its payload loaded.
#pragma once

#include "foundation/data_block.h"
#include "script/script_object.h"

class SSPLBlock : public ScriptObject, public DataBlock {
  public:
    SSPLBlock();
    SSPLBlock(const SSPLBlock& other);
    ScriptObject* Clone() const override;
};
