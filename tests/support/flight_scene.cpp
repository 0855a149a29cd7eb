#include "tests/support/flight_scene.h"

#include <fstream>
#include <sstream>

#include "campaign/flight_loop.h"
#include "campaign/screen_hooks.h"
#include "foundation/byte_order.h"
#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tools/content/sound_builder.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/shots.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kFlyMethod = 4;
constexpr uint32_t kFireMethod = 41;
constexpr uint32_t kStepMethod = 42;
constexpr const char* kShipClass = "TestFlightShip";
constexpr const char* kCellClass = "TestFlightCell";
constexpr const char* kEmptyCellClass = "TestFlightEmptyCell";
constexpr const char* kEngineClass = "TestFlightEngine";

ObjectManager& ListOf(GameHarness& game, uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
    if (list == nullptr) throw std::logic_error("no object list " + std::to_string(id));
    return *list;
}

void Fit(ShipObject& ship, uint32_t group, GameObject item) {
    SlotObject* slot = ship.SlotAt(group, 0);
    if (slot == nullptr) throw std::logic_error("no slot to fit");
    slot->SetObject(&OptionObject::Of(item.release()));
    slot->SetFirstEnabled(1);
}

}  // namespace

FlightScene::FlightScene(GameHarness& game) : game_(game) {
    game.AddPicture("Test\\Ship.dpf", {.entries = 5, .frames = 2, .width = 8, .height = 8});
    game.AddPicture("Test\\Enemy.dpf", {.frames = 2, .width = 8, .height = 8});
    game.AddPicture("Test\\Shot.dpf", {.width = 2, .height = 4});
    game.AddPicture("Explosions\\Explosion1.dpf", {.frames = 2});
    game.AddPicture("Explosions\\SmallExplosion.dpf");
    game.AddPicture("Misc\\Broker.dpf", {.width = 2, .height = 2});
    game.AddEntry("Explosions\\Explosion1.wav", WaveFile());
    game.AddSound("Misc\\FlyAway.mp3", "Misc\\FlyAway.wav", WaveFile());
    game.AddSound("ShipExplosion", "Misc\\ShipExplosion.wav", WaveFile());
    game.AddMessages("system.mes", {{kNoShip, "No ship can fly"},
                                    {kQuestion, "Quit the flight?"},
                                    {500, "Leaving"},
                                    {501, "Flight over"},
                                    {117, "OK"}});
    game.AddClass({.name = kLevelClass, .base = "Level"});
    // Ship pops picture (its own, so that a ship rebuilt by class name has it too), damage, protection, the
    // slot counts from the last group to the first, value A, value B, value C, mass, base consumption: one
    // energy source, one engine, mass 1. The ship's fire and equipment steps are called as its own methods:
    // they pass to the base's.
    game.AddClass(
        {.name = kShipClass,
         .base = "Ship",
         .methods = {{kFireMethod, {BaseCallWord(kFireMethod)}}, {kStepMethod, {BaseCallWord(kStepMethod)}}},
         .uses = {"ImageManager"},
         .createValues = {0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0},
         .createCode = PushUnderClass(PushPictureWords("Test\\Ship.dpf", 2))});
    // Akb pops picture, capacity, value F, base value; Engine picture, thrust, consumption and two
    // values.
    game.AddClass({.name = kCellClass, .base = "Akb", .createValues = {0, 0, 1000, 0}});
    game.AddClass({.name = kEmptyCellClass, .base = "Akb", .createValues = {0, 0, 0, 0}});
    game.AddClass({.name = kEngineClass, .base = "Engine", .createValues = {0, 0, 60, 3000, 0}});
}

FlightScene::~FlightScene() = default;

PlayerObject& FlightScene::AddPilot(std::initializer_list<uint32_t> keys, bool charged, bool engine) {
    auto& player = PlayerObject::Of(game_.New("Player").release());
    game_.Players().AppendObject(&player);
    auto device = std::make_unique<InputDevice>();
    device->Actions().SetCodes(keys);
    device->ResetActions();
    player.SetInput(std::move(device));

    // The stored pilot is rebuilt by class name after the flight: the ship and its items are of
    // classes that make themselves from their creation values.
    auto& ship = ShipObject::Of(game_.New(kShipClass).release());
    ListOf(game_, kShipListId).AppendObject(&ship);
    Fit(ship, kEnergyGroup, game_.New(charged ? kCellClass : kEmptyCellClass));
    if (engine) Fit(ship, kEngineGroup, game_.New(kEngineClass));
    player.AttachShip(&ship);
    ship.Recharge(0);
    return player;
}

ActorObject& FlightScene::Enemy(int32_t x, int32_t y, int32_t speedY, int32_t energy, uint32_t damage) {
    const std::vector<uint32_t> popOrder = {game_.Picture("Test\\Enemy.dpf")->Address(),
                                            static_cast<uint32_t>(energy),
                                            static_cast<uint32_t>(x * 100),
                                            static_cast<uint32_t>(y * 100),
                                            0,
                                            static_cast<uint32_t>(speedY),
                                            Table(damage),
                                            0};
    auto& enemy = ActorObject::Of(game_.New("Actor", {popOrder.rbegin(), popOrder.rend()}).release());
    ListOf(game_, kFlightActorListId).AppendObject(&enemy);
    return enemy;
}

ShotObject& FlightScene::Shot(PlayerObject* owner, int32_t x, int32_t y, int32_t speedY, uint32_t damage) {
    ShotObject& shot = NewShot(x, y, speedY, damage);
    shot.Own(kShotTag) = owner != nullptr ? owner->Address() : 0;
    ListOf(game_, kShotsManagerId).AppendObject(&shot);
    return shot;
}

ShotObject& FlightScene::EnemyShot(int32_t x, int32_t y, int32_t speedY, uint32_t damage) {
    ShotObject& shot = NewShot(x, y, speedY, damage);
    ListOf(game_, kFlightList11Id).AppendObject(&shot);
    return shot;
}

ShotObject& FlightScene::NewShot(int32_t x, int32_t y, int32_t speedY, uint32_t damage) {
    const std::vector<uint32_t> popOrder = {game_.Picture("Test\\Shot.dpf")->Address(),
                                            1,
                                            static_cast<uint32_t>(x * 100),
                                            static_cast<uint32_t>(y * 100),
                                            0,
                                            static_cast<uint32_t>(speedY),
                                            Table(damage),
                                            0};
    return ShotObject::Of(game_.New("Shot", {popOrder.rbegin(), popOrder.rend()}).release());
}

int32_t FlightScene::Fly(const std::string& levelClass) {
    // The populating stands in for the loading screen for one flight; what was installed comes back.
    struct Swap {
        std::function<void(Processor&, int32_t)> saved = Screens().loadingScreen;
        ~Swap() { Screens().loadingScreen = saved; }
    } swap;
    Screens().loadingScreen = [this](Processor&, int32_t) {
        if (populate_) populate_();
    };
    const std::vector<uint32_t> results =
        game_.CallMethod(game_.Object(kGameManagerId), kFlyMethod, {game_.Text(levelClass)});
    if (results.size() != 1) throw std::logic_error("the flight left no single result");
    return static_cast<int32_t>(results[0]);
}

std::string FlightScene::FpsText() const {
    std::ifstream file("fps.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

uint32_t FlightScene::Table(uint32_t value) {
    std::string bytes(kDamageKinds * 4, '\0');
    for (uint32_t k = 0; k < kDamageKinds; ++k)
        StoreU32(reinterpret_cast<uint8_t*>(bytes.data()) + 4 * k, value);
    return game_.Text(bytes);
}
