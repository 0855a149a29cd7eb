#include "foundation/container_writer.h"

#include <algorithm>

#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"

namespace {

// The 8 bytes the "SC" head adds to a plain block's stored size: u16 6, u32 size, u16 count.
constexpr uint64_t kHeadExtra = 8;

// The block's own part is counted plain, whatever a derived ChunkSize adds for its children.
uint64_t FullSize(const DataBlock& block, uint64_t childrenSize) {
    return uint64_t{block.DataBlock::ChunkSize()} + kHeadExtra + childrenSize;
}

}  // namespace

uint32_t ContainerStoredSize(const DataBlock& block, uint64_t childrenSize) {
    return static_cast<uint32_t>(std::min<uint64_t>(FullSize(block, childrenSize), UINT32_MAX));
}

void WriteContainerHead(FW& fw, const DataBlock& block, uint32_t childCount, uint64_t childrenSize) {
    const uint64_t size = FullSize(block, childrenSize);
    if (size - 2 > UINT32_MAX)
        ThrowFatal("Block container too large to write: %llu bytes", static_cast<unsigned long long>(size));
    if (childCount > UINT16_MAX) ThrowFatal("Too many sub-blocks to write: %u", childCount);
    fw.Write("SC", 2);
    fw.WriteU16(6);
    fw.WriteU32(static_cast<uint32_t>(size - 2));
    fw.WriteU16(static_cast<uint16_t>(childCount));
    block.Write(fw);
}
