#include "world/test_run_world.h"

#include <map>
#include <memory>

#include "shell/draw_layers.h"
#include "shell/game_hooks.h"
#include "shell/input_device.h"
#include "shell/test_run.h"
#include "world/actor.h"
#include "world/equipment_config.h"
#include "world/level.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

// The ship of a test run starts untouchable for this many frames, so that a run is not cut short
// by the first collision.
constexpr int32_t kTestRunGraceFrames = 2000;

class WorldTestRun : public TestRunWorld {
  public:
    std::unique_ptr<DataBlock> NewShipConfig() override { return std::make_unique<ShipConfig>(); }

    ScriptObject* NewLevel(ZEMAClass& levelClass) override {
        drawn_.clear();
        return new LevelObject(&levelClass, ScreenWidthFor(levelClass));
    }

    void SetPlayField(ScriptObject& level, int32_t width, int32_t height) override {
        PublishedFlight().sceneWidthX100 = width * 100;
        PublishedFlight().screenHeightX100 = height * 100;
        LevelObject::Of(&level).SetSceneWidth(width);
    }

    void NamePlayer(ScriptObject& player, const String& name) override {
        PlayerObject::Of(&player).SetName(name);
    }

    ScriptObject* BuildShip(Processor& processor, DataBlock& shipConfig) override {
        auto* config = dynamic_cast<ShipConfig*>(&shipConfig);
        if (config == nullptr) ThrowFatal("\"Ship1.SCFG\" is no ship configuration");
        ShipObject* ship = LoadFromConfig(processor, *config);
        ship->SetGrace(kTestRunGraceFrames);
        return ship;
    }

    void AttachShip(ScriptObject& player, ScriptObject& ship) override {
        PlayerObject::Of(&player).AttachShip(&ship);
    }

    void SetPlayerInput(ScriptObject& player, std::unique_ptr<InputDevice> device) override {
        PlayerObject::Of(&player).SetInput(std::move(device));
    }

    InputDevice* PlayerInput(ScriptObject& player) override { return PlayerObject::Of(&player).Input(); }

    int32_t BackgroundColour(ScriptObject& level) override {
        return LevelObject::Of(&level).BackgroundColour();
    }

    void SetBackgroundColour(ScriptObject& level, int32_t colour) override {
        LevelObject::Of(&level).SetBackgroundColour(colour);
    }

    // The actor keeps what the last frame drew of it, as in a flight; the other actor is not
    // needed for that.
    void Draw(ScriptObject& actor, ScriptObject&) override {
        auto* drawnActor = dynamic_cast<ActorObject*>(&actor);
        const auto found = drawn_.find(&actor);
        if (drawnActor == nullptr || found == drawn_.end()) return;
        drawnActor->KeepDrawn(found->second);
    }

    DrawnEntries* EntryCache(ScriptObject& actor) override {
        if (dynamic_cast<ActorObject*>(&actor) == nullptr) return nullptr;
        return &drawn_[&actor];
    }

  private:
    // Keyed by the run's own actors, which live until the program ends.
    std::map<const ScriptObject*, DrawnEntries> drawn_;
};

}  // namespace

void InstallTestRunWorld() {
    Hooks().testRunWorld = std::make_shared<WorldTestRun>();
}
