// The started game with the flight's lists in place (objects 5, 8 and 12), a Level as object 6 and
// the flight's field published; pictures built in memory; actors made by class name with their
// create arguments given in pop order. The main object list keeps what a test makes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "tests/support/game_harness.h"
#include "world/actor.h"
#include "world/level.h"

class FlightActorsTest : public ::testing::Test {
  protected:
    // classes: script subclasses served with the game.
    explicit FlightActorsTest(const std::vector<ScriptSubclass>& classes = {});
    ~FlightActorsTest() override;

    Processor& Cpu() { return game.Cpu(); }

    // Creates an object of the class by name; arguments as its method 0 pops them, after the class.
    template <class T>
    T& Make(const char* className, const std::vector<uint32_t>& popOrder) {
        auto* made = dynamic_cast<T*>(Keep(game.New(className, {popOrder.rbegin(), popOrder.rend()})));
        EXPECT_NE(made, nullptr) << className;
        return *made;
    }
    // A plain actor at (x, y) with a speed and energy; no picture or tables.
    ActorObject& PlainActor(int32_t x, int32_t y, int32_t speedX = 0, int32_t speedY = 0,
                            int32_t energy = 100);
    // The script value of a picture of frame count frames, each width x height, all pixels 1.
    uint32_t Picture(uint32_t frames, uint32_t width = 4, uint32_t height = 4);

    // Method n of the named class, or virtual method n of the object's class, with the arguments
    // pushed in order; what the call left on the data stack, bottom first.
    std::vector<uint32_t> Call(ScriptObject* object, const char* className, uint32_t n,
                               const std::vector<uint32_t>& pushed = {});
    std::vector<uint32_t> CallVirtual(ScriptObject* object, uint32_t n,
                                      const std::vector<uint32_t>& pushed = {});
    // Whatever is left on the data stack, bottom first; the stack is left empty.
    std::vector<uint32_t> TakeData();

    ObjectManager& List(uint32_t id);
    LevelObject& Level() { return *level_; }
    // Deletes an object the way a script does.
    void Delete(ScriptObject* object);

  private:
    ScriptObject* Keep(GameObject object);

    std::vector<std::unique_ptr<Image>> pictures_;
    LevelObject* level_ = nullptr;

  protected:
    GameHarness game;
};

// Script value of a signed number.
inline uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}
