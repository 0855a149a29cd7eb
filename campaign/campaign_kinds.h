// Header kinds of the campaign's native objects (see script/script_object.h).
#pragma once

#include <cstdint>
