// What the running game keeps program-wide: the platform services it was started with, the start
// mode, and the engine objects start-up builds and shutdown releases. Every holder is empty before
// start-up and after shutdown, so shutdown can run after a partial start-up and run again.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/block_reader.h"
#include "foundation/fd_file.h"
#include "foundation/log_writer.h"
#include "graphics/direct_draw_device.h"
#include "graphics/display.h"

class App;
class Audio;
class Input;
class InputDevice;
class Processor;
class SoundSystem;
class Timer;
class Video;

// The platform the game runs over; none of it is owned.
struct ShellServices {
    App* app = nullptr;
    Video* video = nullptr;
    Input* input = nullptr;
    Timer* timer = nullptr;
    Audio* audio = nullptr;
};

// Start modes chosen by the command line.
constexpr int32_t kStartNormal = 0;
constexpr int32_t kStartTestRunA = 1;
constexpr int32_t kStartTestRunB = 2;
constexpr int32_t kStartPlayerSetup = 4;

struct GameGlobals {
    ShellServices services;
    // Written before the game thread starts, read by it.
    int32_t startMode = kStartNormal;

    std::unique_ptr<FileBlockReader> archiveReader;  // on "main.FD"
    std::unique_ptr<FD::File> archive;
    // Owns the object and class tables, and through them every manager.
    Processor* processor = nullptr;
    std::unique_ptr<Display> display;
    std::unique_ptr<DirectDrawDevice> directDraw;
    // Held by the class table (object 16); kept here for shutdown's stop of its thread.
    SoundSystem* soundSystem = nullptr;
};

GameGlobals& Game();

// The key mapping read from "Keys.INPD".
InputDevice& GameKeys();
