#include "shell/test_run.h"

#include <memory>

#include "foundation/block_reader.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "shell/game_stop.h"
#include "shell/input_device.h"

namespace {

constexpr uint32_t kStepMethod = 2;
constexpr uint32_t kEventMethod = 7;
constexpr uint32_t kTakePictureMethod = 22;
constexpr int32_t kPlayFieldWidth = 640;
constexpr int32_t kPlayFieldHeight = 480;
constexpr int32_t kNoBackground = -1;

// The keyboard device the player's mapping is read over: two actions, released.
std::unique_ptr<InputDevice> TemplateDevice() {
    auto device = std::make_unique<InputDevice>();
    device->SetJoystickNumber(0);
    device->Actions().SetCodes({1, 2});
    device->ResetActions();
    return device;
}

void ReadDiskBlock(const char* name, DataBlock& block) {
    FileBlockReader reader(1024, 1024, 128);
    reader.Open(String(name));
    reader >> block;
    reader.Close();
}

ObjectManager& ManagerAt(Processor& processor, uint32_t id) {
    auto* manager = processor.Objects().ListAt(id);
    if (manager == nullptr) ThrowFatal("No object list under ID %d", static_cast<int>(id));
    return *manager;
}

void Step(Processor& processor, ScriptObject& actor, int32_t frame) {
    processor.DataStack().Push(static_cast<uint32_t>(frame));
    processor.CallVirtual(&actor, kStepMethod);
}

using Made = std::unique_ptr<ScriptObject, ObjectDiscarder>;

// The objects the run drives. They are made before its loop begins, so their memory stays while it
// runs; every frame runs scripts, which may delete any of them, so each is asked for at each use.
struct Scene {
    ScriptObject* level = nullptr;
    ScriptObject* player = nullptr;
    ScriptObject* ship = nullptr;
    ScriptObject* experiment = nullptr;

    // FatalExep naming the object once a script deleted it: the run cannot go on without it.
    ScriptObject& Level() const { return Live(level, "level"); }
    ScriptObject& Player() const { return Live(player, "player"); }
    ScriptObject& Ship() const { return Live(ship, "ship"); }
    ScriptObject& Experiment() const { return Live(experiment, "experiment"); }

  private:
    static ScriptObject& Live(ScriptObject* object, const char* what) {
        object->CheckAlive(what);
        return *object;
    }
};

// A new object of the class; FatalExep naming it when none was made.
Made NewByName(Processor& processor, const char* className) {
    Made made(processor.NewObjectByName(String(className)));
    if (made == nullptr) ThrowFatal("%s was not created", className);
    return made;
}

Scene BuildScene(TestRunKind kind, Processor& processor, TestRunWorld& world) {
    ObjectManager& objects = processor.Objects();
    Scene scene;
    std::unique_ptr<DataBlock> shipConfig = world.NewShipConfig();

    scene.level = world.NewLevel(*processor.ClassByName(String("Level")));
    objects.SetObject(scene.level, kLevelId);
    Image* broker = nullptr;
    if (kind == TestRunKind::A) {
        auto* images = dynamic_cast<ImageManager*>(objects.GetObject(kImageManagerId));
        if (images == nullptr) throw FatalExep(String("No ImageManager"));
        broker = images->GetImage(String("Misc\\Broker.dpf"));
    }
    world.SetPlayField(scene.Level(), kPlayFieldWidth, kPlayFieldHeight);
    ReadDiskBlock("Ship1.SCFG", *shipConfig);

    Made player = NewByName(processor, "Player");
    ManagerAt(processor, kPlayerListId).AppendObject(player.get());
    scene.player = player.release();
    world.NamePlayer(scene.Player(), String("Player 1"));

    Made ship(world.BuildShip(processor, *shipConfig));
    if (ship == nullptr) throw FatalExep(String("Ship1.SCFG built no ship"));
    ManagerAt(processor, kShipListId).AppendObject(ship.get());
    scene.ship = ship.release();
    world.AttachShip(scene.Player(), scene.Ship());

    // The player's device is the template with the stored mapping read over it.
    std::unique_ptr<InputDevice> device = TemplateDevice();
    ReadDiskBlock("Player1.INPD", *device);
    world.SetPlayerInput(scene.Player(), std::move(device));

    Made experiment = NewByName(processor, "Experiment");
    // Kept in the main table's list, so that it goes with the other objects of the run.
    objects.AppendObject(experiment.get());
    scene.experiment = experiment.release();

    if (kind == TestRunKind::A) {
        objects.SetObject(new ObjectManager(&processor, 1), kTestRunListId);
        processor.DataStack().Push(broker != nullptr ? broker->Address() : 0);
        processor.CallMethod(&scene.Experiment(), processor.ClassByName(String("Actor")), kTakePictureMethod);
    }
    return scene;
}

}  // namespace

void RunTestLevel(TestRunKind kind, Processor& processor, Display& display, TestRunWorld* world,
                  int32_t frames) {
    if (world == nullptr) return;
    const Scene scene = BuildScene(kind, processor, *world);
    const bool runA = kind == TestRunKind::A;
    DrawLayerLists& layers = GameDrawLayers();
    // What the frames make and destroy goes at the next frame; the layers are emptied each frame
    // before anything is drawn from them.
    ReleaseLoop release;
    for (int32_t frame = 0; frame < frames; ++frame) {
        release.Turn();
        CheckGameStop();
        if (InputDevice* input = world->PlayerInput(scene.Player())) input->Poll();
        processor.SetFrameNumber(frame);
        ScreenSurface* surface = display.Surface();
        const bool locked = surface != nullptr && surface->Lock();
        if (runA) Step(processor, scene.Ship(), frame);
        Step(processor, scene.Experiment(), frame);
        if (!locked) display.LockSurface();

        const int32_t background = world->BackgroundColour(scene.Level());
        if (background != kNoBackground && surface != nullptr)
            surface->Fill(static_cast<uint32_t>(background));
        world->SetBackgroundColour(scene.Level(), 0);
        processor.CallVirtual(&scene.Experiment(), kEventMethod);
        processor.DataStack().Pop();

        ClearDrawLayers(layers);
        CollectDrawRecords(processor, scene.Experiment(), world->EntryCache(scene.Experiment()), layers);
        if (runA) CollectDrawRecords(processor, scene.Ship(), world->EntryCache(scene.Ship()), layers);
        if (display.Buffer() != nullptr) DrawLayers(*display.Buffer(), layers);
        if (display.Presenter() != nullptr) display.Presenter()->ShowFrame();

        if (runA) world->Draw(scene.Ship(), scene.Experiment());
        world->Draw(scene.Experiment(), scene.Ship());
    }
    ClearDrawLayers(layers);
}
