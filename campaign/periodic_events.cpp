#include <algorithm>
#include <cstdint>
#include <string>

#include "campaign/date_steps.h"
#include "campaign/game_manager.h"
#include "foundation/hash_table.h"
#include "ui/gtime.h"
#include "world/event_manager.h"

namespace {

// The group table is walked as the engine's 26-bucket name table walks it: bucket by bucket, and
// within a bucket in the order the groups were first named. The walk decides which group draws
// which random numbers, so recorded games depend on it.
constexpr uint32_t kGroupBuckets = 26;

std::vector<const EventGroup*> GroupsInTableOrder(const std::vector<EventGroup>& groups) {
    std::vector<const EventGroup*> order;
    order.reserve(groups.size());
    for (const EventGroup& group : groups) order.push_back(&group);
    std::stable_sort(order.begin(), order.end(), [](const EventGroup* a, const EventGroup* b) {
        return NameHash(String(a->name.c_str())) % kGroupBuckets <
               NameHash(String(b->name.c_str())) % kGroupBuckets;
    });
    return order;
}

// A period that has run out: today is at least period days after the last date. Taken in 64 bits,
// so that a huge period or a last date near the 32-bit limit never wraps into firing.
bool PeriodRunOut(int32_t today, int32_t last, int32_t period) {
    return int64_t{today} >= int64_t{last} + int64_t{period};
}

void StampGroup(Processor& processor, int32_t today, const EventGroup& group, const EventPeriod& period) {
    const String lastDateKey = String(group.name.c_str()) + "LastDate";
    const int32_t last = EventManager::FirstEventValue(processor, lastDateKey);
    if (!PeriodRunOut(today, last, period.period)) return;

    // Recording would keep a last date already there, and the group would then fire again at
    // every later change of the date: the date is set instead ({kind 0, no text, today} for a pilot
    // without one, as recording would have made it).
    EventManager::SetEventValueAll(processor, lastDateKey, today);
    for (const std::string& event : group.events)
        EventManager::RemoveEventAll(processor, String(event.c_str()));
    const auto count = static_cast<uint32_t>(group.events.size());
    for (uint32_t i : PickDistinctEvents(count, period.pick)) {
        EventManager::RecordEventAll(processor, String(group.events[i].c_str()), 0, String(), 0);
    }
}

}  // namespace

void StampLastDate(Processor& processor) {
    GameManagerObject& game = GameManagerObject::Get(processor);
    const int32_t today = game.GameTime().Date();
    for (const EventGroup* group : GroupsInTableOrder(game.EventGroups())) {
        const EventPeriod* period = game.FindGroupPeriod(group->name);
        if (period != nullptr) StampGroup(processor, today, *group, *period);
    }
}

void AdvanceDate(Processor& processor) {
    GameManagerObject& game = GameManagerObject::Get(processor);
    game.GameTime().Add(game.DateStep());
    StampLastDate(processor);
}

void AdvanceDateBy(Processor& processor, const GTime& amount) {
    GameManagerObject::Get(processor).GameTime().Add(amount);
    StampLastDate(processor);
}
