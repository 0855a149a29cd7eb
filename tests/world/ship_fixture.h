// The started game with what ship tests need: a ship picture with its five entries, the status
// messages, and builders for ships, their equipment and pilots.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/game_harness.h"
#include "tests/support/ship_pilot.h"
#include "world/option.h"
#include "world/ship.h"
#include "world/slot.h"

class LevelObject;

class ShipFixture : public ::testing::Test {
  protected:
    // Script classes the tests use go into the archive before the start.
    explicit ShipFixture(const std::vector<ScriptSubclass>& classes = {});

    // A ship made by Ship native 0 with these slot counts by group.
    GameObject NewShip(const std::array<int32_t, kShipGroups>& slots, int32_t mass = 1,
                       int32_t baseConsumption = 0,
                       const std::array<uint32_t, kDamageKinds>& protection = {});
    static ShipObject& Of(const GameObject& ship) { return ShipObject::Of(ship.get()); }

    // Items made by their kinds' native 0.
    GameObject Akb(int32_t capacity);
    GameObject Engine(int32_t thrust, int32_t consumption);
    GameObject Shield(int32_t consumption, const std::array<uint32_t, kDamageKinds>& protection = {});
    GameObject Plain(int32_t consumption);
    // Puts the item in a slot's place, enabled with the value given; the slot owns it.
    OptionObject& Fit(ShipObject& ship, uint32_t group, int32_t index, GameObject item,
                      SlotPlace place = SlotPlace::kFirst, int32_t enabled = 1);

    // A pilot that flies the ship; the fixture keeps it.
    TestPilot& Fly(ShipObject& ship);
    // A level of that scene width as the running one (object 6).
    LevelObject& Scene(int32_t sceneWidth);
    // Ten values in script memory.
    uint32_t Table(const std::array<uint32_t, kDamageKinds>& values);

    GameHarness game;
    std::vector<GameObject> pilots;
};
