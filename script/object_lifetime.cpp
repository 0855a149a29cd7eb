#include "script/object_lifetime.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "script/script_object.h"

namespace {

struct Waiting {
    std::vector<ScriptObject*> objects;
};

thread_local Waiting waiting;

std::atomic<uint64_t> lastBirth{0};

// The memory of destroyed objects only: their destruction is done, so nothing here runs a script.
void Release(std::vector<ScriptObject*>& objects) {
    for (ScriptObject* object : objects) delete object;
    objects.clear();
}

void ReleaseAll() {
    while (!waiting.objects.empty()) {
        std::vector<ScriptObject*> objects;
        objects.swap(waiting.objects);
        Release(objects);
    }
}

}  // namespace

thread_local uint32_t ReleaseHold::holds = 0;

void ReleaseHold::ReleaseWaiting() {
    if (!waiting.objects.empty()) ReleaseAll();
}

ReleaseLoop::ReleaseLoop() : firstBirth_(lastBirth.load(std::memory_order_relaxed) + 1) {}

void ReleaseLoop::Turn() {
    std::vector<ScriptObject*>& objects = waiting.objects;
    const auto older = std::stable_partition(
        objects.begin(), objects.end(), [this](const ScriptObject* o) { return o->Birth() < firstBirth_; });
    std::vector<ScriptObject*> made(older, objects.end());
    objects.erase(older, objects.end());
    Release(made);
}

uint64_t NextObjectBirth() {
    return lastBirth.fetch_add(1, std::memory_order_relaxed) + 1;
}

void ReleaseWhenUnheld(ScriptObject* object) {
    if (ReleaseHold::holds == 0) {
        delete object;
        return;
    }
    waiting.objects.push_back(object);
}

size_t DestroyedAwaitingRelease() {
    return waiting.objects.size();
}
