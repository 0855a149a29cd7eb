#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "script/operations.h"
#include "tests/support/error_message.h"
#include "tests/world/flight_actors_fixture.h"
#include "tools/content/script_subclass.h"
#include "world/maze.h"
#include "world/maze_enemy.h"
#include "world/pro_actor.h"

namespace {

class ProActorTest : public FlightActorsTest {
  protected:
    explicit ProActorTest(const std::vector<ScriptSubclass>& classes = {}) : FlightActorsTest(classes) {}
    ProActorObject& NewProActor(int32_t x, int32_t y) {
        return Make<ProActorObject>("ProActor", {0, 10, W(x), W(y), 0, 0, 0, 0});
    }
    // A script integer array: its element count in the word before the first element.
    uint32_t Path(const std::vector<int32_t>& ints, uint32_t storedCount) {
        auto block = NewScriptBuffer<uint32_t>((ints.size() + 1) * 4);
        block.get()[0] = storedCount;
        if (!ints.empty()) std::memcpy(block.get() + 1, ints.data(), ints.size() * 4);
        paths_.push_back(std::move(block));
        return ToScript(paths_.back().get() + 1);
    }
    uint32_t Path(const std::vector<int32_t>& ints) { return Path(ints, static_cast<uint32_t>(ints.size())); }
    void Step(ScriptObject& actor) { CallVirtual(&actor, kStepVirtual, {0}); }

  private:
    std::vector<ScriptBuffer<uint32_t>> paths_;
};

class MazeEnemyTest : public FlightActorsTest {
  protected:
    // A width x height maze; cells listed as {column, row, value}.
    MazeObject& NewMaze(int32_t width, int32_t height, const std::vector<std::vector<int32_t>>& cells = {}) {
        auto& maze = Make<MazeObject>("Maze", {W(height), W(width)});
        for (const auto& c : cells) maze.SetCell(c[0], c[1], c[2]);
        return maze;
    }
    // Cells of 1000 x 1000 hundredths; the enemy at (x, y) in cell (column, row).
    MazeEnemyObject& NewEnemy(MazeObject* maze, int32_t column, int32_t row, int32_t speed, int32_t x = 5000,
                              int32_t y = 5000) {
        return Make<MazeEnemyObject>(
            "MazeEnemy", {0, 10, W(x), W(y), W(speed), 0, 0, maze != nullptr ? maze->Address() : 0, W(column),
                          W(row), 1000, 1000});
    }
    void Step(ScriptObject& actor) { CallVirtual(&actor, kStepVirtual, {0}); }
};

}  // namespace

// Records {dx, dy, speed, wait} from the origin (1000, 1000): four steps of 250 to (2000, 1000),
// then at the default speed 100 to (1000, 1500) in 11 steps, a wait of 2, and the end.
TEST_F(ProActorTest, FollowsItsPathSegmentBySegment) {
    ProActorObject& actor = NewProActor(1000, 1000);
    Call(&actor, "ProActor", 35, {Path({1000, 0, 250, 0, 0, 500, 0, 2})});
    EXPECT_EQ(Call(&actor, "ProActor", 42), std::vector<uint32_t>{2});
    const struct {
        int step;
        int32_t x, y, state;
    } expected[] = {
        {1, 1250, 1000, 0},  {4, 2000, 1000, 0},  {5, 1910, 1045, 0},  {10, 1455, 1272, 0},
        {15, 1000, 1500, 0}, {16, 1000, 1500, 0}, {17, 1000, 1500, 0}, {18, 1000, 1500, 2},
    };
    int step = 0;
    for (const auto& e : expected) {
        while (step < e.step) {
            Step(actor);
            ++step;
        }
        SCOPED_TRACE(step);
        EXPECT_EQ(actor.X(), e.x);
        EXPECT_EQ(actor.Y(), e.y);
        EXPECT_EQ(actor.State(), e.state);
    }
    EXPECT_EQ(actor.Int(kProSegmentSpeed), 100);
}

// From (1000, 1000); x and y after the given step, and the step that ends the path.
namespace {

// Patrol, a script subclass, keeps the index of each segment reached (virtual method 18) in its
// default speed: its own virtual method wins over the native default.
class PatrolTest : public ProActorTest {
  protected:
    PatrolTest() : ProActorTest({Patrol()}) {}
    static ScriptSubclass Patrol() {
        ScriptSubclass patrol{.name = "Patrol", .base = "ProActor"};
        patrol.virtuals[kSegmentReachedVirtual] = {BaseCallWord(41), OpWord(Op::Store)};
        return patrol;
    }
};

}  // namespace

TEST_F(PatrolTest, AScriptSubclassHearsOfEachSegmentReached) {
    auto& actor = Make<ProActorObject>("Patrol", {0, 10, 0, 0, 0, 0, 0, 0});
    Call(&actor, "ProActor", 35, {Path({200, 0, 100, 0, 200, 300, 100, 0})});
    const struct {
        int32_t x, y, reported;
    } steps[] = {{100, 0, 100}, {200, 0, 0}, {200, 100, 0}, {200, 200, 0}, {200, 300, 1}};
    for (const auto& s : steps) {
        Step(actor);
        EXPECT_EQ(actor.X(), s.x);
        EXPECT_EQ(actor.Y(), s.y);
        EXPECT_EQ(actor.Int(kProDefaultSpeed), s.reported);
    }
    EXPECT_EQ(TakeData(), std::vector<uint32_t>{});
}

TEST_F(ProActorTest, OddPathsEndCleanly) {
    const struct {
        const char* what;
        std::vector<int32_t> ints;
        bool atZero;  // method 36: origin (0, 0)
        int checkStep;
        int32_t x, y;
        int stepsToEnd;
    } cases[] = {
        {"a first segment shorter than one step is passed over", {50, 30, 100, 0}, false, 1, 1000, 1000, 1},
        // Two steps of 500, then a segment of no steps: finished at once, at its end.
        {"a later segment shorter than one step",
         {1000, 0, 500, 0, 1050, 30, 100, 0},
         false,
         3,
         2050,
         1030,
         4},
        {"a later segment at a negative speed", {1000, 0, 500, 0, 5000, 0, -7, 0}, false, 3, 6000, 1000, 4},
        {"origin at (0, 0)", {500, 300, 100, 0}, true, 1, 938, 913, 9},
        {"an empty path ends at the first step", {}, false, 1, 1000, 1000, 1},
        {"a partial record is no segment", {10, 10, 10}, false, 1, 1000, 1000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProActorObject& actor = NewProActor(1000, 1000);
        Call(&actor, "ProActor", c.atZero ? 36 : 35, {Path(c.ints)});
        int steps = 0;
        while (actor.State() == kActorAlive && steps < 100) {
            Step(actor);
            if (++steps == c.checkStep) {
                EXPECT_EQ(actor.X(), c.x);
                EXPECT_EQ(actor.Y(), c.y);
            }
        }
        EXPECT_EQ(steps, c.stepsToEnd);
    }
}

TEST_F(ProActorTest, WithoutAPathItStandsAndNeverLeavesByTheMargins) {
    ProActorObject& still = NewProActor(1000, 1000);
    still.SetInt(kVisualPhaseStep, 50);
    for (int i = 0; i < 3; ++i) Step(still);
    EXPECT_EQ(still.X(), 1000);
    EXPECT_EQ(still.Int(kVisualPhase), 0);
    // Far outside the field it keeps to its path.
    ProActorObject& outside = NewProActor(-900000, -900000);
    Call(&outside, "ProActor", 35, {Path({0, 100000, 1000, 0})});
    for (int i = 0; i < 50; ++i) Step(outside);
    EXPECT_EQ(outside.State(), kActorAlive);
    EXPECT_EQ(outside.Y(), -850000);
}

TEST_F(ProActorTest, FieldsAndSegmentsScriptsReach) {
    ProActorObject& actor = NewProActor(300, 400);
    const uint32_t path = Path({100, 0, 10, 0, 0, 100, 10, 0, 100, 100, 10, 0});
    Call(&actor, "ProActor", 35, {path});
    EXPECT_EQ(Call(&actor, "ProActor", 40), std::vector<uint32_t>{path});
    EXPECT_EQ(Call(&actor, "ProActor", 37), std::vector<uint32_t>{actor.OwnAddress(kProOriginX)});
    EXPECT_EQ(Call(&actor, "ProActor", 38), std::vector<uint32_t>{actor.OwnAddress(kProOriginY)});
    EXPECT_EQ(Call(&actor, "ProActor", 41), std::vector<uint32_t>{actor.OwnAddress(kProDefaultSpeed)});
    EXPECT_EQ(actor.Int(kProDefaultSpeed), 100);
    Call(&actor, "ProActor", 39, {2});
    EXPECT_EQ(actor.Int(kProSegmentIndex), 2);
    EXPECT_EQ(actor.Int(kProTargetX), 400);
    EXPECT_EQ(actor.Int(kProTargetY), 500);
    const struct {
        int32_t segment;
        const char* error;
    } refused[] = {
        {3, "ProActor: segment 3 is not in a path of 3 segments"},
        {-1, "ProActor: segment -1 is not in a path of 3 segments"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(ErrorMessage([&] { Call(&actor, "ProActor", 39, {W(r.segment)}); }), r.error);
        TakeData();
    }
    ProActorObject& pathless = NewProActor(0, 0);
    EXPECT_EQ(ErrorMessage([&] { Call(&pathless, "ProActor", 39, {0}); }),
              "ProActor: segment 0 started without a path");
}

// A count word that claims more than script memory holds, or a step index a script wrote.
TEST_F(ProActorTest, UntrustedPathsAndFieldsAreChecked) {
    ProActorObject& actor = NewProActor(0, 0);
    EXPECT_NE(ErrorMessage([&] {
                  Call(&actor, "ProActor", 35, {Path({1, 2, 3, 4}, 0x3FFFFFFF)});
              }),
              "no error");
    TakeData();
    EXPECT_NE(ErrorMessage([&] {
                  Call(&actor, "ProActor", 35, {Path({1, 2, 3, 4}, 0xFFFFFFFF)});
              }),
              "no error");
    TakeData();
    EXPECT_NE(ErrorMessage([&] { Call(&actor, "ProActor", 35, {2}); }), "no error");
    TakeData();
    // A segment count a script raised: the next segment is looked for in the path itself.
    Call(&actor, "ProActor", 35, {Path({100, 0, 100, 0})});
    actor.SetInt(kProSegmentCount, 1000);
    Step(actor);
    EXPECT_EQ(ErrorMessage([&] { Step(actor); }), "ProActor: segment 1 is not in a path of 1 segments");
    TakeData();
    // A step index a script wrote far below 0 moves the actor without overflow.
    ProActorObject& other = NewProActor(0, 0);
    Call(&other, "ProActor", 35, {Path({100000, 0, 1, 0})});
    other.SetInt(kProStepIndex, INT32_MIN + 5);
    EXPECT_EQ(ErrorMessage([&] { Step(other); }), "no error");
    EXPECT_EQ(other.X(), INT32_MIN + 6);
}

TEST_F(MazeEnemyTest, WithNoPassableNeighbourItDriftsWithTheScroll) {
    Level().SetInt(kLevelSpeed, 300);
    MazeObject& walled = NewMaze(3, 3, {{0, 1, -1}, {2, 1, -1}, {1, 0, kMazePassage}, {1, 2, -5}});
    MazeObject& open = NewMaze(3, 3);
    const struct {
        const char* what;
        MazeObject* maze;
        int32_t column, row, speed;
    } cases[] = {
        {"walled in", &walled, 1, 1, 250},
        {"speed 0 never arrives: it stands", &open, 1, 1, 0},
        {"placed outside the grid", &open, 10, -4, 250},
        {"no maze", nullptr, 1, 1, 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MazeEnemyObject& enemy = NewEnemy(c.maze, c.column, c.row, c.speed);
        EXPECT_EQ(enemy.StepCount(), 0);
        Step(enemy);
        Step(enemy);
        EXPECT_EQ(enemy.X(), 5000);
        EXPECT_EQ(enemy.Y(), 5600);
        EXPECT_EQ(enemy.Column(), c.column);
    }
}

// A 3 x 1 corridor: from column 0 the only way is right, to x = 1500; four steps of speed 250, the
// target drifting down by the scroll of 100 per step.
TEST_F(MazeEnemyTest, WalksToTheNextCellWithTheScroll) {
    Level().SetInt(kLevelSpeed, 100);
    SeedRandom(7);
    MazeObject& corridor = NewMaze(3, 1);
    MazeEnemyObject& enemy = NewEnemy(&corridor, 0, 0, 250, 500, 2000);
    EXPECT_EQ(enemy.Direction(), 0);
    EXPECT_EQ(enemy.StepCount(), 4);
    EXPECT_EQ(enemy.TargetX(), 1500);
    EXPECT_EQ(enemy.TargetY(), 2400);
    const struct {
        int32_t x, y, column;
    } steps[] = {{750, 2100, 0}, {1000, 2200, 0}, {1250, 2300, 0}, {1500, 2400, 1}};
    for (const auto& s : steps) {
        Step(enemy);
        EXPECT_EQ(enemy.X(), s.x);
        EXPECT_EQ(enemy.Y(), s.y);
        EXPECT_EQ(enemy.Column(), s.column);
    }
    // From the middle it goes left or right, never stays.
    EXPECT_EQ(enemy.StepCount(), 4);
    EXPECT_TRUE(enemy.TargetX() == 500 || enemy.TargetX() == 2500) << enemy.TargetX();
}

// Rows: moving to row r - 1 puts the target a cell height further down, scroll added.
TEST_F(MazeEnemyTest, RowMovesUseTheCellHeight) {
    Level().SetInt(kLevelSpeed, 0);
    MazeObject& shaft = NewMaze(1, 3);
    MazeEnemyObject& enemy = NewEnemy(&shaft, 0, 2, 500, 500, 9000);
    EXPECT_EQ(enemy.Direction(), 1);
    EXPECT_EQ(enemy.StepCount(), 2);
    EXPECT_EQ(enemy.TargetX(), 500);
    EXPECT_EQ(enemy.TargetY(), 10000);
}

// A maze deleted while the enemy walks: on arriving it stands instead of reading a lost grid.
TEST_F(MazeEnemyTest, ADeletedMazeLeavesTheEnemyStanding) {
    Level().SetInt(kLevelSpeed, 10);
    MazeObject& corridor = NewMaze(3, 1);
    MazeEnemyObject& enemy = NewEnemy(&corridor, 0, 0, 1000, 500, 2000);
    Delete(&corridor);
    EXPECT_EQ(enemy.Maze(), nullptr);
    Step(enemy);
    EXPECT_EQ(enemy.Column(), 1);
    EXPECT_EQ(enemy.StepCount(), 0);
    Step(enemy);
    EXPECT_EQ(enemy.Y(), 2010 + 10);
}
