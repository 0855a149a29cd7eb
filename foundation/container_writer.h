// Writing blocks that hold sub-blocks. A container is stored as the mark "SC", u16 6, u32 its
// stored size less 2, u16 the count of sub-blocks, then its own header and payload, then each
// sub-block as a block of its own. A block without sub-blocks is stored plain ("SE").
#pragma once

#include <cstdint>

class DataBlock;
class FW;

// Bytes of the "SC" head before the block's own header: mark, u16 6, u32 size, u16 count.
constexpr uint32_t kContainerHeadSize = 10;

// Stored size of a block holding sub-blocks whose stored sizes add up to childrenSize: its own
// header and payload plus 2 plus the 8 extra bytes of the "SC" head plus the children. Saturates rather than
// wrapping; WriteContainerHead refuses a size that does not fit.
uint32_t ContainerStoredSize(const DataBlock& block, uint64_t childrenSize);

// Writes the "SC" head and the block's header and payload; the caller then writes childCount
// sub-blocks whose stored sizes add up to childrenSize. FatalExep when the container would not
// fit its 32-bit size or the count its 16 bits.
void WriteContainerHead(FW& fw, const DataBlock& block, uint32_t childCount, uint64_t childrenSize);
