#include "tests/world/flight_actors_fixture.h"

#include "shell/game_ids.h"
#include "tests/support/read_bytes.h"
#include "tools/content/picture_builder.h"
#include "tools/content/sound_builder.h"

namespace {

constexpr uint32_t kFlightLists[] = {5, 8, kTestRunListId};

}  // namespace

FlightActorsTest::FlightActorsTest(const std::vector<ScriptSubclass>& classes) {
    game.AddPicture("Misc\\Broker.dpf", {.width = 2, .height = 2});
    game.AddPicture("Explosions\\Explosion1.dpf", {.frames = 2});
    game.AddPicture("Explosions\\SmallExplosion.dpf");
    game.AddEntry("Explosions\\Explosion1.wav", WaveFile());
    for (const ScriptSubclass& cls : classes) game.AddClass(cls);
    game.Start();
    for (uint32_t id : kFlightLists) game.Objects().SetObject(new ObjectManager(&Cpu(), 1), id);
    level_ = &LevelObject::Of(game.Keep(kLevelId, game.New("Level")));
    PublishedFlight() = FlightValues{.sceneWidthX100 = 32000, .screenHeightX100 = 20000};
}

FlightActorsTest::~FlightActorsTest() = default;

ScriptObject* FlightActorsTest::Keep(GameObject object) {
    ScriptObject* kept = object.release();
    game.Objects().AppendObject(kept);
    return kept;
}

ActorObject& FlightActorsTest::PlainActor(int32_t x, int32_t y, int32_t speedX, int32_t speedY,
                                          int32_t energy) {
    return Make<ActorObject>("Actor", {0, W(energy), W(x), W(y), W(speedX), W(speedY), 0, 0});
}

uint32_t FlightActorsTest::Picture(uint32_t frames, uint32_t width, uint32_t height) {
    std::vector<std::string> blocks{PaletteBlockBytes({{0, 0, 0}, {255, 255, 255}})};
    for (uint32_t f = 0; f < frames; ++f) {
        blocks.push_back(FrameBlock(
            {.width = width, .height = height, .pixels = std::vector<uint16_t>(size_t{width} * height, 1)}));
    }
    pictures_.push_back(ReadBlockObject<Image>(PictureBlock(blocks)));
    return pictures_.back()->Address();
}

std::vector<uint32_t> FlightActorsTest::Call(ScriptObject* object, const char* className, uint32_t n,
                                             const std::vector<uint32_t>& pushed) {
    return game.CallMethod(object, game.Class(className), n, pushed);
}

std::vector<uint32_t> FlightActorsTest::CallVirtual(ScriptObject* object, uint32_t n,
                                                    const std::vector<uint32_t>& pushed) {
    return game.CallVirtual(object, n, pushed);
}

std::vector<uint32_t> FlightActorsTest::TakeData() {
    DStack<uint32_t>& data = Cpu().DataStack();
    std::vector<uint32_t> values(data.Depth());
    for (auto v = values.rbegin(); v != values.rend(); ++v) *v = data.Pop();
    return values;
}

ObjectManager& FlightActorsTest::List(uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(game.Object(id));
    EXPECT_NE(list, nullptr) << id;
    return *list;
}

void FlightActorsTest::Delete(ScriptObject* object) {
    if (object->ManagerHolds() > 0) ObjectManager::ForgetEverywhere(object);
    DestroyObject(object);
}
