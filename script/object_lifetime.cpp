#include "script/object_lifetime.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <utility>
#include <vector>

#include "script/script_object.h"

namespace {

// A destroyed object, or a native part given by what releases it.
struct Entry {
    uint64_t birth;
    ScriptObject* object;
    std::function<void()> release;
};

struct Waiting {
    std::vector<Entry> entries;
};

thread_local Waiting waiting;

std::atomic<uint64_t> lastBirth{0};

// What waits was destroyed or taken out of use already, so nothing here runs a script.
void Release(std::vector<Entry>& entries) {
    for (Entry& entry : entries) {
        if (entry.object != nullptr) {
            delete entry.object;
        } else {
            entry.release();
        }
    }
    entries.clear();
}

void ReleaseAll() {
    while (!waiting.entries.empty()) {
        std::vector<Entry> entries;
        entries.swap(waiting.entries);
        Release(entries);
    }
}

// Gives back what waits of the objects and parts made from firstBirth on, but the objects keep
// names (none without it).
void ReleaseMadeSince(uint64_t firstBirth, const std::function<bool(const ScriptObject&)>* keep) {
    const auto stays = [&](const Entry& e) {
        return e.birth < firstBirth || (keep != nullptr && e.object != nullptr && (*keep)(*e.object));
    };
    std::vector<Entry>& entries = waiting.entries;
    const auto gone = std::stable_partition(entries.begin(), entries.end(), stays);
    std::vector<Entry> made(std::make_move_iterator(gone), std::make_move_iterator(entries.end()));
    entries.erase(gone, entries.end());
    Release(made);
}

void Wait(Entry entry) {
    if (!ReleaseHold::Any()) {
        std::vector<Entry> now;
        now.push_back(std::move(entry));
        Release(now);
        return;
    }
    waiting.entries.push_back(std::move(entry));
}

}  // namespace

thread_local uint32_t ReleaseHold::holds = 0;

namespace {

// The first birth of each hold of the thread, by depth; holds nest as the frames that own them do.
// Deeper holds than these are not told apart: ReleaseBetweenCalls releases nothing under them.
constexpr uint32_t kRecordedHolds = 1024;
thread_local uint64_t holdBirths[kRecordedHolds];

}  // namespace

ReleaseHold::ReleaseHold() {
    if (holds < kRecordedHolds) holdBirths[holds] = lastBirth.load(std::memory_order_relaxed) + 1;
    ++holds;
}

void ReleaseHold::ReleaseWaiting() {
    if (!waiting.entries.empty()) ReleaseAll();
}

ReleaseLoop::ReleaseLoop() : firstBirth_(lastBirth.load(std::memory_order_relaxed) + 1) {}

void ReleaseLoop::Turn() {
    ReleaseMadeSince(firstBirth_, nullptr);
}

void ReleaseBetweenCalls(const std::function<bool(const ScriptObject&)>& keep) {
    const uint32_t depth = ReleaseHold::holds;
    if (depth == 0 || depth > kRecordedHolds) return;
    ReleaseMadeSince(holdBirths[depth - 1], &keep);
}

uint64_t NextObjectBirth() {
    return lastBirth.fetch_add(1, std::memory_order_relaxed) + 1;
}

void ReleaseWhenUnheld(ScriptObject* object) {
    Wait({object->Birth(), object, nullptr});
}

void ReleaseLater(uint64_t birth, std::function<void()> release) {
    Wait({birth, nullptr, std::move(release)});
}

size_t DestroyedAwaitingRelease(uint64_t madeFrom) {
    return static_cast<size_t>(std::count_if(waiting.entries.begin(), waiting.entries.end(),
                                             [madeFrom](const Entry& e) { return e.birth >= madeFrom; }));
}
