// Header kinds of the screens' native objects (see script/script_object.h).
#pragma once

#include <cstdint>

constexpr uint32_t kConversationKind = 210;
