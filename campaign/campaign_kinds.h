// Header kinds of the campaign's native objects (see script/script_object.h).
#pragma once

#include <cstdint>

constexpr uint32_t kStarSystemKind = 230;
constexpr uint32_t kStarSystemWindowKind = 231;
