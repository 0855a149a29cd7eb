// Natives 0 that pop the class and a control's place, then hand the new control over.
#pragma once

#include <memory>

#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/script_object.h"
#include "script/zema_class.h"

// Pops the class, then x, y and the id.
template <class Object>
void CreatePlacedControl(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t id = args.Int();
    PushNewObject(runner, std::make_unique<Object>(cls, x, y, id));
}

// Pops the class, then x, y, width, height and the id.
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
