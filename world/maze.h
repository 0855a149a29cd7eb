// A rectangular grid of integer cells that scripts fill at random from two weighted value tables,
// keeping a randomly carved passage free; maze enemies walk it through the cell accessors. The grid
// and the tables stay on the host side: only the passage width is a field scripts reach by
// reference, so it is read back as untrusted.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "script/script_fields.h"
#include "script/script_object.h"

struct NativeClassRow;

// Marks a passage cell while a fill runs.
constexpr int32_t kMazePassage = 2147483647;
// Largest grid a script may ask for, in cells, and most pairs in one value table.
constexpr int64_t kMaxMazeCells = int64_t{1} << 22;
constexpr uint32_t kMaxMazeTablePairs = 1u << 16;
// Failed tries in a row after which a fill stops placing values.
constexpr int32_t kMazeFillTries = 10000;

// One weighted value table: running totals of the weights mapped to values.
struct MazeTable {
    std::map<int64_t, int32_t> byTotal;
    int64_t total = 0;

    // The value of the first entry whose running total is above r; 0 when there is none.
    int32_t ValueAbove(int64_t r) const;
};

class MazeObject : public ScriptObject {
  public:
    // A width x height grid of free cells; FatalExep for a negative size or one above kMaxMazeCells.
    MazeObject(ZEMAClass* cls, int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Cell at (column, row); FatalExep "invalid vector<T> subscript" outside the grid.
    int32_t CellAt(int32_t column, int32_t row) const;
    // Stores when (column, row) lies in the grid; elsewhere nothing happens.
    void SetCell(int32_t column, int32_t row, int32_t value);
    // The passage mark, negative values and the second table's values block; 0 never does.
    bool IsBlocking(int32_t value) const;

    void SetDensity(int32_t percent) { density_ = percent; }
    // The pairs (value, weight) replace a table; the second table also replaces the special set.
    // FatalExep when a running total leaves the 32-bit range (the tables are left as they were).
    void SetFirstTable(const std::vector<int32_t>& pairs);
    void SetSecondTable(const std::vector<int32_t>& pairs);
    // The passage width field's script address, and its value as the fill uses it (1..width).
    uint32_t PassageWidthAddress() const { return own_.Address(0); }
    int32_t PassageWidth() const;

    // A value drawn from the two tables by their weights.
    int32_t RandomValue() const;
    // Carves a passage, places density percent of the cells at random and frees the passage.
    void Fill();

    // The receiver of a Maze native; FatalExep when it is not a maze.
    static MazeObject& Of(ScriptObject* receiver);

  private:
    bool Inside(int64_t column, int64_t row) const;
    // Passage marks on the part of a row or column inside the grid: a wide passage costs no more
    // than the cells it covers.
    void MarkRow(int64_t row, int64_t firstColumn, int64_t lastColumn);
    void MarkColumn(int64_t column, int64_t firstRow, int64_t lastRow);
    void CarvePassage();
    void PlaceValues();

    int32_t width_;
    int32_t height_;
    std::vector<std::vector<int32_t>> rows_;
    MazeTable first_;
    MazeTable second_;
    std::set<int32_t> special_;
    int32_t density_ = 50;
    ScriptFields own_{1};
};

struct Maze {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
