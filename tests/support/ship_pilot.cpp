#include "tests/support/ship_pilot.h"

TestPilot::TestPilot(ZEMAClass* cls) : ScriptObject(cls) {
    device.Actions().SetCodes({kActionKeys[0], kActionKeys[1], kActionKeys[2], kActionKeys[3], kActionKeys[4],
                               kActionKeys[5], kActionKeys[6], kActionKeys[7]});
}

void TestPilot::ShowStatus(const String& text, int32_t duration, int32_t priority) {
    statuses.push_back({text.Text(), duration, priority});
}

void TestPilot::ShipRecomputed(ShipObject&) {
    ++recomputed;
}
