// The script object that starts a campaign or arcade game. Its loaders create it by class name and
// run its Start (virtual method 2) until it answers 0. A Scenario has no native fields.
#pragma once

#include <cstdint>

class ScriptObject;
class ZEMAClass;
struct NativeClassRow;

constexpr uint32_t kScenarioStartVirtual = 2;

struct Scenario {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Runs Start on the scenario; true when the value it left on the data stack is not 0.
    // "Method 'Start' must be defined in scenario." for no scenario or a class without a Start.
    static bool RunStart(ScriptObject* scenario);
};
