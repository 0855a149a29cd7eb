// The stored form of a ship's equipment: blocks written byte for byte as laid out, read back, and
// damaged ones refused with an error naming the file.
#include "world/slot_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "foundation/container_writer.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/slot_container.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"

namespace {

// --- the layouts, built here field by field ---

std::string Words(const std::vector<uint32_t>& words) {
    std::string bytes;
    for (uint32_t w : words) bytes += LeU32(w);
    return bytes;
}

std::string SslcBytes(const std::vector<uint32_t>& words) {
    return "SE" + std::string("SSLC") + LeU16(10) + LeU32(static_cast<uint32_t>(words.size() * 4)) +
           Words(words);
}

std::string SsltOwn(uint32_t kind, uint32_t enabled, uint32_t index, const std::string& name) {
    const std::string payload = name + '\0';
    return "SSLT" + LeU16(22) + LeU32(static_cast<uint32_t>(payload.size())) + LeU32(kind) + LeU32(enabled) +
           LeU32(index) + payload;
}

std::string SsltBytes(uint32_t kind, uint32_t enabled, uint32_t index, const std::string& name) {
    return "SE" + SsltOwn(kind, enabled, index, name);
}

std::string SsltWithState(uint32_t kind, uint32_t enabled, uint32_t index, const std::string& name,
                          const std::vector<uint32_t>& words) {
    const std::string rest = SsltOwn(kind, enabled, index, name) + SslcBytes(words);
    return "SC" + LeU16(6) + LeU32(static_cast<uint32_t>(8 + rest.size())) + LeU16(1) + rest;
}

std::string DirectionRecords() {
    std::string records;
    for (int i = 0; i < 9; ++i)
        records +=
            LeU32(static_cast<uint32_t>(i * 10)) + LeU32(static_cast<uint32_t>(-100 + i)) + LeU32(i % 2);
    return records;
}

std::string SsldBytes(uint32_t index, const std::string& records) {
    return "SE" + std::string("SSLD") + LeU16(18) + LeU32(108) + LeU32(1) + LeU32(index) + records;
}

std::string ScfgBytes(const std::string& shipClass, uint32_t selected,
                      const std::vector<std::string>& children) {
    std::string rest = "SCFG" + LeU16(14) + LeU32(static_cast<uint32_t>(shipClass.size() + 1)) +
                       LeU32(selected) + shipClass + '\0';
    for (const std::string& child : children) rest += child;
    return "SC" + LeU16(6) + LeU32(static_cast<uint32_t>(8 + rest.size())) +
           LeU16(static_cast<uint16_t>(children.size())) + rest;
}

// A block as stored, sizes computed unless one is given.
BlockWriter Block(const char* tag, const std::string& payload, const std::string& fields,
                  const std::vector<std::string>& subBlocks = {},
                  std::optional<uint32_t> storedPayloadSize = std::nullopt) {
    BlockWriter block;
    block.tag = tag;
    block.payload = payload;
    block.headerFields = fields;
    block.subBlocks = subBlocks;
    block.storedPayloadSize = storedPayloadSize;
    return block;
}

void Records(uint8_t (&out)[kDirectionsBytes]) {
    const std::string records = DirectionRecords();
    std::memcpy(out, records.data(), kDirectionsBytes);
}

class SlotBlocksTest : public ::testing::Test {
  protected:
    std::string Written(const std::function<void(FW&)>& store) { return WrittenBlockBytes(dir, store); }
    SlotContainer Read(const std::string& bytes) {
        SlotContainer block;
        ReadBlockBytes(dir, "ship.SCFG", bytes, block);
        return block;
    }

    TempDir dir;
};

TEST_F(SlotBlocksTest, EachBlockIsWrittenAsLaidOut) {
    uint8_t records[kDirectionsBytes];
    Records(records);
    SsltBlock plain(kSlotEngine, 1, 2, "Engine");
    SsltBlock withState(kSlotWeapon, 0, 3, "Laser");
    withState.SetState(std::make_unique<SslcBlock>(std::vector<uint32_t>{7, 0xfffffffe}));
    SsldBlock directions(4, records);
    const struct Case {
        const char* name;
        std::function<void(FW&)> store;
        std::string expected;
        uint32_t storedSize;
    } cases[] = {
        {"item without state: plain", [&](FW& fw) { plain.Store(fw); }, SsltBytes(4, 1, 2, "Engine"),
         plain.ChunkSize()},
        {"item with state: container", [&](FW& fw) { withState.Store(fw); },
         SsltWithState(1, 0, 3, "Laser", {7, 0xfffffffe}), withState.ChunkSize()},
        {"saved words", [&](FW& fw) { fw << *withState.State(); }, SslcBytes({7, 0xfffffffe}),
         withState.State()->ChunkSize()},
        {"directions", [&](FW& fw) { fw << directions; }, SsldBytes(4, DirectionRecords()),
         directions.ChunkSize()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = Written(c.store);
        EXPECT_EQ(bytes, c.expected);
        EXPECT_EQ(bytes.size(), c.storedSize);
    }
}

TEST_F(SlotBlocksTest, AShipBlockRoundTripsByteForByte) {
    uint8_t records[kDirectionsBytes];
    Records(records);
    SlotContainer ship;
    ship.SetPayloadSize(8);
    ship.AllocPayload();
    std::memcpy(ship.Payload(), "Cruiser", 8);
    std::memcpy(ship.Header() + 10, LeU32(5).data(), 4);
    ship.children.Directions().push_back(std::make_unique<SsldBlock>(1, records));
    ship.children.Items().push_back(std::make_unique<SsltBlock>(kSlotWeapon, 1, 0, "Laser"));
    auto ammo = std::make_unique<SsltBlock>(kSlotWeapon, 0, 0, "Rockets");
    ammo->SetState(std::make_unique<SslcBlock>(std::vector<uint32_t>{25}));
    ship.children.Items().push_back(std::move(ammo));
    ship.children.SetShipState(std::make_unique<SslcBlock>(std::vector<uint32_t>{1, 2, 3}));

    const std::string expected = ScfgBytes("Cruiser", 5,
                                           {SsldBytes(1, DirectionRecords()), SsltBytes(1, 1, 0, "Laser"),
                                            SsltWithState(1, 0, 0, "Rockets", {25}), SslcBytes({1, 2, 3})});
    const std::string bytes = Written([&](FW& fw) { ship.Store(fw); });
    ASSERT_EQ(bytes, expected);

    SlotContainer back = Read(bytes);
    ASSERT_EQ(back.children.Directions().size(), 1u);
    EXPECT_EQ(back.children.Directions()[0]->Index(), 1u);
    EXPECT_EQ(std::memcmp(back.children.Directions()[0]->Records(), records, kDirectionsBytes), 0);
    ASSERT_EQ(back.children.Items().size(), 2u);
    const SsltBlock& laser = *back.children.Items()[0];
    EXPECT_EQ(laser.ClassName(), "Laser");
    EXPECT_EQ(laser.Kind(), 1u);
    EXPECT_EQ(laser.Enabled(), 1u);
    EXPECT_EQ(laser.State(), nullptr);
    const SsltBlock& rockets = *back.children.Items()[1];
    ASSERT_NE(rockets.State(), nullptr);
    EXPECT_EQ(rockets.State()->Words(), std::vector<uint32_t>{25});
    EXPECT_EQ(std::string(rockets.Source().Text()).find("ship.SCFG") != std::string::npos, true);
    ASSERT_NE(back.children.ShipState(), nullptr);
    EXPECT_EQ(back.children.ShipState()->Words(), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(Written([&](FW& fw) { back.Store(fw); }), expected);
}

TEST_F(SlotBlocksTest, HostileBlocksAreRefusedNamingTheFile) {
    const std::string good = SsltBytes(1, 1, 0, "Laser");
    const struct Case {
        const char* name;
        std::string child;
    } cases[] = {
        {"class name without its terminator", Block("SSLT", "Laser", Words({1, 1, 0})).SE()},
        {"empty class name", Block("SSLT", std::string(1, '\0'), Words({1, 1, 0})).SE()},
        {"no payload at all", Block("SSLT", "", Words({1, 1, 0})).SE()},
        {"two saved states",
         Block("SSLT", std::string("Laser") + '\0', Words({1, 1, 0}), {SslcBytes({1}), SslcBytes({2})}).SC()},
        {"saved state not in whole words", Block("SSLC", "abcde", "").SE()},
        {"directions one byte short", Block("SSLD", DirectionRecords().substr(1), Words({1, 0})).SE()},
        {"directions one byte long", Block("SSLD", DirectionRecords() + "x", Words({1, 0})).SE()},
        {"no directions", Block("SSLD", "", Words({1, 0})).SE()},
        {"payload size beyond the file",
         Block("SSLD", DirectionRecords(), Words({1, 0}), {}, 0x7fffffff).SE()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = ScfgBytes("Cruiser", 0, {good, c.child});
        const std::string message = ErrorMessage([&] { Read(bytes); });
        EXPECT_NE(message, "no error");
        EXPECT_NE(message.find("ship.SCFG"), std::string::npos) << message;
    }
}

TEST_F(SlotBlocksTest, UnknownChildrenAndKindsAreLeftToTheLoader) {
    const std::string bytes =
        ScfgBytes("Cruiser", 0,
                  {SEBlock("JUNK", "x"), SsltBytes(2, 1, 0, "Odd"), SsltBytes(8, 1, 0, "Odder"),
                   SsltBytes(kSlotGuide, 1, 0, "Guide"), SsltBytes(kSlotHold, 0, 70000, "Crate")});
    SlotContainer back = Read(bytes);
    const struct {
        const char* name;
        bool known;
    } expected[] = {{"Odd", false}, {"Odder", false}, {"Guide", true}, {"Crate", true}};
    ASSERT_EQ(back.children.Items().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(back.children.Items()[i]->ClassName(), expected[i].name);
        EXPECT_EQ(back.children.Items()[i]->KnownKind(), expected[i].known);
    }
    // The index is judged against the ship's group.
    const String& source = back.children.Items()[3]->Source();
    EXPECT_NO_THROW(CheckSlotIndex(2, 3, source));
    const std::string message = ErrorMessage([&] { CheckSlotIndex(70000, 3, source); });
    EXPECT_NE(message.find("ship.SCFG"), std::string::npos) << message;
}

TEST_F(SlotBlocksTest, ClassesNamedInBlocksMustBeOfTheRightKind) {
    GameHarness game;
    game.AddClass({.name = "Rockets", .base = "Ammo"});
    game.Start();
    const String source("Saves\\pilot.PCFG");
    const struct {
        const char* name;
        const char* className;
        const char* base;
        bool accepted;
    } cases[] = {
        {"a native item", "Engine", "Option", true},
        {"a script item", "Rockets", "Option", true},
        {"no item", "Slot", "Option", false},
        {"unknown", "NoSuchThing", "Option", false},
        {"an item where a ship belongs", "Rockets", "Ship", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message =
            ErrorMessage([&] { CheckBlockClass(game.Cpu(), c.className, c.base, source); });
        if (c.accepted) {
            EXPECT_EQ(message, "no error");
        } else {
            EXPECT_NE(message.find("pilot.PCFG"), std::string::npos) << message;
        }
    }
}

TEST_F(SlotBlocksTest, AContainerHeadThatCannotBeStoredIsRefused) {
    SslcBlock block;
    EXPECT_EQ(ContainerStoredSize(block, 100), 10u + 2 + 8 + 100);
    EXPECT_EQ(ContainerStoredSize(block, uint64_t{1} << 40), UINT32_MAX);
    const struct {
        const char* name;
        uint32_t count;
        uint64_t childrenSize;
    } cases[] = {{"too many children", 70000, 10}, {"children beyond 32 bits", 1, uint64_t{1} << 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(Written([&](FW& fw) { WriteContainerHead(fw, block, c.count, c.childrenSize); }),
                     FatalExep);
    }
}

}  // namespace
