// A pilot and a ship to refit in the ship window: the window's pictures, texts and item classes go
// into the archive before the start; afterwards a pilot with a pointer device flies a ship of class
// number 5 with one place of each equipment kind but the grabber and two cargo places, its energy
// source charged. Script input is queued for the window as steps a fixed time apart: clicks on the
// slot controls where the window shows them, commands, and the answers to message boxes.
//
//     GameHarness game;
//     RefitScene scene(game);
//     game.Start();
//     PlayerObject& pilot = scene.AddPilot();
//     ShipWindow window(scene.ShipOf(pilot));
//     scene.Play(window, {RefitStep::Click(engineSlot), RefitStep::Close()});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/game_harness.h"

class OptionObject;
class PlayerObject;
class ShipObject;
class ShipWindow;
class SlotObject;

// The ship's class number and what its hull uses; the energy source's charge.
constexpr int32_t kRefitShipClass = 5;
constexpr int32_t kRefitBaseConsumption = 10;
constexpr int32_t kRefitCharge = 500;
// Item classes: an engine that fits (uses 40), one for class 9 ships and up, a shield (uses 25), a
// guide, and the gun and shells of the pilot fixture (30 shots of the gun's kinds).
constexpr const char* kRefitEngine = "RefitEngine";
constexpr int32_t kRefitEngineUse = 40;
constexpr const char* kHugeEngine = "RefitHugeEngine";
constexpr const char* kRefitShield = "RefitShield";
constexpr int32_t kRefitShieldUse = 25;
constexpr const char* kRefitGuide = "RefitGuide";
constexpr const char* kRefitShip = "RefitShip";

struct RefitStep {
    enum Kind { kClick, kOtherClick, kCommand, kYes, kNo, kClose };
    Kind kind = kClick;
    SlotObject* slot = nullptr;
    bool guidePlace = false;
    int32_t id = 0;

    static RefitStep Click(SlotObject* slot, bool guidePlace = false) {
        return {kClick, slot, guidePlace, 0};
    }
    static RefitStep OtherClick(SlotObject* slot, bool guidePlace = false) {
        return {kOtherClick, slot, guidePlace, 0};
    }
    static RefitStep Command(int32_t id) { return {kCommand, nullptr, false, id}; }
    // Answers the yes/no box that is open (item has no picture).
    static RefitStep Yes() { return {kYes, nullptr, false, 0}; }
    // Escape: closes any box with the answer 0.
    static RefitStep No() { return {kNo, nullptr, false, 0}; }
    static RefitStep Close() { return {kClose, nullptr, false, 0}; }
};

class RefitScene {
  public:
    explicit RefitScene(GameHarness& game);

    // A pilot in the player list with a pointer device and a ship in the ship list; the ship's
    // energy source is charged and on. The window's tips are recorded as seen.
    PlayerObject& AddPilot();
    static ShipObject& ShipOf(PlayerObject& pilot);
    // A new item of the class; the caller places it (or destroys it).
    OptionObject& Item(const std::string& className);
    // The item in the slot, switched on as the window does.
    static void Fit(SlotObject& slot, OptionObject& item);

    // Runs the window with the pilot's device; the steps happen 300 ms apart from the start. A window
    // still open a while after the last step is ended with the result kLeftOpen (a box over it with
    // Escape first). Gives the window's result.
    static constexpr int32_t kLeftOpen = 99;
    int32_t Play(ShipWindow& window, const std::vector<RefitStep>& steps);

  private:
    void Perform(ShipWindow& window, const RefitStep& step);

    GameHarness& game_;
};
