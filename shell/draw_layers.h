// The drawing layers of the test runs: 30 lists of placement records, one per height above the
// ground, filled each frame from the actors' visible entries and drawn bottom layer first, each
// record followed by the shadows that the records of every higher layer cast on it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/draw_record.h"

class MethodRunner;
class ScreenBuffer;
class ScriptObject;

constexpr int32_t kDrawLayerCount = 30;
// A record of this shade casts no shadow.
constexpr int32_t kNoShadowShade = 4;

using DrawLayerLists = std::array<std::vector<DrawRecord>, kDrawLayerCount>;
// The program's layers; only the game thread touches them.
DrawLayerLists& GameDrawLayers();
void ClearDrawLayers(DrawLayerLists& layers);

// What an actor remembers of its first visible entries (frame and the three placement values as
// virtual method 8 gave them, unscaled), kept by the game world in its actors.
struct DrawnEntries {
    static constexpr int32_t kCached = 20;
    // The most entries one drawing takes; a larger count is a script fault, not a picture.
    static constexpr int32_t kMaxCount = 1 << 16;
    int32_t count = 0;
    std::array<uint32_t, kCached> frame{};
    std::array<uint32_t, kCached> x{};
    std::array<uint32_t, kCached> y{};
    std::array<uint32_t, kCached> orientation{};
};

// The entries to draw for a count virtual method 7 gave: none for a negative count (it is an int),
// FatalExep beyond DrawnEntries::kMaxCount.
int32_t VisibleEntryCount(uint32_t answer);

// How a placement in hundredths of a pixel becomes a pixel: the test runs cut toward zero, the flight
// rounds down, so that -250 is -2 in the one and -3 in the other.
enum class PixelRounding { kTowardZero, kDown };

// Adds one record per visible entry of the actor, each to the layer of its height (clamped to the
// layers): the count from virtual method 7, the frame and placement from method 8, the height from
// 10, the four receiving heights from 11, mode and shade from 9, the extra shade from 12. cache,
// when given, gets the count and the first 20 entries. A frame value that is not a live frame is
// an engine error, and so is a count beyond DrawnEntries::kMaxCount. Each entry is a round counted
// for the runner's stop poll. An actor its own methods delete adds nothing from then on.
void CollectDrawRecords(MethodRunner& runner, ScriptObject& actor, DrawnEntries* cache,
                        DrawLayerLists& layers, PixelRounding rounding = PixelRounding::kTowardZero);

// Draws every record, bottom layer first and in list order, and after each the cast shadows of the
// records of all higher layers whose shade is not kNoShadowShade.
void DrawLayers(ScreenBuffer& buffer, const DrawLayerLists& layers);
