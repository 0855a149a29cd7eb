// Header kinds of the game world's native objects (see script/script_object.h).
#pragma once

#include <cstdint>

constexpr uint32_t kLevelObjectKind = 140;
constexpr uint32_t kMazeObjectKind = 141;
constexpr uint32_t kSkillObjectKind = 150;
constexpr uint32_t kPlayerObjectKind = 160;
