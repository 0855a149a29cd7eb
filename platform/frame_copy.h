// Frame copies shared by the video backends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/video.h"

// Bytes per row of a frame, and the back-surface pitch (rounded up to 4).
int32_t RowBytes(int32_t width, int32_t bitsPerPixel);
int32_t AlignedPitch(int32_t width, int32_t bitsPerPixel);

// Copies width x height pixels into top-down rows dstPitch bytes apart.
void CopyFrameTopDown(const FrameView& frame, int32_t width, int32_t height, int32_t bitsPerPixel,
                      uint8_t* dst, size_t dstPitch);

// Expands an 8-bit frame through the palette into top-down 0x00RRGGBB pixels, width per row.
void ExpandPalettedFrame(const FrameView& frame, int32_t width, int32_t height, const Palette& palette,
                         uint32_t* dst);
