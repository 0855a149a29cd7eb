#include "script/sspl_block.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/block_reader.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"

TEST(SSPLBlock, ReadsAsASubBlockAndClones) {
    TempDir dir;
    // An outer block whose only sub-block is the SSPL block.
    std::string file = SCBlock("PCFG", "", {SEBlock("SSPL", "slot data")});
    struct Outer : DataBlock {
        Outer() : DataBlock(10, true) {}
        void ReadChunk(BlockReader& reader, const uint8_t* signature) override {
            if (std::string(reinterpret_cast<const char*>(signature), 4) == std::string("SSPL", 4))
                reader >> sspl;
        }
        SSPLBlock sspl;
    };
    auto outer = std::make_unique<Outer>();
    FileBlockReader reader;
    reader.Open(String(dir.Write("p.PCFG", file).c_str()));
    reader >> *outer;
    SSPLBlock& block = outer->sspl;
    EXPECT_TRUE(block.HasTag("SSPL"));
    EXPECT_EQ(block.HeaderSize(), 10u);
    ASSERT_EQ(block.PayloadSize(), 9u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Payload()), 9), "slot data");

    std::unique_ptr<ScriptObject> copy(block.Clone());
    auto* clone = dynamic_cast<SSPLBlock*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_NE(clone->Payload(), block.Payload());
    EXPECT_EQ(clone->PayloadSize(), 9u);
    EXPECT_FALSE(InScriptRegion(clone));
}
