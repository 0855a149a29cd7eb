// A recorded demo replayed into the players' input devices.
#pragma once

#include <memory>

#include "foundation/engine_string.h"

class BlockReader;
class PlayerObject;
class Processor;

// A demo file open for replay into the players' input devices. Opening reads the file through
// once, so that a damaged one fails before anything changes, with an engine error naming it. When
// the playback goes, however the demo ends, no device of the players is left replaying from it.
class DemoPlayback {
  public:
    DemoPlayback(Processor& processor, const String& demoFile);
    ~DemoPlayback();
    DemoPlayback(const DemoPlayback&) = delete;
    DemoPlayback& operator=(const DemoPlayback&) = delete;

    // The player's input now replays from the demo.
    void Attach(PlayerObject& player);

  private:
    Processor& processor_;
    std::unique_ptr<BlockReader> reader_;
};
