// A started game with what slot controls, item windows and the ship window's pages need: the slot
// pictures, fonts and numbered texts ("m<number>"), a pilot with a pointer-driven device, items of
// every kind, ships with slots in all six groups, and a screen buffer that records what is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/screen_buffer.h"
#include "tests/support/game_harness.h"

class DialogWindow;
class Frame;
class Image;
class PlayerObject;

// Frame 0 of "Misc\Slots.dpf" is this size; the picture has 8 frames.
constexpr int32_t kSlotPictureWidth = 20;
constexpr int32_t kSlotPictureHeight = 10;
// "TestRig": a ship of class 3 with 2 weapon places, then 1, 1, 1, 1 places and 2 cargo places.
constexpr const char* kRigClass = "TestRig";
constexpr int32_t kRigClassNumber = 3;
// "TestShells" with a name whose hot key is 'z'; "TestGun" loads them.
constexpr const char* kNamedShellsClass = "TestNamedShells";

// Every frame and text drawn, in order.
struct Drawing {
    struct Picture {
        const Frame* frame;
        int32_t x, y;
        uint32_t orientation;
    };
    struct Text {
        std::string text;
        int32_t x, y;
        uint32_t colour;
        int32_t hAlign, vAlign;
    };
    std::vector<Picture> pictures;
    std::vector<Text> texts;
};

class DrawRecorder : public ScreenBuffer {
  public:
    explicit DrawRecorder(const ColourTable* colours) : ScreenBuffer(colours) {}
    void DrawFrame(const Frame* frame, int32_t x, int32_t y, uint32_t orientation) override;
    void DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t hAlign, int32_t vAlign,
                  uint32_t flags) override;
    Drawing drawn;
};

class SlotScreenGame {
  public:
    SlotScreenGame();

    // A plain item of the kind: picture "Items\Thing.dpf", its class range, and an efficiency (shown
    // as its count when not 100).
    GameObject Item(int32_t kind, int32_t efficiency = 100, int32_t lowest = 0, int32_t highest = 1000);
    // A slot of the kind, without a ship, that leaves its items to the test.
    GameObject Slot(int32_t kind);
    GameObject Rig();
    // A window over the game's display, run by the pilot's device.
    std::unique_ptr<DialogWindow> Window();

    // A press and release of the first button at (x, y), from the time given on.
    void ClickAt(uint32_t time, int32_t x, int32_t y);
    // A character typed at the time given, with ALT for a hot key.
    void TypeAt(uint32_t time, uint8_t character, bool alt = false);

    Image* SlotPictures();
    Image* ItemPicture();
    Image* GuidesPicture();
    const Frame* SlotFrame(int32_t n);

    GameHarness game;
    PlayerObject* pilot = nullptr;
};
