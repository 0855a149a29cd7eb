#include "tests/support/demo_recording.h"

#include "tests/support/block_writer.h"

namespace {

constexpr uint32_t kMouseButtons = 2;

bool HeldAt(const std::vector<DemoHold>& holds, uint32_t action, uint32_t step) {
    for (const DemoHold& h : holds)
        if (h.action == action && step >= h.first && step < h.last) return true;
    return false;
}

}  // namespace

std::string DemoRecording(uint32_t actionCount, uint32_t steps, const std::vector<DemoHold>& holds) {
    std::string out;
    for (uint32_t step = 0; step < steps; ++step) {
        for (uint32_t a = 0; a < actionCount; ++a) out += LeU32(HeldAt(holds, a, step) ? 0xFFFFFFFFu : 0);
        for (uint32_t a = 0; a < actionCount; ++a) {
            const bool wentDown = HeldAt(holds, a, step) && (step == 0 || !HeldAt(holds, a, step - 1));
            out += LeU32(wentDown ? 1 : 0);
        }
        // The buttons stay up and the pointer still: the demo pilots fly on keys alone.
        for (uint32_t b = 0; b < 2 * kMouseButtons + 3; ++b) out += LeU32(0);
    }
    return out;
}
