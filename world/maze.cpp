#include "world/maze.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "world/world_kinds.h"

namespace {

constexpr int64_t kRandRange = 32768;

int64_t Rand() {
    return EngineRand();
}

// The pairs (value, weight) of a table argument: an array of 32-bit integers whose element count is
// the word before the first element. A lone last element has no weight and is left out.
std::vector<int32_t> ReadTablePairs(uint32_t address) {
    const auto count = static_cast<int32_t>(ScriptLoad32(address - 4));
    if (count < 0 || static_cast<uint32_t>(count) / 2 > kMaxMazeTablePairs)
        ThrowFatal("Maze value table of %d elements refused", count);
    std::vector<int32_t> pairs(static_cast<uint32_t>(count) & ~1u);
    if (pairs.empty()) return pairs;
    const uint32_t bytes = static_cast<uint32_t>(pairs.size() * 4);
    std::memcpy(pairs.data(), ScriptPointer<const uint8_t>(address, bytes), bytes);
    return pairs;
}

MazeTable BuildTable(const std::vector<int32_t>& pairs) {
    MazeTable table;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        table.total += pairs[i + 1];
        if (table.total < INT32_MIN || table.total > INT32_MAX)
            ThrowFatal("Maze value table weights add up beyond 32 bits");
        table.byTotal[table.total] = pairs[i];
    }
    return table;
}

// --- natives ---

void CreateMaze(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("maze class");
    const int32_t height = args.Int();
    const int32_t width = args.Int();
    PushNewObject(runner, std::make_unique<MazeObject>(cls, width, height));
}

void FillMaze(ScriptObject* receiver) {
    MazeObject::Of(receiver).Fill();
}

void SetDensity(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    maze.SetDensity(NativeArgs(receiver).Int());
}

void SetFirstTable(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    maze.SetFirstTable(ReadTablePairs(NativeArgs(receiver).Word()));
}

void SetSecondTable(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    maze.SetSecondTable(ReadTablePairs(NativeArgs(receiver).Word()));
}

void PushCell(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t row = args.Int();
    const int32_t column = args.Int();
    args.Stack().Push(static_cast<uint32_t>(maze.CellAt(column, row)));
}

void StoreCell(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t value = args.Int();
    const int32_t row = args.Int();
    const int32_t column = args.Int();
    maze.SetCell(column, row, value);
}

void PushPassageWidthReference(ScriptObject* receiver) {
    MazeObject& maze = MazeObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(maze.PassageWidthAddress());
}

}  // namespace

int32_t MazeTable::ValueAbove(int64_t r) const {
    const auto entry = byTotal.upper_bound(r);
    return entry != byTotal.end() ? entry->second : 0;
}

MazeObject::MazeObject(ZEMAClass* cls, int32_t width, int32_t height)
    : ScriptObject(cls), width_(width), height_(height) {
    if (width < 0 || height < 0 || width > kMaxMazeCells || height > kMaxMazeCells ||
        int64_t{width} * height > kMaxMazeCells)
        ThrowFatal("Maze of %d x %d cells refused", width, height);
    SetKind(kMazeObjectKind);
    rows_.assign(static_cast<size_t>(height), std::vector<int32_t>(static_cast<size_t>(width), 0));
    own_.Data()[0] = 1;
}

bool MazeObject::Inside(int64_t column, int64_t row) const {
    return column >= 0 && column < width_ && row >= 0 && row < height_;
}

int32_t MazeObject::CellAt(int32_t column, int32_t row) const {
    if (!Inside(column, row)) ThrowFatal("invalid vector<T> subscript");
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void MazeObject::SetCell(int32_t column, int32_t row, int32_t value) {
    if (Inside(column, row)) rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = value;
}

bool MazeObject::IsBlocking(int32_t value) const {
    return value != 0 && (value == kMazePassage || value < 0 || special_.count(value) != 0);
}

void MazeObject::SetFirstTable(const std::vector<int32_t>& pairs) {
    first_ = BuildTable(pairs);
}

void MazeObject::SetSecondTable(const std::vector<int32_t>& pairs) {
    MazeTable table = BuildTable(pairs);
    std::set<int32_t> special;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) special.insert(pairs[i]);
    second_ = std::move(table);
    special_ = std::move(special);
}

int32_t MazeObject::PassageWidth() const {
    const auto w = static_cast<int32_t>(own_.Data()[0]);
    return std::clamp(w, 1, std::max(width_, 1));
}

int32_t MazeObject::RandomValue() const {
    const int64_t r = Rand() * (first_.total + second_.total) / kRandRange;
    return r < first_.total ? first_.ValueAbove(r) : second_.ValueAbove(r - first_.total);
}

void MazeObject::MarkRow(int64_t row, int64_t firstColumn, int64_t lastColumn) {
    if (row < 0 || row >= height_) return;
    std::vector<int32_t>& cells = rows_[static_cast<size_t>(row)];
    for (int64_t c = std::max<int64_t>(firstColumn, 0); c <= std::min<int64_t>(lastColumn, width_ - 1); ++c)
        cells[static_cast<size_t>(c)] = kMazePassage;
}

void MazeObject::MarkColumn(int64_t column, int64_t firstRow, int64_t lastRow) {
    if (column < 0 || column >= width_) return;
    for (int64_t r = std::max<int64_t>(firstRow, 0); r <= std::min<int64_t>(lastRow, height_ - 1); ++r)
        rows_[static_cast<size_t>(r)][static_cast<size_t>(column)] = kMazePassage;
}

void MazeObject::CarvePassage() {
    enum Direction : int64_t { kDown, kRight, kLeft };
    const int64_t w = PassageWidth();
    const int64_t runScale = std::max<int64_t>(width_ / (3 * w), 1);
    int64_t row = 0;
    int64_t column = (Rand() * (width_ / w - 1) / kRandRange + 1) * w;
    int64_t direction = kDown;
    int64_t run = 2 * w;
    for (;;) {
        if (direction == kDown) {
            for (; row < height_ && run > 0; ++row, --run) MarkRow(row, column - w + 1, column);
            if (row >= height_ - 1) return;
        } else if (direction == kRight) {
            for (; column < width_ && run > 0; ++column, --run) MarkColumn(column, row - w + 1, row);
            column = std::min<int64_t>(column, width_ - 1);
        } else if (direction == kLeft) {
            for (; column > -1 && run > 0; --column, --run) MarkColumn(column, row - w + 1, row);
            column = std::max(column, w - 1);
        }
        // Every later run would be empty and the passage could never reach the bottom.
        if (runScale == 1) return;
        direction = Rand() * 4 / kRandRange;
        run = w * (Rand() * runScale / kRandRange);
    }
}

void MazeObject::PlaceValues() {
    // Above 100 percent there is no free cell left to place on.
    const int64_t count = std::clamp(density_, 0, 100) * int64_t{width_} * height_ / 100;
    for (int64_t placed = 0; placed < count; ++placed) {
        const int32_t value = RandomValue();
        for (int32_t tries = 0;; ++tries) {
            if (tries == kMazeFillTries) return;
            const int64_t column = Rand() * width_ / kRandRange;
            const int64_t row = Rand() * height_ / kRandRange;
            int32_t& cell = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
            if (cell == 0 || (cell == kMazePassage && !IsBlocking(value))) {
                cell = value;
                break;
            }
        }
    }
}

void MazeObject::Fill() {
    if (width_ == 0 || height_ == 0) return;
    CarvePassage();
    PlaceValues();
    for (std::vector<int32_t>& row : rows_) std::replace(row.begin(), row.end(), kMazePassage, 0);
}

MazeObject& MazeObject::Of(ScriptObject* receiver) {
    return ReceiverOf<MazeObject>(receiver, "Maze object expected");
}

void Maze::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateMaze, 0);
    target.SetMethod(FillMaze, 4);
    target.SetMethod(SetDensity, 5);
    target.SetMethod(SetFirstTable, 6);
    target.SetMethod(SetSecondTable, 7);
    target.SetMethod(PushCell, 8);
    target.SetMethod(StoreCell, 9);
    target.SetMethod(PushPassageWidthReference, 10);
}
