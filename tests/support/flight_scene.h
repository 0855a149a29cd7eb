// A flight for tests and benchmarks: the pictures, messages and sounds a flight shows go into the
// archive before the start; afterwards pilots with keyboard devices and equipped ships, enemies and
// shots are made, and GameManager method 4 is called with a level class. What goes into the
// flight's own lists (which the flight creates) is placed by Populate, which runs once the lists
// exist, before the level is made.
//
//     GameHarness game;
//     FlightScene scene(game);
//     game.Start();
//     scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
//     scene.Populate([&] { scene.Enemy(320, 100, 0, 50); });
//     int32_t result = scene.Fly();
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/game_harness.h"

class ActorObject;
class PlayerObject;
class ShipObject;
class ShotObject;

class FlightScene {
  public:
    static constexpr const char* kLevelClass = "TestFlightLevel";
    static constexpr uint32_t kQuestion = 352;
    static constexpr uint32_t kNoShip = 309;

    // Adds the flight's content and a script level class to the archive (before Start).
    explicit FlightScene(GameHarness& game);
    ~FlightScene();
    FlightScene(const FlightScene&) = delete;
    FlightScene& operator=(const FlightScene&) = delete;

    // A pilot in the player list whose keyboard device maps actions 0-7 to the keys, flying a ship in
    // the ship list with a charged (or empty) energy source and an engine (or none: it cannot move).
    PlayerObject& AddPilot(std::initializer_list<uint32_t> keys, bool charged = true, bool engine = true);

    // Runs once the flight has made its lists (the loading screen's moment).
    void Populate(std::function<void()> action) { populate_ = std::move(action); }
    // In list 5: an actor at (x, y) pixels with a speed (hundredths of a pixel a frame), energy and a
    // damage of every kind.
    ActorObject& Enemy(int32_t x, int32_t y, int32_t speedY, int32_t energy, uint32_t damage = 0);
    // In list 10: a shot of the pilot's at (x, y) pixels.
    ShotObject& Shot(PlayerObject* owner, int32_t x, int32_t y, int32_t speedY, uint32_t damage);
    // In list 11, where the shots that hit ships fly: an enemy's shot.
    ShotObject& EnemyShot(int32_t x, int32_t y, int32_t speedY, uint32_t damage);

    // GameManager method 4 with the level class; the FlightResult.
    int32_t Fly(const std::string& levelClass = kLevelClass);

    // "fps.txt" of the game folder, "" when there is none.
    std::string FpsText() const;

  private:
    ShotObject& NewShot(int32_t x, int32_t y, int32_t speedY, uint32_t damage);
    uint32_t Table(uint32_t value);

    GameHarness& game_;
    std::function<void()> populate_;
};
