#include "campaign/date_steps.h"

#include <algorithm>
#include <set>

#include "foundation/random.h"
#include "ui/gtime.h"

bool SetDateStep(GTime& step, int32_t code) {
    switch (code) {
        case kStepMinute:
            step = GTime(0, 100);
            return true;
        case kStepHour:
            step = GTime(0, 10000);
            return true;
        case kStepTwoHours:
            step = GTime(0, 20000);
            return true;
        case kStepDay:
            step = GTime(1, 0);
            return true;
        default:
            return false;
    }
}

int32_t DateStepCode(const GTime& step) {
    if (step.Date() / 1000 > 0 || step.Date() % 1000 > 0) return kStepDay;
    const int32_t hours = step.Time() / 10000 % 100;
    if (hours >= 2) return kStepTwoHours;
    if (hours < 1) return kStepMinute;
    return kStepHour;
}

namespace {

constexpr uint32_t kRandomValues = 32768;

// An index below count from one draw; the product is taken in 64 bits so that a long group never
// overflows into a wrong or negative index.
uint32_t DrawIndex(uint32_t count) {
    return static_cast<uint32_t>((static_cast<uint64_t>(EngineRand()) * count) >> 15);
}

}  // namespace

std::vector<uint32_t> PickDistinctEvents(uint32_t count, uint32_t wanted) {
    // A draw takes one of 32768 values, so a group longer than that has only 32768 indexes that can
    // ever come up: asking for more would draw for ever.
    const uint32_t n = std::min({wanted, count, kRandomValues});
    std::set<uint32_t> picked;
    while (picked.size() < n) {
        // The last index is taken straight from the first draw; any other first draw is replaced
        // by a second one. The sequence of draws is what recorded games replay.
        const uint32_t first = DrawIndex(count);
        picked.insert(first < count - 1 ? DrawIndex(count) : count - 1);
    }
    return {picked.begin(), picked.end()};
}
