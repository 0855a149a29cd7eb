// The stored form of a ship's equipment: "SSLT" (one item in one slot, with its saved state as an
// "SSLC" child), "SSLC" (saved state words) and "SSLD" (a weapon slot's nine firing directions).
// Read from files, they are outside data: each block checks its own shape when it is read and
// refuses a damaged one with an engine error naming the file; what can only be judged against a
// ship (the slot index, the item's class) is checked by the loader through the helpers below.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "world/slot.h"

class BlockReader;
class FW;
class Processor;
class ZEMAClass;

constexpr uint32_t kSsltHeaderSize = 22;
constexpr uint32_t kSslcHeaderSize = 10;
constexpr uint32_t kSsldHeaderSize = 18;

// Saved state words: what an object's save virtual method left on the stack, deepest first.
class SslcBlock : public DataBlock {
  public:
    SslcBlock();
    explicit SslcBlock(const std::vector<uint32_t>& words);

    uint32_t WordCount() const { return PayloadSize() / 4; }
    uint32_t Word(uint32_t i) const;  // FatalExep beyond the count
    std::vector<uint32_t> Words() const;

    // A payload that is no whole number of words is refused.
    void AfterRead(BlockReader& reader) override;
};

// One item in one slot. Field 10 the slot kind code (kSlotGuide for a weapon's guide), field 14 the
// place's enabled flag, field 18 the slot index within its group; payload the item's class name.
class SsltBlock : public DataBlock {
  public:
    SsltBlock();
    SsltBlock(int32_t kind, int32_t enabled, uint32_t index, std::string_view className);

    uint32_t Kind() const;
    uint32_t Enabled() const;
    uint32_t Index() const;
    // A kind the loader places: 0, 1 and 3-7. Others are skipped.
    bool KnownKind() const;
    // The class name without its terminator (checked to be there when read).
    std::string_view ClassName() const;
    // The file the block was read from, for messages; empty for one built in memory.
    const String& Source() const { return source_; }

    // The saved state, null when the item saved nothing.
    const SslcBlock* State() const { return state_.get(); }
    void SetState(std::unique_ptr<SslcBlock> state) { state_ = std::move(state); }

    // Takes one "SSLC" child; a second one is refused, other tags are skipped.
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // Refuses a class name that is empty or has no terminator inside the payload.
    void AfterRead(BlockReader& reader) override;
    // Plus the child's stored size and the 8 bytes of the container head when there is a child.
    uint32_t ChunkSize() const override;

    // As a container with its "SSLC" when it has one, else as a plain block.
    void Store(FW& fw) const;

  private:
    std::unique_ptr<SslcBlock> state_;
    String source_;
};

// A weapon slot's nine direction records. Field 10 is 1, field 14 the slot index within the weapon
// group; the payload is the 108 bytes of the records as a slot holds them.
class SsldBlock : public DataBlock {
  public:
    SsldBlock();
    SsldBlock(uint32_t index, const uint8_t (&records)[kDirectionsBytes]);

    uint32_t Index() const;
    const uint8_t (&Records() const)[kDirectionsBytes];
    const String& Source() const { return source_; }

    // A payload of any size but 108 bytes is refused.
    void AfterRead(BlockReader& reader) override;

  private:
    String source_;
};

// The slot children of a ship's block: the "SSLD" and "SSLT" blocks and the ship's own "SSLC".
// The ship's block delegates its sub-blocks here and writes them in the stored order: directions,
// then items, then the ship's state.
class SlotBlockList {
  public:
    // Reads the sub-block at the reader when it is one of these; false for another tag (skipped by
    // the reader). A second ship "SSLC" is refused.
    bool TakeChunk(BlockReader& reader, const uint8_t* signature);

    std::vector<std::unique_ptr<SsldBlock>>& Directions() { return directions_; }
    const std::vector<std::unique_ptr<SsldBlock>>& Directions() const { return directions_; }
    std::vector<std::unique_ptr<SsltBlock>>& Items() { return items_; }
    const std::vector<std::unique_ptr<SsltBlock>>& Items() const { return items_; }
    const SslcBlock* ShipState() const { return shipState_.get(); }
    void SetShipState(std::unique_ptr<SslcBlock> state) { shipState_ = std::move(state); }
    void Clear();

    uint32_t Count() const;
    // The stored sizes of all children.
    uint64_t StoredSize() const;
    void Store(FW& fw) const;

  private:
    std::vector<std::unique_ptr<SsldBlock>> directions_;
    std::vector<std::unique_ptr<SsltBlock>> items_;
    std::unique_ptr<SslcBlock> shipState_;
};

// Checks a loader makes against the ship: FatalExep naming the block's file when the class an
// "SSLT" names is unknown or does not inherit from base ("Option" for items, "Ship" for ships),
// or when a slot index is not below the group's slot count.
ZEMAClass* CheckBlockClass(Processor& processor, std::string_view className, const char* base,
                           const String& source);
void CheckSlotIndex(uint32_t index, uint32_t slotCount, const String& source);
