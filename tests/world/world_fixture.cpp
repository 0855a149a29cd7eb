#include "tests/world/world_fixture.h"

#include <cstring>

#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/zema_screen.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "shell/game_ids.h"
#include "tools/content/picture_builder.h"
#include "ui/ui_natives.h"
#include "world/world_natives.h"

namespace {

constexpr int32_t kCapacity = 256;

const char* const kClasses[] = {
    "GTTClass",         "Visual",     "Actor",           "Splinter", "PassivePicture", "Explosion",
    "ActiveBackGround", "BackGround", "CycleBackGround", "StarsSky", "Level"};

}  // namespace

std::string PictureBytes(const std::vector<Pixels>& frames) {
    std::vector<std::string> blocks;
    for (const Pixels& rows : frames) {
        FrameFixture f;
        f.bitsPerPixel = 16;
        f.flags = 1;
        f.height = static_cast<uint32_t>(rows.size());
        f.width = rows.empty() ? 0 : static_cast<uint32_t>(rows[0].size());
        for (const auto& row : rows) f.pixels.insert(f.pixels.end(), row.begin(), row.end());
        blocks.push_back(FrameBlock(f));
    }
    return PictureBlock(blocks);
}

Pixels Solid(uint32_t w, uint32_t h) {
    return Pixels(h, std::vector<uint16_t>(w, 1));
}

WorldTest::WorldTest(const std::vector<FdEntry>& extra) {
    std::vector<FdEntry> entries = {
        {"Misc\\Broker.dpf", PictureBytes({Solid(2, 2)})},
        {"Explosions\\Explosion1.dpf", PictureBytes({Solid(1, 1), Solid(1, 1)})},
        {"Explosions\\SmallExplosion.dpf", PictureBytes({Solid(1, 1)})},
    };
    entries.insert(entries.end(), extra.begin(), extra.end());
    archive = std::make_unique<TestArchive>(entries);
    processor = std::make_unique<Processor>(archive->File(), kCapacity, kCapacity, kCapacity, kCapacity);
    RegisterUiNatives();
    RegisterWorldNatives();
    ClassManager& classes = processor->Classes();
    ObjectManager& table = processor->Objects();
    for (const char* name : kClasses) classes.Register(NewNativeDescriptor(processor.get(), name), false);

    settings.SetMode(16, 640, 480);
    settings.pixelFormat = 565;
    auto* images = new ImageManager(&settings, processor.get(), 26, archive->File(), nullptr);
    classes.Register(images, false);
    table.SetObject(images, kImageManagerId);

    surface = std::make_unique<MemorySurface>(&settings, nullptr, 4);
    buffer = std::make_unique<ScreenBuffer>(nullptr);
    buffer->SetSurface(surface.get());
    auto* screen = new ZEMAScreen(processor.get(), [this] { return buffer.get(); });
    classes.Register(screen, false);
    table.SetObject(new ScriptObject(screen), kScreenId);

    level = new LevelObject(Class("Level"), 640);
    table.SetObject(level, kLevelId);
    table.SetObject(new ObjectManager(processor.get(), 1), kTestRunListId);

    PublishedFlight() = FlightValues{64000, 48000, false};
    SeedRandom(1);
}

WorldTest::~WorldTest() {
    objects.clear();
    processor.reset();
    for (void* block : blocks_) ScriptFree(block);
    PublishedFlight() = FlightValues{};
}

ZEMAClass* WorldTest::Class(const char* name) {
    return processor->Classes().Get(String(name));
}

Image& WorldTest::Picture(const char* name) {
    auto* images = dynamic_cast<ImageManager*>(processor->Objects().GetObject(kImageManagerId));
    return *images->GetImage(String(name));
}

void WorldTest::Call(ScriptObject* object, uint32_t number, const std::vector<uint32_t>& arguments) {
    for (uint32_t a : arguments) processor->DataStack().Push(a);
    processor->CallMethod(object, object->Class(), number);
}

void WorldTest::CallVirtual(ScriptObject* object, uint32_t number, const std::vector<uint32_t>& arguments) {
    for (uint32_t a : arguments) processor->DataStack().Push(a);
    processor->CallVirtual(object, number);
}

ScriptObject& WorldTest::New(const char* className, const std::vector<uint32_t>& arguments) {
    for (uint32_t a : arguments) processor->DataStack().Push(a);
    objects.emplace_back(processor->NewObjectByName(String(className)));
    return *objects.back();
}

ActorObject& WorldTest::NewActor(uint32_t picture, int32_t energy, int32_t x, int32_t y, int32_t speedX,
                                 int32_t speedY, uint32_t damage, uint32_t armour) {
    // Pushed in the reverse of the pop order.
    return ActorObject::Of(&New("Actor", {armour, damage, uint32_t(speedY), uint32_t(speedX), uint32_t(y),
                                          uint32_t(x), uint32_t(energy), picture}));
}

uint32_t WorldTest::Table(const std::array<uint32_t, kDamageKinds>& values) {
    void* block = ScriptAlloc(sizeof(values));
    std::memcpy(block, values.data(), sizeof(values));
    blocks_.push_back(block);
    return ToScript(block);
}

void WorldTest::Draw(ActorObject& actor, const std::vector<DrawnEntry>& entries) {
    actor.SetDrawnCount(static_cast<int32_t>(entries.size()));
    for (uint32_t i = 0; i < entries.size(); ++i) actor.RecordDrawn(i, entries[i]);
}

ObjectManager& WorldTest::Flight() {
    return *dynamic_cast<ObjectManager*>(processor->Objects().GetObject(kTestRunListId));
}
