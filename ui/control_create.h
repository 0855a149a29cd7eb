// Natives 0 that pop the class and a control's place, then hand the new control over.
#pragma once

#include <cstdint>

#include "script/create_native.h"
#include "script/native_handler.h"

// Pops the class, then x, y and the id.
template <class Object>
constexpr NativeHandler CreatePlacedControl = CreateNative<Object, "class", int32_t, int32_t, int32_t>;

// Pops the class, then x, y, width, height and the id.
template <class Object>
constexpr NativeHandler CreateBoxedControl =
    CreateNative<Object, "class", int32_t, int32_t, int32_t, int32_t, int32_t>;
