// The scene of one flight. The flight creates a Level (or a script subclass of it) by class name,
// keeps it as object 6, steps it every frame and calls its overlay; backgrounds, maze enemies and
// the flight read and write its fields. Scripts reach some of the fields through references, so
// all of them live in one block in script memory and every value read back is untrusted.
#pragma once

#include <cstdint>

#include "script/script_fields.h"
#include "script/script_object.h"

class ObjectManager;
struct NativeClassRow;

// Virtual method numbers of a Level: its step (the GTTClass step) and the overlay drawn by the
// flight after the head-up texts.
constexpr uint32_t kLevelOverlayVirtual = 7;

// Fields of a LevelObject, in order.
enum LevelField : uint32_t {
    kLevelFinished,          // 1 once a script ended the level; the flight then counts down
    kLevelValue,             // for scripts only
    kLevelSpeed,             // added to progress each step; the scroll speed, hundredths of a pixel
    kLevelBackgroundColour,  // the flight's fill colour each frame, -1 for none
    kLevelFlightState,       // 0 flying, 1 leaving, 2 ended
    kLevelSceneWidth,        // pixels; also the range the star sky re-places its stars in
    kLevelViewX,             // horizontal view offset
    kLevelShipSpread,        // pixels between the leftmost and rightmost alive ship
    kLevelTintValue,         // the flight's tint value and the base of background layers
    kLevelLayerMode,
    kLevelProgress,
    kLevelFieldCount
};

constexpr int32_t kFlightFlying = 0;
constexpr int32_t kFlightLeaving = 1;
constexpr int32_t kFlightEnded = 2;
constexpr int32_t kNoBackgroundFill = -1;

class LevelObject : public ScriptObject {
  public:
    // The fields take their start values; sceneWidth is the screen width. FatalExep without a class.
    LevelObject(ZEMAClass* cls, int32_t sceneWidth);

    // Own field by index; FatalExep for an index beyond the block.
    uint32_t& Own(uint32_t index);
    uint32_t Own(uint32_t index) const;
    int32_t Int(uint32_t index) const { return static_cast<int32_t>(Own(index)); }
    void SetInt(uint32_t index, int32_t value) { Own(index) = static_cast<uint32_t>(value); }
    // The reference scripts get for a field: its script address.
    uint32_t OwnAddress(uint32_t index) const;

    int32_t Speed() const { return Int(kLevelSpeed); }
    int32_t SceneWidth() const { return Int(kLevelSceneWidth); }
    int32_t TintValue() const { return Int(kLevelTintValue); }
    int32_t Progress() const { return Int(kLevelProgress); }
    int32_t BackgroundColour() const { return Int(kLevelBackgroundColour); }
    int32_t ViewX() const { return Int(kLevelViewX); }
    int32_t FlightState() const { return Int(kLevelFlightState); }
    int32_t ShipSpread() const { return Int(kLevelShipSpread); }
    int32_t LayerMode() const { return Int(kLevelLayerMode); }
    bool Finished() const { return Own(kLevelFinished) != 0; }

    void SetSceneWidth(int32_t width) { SetInt(kLevelSceneWidth, width); }
    void SetFlightState(int32_t state) { SetInt(kLevelFlightState, state); }
    void SetViewX(int32_t x) { SetInt(kLevelViewX, x); }
    void SetShipSpread(int32_t spread) { SetInt(kLevelShipSpread, spread); }
    void SetBackgroundColour(int32_t colour) { SetInt(kLevelBackgroundColour, colour); }
    void Finish() { Own(kLevelFinished) = 1; }

    // Default of virtual method 2: progress advances by speed.
    void Step();

    // The receiver of a Level native; FatalExep when it is not a level.
    static LevelObject& Of(ScriptObject* receiver);
    // The level of the running flight (object 6 of the table), or null when there is none.
    static LevelObject* Running(ObjectManager& objects);

  private:
    ScriptFields own_;
};

struct Level {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

// Width in pixels of the display behind the screen object (object 9) of the processor that runs
// cls; FatalExep when there is no screen object or no display.
int32_t ScreenWidthFor(ZEMAClass& cls);

// Values the flight publishes for the actors and the level while it runs.
struct FlightValues {
    int32_t sceneWidthX100 = 0;    // written every frame from the level's sceneWidth
    int32_t screenHeightX100 = 0;  // written once at the start of a flight
    bool hiddenMode = false;       // while set, collisions do ships no harm
};
FlightValues& PublishedFlight();
