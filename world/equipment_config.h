// A ship and everything in its slots as one "SCFG" block: the ship's class name as payload, the
// selected firing direction in its header and the slot blocks ("SSLD", "SSLT", the ship's own "SSLC")
// as children. Storing goes through every object's own save and restore virtual methods (5 and 6),
// so each item class, native or scripted, decides what of it is kept.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "world/slot_blocks.h"

class BlockReader;
class FW;
class Processor;
class ScriptObject;
class ShipObject;

constexpr uint32_t kScfgHeaderSize = 14;

class ShipConfig : public DataBlock {
  public:
    ShipConfig();

    // The ship's class name without its terminator (checked to be there when read).
    std::string_view ClassName() const;
    void SetClassName(std::string_view name);
    // The selected direction index of the first weapon slot.
    uint32_t SelectedDirection() const;
    void SetSelectedDirection(uint32_t index);
    SlotBlockList& Slots() { return slots_; }
    const SlotBlockList& Slots() const { return slots_; }
    // The file the block was read from, for messages; empty for one built in memory.
    const String& Source() const { return source_; }

    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // Refuses a class name that is empty or has no terminator inside the payload.
    void AfterRead(BlockReader& reader) override;
    // Plus the children and the container head when there are children.
    uint32_t ChunkSize() const override;
    // As a container with its children when it has any, else as a plain block.
    void Store(FW& fw) const;

  private:
    SlotBlockList slots_;
    String source_;
};

// Fills the block from the ship: its class and state, each slot's items with their states, the
// customised directions of its weapon slots.
void SaveToConfig(ShipObject& ship, ShipConfig& config);
// A new ship of the block's class with the items and states the block holds, recharged. FatalExep
// naming the block's file for a class that is unknown or of the wrong kind, or a slot index beyond
// the ship's slots; the half-built ship is destroyed then.
ShipObject* LoadFromConfig(Processor& processor, const ShipConfig& config);

// What an object's save virtual method (5) left on the data stack, deepest first. "DStack underflow"
// when the count it left is more than the stack holds.
std::vector<uint32_t> SaveObjectState(ScriptObject* object);
// Pushes the words (deepest first) and calls the object's restore virtual method (6); nothing for
// no words. "DStack overflow" before anything is pushed when the stack has no room for them.
void RestoreObjectState(ScriptObject* object, const std::vector<uint32_t>& words);
