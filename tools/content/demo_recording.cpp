#include "tools/content/demo_recording.h"

#include <utility>

#include "tools/content/block_writer.h"

namespace {

constexpr uint32_t kLeft = 0, kRight = 1, kUp = 2, kDown = 3, kFire = 4;
constexpr uint32_t kMouseButtons = 2;

struct Poll {
    std::vector<bool> keys;
    std::vector<bool> buttons = std::vector<bool>(kMouseButtons, false);
    int32_t x = 0;
    int32_t y = 0;
};

// The pointer at a step: before the first waypoint at it, after the last one at that.
std::pair<int32_t, int32_t> PointerAt(const std::vector<DemoWaypoint>& path, uint32_t step) {
    if (path.empty()) return {0, 0};
    if (step <= path.front().step) return {path.front().x, path.front().y};
    for (size_t i = 1; i < path.size(); ++i) {
        const DemoWaypoint& a = path[i - 1];
        const DemoWaypoint& b = path[i];
        if (step > b.step) continue;
        const int64_t span = b.step - a.step;
        const int64_t done = step - a.step;
        if (span == 0) return {b.x, b.y};
        return {static_cast<int32_t>(a.x + (int64_t{b.x} - a.x) * done / span),
                static_cast<int32_t>(a.y + (int64_t{b.y} - a.y) * done / span)};
    }
    return {path.back().x, path.back().y};
}

void AppendState(std::string& out, const std::vector<bool>& now, const std::vector<bool>& before) {
    for (bool held : now) out += LeU32(held ? 0xFFFFFFFFu : 0);
    for (size_t i = 0; i < now.size(); ++i) out += LeU32(now[i] && !before[i] ? 1 : 0);
}

}  // namespace

std::string DemoRecording(uint32_t actionCount, uint32_t steps, const std::vector<DemoWaypoint>& path,
                          uint32_t fireFrom, uint32_t fireTo) {
    std::string out;
    Poll before{std::vector<bool>(actionCount, false)};
    for (uint32_t step = 0; step < steps; ++step) {
        Poll now{std::vector<bool>(actionCount, false)};
        const auto [x, y] = PointerAt(path, step);
        const auto [nextX, nextY] = PointerAt(path, step + 1);
        now.x = x;
        now.y = y;
        const bool fire = step >= fireFrom && step < fireTo;
        const bool held[] = {nextX<x, nextX> x, nextY<y, nextY> y, fire};
        for (uint32_t a : {kLeft, kRight, kUp, kDown, kFire})
            if (a < actionCount) now.keys[a] = held[a];
        now.buttons[0] = fire;
        AppendState(out, now.keys, before.keys);
        AppendState(out, now.buttons, before.buttons);
        out += LeU32(static_cast<uint32_t>(now.x)) + LeU32(static_cast<uint32_t>(now.y)) + LeU32(0);
        before = std::move(now);
    }
    return out;
}
