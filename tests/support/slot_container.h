// A ship's equipment block for tests and fuzzing: an "SCFG" (header 14, the ship's class name as
// payload) whose "SSLD", "SSLT" and "SSLC" children go into a SlotBlockList; and block bytes to
// and from files.
#pragma once

#include <functional>
#include <string>

#include "foundation/data_block.h"
#include "world/slot_blocks.h"

class FW;
class TempDir;

class SlotContainer : public DataBlock {
  public:
    SlotContainer();
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // As a container when it has children, else plain.
    void Store(FW& fw) const;
    SlotBlockList children;
};

// The bytes store writes into a new file of dir.
std::string WrittenBlockBytes(const TempDir& dir, const std::function<void(FW&)>& store);
// Reads the first block of a file named name in dir holding bytes into block.
void ReadBlockBytes(const TempDir& dir, const std::string& name, const std::string& bytes, DataBlock& block);
