// MazeEnemy: an actor that walks a Maze from cell to cell, choosing a random passable neighbour at
// each cell, while the field scrolls under it at the level's speed. The maze is held weakly, so a
// maze deleted elsewhere leaves the enemy standing rather than reading a lost grid.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "world/actor.h"

class MazeObject;
struct NativeClassRow;

class MazeEnemyObject : public ActorObject {
  public:
    // Standing in cell (column, row) of the maze; the first move is chosen by ChooseMove.
    MazeEnemyObject(ZEMAClass* cls, uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speed,
                    uint32_t damageTable, uint32_t armourTable, const MazeObject* maze, int32_t column,
                    int32_t row, int32_t cellWidth, int32_t cellHeight);

    // The maze if it is still alive, else null.
    MazeObject* Maze() const;
    int32_t Column() const { return column_; }
    int32_t Row() const { return row_; }
    int32_t Direction() const { return direction_; }
    int32_t StepCount() const { return stepCount_; }
    int32_t TargetX() const { return targetX_; }
    int32_t TargetY() const { return targetY_; }

    static MazeEnemyObject& Of(ScriptObject* receiver);

  private:
    friend struct MazeEnemy;
    WeakObject maze_;
    int32_t speed_;
    int32_t direction_ = 0;  // 0 right, 1 up, 2 left, 3 down
    int32_t targetX_ = 0;
    int32_t targetY_ = 0;
    int32_t startX_ = 0;
    int32_t startY_ = 0;
    int32_t stepIndex_ = 0;
    int32_t stepCount_ = 0;  // 0 while it stands and drifts with the scroll
    int32_t targetColumn_ = 0;
    int32_t targetRow_ = 0;
    int32_t column_;
    int32_t row_;
    int32_t cellWidth_;
    int32_t cellHeight_;
};

struct MazeEnemy {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Tries the four neighbours from a random start direction and heads for the first passable one
    // inside the grid; with none (or no maze, or a speed of 0) the enemy stands.
    static void ChooseMove(MazeEnemyObject& enemy);
    // The maze step without popping: drifts while standing, else moves toward the target cell and
    // chooses the next move on arriving.
    static void Step(MazeEnemyObject& enemy);
};
