// Native 0 of the control kinds made from a box: pops the class, then x, y, width, height and the
// id, and hands the new control over.
#pragma once

#include <memory>

#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/script_object.h"

template <class Object>
void CreateBoxedControl(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t width = args.Int();
    const int32_t height = args.Int();
    const int32_t id = args.Int();
    PushNewObject(runner, std::make_unique<Object>(cls, x, y, width, height, id));
}
