#include "world/maze_enemy.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "world/level.h"
#include "world/maze.h"
#include "world/step_arithmetic.h"
#include "world/world_kinds.h"

namespace {

// The running level's scroll speed; 0 outside a flight.
int32_t ScrollSpeed(MazeEnemyObject& enemy) {
    LevelObject* level = LevelObject::Running(Actor::ProcessorOf(&enemy).Objects());
    return level != nullptr ? level->Speed() : 0;
}

void MazeEnemyStep(ScriptObject* receiver) {
    MazeEnemyObject& enemy = MazeEnemyObject::Of(receiver);
    NativeArgs(receiver).Int();
    MazeEnemy::Step(enemy);
}

void CreateMazeEnemy(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    const ActorCreation c = ActorCreation::Pop(args, ActorCreation::Speed::Single);
    const auto* maze = dynamic_cast<MazeObject*>(args.ObjectOrNull(kMazeObjectKind, "maze"));
    const int32_t column = args.Int();
    const int32_t row = args.Int();
    const int32_t cellWidth = args.Int();
    const int32_t cellHeight = args.Int();
    auto enemy = std::make_unique<MazeEnemyObject>(c.cls, c.picture, c.energy, c.x, c.y, c.speed, c.damage,
                                                   c.armour, maze, column, row, cellWidth, cellHeight);
    MazeEnemy::ChooseMove(*enemy);
    PushNewObject(runner, std::move(enemy));
}

}  // namespace

MazeEnemyObject::MazeEnemyObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y,
                                 int32_t speed, uint32_t damageTable, uint32_t armourTable,
                                 const MazeObject* maze, int32_t column, int32_t row, int32_t cellWidth,
                                 int32_t cellHeight)
    : ActorObject(cls, picture, energy, x, y, 0, 0, damageTable, armourTable),
      maze_(maze),
      speed_(speed),
      column_(column),
      row_(row),
      cellWidth_(cellWidth),
      cellHeight_(cellHeight) {}

MazeObject* MazeEnemyObject::Maze() const {
    return dynamic_cast<MazeObject*>(maze_.Get(kMazeObjectKind));
}

MazeEnemyObject& MazeEnemyObject::Of(ScriptObject* receiver) {
    return ReceiverOf<MazeEnemyObject>(receiver, "MazeEnemy object expected");
}

void MazeEnemy::ChooseMove(MazeEnemyObject& enemy) {
    const int32_t first = EngineRand() * 4 / 32768;
    enemy.stepCount_ = 0;
    MazeObject* maze = enemy.Maze();
    // A speed of 0 would never arrive: such an enemy stands.
    if (maze == nullptr || enemy.speed_ == 0) return;
    const int32_t column = enemy.column_;
    const int32_t row = enemy.row_;
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t d = (first + k) % 4;
        int32_t c = column;
        int32_t r = row;
        if (d == 0 && column < maze->Width() - 1) c = column + 1;
        if (d == 1 && row >= 1) r = row - 1;
        if (d == 2 && column >= 1) c = column - 1;
        if (d == 3 && row < maze->Height() - 1) r = row + 1;
        if (c == column && r == row) continue;
        // An enemy placed outside the grid only looks at neighbours inside it.
        if (c < 0 || c >= maze->Width() || r < 0 || r >= maze->Height()) continue;
        if (maze->IsBlocking(maze->CellAt(c, r))) continue;

        const bool rowChanges = r != row;
        enemy.startX_ = enemy.X();
        enemy.startY_ = enemy.Y();
        enemy.targetX_ = static_cast<int32_t>(int64_t{enemy.cellWidth_} * c + enemy.cellWidth_ / 2);
        int64_t targetY = enemy.Y() - (int64_t{r} - row) * enemy.cellHeight_;
        enemy.direction_ = d;
        enemy.stepIndex_ = 0;
        const int64_t steps = int64_t{rowChanges ? enemy.cellHeight_ : enemy.cellWidth_} / enemy.speed_;
        enemy.stepCount_ = static_cast<int32_t>(std::clamp<int64_t>(steps, 1, INT32_MAX));
        // The field scrolls on while the enemy moves: the target drifts down with it.
        targetY += int64_t{ScrollSpeed(enemy)} * enemy.stepCount_;
        enemy.targetY_ = static_cast<int32_t>(targetY);
        enemy.targetColumn_ = c;
        enemy.targetRow_ = r;
        enemy.SetInt(kActorSpeedX, 0);
        enemy.SetInt(kActorSpeedY, 0);
        return;
    }
}

void MazeEnemy::Step(MazeEnemyObject& enemy) {
    if (enemy.stepCount_ == 0) {
        enemy.SetInt(kActorSpeedX, 0);
        enemy.SetInt(kActorSpeedY, ScrollSpeed(enemy));
        Actor::Step(enemy);
        return;
    }
    ++enemy.stepIndex_;
    if (enemy.stepIndex_ < enemy.stepCount_) {
        enemy.SetInt(kVisualX,
                     Interpolate(enemy.startX_, enemy.targetX_, enemy.stepIndex_, enemy.stepCount_));
        enemy.SetInt(kVisualY,
                     Interpolate(enemy.startY_, enemy.targetY_, enemy.stepIndex_, enemy.stepCount_));
        Actor::Step(enemy);
        return;
    }
    enemy.SetInt(kVisualX, enemy.targetX_);
    enemy.SetInt(kVisualY, enemy.targetY_);
    enemy.column_ = enemy.targetColumn_;
    enemy.row_ = enemy.targetRow_;
    Actor::Step(enemy);
    ChooseMove(enemy);
}

void MazeEnemy::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(MazeEnemyStep, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateMazeEnemy, kCreateObjectMethod);
}
