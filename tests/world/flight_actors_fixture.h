// A processor with the actor kinds of the flight bound, the flight's lists in place (objects 5, 8,
// 10 and 12), a Level as object 6 and a 320 x 200 screen; pictures built in memory; actors made by
// class name with their create arguments given in pop order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/image.h"
#include "script/object_manager.h"
#include "tests/world/scene_fixture.h"
#include "world/actor.h"
#include "world/level.h"

class FlightActorsTest : public SceneFixture {
  protected:
    FlightActorsTest();
    ~FlightActorsTest() override;

    // Opens a processor over the libraries and sets the flight up again.
    void OpenFlight(const std::vector<ClassLibraryBuilder>& libraries);

    // Creates an object of the class by name; arguments as its method 0 pops them, after the class.
    template <class T>
    T& Make(const char* className, const std::vector<uint32_t>& popOrder) {
        std::vector<uint32_t> pushed(popOrder.rbegin(), popOrder.rend());
        auto* made = dynamic_cast<T*>(New(className, pushed));
        EXPECT_NE(made, nullptr) << className;
        return *made;
    }
    // A plain actor at (x, y) with a speed and energy; no picture or tables.
    ActorObject& PlainActor(int32_t x, int32_t y, int32_t speedX = 0, int32_t speedY = 0,
                            int32_t energy = 100);
    // The script value of a picture of frame count frames, each width x height, all pixels 1.
    uint32_t Picture(uint32_t frames, uint32_t width = 4, uint32_t height = 4);

    ObjectManager& List(uint32_t id);
    LevelObject& Level() { return *level_; }
    // Deletes an object the way a script does.
    void Delete(ScriptObject* object);

  private:
    void SetUpFlight();

    LevelObject* level_ = nullptr;
    std::vector<std::unique_ptr<Image>> pictures_;
};

// Script value of a signed number.
inline uint32_t W(int32_t v) {
    return static_cast<uint32_t>(v);
}
