#include "tests/world/ship_fixture.h"

#include <string>

#include "foundation/byte_order.h"
#include "graphics/image.h"
#include "shell/game_ids.h"
#include "tools/content/sound_builder.h"
#include "world/level.h"

ShipFixture::ShipFixture(const std::vector<ScriptSubclass>& classes) {
    for (const ScriptSubclass& cls : classes) game.AddClass(cls);
    game.AddPicture("Test\\Ship.dpf", {.entries = 5, .frames = 2});
    game.AddPicture("Test\\Flat.dpf", {.entries = 2});
    game.AddMessages("system.mes", {{307, "Equipment detached"}, {308, "Energy low"}, {476, "Direction"}});
    game.AddSound("EnergyLack", "Misc\\EnergyLack.wav", WaveFile());
    game.AddSound("EquipmentDetached", "Misc\\EquipmentDetached.wav", WaveFile());
    game.Start();
}

GameObject ShipFixture::NewShip(const std::array<int32_t, kShipGroups>& slots, int32_t mass,
                                int32_t baseConsumption,
                                const std::array<uint32_t, kDamageKinds>& protection) {
    // Pushed in the reverse of the pop order: the last value is popped first after the class.
    std::vector<uint32_t> pushed = {static_cast<uint32_t>(baseConsumption), static_cast<uint32_t>(mass), 0, 0,
                                    0};
    for (int32_t count : slots) pushed.push_back(static_cast<uint32_t>(count));
    pushed.push_back(Table(protection));
    pushed.push_back(0);
    pushed.push_back(game.Picture("Test\\Ship.dpf")->Address());
    return game.New("Ship", pushed);
}

GameObject ShipFixture::Akb(int32_t capacity) {
    return game.New("Akb", {0, 0, static_cast<uint32_t>(capacity), 0});
}

GameObject ShipFixture::Engine(int32_t thrust, int32_t consumption) {
    return game.New("Engine", {0, 0, static_cast<uint32_t>(consumption), static_cast<uint32_t>(thrust), 0});
}

GameObject ShipFixture::Shield(int32_t consumption, const std::array<uint32_t, kDamageKinds>& protection) {
    return game.New("Shield", {0, 0, static_cast<uint32_t>(consumption), Table(protection), 0});
}

GameObject ShipFixture::Plain(int32_t consumption) {
    return game.New("Option", {0, 0, 0, 0, static_cast<uint32_t>(consumption), 0, 0, 0, 0, 0, 0});
}

OptionObject& ShipFixture::Fit(ShipObject& ship, uint32_t group, int32_t index, GameObject item,
                               SlotPlace place, int32_t enabled) {
    SlotObject* slot = ship.SlotAt(group, index);
    EXPECT_NE(slot, nullptr);
    auto& option = OptionObject::Of(item.release());
    if (place == SlotPlace::kFirst) {
        slot->SetObject(&option);
        slot->SetFirstEnabled(enabled);
    } else {
        slot->SetObjectB(&option);
        slot->SetSecondEnabled(enabled);
    }
    return option;
}

TestPilot& ShipFixture::Fly(ShipObject& ship) {
    auto pilot = std::make_unique<TestPilot>(game.Class("GTTClass"));
    TestPilot& kept = *pilot;
    pilots.emplace_back(pilot.release());
    ship.SetOwner(&kept);
    return kept;
}

LevelObject& ShipFixture::Scene(int32_t sceneWidth) {
    auto level = std::make_unique<LevelObject>(game.Class("Level"), sceneWidth);
    LevelObject& kept = *level;
    game.Keep(kLevelId, GameObject(level.release()));
    return kept;
}

uint32_t ShipFixture::Table(const std::array<uint32_t, kDamageKinds>& values) {
    std::string bytes(kDamageKinds * 4, '\0');
    for (uint32_t k = 0; k < kDamageKinds; ++k)
        StoreU32(reinterpret_cast<uint8_t*>(bytes.data()) + 4 * k, values[k]);
    return game.Text(bytes);
}
