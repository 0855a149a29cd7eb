#include "shell/test_run.h"

#include "foundation/block_reader.h"
#include "foundation/data_block.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
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

struct Scene {
    ScriptObject* level = nullptr;
    ScriptObject* player = nullptr;
    ScriptObject* ship = nullptr;
    ScriptObject* experiment = nullptr;
};

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
    world.SetPlayField(*scene.level, kPlayFieldWidth, kPlayFieldHeight);
    ReadDiskBlock("Ship1.SCFG", *shipConfig);

    scene.player = processor.NewObjectByName(String("Player"));
    if (scene.player == nullptr) throw FatalExep(String("Player was not created"));
    ManagerAt(processor, kPlayerListId).AppendObject(scene.player);
    world.NamePlayer(*scene.player, String("Player 1"));

    scene.ship = world.BuildShip(processor, *shipConfig);
    if (scene.ship == nullptr) throw FatalExep(String("Ship1.SCFG built no ship"));
    ManagerAt(processor, kShipListId).AppendObject(scene.ship);
    world.AttachShip(*scene.player, *scene.ship);

    // The player's device is the template with the stored mapping read over it.
    std::unique_ptr<InputDevice> device = TemplateDevice();
    ReadDiskBlock("Player1.INPD", *device);
    world.SetPlayerInput(*scene.player, std::move(device));

    scene.experiment = processor.NewObjectByName(String("Experiment"));
    if (scene.experiment == nullptr) throw FatalExep(String("Experiment was not created"));
    // Kept in the main table's list, so that it goes with the other objects of the run.
    objects.AppendObject(scene.experiment);

    if (kind == TestRunKind::A) {
        objects.SetObject(new ObjectManager(&processor, 1), kTestRunListId);
        processor.DataStack().Push(broker != nullptr ? broker->Address() : 0);
        processor.CallMethod(scene.experiment, processor.ClassByName(String("Actor")), kTakePictureMethod);
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
    for (int32_t frame = 0; frame < frames; ++frame) {
        CheckGameStop();
        if (InputDevice* input = world->PlayerInput(*scene.player)) input->Poll();
        processor.SetFrameNumber(frame);
        ScreenSurface* surface = display.Surface();
        const bool locked = surface != nullptr && surface->Lock();
        if (runA) Step(processor, *scene.ship, frame);
        Step(processor, *scene.experiment, frame);
        if (!locked) display.LockSurface();

        const int32_t background = world->BackgroundColour(*scene.level);
        if (background != kNoBackground && surface != nullptr)
            surface->Fill(static_cast<uint32_t>(background));
        world->SetBackgroundColour(*scene.level, 0);
        processor.CallVirtual(scene.experiment, kEventMethod);
        processor.DataStack().Pop();

        ClearDrawLayers(layers);
        CollectDrawRecords(processor, *scene.experiment, world->EntryCache(*scene.experiment), layers);
        if (runA) CollectDrawRecords(processor, *scene.ship, world->EntryCache(*scene.ship), layers);
        if (display.Buffer() != nullptr) DrawLayers(*display.Buffer(), layers);
        if (display.Presenter() != nullptr) display.Presenter()->ShowFrame();

        if (runA) world->Draw(*scene.ship, *scene.experiment);
        world->Draw(*scene.experiment, *scene.ship);
    }
    ClearDrawLayers(layers);
}
