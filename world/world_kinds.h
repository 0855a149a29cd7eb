// Header kinds of the game world's native objects (see script/script_object.h).
#pragma once

#include <cstdint>
