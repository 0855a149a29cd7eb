// Header kinds of the script-visible graphics objects, so that a reference taken from a script can
// be checked before it is used as a picture, frame or font.
#pragma once

#include <cstdint>

constexpr uint32_t kImageKind = 16;
constexpr uint32_t kFontKind = 17;
constexpr uint32_t kFrameKind = 18;
