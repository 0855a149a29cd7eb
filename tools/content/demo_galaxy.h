// The demo game's galaxy: three star systems on the galaxy map, two planets in each, every planet
// named and described in both languages; the planets' own windows (the first system's show the
// system with its two planets, where one opens the shop and the other tells about itself; the
// others' each open a shop); and a conversation with the foreman of one planet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"
#include "tools/content/script_subclass.h"

// The table is kDemoStarSystemTable; the first system, kDemoStarSystemName, is where a new pilot
// stands, at its shop's planet (demo_content.h).

struct DemoPlanetPlace {
    const char* cls;
    const char* name;
    int32_t x, y, id;
};
struct DemoSystemPlace {
    const char* name;
    const char* windowClass;
    int32_t mapX, mapY;
    std::vector<DemoPlanetPlace> planets;
};
// The systems in table order, with their planets as their windows place them.
const std::vector<DemoSystemPlace>& DemoGalaxy();

// The window of a planet of the second system has a button that opens its conversation; every
// planet's window outside the first system has one that opens a shop, below the conversation's where
// there is one (the first system's window opens the shop from either of its planets).
constexpr int32_t kDemoTalkButtonId = 30;
constexpr int32_t kDemoShopButtonId = 33;
constexpr int32_t kDemoPlanetButtonX = 330;
constexpr int32_t kDemoPlanetButtonY = 280;
constexpr int32_t kDemoPlanetButtonStep = 30;
// A planet's window places its own picture here; the map's star of a system stands at its place.
constexpr int32_t kDemoPlanetViewX = 180;
constexpr int32_t kDemoPlanetViewY = 250;

// The script classes: the star-system windows, the planets, the planets' windows.
std::vector<ScriptSubclass> DemoGalaxyClasses();
// The table, the systems' description entries, and the message and characteristics files of the
// planets and the conversation.
std::vector<FdEntry> DemoGalaxyFiles();
