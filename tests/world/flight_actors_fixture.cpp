#include "tests/world/flight_actors_fixture.h"

#include "foundation/engine_string.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "shell/game_ids.h"
#include "tests/support/picture_builder.h"

namespace {

const char* const kActorKinds[] = {
    "Visual",      "Actor",    "Shot",      "ShotExplosion", "Missile",   "EnemyMissile",  "MultiActor",
    "PseudoActor", "ProActor", "MazeEnemy", "Splinter",      "Explosion", "PassivePicture"};
constexpr uint32_t kFlightLists[] = {5, 8, 12};

}  // namespace

FlightActorsTest::FlightActorsTest() {
    SetUpFlight();
}

FlightActorsTest::~FlightActorsTest() {
    processor.reset();
}

void FlightActorsTest::OpenFlight(const std::vector<ClassLibraryBuilder>& libraries) {
    Open(libraries);
    SetUpFlight();
}

void FlightActorsTest::SetUpFlight() {
    ClassManager& classes = Cpu().Classes();
    for (const char* name : kActorKinds) classes.Register(NewNativeDescriptor(processor.get(), name), false);
    for (uint32_t id : kFlightLists) Cpu().Objects().SetObject(new ObjectManager(processor.get(), 1), id);
    Cpu().DataStack().Push(Cpu().ClassByName(String("Level"))->Address());
    Cpu().CallMethod(Cpu().ClassByName(String("Level")), Cpu().ClassByName(String("Level")), 0);
    Cpu().ObjectStack().Pop();
    level_ = &LevelObject::Of(ScriptObject::FromAddress(Cpu().DataStack().Pop(), 0, "level"));
    Cpu().Objects().SetObject(level_, kLevelId);
    PublishedFlight() = FlightValues{.sceneWidthX100 = 32000, .screenHeightX100 = 20000};
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

ObjectManager& FlightActorsTest::List(uint32_t id) {
    auto* list = dynamic_cast<ObjectManager*>(Cpu().Objects().GetObject(id));
    EXPECT_NE(list, nullptr) << id;
    return *list;
}

void FlightActorsTest::Delete(ScriptObject* object) {
    if (object->ManagerHolds() > 0) ObjectManager::ForgetEverywhere(object);
    DestroyObject(object);
}
