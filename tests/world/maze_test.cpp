#include "world/maze.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"

namespace {

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class MazeTest : public ::testing::Test {
  protected:
    void SetUp() override { game.Start(); }

    MazeObject& NewMaze(int32_t width, int32_t height) {
        mazes.push_back(game.New("Maze", {U(width), U(height)}));
        return MazeObject::Of(mazes.back().get());
    }
    std::vector<uint32_t> Call(MazeObject& maze, uint32_t n, const std::vector<uint32_t>& pushed = {}) {
        return game.CallMethod(&maze, n, pushed);
    }
    // A value table as scripts hand it over: the element count in the word before the elements.
    uint32_t Table(const std::vector<int32_t>& elements, std::optional<int32_t> count = {}) {
        auto block = NewScriptBuffer<int32_t>((elements.size() + 1) * 4);
        block.get()[0] = count.value_or(int32_t(elements.size()));
        std::memcpy(block.get() + 1, elements.data(), elements.size() * 4);
        tables.push_back(std::move(block));
        return ToScript(tables.back().get() + 1);
    }
    static std::vector<std::string> Grid(const MazeObject& maze) {
        std::vector<std::string> rows(maze.Height());
        for (int32_t row = 0; row < maze.Height(); ++row)
            for (int32_t column = 0; column < maze.Width(); ++column)
                rows[row] += std::to_string(maze.CellAt(column, row));
        return rows;
    }
    static int Filled(const MazeObject& maze) {
        int n = 0;
        for (const std::string& row : Grid(maze))
            n += int(row.size()) - int(std::count(row.begin(), row.end(), '0'));
        return n;
    }

    GameHarness game;
    std::vector<ScriptBuffer<int32_t>> tables;
    std::vector<GameObject> mazes;
};

TEST_F(MazeTest, CellsAndSizes) {
    MazeObject& maze = NewMaze(7, 3);
    // Native 9 pops value, row, column and stores only inside the grid; native 8 pops row, column.
    const std::vector<std::pair<int32_t, int32_t>> outside = {
        {7, 0}, {0, 3}, {-1, 0}, {0, -1}, {INT32_MIN, 2}};
    for (const auto& [column, row] : outside) {
        Call(maze, 9, {U(column), U(row), 5});
        EXPECT_EQ(ErrorMessage([&] { Call(maze, 8, {U(column), U(row)}); }), "invalid vector<T> subscript");
    }
    Call(maze, 9, {6, 2, U(-4)});
    EXPECT_EQ(Call(maze, 8, {6, 2}), std::vector<uint32_t>{U(-4)});
    EXPECT_EQ(Grid(maze), (std::vector<std::string>{"0000000", "0000000", "000000-4"}));

    const std::vector<std::pair<int32_t, int32_t>> refused = {{-1, 5}, {5, -1}, {4096, 2048}, {0, INT32_MAX}};
    for (const auto& [width, height] : refused)
        EXPECT_EQ(ErrorMessage([&] { NewMaze(width, height); }),
                  "Maze of " + std::to_string(width) + " x " + std::to_string(height) + " cells refused");
    EXPECT_EQ(NewMaze(0, 5).Height(), 5);
}

TEST_F(MazeTest, ValueTables) {
    MazeObject& maze = NewMaze(4, 4);
    Call(maze, 6, {Table({9, 0, 8, 0})});        // weights adding up to 0: never chosen
    Call(maze, 7, {Table({4, 10, 3, 10, 77})});  // the lone last element has no weight
    SeedRandom(5);
    for (int i = 0; i < 100; ++i) {
        const int32_t v = maze.RandomValue();
        ASSERT_TRUE(v == 3 || v == 4) << v;
    }
    const std::vector<std::pair<int32_t, bool>> blocking = {{0, false},  {1, false}, {4, true},
                                                            {77, false}, {-1, true}, {kMazePassage, true}};
    for (const auto& [value, blocks] : blocking) EXPECT_EQ(maze.IsBlocking(value), blocks) << value;

    const std::vector<std::pair<uint32_t, std::string>> bad = {
        {Table({1, 1}, -2), "Maze value table of -2 elements refused"},
        {Table({1, 1}, 2 * kMaxMazeTablePairs + 2), "Maze value table of 131074 elements refused"},
        {Table({1, INT32_MAX, 2, 1}), "Maze value table weights add up beyond 32 bits"},
        {0, "Script memory access outside the address space at 0xFFFFFFFC, 4 bytes"},
    };
    for (const auto& [table, error] : bad) {
        EXPECT_EQ(ErrorMessage([&] { Call(maze, 7, {table}); }), error);
        EXPECT_TRUE(maze.IsBlocking(4)) << "the table is left as it was";
    }
}

// The grids were worked out apart from this code, from the fill's rules and the engine's generator.
TEST_F(MazeTest, FillFromAFixedSeed) {
    struct Row {
        int32_t width, height, passage, density;
        std::vector<int32_t> first, second;
        uint32_t seed;
        std::vector<std::string> grid;
    };
    const std::vector<Row> rows = {
        {8,
         6,
         1,
         50,
         {1, 1},
         {2, 1},
         1,
         {"00022010", "00221000", "01202010", "00100000", "11021121", "12212002"}},
        {13,
         7,
         2,
         60,
         {3, 2, 4, 1},
         {5, 3},
         77,
         {"0035055550035", "5005335055300", "5045355535330", "5330000505553", "3000400050050",
          "4553500033005", "0003004405553"}},
    };
    for (const Row& row : rows) {
        MazeObject& maze = NewMaze(row.width, row.height);
        ScriptStore32(Call(maze, 10).at(0), U(row.passage));
        Call(maze, 5, {U(row.density)});
        Call(maze, 6, {Table(row.first)});
        Call(maze, 7, {Table(row.second)});
        SeedRandom(row.seed);
        Call(maze, 4);
        EXPECT_EQ(Grid(maze), row.grid);
    }
}

TEST_F(MazeTest, EveryFillEnds) {
    // Passage widths the grid cannot hold, none, negative ones, one after whose first run every run
    // is empty (the carving never reached the bottom), densities out of range, an empty grid.
    struct Row {
        int32_t width, height, passage, density, filled;
    };
    const std::vector<Row> rows = {
        {10, 10, 1, 0, 0},           {10, 10, 1, 50, 50}, {10, 10, 1, -30, 0},
        {10, 10, 1, 1000000, 100},   {10, 10, 0, 50, 50}, {10, 10, -5, 50, 50},
        {10, 10, INT32_MAX, 50, 50}, {9, 7, 2, 50, 31},   {0, 10, 1, 50, 0},
    };
    for (const Row& row : rows) {
        MazeObject& maze = NewMaze(row.width, row.height);
        ScriptStore32(maze.PassageWidthAddress(), U(row.passage));
        maze.SetDensity(row.density);
        maze.SetFirstTable({1, 1});
        SeedRandom(3);
        maze.Fill();
        EXPECT_EQ(Filled(maze), row.filled) << row.width << "x" << row.height << " " << row.passage;
    }
}

}  // namespace
