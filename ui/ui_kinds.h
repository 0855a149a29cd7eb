// Header kinds of the user interface's native objects (see script/script_object.h).
#pragma once

#include <cstdint>

// Each kind has a number of its own: lookups by kind tell the objects apart.

constexpr uint32_t kVisualObjectKind = 80;
constexpr uint32_t kGTimeObjectKind = 95;
constexpr uint32_t kScreenEffectKind = 96;
constexpr uint32_t kZEMADialogKind = 97;
