// The campaign between flights: the galaxy step (GameManager method 7), which runs the current
// planet's window again and again and acts on its result, and the galaxy map (method 8), a native
// window showing every star system over the stars, the reach of the fleet's fuel, and the trips
// between systems.
#pragma once

#include <cstdint>

class DialogWindow;
class Processor;
class ScriptObject;

// The galaxy map's button that closes it without a move.
constexpr int32_t kGalaxyCloseButtonId = 103;
// Fuel, in hundredths, that a pixel of the way between two star systems costs.
constexpr int64_t kFuelPerGalaxyPixel = 30000;
// Days a pixel of the way between two star systems takes.
constexpr int32_t kDaysPerGalaxyPixel = 100;

// A trip between star systems distance pixels apart on the map: the fuel it takes from each ship,
// and whether a fleet whose largest fuel total is fuel may make it.
int64_t SystemTripFuel(int64_t distance);
bool SystemTripAllowed(int64_t fuel, int64_t distance);

// Method 7: loops over the current planet's window until it ends with 2 or 3. The manager is the
// GameManager the map is opened on.
void GalaxyStep(Processor& processor, ScriptObject* gameManager);
// Method 8: -1 when the player moved to another location, 0 otherwise.
int32_t GalaxyMap(Processor& processor);

// Registers methods 7 and 8 with the GameManager class; RegisterCampaignNatives calls it.
void RegisterGalaxyMethods();
