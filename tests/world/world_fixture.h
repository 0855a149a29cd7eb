// A processor with the game world's classes registered, for tests of actors: the picture manager
// over a small archive of pictures (16-bit frames), a 640x480 16-bit screen as object 9, the
// running level as object 6, the flight's actor list as object 12 and the flight's field published.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/config_blocks.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "tests/support/test_archive.h"
#include "world/actor.h"
#include "world/level.h"

class Image;

// 16-bit pixel rows, top row first; 0 is transparent.
using Pixels = std::vector<std::vector<uint16_t>>;

// "DPF" bytes of a picture with these frames (origin 0, 0).
std::string PictureBytes(const std::vector<Pixels>& frames);
// A solid w x h frame of pixel value 1.
Pixels Solid(uint32_t w, uint32_t h);

class WorldTest : public ::testing::Test {
  protected:
    // extra: further archive entries (name, bytes).
    explicit WorldTest(const std::vector<FdEntry>& extra = {});
    ~WorldTest() override;

    Processor& Cpu() { return *processor; }
    ZEMAClass* Class(const char* name);
    // A picture of the archive (loaded through object 4).
    Image& Picture(const char* name);

    // Pushes the arguments in order, then runs method number of the object's class on it.
    void Call(ScriptObject* object, uint32_t number, const std::vector<uint32_t>& arguments = {});
    void CallVirtual(ScriptObject* object, uint32_t number, const std::vector<uint32_t>& arguments = {});
    uint32_t Pop() { return processor->DataStack().Pop(); }
    uint32_t Depth() { return processor->DataStack().Depth(); }
    // Creates an object by class name with the arguments pushed in order; the test keeps it.
    ScriptObject& New(const char* className, const std::vector<uint32_t>& arguments);
    // An Actor through its native 0.
    ActorObject& NewActor(uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX = 0,
                          int32_t speedY = 0, uint32_t damage = 0, uint32_t armour = 0);
    // Ten values in script memory, kept for the test.
    uint32_t Table(const std::array<uint32_t, kDamageKinds>& values);
    // The frame of a picture as the flight records it for collisions.
    void Draw(ActorObject& actor, const std::vector<DrawnEntry>& entries);

    ObjectManager& Flight();
    LevelObject& Level() { return *level; }
    uint32_t FlightCount() { return Flight().ObjectList().Count(); }

    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<Processor> processor;
    ScreenSettingsBlock settings;
    std::unique_ptr<ScreenBuffer> buffer;
    std::unique_ptr<ScreenSurface> surface;
    LevelObject* level = nullptr;
    std::vector<std::unique_ptr<ScriptObject>> objects;

  private:
    std::vector<void*> blocks_;
};
