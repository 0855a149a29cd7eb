// One whole flight: GameManager method 4. The flight builds its object lists, places the ships,
// creates the level by class name, then steps, draws and collides every actor frame by frame until
// the ships have left, the flight ended or the player quit, and tears the scene down again.
#pragma once

#include <cstdint>
#include <functional>

class Processor;
class ScriptObject;

enum FlightResult : int32_t {
    kFlightShipsLeft = 0,  // the flight ended while leaving
    kFlightOver = 1,       // no ship alive, the level finished, a script ended it, or none could start
    kFlightQuit = 2,       // the player answered the question with 'Y'
};

// GameManager method 4 on gameManager (object 22): pops the level class name from the processor's
// data stack, runs the flight and pushes its FlightResult. A flight asked for while one runs is an
// engine error.
void FlightLoop(Processor& processor, ScriptObject& gameManager);

// True while a flight runs; window methods that would delete the flight's objects check it.
bool FlightRunning();

// GameManager method 4 as a native handler, for the GameManager's binding.
void FlightLoopNative(ScriptObject* receiver);

// Nanoseconds the frames spent in each phase, summed; filled only while installed (benchmarks).
struct FlightPhaseTimes {
    uint64_t step = 0;     // players, level, actor lists, supply and effects
    uint64_t collide = 0;  // collisions, dead ships and the sweep
    uint64_t draw = 0;     // layers, head-up texts, overlays
    uint64_t present = 0;  // showing the finished frame
};

// What the flight needs of the campaign parts beside it and of the screens above; their owners
// install them at start-up. A hook not installed is skipped.
struct FlightHooks {
    // The autosave before a flight, run when the GameManager's flag asks for it.
    std::function<void(Processor&)> autoSave;
    // After the game time has advanced at the end of a flight.
    std::function<void(Processor&)> stampLastDate;
    // Off, frames follow each other without waiting for the frame timer (benchmarks).
    bool framePacing = true;
    FlightPhaseTimes* phaseTimes = nullptr;
};
FlightHooks& FlightCampaignHooks();
