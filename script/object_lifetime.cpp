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

void ReleaseHold::ReleaseWaiting() {
    if (!waiting.entries.empty()) ReleaseAll();
}

ReleaseLoop::ReleaseLoop() : firstBirth_(lastBirth.load(std::memory_order_relaxed) + 1) {}

void ReleaseLoop::Turn() {
    std::vector<Entry>& entries = waiting.entries;
    const auto older = std::stable_partition(entries.begin(), entries.end(),
                                             [this](const Entry& e) { return e.birth < firstBirth_; });
    std::vector<Entry> made(std::make_move_iterator(older), std::make_move_iterator(entries.end()));
    entries.erase(older, entries.end());
    Release(made);
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

size_t DestroyedAwaitingRelease() {
    return waiting.entries.size();
}
