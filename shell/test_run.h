// The two test runs of start modes 1 and 2: a level driven by an object of the script class
// "Experiment", with the ship "Ship1.SCFG" and the input mapping "Player1.INPD", run for 10000
// frames as fast as they can be made. Run A also has the player's ship act and draw, and hands the
// picture "Misc\Broker.dpf" to the experiment.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/engine_string.h"

class DataBlock;
class Display;
class InputDevice;
class Processor;
class ScriptObject;
class ZEMAClass;
struct DrawnEntries;

enum class TestRunKind { A, B };

constexpr int32_t kTestRunFrames = 10000;

// The game world's part of the runs; the world installs it (GameHooks). Objects it makes are
// handed to the caller, which stores them in the object tables.
class TestRunWorld {
  public:
    virtual ~TestRunWorld() = default;

    // An empty ship-configuration block ("SCFG" with its lists) to read "Ship1.SCFG" into.
    virtual std::unique_ptr<DataBlock> NewShipConfig() = 0;
    // A level object of the class.
    virtual ScriptObject* NewLevel(ZEMAClass& levelClass) = 0;
    // The play field's size; the level's width becomes the width.
    virtual void SetPlayField(ScriptObject& level, int32_t width, int32_t height) = 0;
    virtual void NamePlayer(ScriptObject& player, const String& name) = 0;
    // The ship and its equipment as the block describes them.
    virtual ScriptObject* BuildShip(Processor& processor, DataBlock& shipConfig) = 0;
    // Attaches the ship to the player and readies it for the run.
    virtual void AttachShip(ScriptObject& player, ScriptObject& ship) = 0;
    // The player takes the device, dropping the one it had.
    virtual void SetPlayerInput(ScriptObject& player, std::unique_ptr<InputDevice> device) = 0;
    virtual InputDevice* PlayerInput(ScriptObject& player) = 0;
    // The level's background colour; -1 for none.
    virtual int32_t BackgroundColour(ScriptObject& level) = 0;
    virtual void SetBackgroundColour(ScriptObject& level, int32_t colour) = 0;
    // Draws the actor's own extras (the other actor given for reference).
    virtual void Draw(ScriptObject& actor, ScriptObject& other) = 0;
    // Where the actor keeps its first drawn entries; null when it keeps none.
    virtual DrawnEntries* EntryCache(ScriptObject& actor) = 0;
};

// Builds the run over the world and runs it for the frames on the display; nothing without a
// world. Throws StopRequested when the program is asked to stop meanwhile.
void RunTestLevel(TestRunKind kind, Processor& processor, Display& display, TestRunWorld* world,
                  int32_t frames = kTestRunFrames);
