#include "script/sspl_block.h"

SSPLBlock::SSPLBlock() : ScriptObject(nullptr), DataBlock(10, true) {
    SetSignature("SSPL");
}

SSPLBlock::SSPLBlock(const SSPLBlock& other) : ScriptObject(other), DataBlock(other) {}

ScriptObject* SSPLBlock::Clone() const {
    return new SSPLBlock(*this);
}
