// Star-system tables as the archive holds them: one container whose "SSYF" children each name a
// description entry and carry a "NAME" child, and the description entries themselves.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class GameHarness;

struct StarSystemFacts {
    std::optional<std::string> name{};  // the "NAME" child's text; none leaves the child out
    int32_t x = 0;
    int32_t y = 0;
    std::string description{};  // the description entry's name
};

// One "SSYF" block.
std::string StarSystemBlock(const StarSystemFacts& facts);
// The table: a container holding the blocks given (star systems or any other children).
std::string StarSystemTable(const std::vector<std::string>& children);
std::string StarSystemTable(const std::vector<StarSystemFacts>& systems);
// A description entry: the window class, a word not used, the message file of the shown name.
std::string StarSystemDescription(const std::string& windowClass, const std::string& messageFile);

// A planet a test star-system window holds: its class is "Planet" + name.
struct TestPlanet {
    std::string name;
    int32_t x = 0;
    int32_t y = 0;
    int32_t id = 0;
    int32_t noQuestion = 1;  // its answer to "fly without asking?"
};
using PlanetsByWindow = std::map<std::string, std::vector<TestPlanet>>;

// From now on every star-system window the game creates holds the planets its class has in
// `planets`, as a script's constructor adds them. `planets` must outlive the game's windows.
void MakeWindowsHoldPlanets(GameHarness& game, const PlanetsByWindow& planets);
