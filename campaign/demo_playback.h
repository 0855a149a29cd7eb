// A recorded demo replayed into the players' input devices.
#pragma once

#include <memory>

#include "foundation/engine_string.h"

class BlockReader;
class PlayerObject;
class Processor;

// A demo file open for replay into the players' input devices. Opening reads the file through
// once, so that a damaged one fails before anything changes, with an engine error naming it. When
// the playback goes, however the demo ends, no device it was attached to replays from it any more,
// whichever pilot has the device by then.
class DemoPlayback {
  public:
    DemoPlayback(Processor& processor, const String& demoFile);
    DemoPlayback(const DemoPlayback&) = delete;
    DemoPlayback& operator=(const DemoPlayback&) = delete;

    // The player's input now replays from the demo.
    void Attach(PlayerObject& player);

  private:
    // Shared with the devices replaying it, which hold it weakly.
    std::shared_ptr<BlockReader> reader_;
};
