#include "world/scenario.h"

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/script_object.h"
#include "script/zema_class.h"

namespace {

constexpr const char* kNoStart = "Method 'Start' must be defined in scenario.";

// Texts handed to scripts stay for the program's life: scripts may keep their addresses.
uint32_t ScenarioNameText() {
    static const ScriptBuffer<char> text = CopyTextToScript("Standart scenario name");
    return ToScript(text.get());
}

uint32_t EmptyText() {
    static const ScriptBuffer<char> text = CopyTextToScript("");
    return ToScript(text.get());
}

void MissingStart(ScriptObject*) {
    ThrowFatal("%s", kNoStart);
}

void DefaultName(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(ScenarioNameText());
}

void DefaultText4(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(EmptyText());
}

}  // namespace

void Scenario::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(MissingStart, kScenarioStartVirtual);
    target.SetVirtualMethod(DefaultName, 3);
    target.SetVirtualMethod(DefaultText4, 4);
    // Method 0 stays the root's create: a bare object of the class.
    BindNativeBase(row, target);
}

bool Scenario::RunStart(ScriptObject* scenario) {
    ZEMAClass* cls = scenario != nullptr ? scenario->Class() : nullptr;
    if (cls == nullptr || cls->VirtualMethodSlot(kScenarioStartVirtual) == 0) ThrowFatal("%s", kNoStart);
    MethodRunner& runner = RunnerOf(scenario);
    runner.CallVirtual(scenario, kScenarioStartVirtual);
    return runner.DataStack().Pop() != 0;
}
