// The demo game: a small playable game folder's "main.FD" built in code, for trying the program and
// for the end-to-end runs. Everything start-up and the screens read: the fonts under every name the
// screens use, message files in two languages, pictures drawn in code, a music module and sounds,
// and script classes made with the assembler: scenarios that start a game, one level with enemy ships
// that fire and a bonus, a galaxy of three star systems (demo_galaxy.h), a ship with its items, and
// the players files.
//
// Storing the players goes through the engine's own writer, which writes into the working folder:
// the builders leave a few scratch files there (the tool runs them in the game folder).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

constexpr const char* kDemoLevelClass = "DemoLevel";
constexpr const char* kDemoArcadeScenario = "ArcadeScenario";
constexpr const char* kDemoCampaignScenario = "Campaign";
constexpr const char* kDemoArcadePlayers = "Levels\\Arcade\\ArcadePlayers.PCFG";
constexpr const char* kDemoCampaignPlayers = "Levels\\Campaign\\Campaign1Player.PCFG";
constexpr const char* kDemoShipClass = "DemoShip";
constexpr const char* kDemoEnemyClass = "DemoEnemy";
// The level ends once its progress (one pixel a step) passes this many pixels.
constexpr int32_t kDemoLevelLength = 600;
// Enemies the level sends, and the steps between two shots of each.
constexpr int32_t kDemoEnemyCount = 3;
constexpr int32_t kDemoEnemyFirePeriod = 45;
// Pixels the pilot's shots fly a step.
constexpr int32_t kDemoShotSpeed = 10;
// The campaign's first star system after the flight, "Vesta" (the first of the galaxy, demo_galaxy.h):
// its window (class kDemoStarSystemClass) and the window of the planet the pilot is at (class
// kDemoOrbitClass) show the system's two planets side by side on a row, with the galaxy button at the
// top right and the game-menu button at the bottom right; a click on the shop's planet opens the
// shop, one on the other shows its description. The pilot stands at Kessa.
constexpr const char* kDemoStarSystemClass = "DemoSystem";
// The star-system table the campaign loads, the first system's name and its shown name.
constexpr const char* kDemoStarSystemTable = "Galaxy\\Demo.SSYF";
constexpr const char* kDemoStarSystemName = "Vesta";
constexpr const char* kDemoStarSystemShownName = "The Vesta system";
constexpr const char* kDemoOrbitClass = "DemoOrbit";
// A new campaign starts on this game date; the event recorded once its flight is flown makes a
// loaded save go on in the star system.
constexpr uint32_t kDemoStartYear = 151;
constexpr uint32_t kDemoStartDay = 72;
constexpr const char* kDemoFlownEvent = "DemoFlown";
constexpr const char* kDemoShopPlanetClass = "DemoMarket";
constexpr const char* kDemoDescribedPlanetClass = "DemoMoon";
constexpr const char* kDemoShopPlanetName = "Kessa";
constexpr const char* kDemoDescribedPlanetName = "Orin";
constexpr int32_t kDemoShopPlanetId = 31;
constexpr int32_t kDemoDescribedPlanetId = 32;
constexpr int32_t kDemoShopPlanetX = 200;
constexpr int32_t kDemoDescribedPlanetX = 440;
constexpr int32_t kDemoPlanetY = 240;
constexpr uint32_t kDemoPlanetSize = 64;
// The first player's keys: left, right, up, down, fire, and three more actions.
inline constexpr uint32_t kDemoPlayerKeys[] = {0x25, 0x27, 0x26, 0x28, 0x20, 'X', 'C', 'V'};

// The main screen's idle demos: the recording, the level it flies and the players file it loads.
struct DemoIdleDemo {
    const char* demoFile;
    const char* levelClass;
    const char* playerFile;
};
inline constexpr DemoIdleDemo kDemoIdleDemos[] = {
    {"Demo\\Demo 1\\Demo1.DEMO", "Level1", "Demo\\Demo 1\\Demo1.PCFG"},
    {"Demo\\Demo 2\\Demo2.DEMO", "Level3", "Demo\\Demo 2\\Demo2.PCFG"},
};
inline constexpr const char* kDemoIdleLevels[] = {"Level1", "Level3"};
// Steps each idle demo's recording holds: more than the flight of the level lasts.
constexpr int32_t kDemoIdleDemoSteps = 800;

// The scenario the main menu lists: its file and players file lie loose in the game folder, where
// the scenario list looks for them.
constexpr const char* kDemoScenarioClass = "DemoScenario";
constexpr const char* kDemoScenarioName = "Patrol";
constexpr const char* kDemoScenarioFile = "Add\\Patrol.scn";
constexpr const char* kDemoScenarioPlayers = "Add\\Patrol.PCFG";

// The items of the shop.
inline constexpr const char* kDemoItemClasses[] = {"DemoGun", "DemoCell", "DemoEngine"};

// Every entry of the demo "main.FD".
std::vector<FdEntry> DemoArchiveEntries();
// The archive file's bytes.
std::string DemoArchive();
// The files the game folder holds beside "main.FD", named as the game names them.
std::vector<FdEntry> DemoLooseFiles();
// Files the player's games write again ("HighScores.HISC"): a new game folder starts with them, and
// one that has them keeps its own.
std::vector<FdEntry> DemoPlayerFiles();
