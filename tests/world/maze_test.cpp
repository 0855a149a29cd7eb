#include "world/maze.h"

#include <cstring>
#include <string>

#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "tests/support/error_message.h"
#include "tests/world/scene_fixture.h"

namespace {

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

constexpr const char* kSubscript = "invalid vector<T> subscript";

class MazeTest : public SceneFixture {
  protected:
    MazeObject& NewMaze(int32_t width, int32_t height) {
        return MazeObject::Of(New("Maze", {U(width), U(height)}));
    }

    // A value table as scripts hand it over: the element count in the word before the elements.
    uint32_t Table(const std::vector<int32_t>& elements) { return TableWithCount(elements, elements.size()); }
    uint32_t TableWithCount(const std::vector<int32_t>& elements, size_t count) {
        auto block = NewScriptBuffer<uint32_t>((elements.size() + 1) * 4);
        block.get()[0] = static_cast<uint32_t>(count);
        std::memcpy(block.get() + 1, elements.data(), elements.size() * 4);
        tables_.push_back(std::move(block));
        return ToScript(tables_.back().get() + 1);
    }

    static std::vector<std::string> Grid(const MazeObject& maze) {
        std::vector<std::string> rows;
        for (int32_t row = 0; row < maze.Height(); ++row) {
            std::string text;
            for (int32_t column = 0; column < maze.Width(); ++column)
                text += std::to_string(maze.CellAt(column, row));
            rows.push_back(text);
        }
        return rows;
    }

    static int CountNonZero(const MazeObject& maze) {
        int n = 0;
        for (int32_t row = 0; row < maze.Height(); ++row)
            for (int32_t column = 0; column < maze.Width(); ++column) n += maze.CellAt(column, row) != 0;
        return n;
    }

  private:
    std::vector<ScriptBuffer<uint32_t>> tables_;
};

TEST_F(MazeTest, CreationAndCells) {
    MazeObject& maze = NewMaze(7, 3);
    EXPECT_EQ(maze.Width(), 7);
    EXPECT_EQ(maze.Height(), 3);
    EXPECT_EQ(Grid(maze), (std::vector<std::string>{"0000000", "0000000", "0000000"}));
    const std::vector<uint32_t> reference = Call(&maze, "Maze", 10);
    ASSERT_EQ(reference.size(), 1u);
    EXPECT_EQ(ScriptLoad32(reference[0]), 1u) << "passage width 1";
    ScriptStore32(reference[0], 3);
    EXPECT_EQ(maze.PassageWidth(), 3);

    // Native 9 pops value, row, column; native 8 row, column.
    struct Row {
        const char* what;
        int32_t column;
        int32_t row;
        const char* read;  // "value" or the error of native 8
    };
    const std::vector<Row> rows = {
        {"first cell", 0, 0, "value"},
        {"last cell", 6, 2, "value"},
        {"column = width", 7, 0, kSubscript},
        {"row = height", 0, 3, kSubscript},
        {"negative column", -1, 0, kSubscript},
        {"negative row", 0, -1, kSubscript},
        {"far away", INT32_MIN, INT32_MAX, kSubscript},
    };
    int32_t value = -40;
    for (const Row& row : rows) {
        EXPECT_TRUE(Call(&maze, "Maze", 9, {U(row.column), U(row.row), U(value)}).empty()) << row.what;
        std::vector<uint32_t> read;
        const std::string error = ErrorMessage([&] {
            read = Call(&maze, "Maze", 8, {U(row.column), U(row.row)});
        });
        if (std::string(row.read) == "value") {
            EXPECT_EQ(error, "no error") << row.what;
            EXPECT_EQ(read, std::vector<uint32_t>{U(value)}) << row.what;
        } else {
            EXPECT_EQ(error, row.read) << row.what;
        }
        TakeData();
        ++value;
    }
    EXPECT_EQ(CountNonZero(maze), 2) << "positions outside the grid store nothing";
}

TEST_F(MazeTest, SizesAreChecked) {
    struct Row {
        int32_t width;
        int32_t height;
        const char* error;
    };
    const std::vector<Row> rows = {
        {0, 0, "no error"},
        {0, 5, "no error"},
        {2048, 2048, "no error"},
        {-1, 5, "Maze of -1 x 5 cells refused"},
        {5, -1, "Maze of 5 x -1 cells refused"},
        {4096, 2048, "Maze of 4096 x 2048 cells refused"},
        {0, INT32_MAX, "Maze of 0 x 2147483647 cells refused"},
        {INT32_MAX, 1, "Maze of 2147483647 x 1 cells refused"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ErrorMessage([&] { NewMaze(row.width, row.height); }), row.error)
            << row.width << "x" << row.height;
        TakeData();
    }
}

TEST_F(MazeTest, ValueTables) {
    MazeTable table;
    table.byTotal = {{1, 5}, {4, 6}, {10, 7}};
    const std::vector<std::pair<int64_t, int32_t>> lookups = {{-3, 5}, {0, 5}, {1, 6}, {3, 6},
                                                              {4, 7},  {9, 7}, {10, 0}};
    for (const auto& [r, value] : lookups) EXPECT_EQ(table.ValueAbove(r), value) << r;

    // The values of a table whose weights add up to 0 never come up.
    MazeObject& maze = NewMaze(4, 4);
    Call(&maze, "Maze", 6, {Table({9, 0, 8, 0})});
    Call(&maze, "Maze", 7, {Table({4, 10, 3, 10, 77})});  // the lone last element has no weight
    SeedRandom(5);
    bool seen[2] = {false, false};
    for (int i = 0; i < 200; ++i) {
        const int32_t v = maze.RandomValue();
        ASSERT_TRUE(v == 3 || v == 4) << v;
        seen[v - 3] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]);

    struct Blocking {
        int32_t value;
        bool blocking;
    };
    const std::vector<Blocking> blocking = {{0, false},  {1, false}, {4, true},           {3, true},
                                            {77, false}, {-1, true}, {kMazePassage, true}};
    for (const Blocking& b : blocking) EXPECT_EQ(maze.IsBlocking(b.value), b.blocking) << b.value;
    Call(&maze, "Maze", 7, {Table({0, 1})});
    EXPECT_FALSE(maze.IsBlocking(0)) << "0 never blocks";
    EXPECT_FALSE(maze.IsBlocking(4)) << "the special set is replaced";
}

TEST_F(MazeTest, BadTablesAreRefusedAndChangeNothing) {
    MazeObject& maze = NewMaze(4, 4);
    Call(&maze, "Maze", 7, {Table({6, 1})});
    struct Row {
        const char* what;
        uint32_t table;
        std::string error;
    };
    const std::vector<Row> rows = {
        {"negative count", TableWithCount({1, 1}, U(-2)), "Maze value table of -2 elements refused"},
        {"too many pairs", TableWithCount({1, 1}, 2 * kMaxMazeTablePairs + 2),
         "Maze value table of 131074 elements refused"},
        {"no table", 0, ""},
        {"weights beyond 32 bits", Table({1, INT32_MAX, 2, 1}),
         "Maze value table weights add up beyond 32 bits"},
    };
    for (const Row& row : rows) {
        const std::string error = ErrorMessage([&] { Call(&maze, "Maze", 7, {row.table}); });
        if (row.error.empty())
            EXPECT_NE(error.find("outside the address space"), std::string::npos)
                << row.what << ": " << error;
        else
            EXPECT_EQ(error, row.error) << row.what;
        TakeData();
        EXPECT_TRUE(maze.IsBlocking(6)) << row.what;
    }
}

// The grids were worked out apart from this code, from the fill's rules and the engine's generator.
TEST_F(MazeTest, FillFromAFixedSeed) {
    struct Row {
        int32_t width;
        int32_t height;
        int32_t passage;
        int32_t density;
        std::vector<int32_t> first;
        std::vector<int32_t> second;
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
        ScriptStore32(maze.PassageWidthAddress(), U(row.passage));
        Call(&maze, "Maze", 5, {U(row.density)});
        Call(&maze, "Maze", 6, {Table(row.first)});
        Call(&maze, "Maze", 7, {Table(row.second)});
        SeedRandom(row.seed);
        EXPECT_TRUE(Call(&maze, "Maze", 4).empty());
        EXPECT_EQ(Grid(maze), row.grid) << row.width << "x" << row.height;
    }
}

TEST_F(MazeTest, FillCounts) {
    struct Row {
        const char* what;
        int32_t width;
        int32_t height;
        int32_t density;
        int expected;  // non-zero cells
    };
    const std::vector<Row> rows = {
        {"density 0 carves and frees the passage", 10, 10, 0, 0},
        {"10 x 10 at 50", 10, 10, 50, 50},
        {"negative density", 10, 10, -30, 0},
        {"above 100: every cell once", 10, 10, 1000000, 100},
        {"empty grid", 0, 10, 50, 0},
    };
    for (const Row& row : rows) {
        MazeObject& maze = NewMaze(row.width, row.height);
        maze.SetDensity(row.density);
        maze.SetFirstTable({1, 1});
        SeedRandom(3);
        maze.Fill();
        EXPECT_EQ(CountNonZero(maze), row.expected) << row.what;
    }
}

TEST_F(MazeTest, WallsNeverFallOnThePassage) {
    // Only blocking values: whatever stays free is the passage, which runs from the top row down.
    MazeObject& maze = NewMaze(30, 20);
    maze.SetDensity(100);
    maze.SetSecondTable({9, 1});
    SeedRandom(11);
    maze.Fill();
    const int free = 30 * 20 - CountNonZero(maze);
    EXPECT_GT(free, 0);
    bool topFree = false;
    bool bottomFree = false;
    for (int32_t column = 0; column < 30; ++column) {
        topFree = topFree || maze.CellAt(column, 0) == 0;
        bottomFree = bottomFree || maze.CellAt(column, 18) == 0 || maze.CellAt(column, 19) == 0;
    }
    EXPECT_TRUE(topFree && bottomFree);
}

TEST_F(MazeTest, AnyPassageWidthEnds) {
    // A width the grid cannot hold, none, a negative one, and one for which every run after the first
    // is empty (the carving could never reach the bottom): each fill ends inside the grid.
    struct Row {
        int32_t width;
        int32_t height;
        int32_t passage;
        int32_t used;
    };
    const std::vector<Row> rows = {
        {10, 10, 0, 1}, {10, 10, -5, 1}, {10, 10, INT32_MAX, 10}, {9, 7, 2, 2}, {1, 50, 1, 1}, {5, 300, 1, 1},
    };
    for (const Row& row : rows) {
        MazeObject& maze = NewMaze(row.width, row.height);
        ScriptStore32(maze.PassageWidthAddress(), U(row.passage));
        EXPECT_EQ(maze.PassageWidth(), row.used) << row.passage;
        maze.SetFirstTable({1, 1});
        SeedRandom(9);
        maze.Fill();
        EXPECT_GT(CountNonZero(maze), 0) << row.width << "x" << row.height << " passage " << row.passage;
    }
}

TEST_F(MazeTest, NativesOnAnotherObject) {
    Open({DerivedClass("Stage", "Level", 8)});
    ScriptObject* stage = New("Stage");
    for (uint32_t n : {4u, 8u, 10u})
        EXPECT_EQ(ErrorMessage([&] { Call(stage, "Maze", n); }), "Maze object expected") << n;
}

}  // namespace
