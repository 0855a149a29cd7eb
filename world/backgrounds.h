// The scenery of a flight: pictures that scroll down with the level (ActiveBackGround, BackGround)
// and one picture tiled over the whole field that scrolls for ever (CycleBackGround), optionally
// mirrored from tile to tile and drifting sideways. They scroll by the running level's speed and
// draw on layers above its tint value.
#pragma once

#include <cstdint>

#include "world/actor.h"

// Energy that keeps a background from being destroyed by hits.
constexpr int32_t kBackgroundEnergy = 10000000;

enum CycleBackGroundField : uint32_t {
    kCycleFlip = kActorFieldCount,  // flips at every wrap: mirrored tiling swaps its pattern
    kCycleSideways,                 // added to x each step while tiles drift sideways
    kCycleTileHeight,               // hundredths of a pixel
    kCycleTileWidth,
    kCycleFieldCount
};

// Picture flag bits a cycle background reads.
constexpr uint32_t kCycleMirrored = 2;
constexpr uint32_t kCycleDrifts = 4;

class CycleBackGroundObject : public ActorObject {
  public:
    // At (0, 0); tiles as large as frame 0 of the picture.
    CycleBackGroundObject(ZEMAClass* cls, uint32_t picture);

    // Tiles across and down that cover the field; 0 for a tile without size.
    int64_t Columns() const;
    int64_t Rows() const;
    // Tile i: position (hundredths of a pixel) and orientation code.
    void Tile(int64_t i, int32_t& x, int32_t& y, uint32_t& orientation) const;
    // One scroll step by the level's speed s.
    void Scroll(int32_t s);

    static CycleBackGroundObject& Of(ScriptObject* receiver);
};

struct ActiveBackGround {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // One scroll step by the level's speed s: down, and gone 100 pixels below the field.
    static void Scroll(ActorObject& actor, int32_t s);
};

struct BackGround {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

struct CycleBackGround {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

// The running level's scroll speed, scene width (pixels) and tint value; 0 each without a level.
struct LevelScroll {
    int32_t speed = 0;
    int32_t sceneWidth = 0;
    int32_t tint = 0;
};
LevelScroll RunningLevelScroll(ScriptObject* anyObject);
