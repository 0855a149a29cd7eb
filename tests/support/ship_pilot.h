// A pilot for ship tests: a script object with an input device of its own (actions 0-7 mapped to
// keys the test presses), which records the status lines shown to it and counts the times its ship
// worked out its energy again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/key_table.h"
#include "shell/input_device.h"
#include "world/ship.h"

class TestPilot : public ScriptObject, public ShipPilot {
  public:
    // The keys of actions 0-7: left, right, up, down, primary, secondary, slot window, direction.
    static constexpr uint32_t kActionKeys[8] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'};

    explicit TestPilot(ZEMAClass* cls);

    InputDevice* PilotInput() override { return &device; }
    void ShowStatus(const String& text, int32_t duration, int32_t priority) override;
    void ShipRecomputed(ShipObject& ship) override;

    struct Status {
        std::string text;
        int32_t duration;
        int32_t priority;
        bool operator==(const Status&) const = default;
    };
    InputDevice device;
    std::vector<Status> statuses;
    int recomputed = 0;
};
