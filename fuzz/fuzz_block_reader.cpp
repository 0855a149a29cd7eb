// Block reader over arbitrary file content: blocks (nested containers included), then words,
// texts and comments, then a few seeks. Damaged input must end in an engine error, never a crash or
// a loop that stops advancing.

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"

namespace {

// Reads every sub-block it is offered into a block of its own kind, a few levels deep.
class NestedBlock : public DataBlock {
  public:
    NestedBlock(uint32_t headerSize, int depth) : DataBlock(headerSize, true), depth_(depth) {}
    void ReadChunk(BlockReader& reader, const uint8_t*) override {
        if (depth_ >= 6) return;
        NestedBlock child(depth_ % 2 == 0 ? 0 : 14, depth_ + 1);
        reader >> child;
    }

  private:
    int depth_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    try {
        for (int i = 0; i < 64 && !reader.AtEnd(); ++i) {
            uint32_t before = reader.Tell();
            NestedBlock block(i % 2 == 0 ? 10 : 0, 0);
            reader >> block;
            if (reader.Tell() <= before) __builtin_trap();  // a read loop would spin here
        }
    } catch (const DExep&) {
    }
    try {
        reader.Seek(0, 0);
        for (int i = 0; i < 4096 && !reader.AtEnd(); ++i) {
            uint32_t before = reader.Tell();
            String word;
            reader.SkipSpace();
            reader >> QuotedText{word};
            reader.SkipSpace();
            reader >> word;
            if (reader.Tell() == before && !reader.AtEnd()) reader.Skip(1);
        }
        uint8_t buffer[64];
        for (uint32_t target : {reader.Size() / 2, 3u, reader.Size() - 1, 0u}) {
            reader.Seek(target, 0);
            reader.Read(buffer, sizeof buffer);
            reader.PeekAt(buffer, 16, 8);
        }
    } catch (const DExep&) {
    }
    return 0;
}
