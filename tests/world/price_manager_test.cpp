#include "world/price_manager.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "foundation/byte_order.h"
#include "foundation/script_memory.h"
#include "script/operations.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"

namespace {

constexpr int32_t kMax = INT32_MAX;
constexpr int32_t kMin = INT32_MIN;

TEST(PriceManager, ValueFormulas) {
    struct Case {
        int32_t n;
        int32_t f4, f5, f6, f7, f8;
    } cases[] = {
        {0, 0, 0, 0, 0, 0},
        {1, 0, 1624, 0, 1500, 240},
        {10, 0, 32413, 0, 18883, 19063},
        {74, 0, 437242, 0, 170704, 854577},  // 74 / 75 is 0
        {150, 0, 1095568, 0, 371357, 3271784},
        {7500, 398, 177133473, 229, 27457351, kMax},
        {123456, 61599, kMax, 15336, 598073666, kMax},
        // Beyond 32 bits: the nearest value; a negative value under a fractional power: 0.
        {kMax, kMax, kMax, kMax, kMax, kMax},
        {-5, 0, 0, 0, 0, 0},
        {-150, 0, 0, 0, 0, 0},
        {kMin, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PriceManager::Formula4(c.n), c.f4) << c.n;
        EXPECT_EQ(PriceManager::Formula5(c.n), c.f5) << c.n;
        EXPECT_EQ(PriceManager::Formula6(c.n), c.f6) << c.n;
        EXPECT_EQ(PriceManager::Formula7(c.n), c.f7) << c.n;
        EXPECT_EQ(PriceManager::Formula8(c.n), c.f8) << c.n;
    }
}

TEST(PriceManager, Classes) {
    const struct {
        int32_t n, rating;
    } cases[] = {
        {kMin, 1}, {-3, 1}, {0, 1},  {1, 1},  {2, 2},   {4, 2},    {5, 3},    {8, 3},
        {9, 4},    {12, 4}, {13, 5}, {21, 5}, {22, 6},  {30, 6},   {31, 7},   {40, 7},
        {41, 8},   {55, 8}, {56, 9}, {75, 9}, {76, 10}, {100, 10}, {101, 11}, {kMax, 11},
    };
    for (const auto& c : cases) EXPECT_EQ(PriceManager::Class11(c.n), c.rating) << c.n;
}

TEST(PriceManager, TableFormulas) {
    struct Case {
        PriceTable p;
        int32_t f9, f10, f12, f13, f14, f15;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, 0, 0, 0, 360, 1, 0},
        {{0, 0, 0, 0, 0, 0, 1}, 120, 150, 22, 386, 6, 220},
        {{5, 0, 0, 0, 0, 0, 0}, 704, 954, 73, 360, 1, 730},
        {{1, 2, 3, 4, 5, 6, 7}, 3914, 5286, 643, 1098, 13, 6430},
        {{10, 20, 30, 40, 50, 60, 70}, 49307, 74724, 5884, 9976, 131, 58840},
        {{100, 0, 250, 3, 80, 600, 700}, 384640, 654915, 70538, 55160, 861, 705380},  // both cuts above 500
        // Negative parameters under fractional powers give 0 terms.
        {{0, 0, 0, -10, 0, 0, 0}, 0, 0, 0, 0, 0, 0},
        {{-4, -4, -4, -4, -4, -4, -4}, 0, 0, 0, 176, 0, 0},
        // Sums and terms beyond 32 bits stop at the nearest value.
        {{kMax, kMax, kMax, kMax, kMax, kMax, kMax}, kMax, kMax, kMax, kMax, kMax, kMax},
        {{0, 0, 0, 0, 0, 0, 1 << 30}, kMax, kMax, kMin, 360, kMax, kMin},  // p6 x 100 is 0 in 32 bits
        {{0, 0, 0, 0, 0, 0, -(1 << 30)}, 0, 0, 0, 360, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.p));
        EXPECT_EQ(PriceManager::Formula9(c.p), c.f9);
        EXPECT_EQ(PriceManager::Formula10(c.p), c.f10);
        EXPECT_EQ(PriceManager::Formula12(c.p), c.f12);
        EXPECT_EQ(PriceManager::Formula13(c.p), c.f13);
        EXPECT_EQ(PriceManager::Formula14(c.p), c.f14);
        EXPECT_EQ(PriceManager::TimesTen(PriceManager::Formula12(c.p)), c.f15);
    }
}

class PriceManagerInGame : public ::testing::Test {
  protected:
    PriceManagerInGame() {
        ScriptSubclass dearer{.name = "TestDearerPrices", .base = "PriceManager"};
        dearer.methods[12] = CodeWords({{BaseCallWord(12)}, PushIntWords(1), {OpWord(Op::Add)}});
        game.AddClass(dearer);
        game.AddClass({.name = "TestSamePrices", .base = "PriceManager"});
        game.Start();
        prices = game.Class("PriceManager");
    }
    // The table in script memory, as a script hands it over.
    uint32_t Table(const PriceTable& p) {
        const uint32_t table = game.Text(std::string(sizeof(PriceTable), '\0'));
        for (size_t i = 0; i < p.size(); ++i)
            StoreU32(FromScript<uint8_t>(table) + 4 * i, static_cast<uint32_t>(p[i]));
        return table;
    }

    GameHarness game;
    ZEMAClass* prices = nullptr;
};

}  // namespace

TEST_F(PriceManagerInGame, NativesApplyTheFormulas) {
    EXPECT_EQ(prices->MethodCount(), 16u);
    EXPECT_EQ(prices->VirtualMethodCount(), 2u);
    for (uint32_t m = 0; m < 16; ++m) EXPECT_NE(prices->MethodSlot(m), 0u) << m;
    GameObject object = game.New("PriceManager");
    EXPECT_EQ(object->Class(), prices);

    const uint32_t p = Table({1, 2, 3, 4, 5, 6, 7});
    const struct {
        uint32_t method, argument;
        int32_t result;
    } cases[] = {{4, 7500, 398}, {5, 10, 32413}, {6, 7500, 229}, {7, 10, 18883},
                 {8, 10, 19063}, {9, p, 3914},   {10, p, 5286},  {11, 101, 11},
                 {12, p, 643},   {13, p, 1098},  {14, p, 13},    {15, p, 6430}};
    for (const auto& c : cases)
        EXPECT_EQ(game.CallMethod(object.get(), c.method, {c.argument}),
                  std::vector<uint32_t>{static_cast<uint32_t>(c.result)})
            << c.method;
}

TEST_F(PriceManagerInGame, NativeFifteenUsesTheNearestMethod12) {
    const uint32_t table = Table({0, 0, 0, 0, 0, 0, 1});  // PriceManager's method 12 gives 22
    const struct {
        const char* className;
        uint32_t timesTen;
    } cases[] = {{"PriceManager", 220}, {"TestDearerPrices", 230}, {"TestSamePrices", 220}};
    for (const auto& c : cases) {
        GameObject object = game.New(c.className);
        EXPECT_EQ(game.CallMethod(object.get(), prices, 15, {table}), std::vector<uint32_t>{c.timesTen})
            << c.className;
        EXPECT_EQ(game.CallMethod(object.get(), prices, 13, {table}), std::vector<uint32_t>{386})
            << c.className;
    }
    // Scripts also call the formulas on the class itself, the well-known object start-up keeps.
    ScriptObject* shared = game.Object(kPriceManagerId);
    ASSERT_EQ(shared, prices);
    EXPECT_EQ(game.CallMethod(shared, 15, {table}), std::vector<uint32_t>{220});
}

TEST_F(PriceManagerInGame, TablesOutsideScriptMemoryAreRefused) {
    GameObject object = game.New("PriceManager");
    for (uint32_t method : {9u, 10u, 12u, 13u, 14u, 15u}) {
        for (uint32_t address : {0u, 16u, 0xFFFFFFF0u}) {  // null, below and beyond what is handed out
            EXPECT_NE(ErrorMessage([&] { game.CallMethod(object.get(), method, {address}); }), "no error")
                << method << " at " << address;
        }
    }
}
