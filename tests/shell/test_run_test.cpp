#include "shell/test_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/data_block.h"
#include "script/class_manager.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/shell/game_fixture.h"
#include "tests/support/error_message.h"
#include "tools/content/block_writer.h"

namespace {

std::vector<int32_t> g_steps;
// What the experiment's step does besides counting, as its script would (the frame given).
std::function<void(ScriptObject& experiment, int32_t frame)> g_onStep;

void Push(ScriptObject* receiver, std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) RunnerOf(receiver).DataStack().Push(v);
}
uint32_t Pop(ScriptObject* receiver) {
    return RunnerOf(receiver).DataStack().Pop();
}

// The script class that drives a test run, standing in with natives: one visible entry on layer 3.
class ExperimentClass : public ZEMAClass {
  public:
    using ZEMAClass::ZEMAClass;
    const String& ClassName() const override {
        static const String* name = new String("Experiment");
        return *name;
    }
    void ReserveMethodTables(ZEMAClass& target) override { target.ReserveMethods(4, 13); }
    void RegisterMethods(ZEMAClass& target) override {
        target.SetVirtualMethod(
            [](ScriptObject* r) {
                const auto frame = static_cast<int32_t>(Pop(r));
                g_steps.push_back(frame);
                if (g_onStep) g_onStep(*r, frame);
            },
            2);
        target.SetVirtualMethod([](ScriptObject* r) { Push(r, {1}); }, 7);
        target.SetVirtualMethod([](ScriptObject* r) { Pop(r), Push(r, {0, 300, 200, 0}); }, 8);
        target.SetVirtualMethod([](ScriptObject* r) { Pop(r), Push(r, {0, 0}); }, 9);
        target.SetVirtualMethod([](ScriptObject* r) { Pop(r), Push(r, {3}); }, 10);
        target.SetVirtualMethod([](ScriptObject* r) { Pop(r), Push(r, {0, 0, 0, 0}); }, 11);
        target.SetVirtualMethod([](ScriptObject* r) { Pop(r), Push(r, {0}); }, 12);
        BindZEMAClassMethods(target);
    }
};

class FakeWorld : public TestRunWorld {
  public:
    std::unique_ptr<DataBlock> NewShipConfig() override {
        auto block = std::make_unique<DataBlock>(14, true);
        block->SetSignature("SCFG");
        return block;
    }
    ScriptObject* NewLevel(ZEMAClass& levelClass) override { return new ScriptObject(&levelClass); }
    void SetPlayField(ScriptObject&, int32_t w, int32_t h) override { width = w, height = h; }
    void NamePlayer(ScriptObject&, const String& name) override { playerName = name.Text(); }
    ScriptObject* BuildShip(Processor& processor, DataBlock& block) override {
        shipRead = block.PayloadSize() == 3;
        return processor.NewObjectByName(String("Experiment"));
    }
    void AttachShip(ScriptObject&, ScriptObject&) override { attached = true; }
    void SetPlayerInput(ScriptObject&, std::unique_ptr<InputDevice> device) override {
        input = std::move(device);
    }
    InputDevice* PlayerInput(ScriptObject&) override { return input.get(); }
    int32_t BackgroundColour(ScriptObject&) override { return background; }
    void SetBackgroundColour(ScriptObject&, int32_t colour) override { background = colour; }
    void Draw(ScriptObject&, ScriptObject&) override { ++draws; }
    DrawnEntries* EntryCache(ScriptObject&) override { return &cache; }

    int32_t width = 0, height = 0, background = 0x1234, draws = 0;
    std::string playerName;
    bool shipRead = false, attached = false;
    std::unique_ptr<InputDevice> input;
    DrawnEntries cache;
};

class TestRunTest : public GameFixture {
  protected:
    void SetUp() override {
        WriteArchive();
        dir.Write("Ship1.SCFG", SEBlock("SCFG", "abc", LeU32(0)));
        dir.Write("Player1.INPD", InputDeviceFile({0x41, 0x42}));
        Startup();
        Game().processor->Classes().Register(new ExperimentClass(Game().processor), false);
        g_steps.clear();
    }
    void TearDown() override { g_onStep = nullptr; }

  public:
    Processor& Cpu() { return *Game().processor; }
    // The last entry of a list of the object table.
    ScriptObject* LastOf(uint32_t id) {
        ScriptObject* last = nullptr;
        for (auto* node = Cpu().Objects().ListAt(id)->ObjectList().Head(); node != nullptr; node = node->next)
            last = node->item;
        return last;
    }
};

std::string NotValid(uint32_t address, const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "Not a valid object at 0x%08X where %s expected", address, what);
    return text;
}

}  // namespace

TEST_F(TestRunTest, RunBStepsAndDrawsTheExperimentEachFrame) {
    Processor& processor = Cpu();
    FakeWorld world;
    const uint64_t shown = Video().FramesShown();

    RunTestLevel(TestRunKind::B, processor, *Game().display, &world, 3);
    EXPECT_EQ(g_steps, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(processor.FrameNumber(), 2);
    EXPECT_EQ(Video().FramesShown() - shown, 3u);
    EXPECT_EQ(world.draws * 1000 + world.cache.count * 100 + world.background, 3100);
    EXPECT_EQ(world.cache.x[0], 200u);
    EXPECT_TRUE(world.shipRead && world.attached && world.playerName == "Player 1");
    EXPECT_EQ(world.width * 1000 + world.height, 640480);
    ASSERT_NE(world.input, nullptr);
    EXPECT_EQ(world.input->Actions().Code(1), 0x42u);
    EXPECT_STREQ(processor.Objects().GetObject(kLevelId)->Class()->ClassName().Text(), "Level");
    EXPECT_EQ(processor.DataStack().Depth(), 0u);
    for (const auto& layer : GameDrawLayers()) EXPECT_TRUE(layer.empty());

    // Without the game world there is nothing to run.
    RunTestLevel(TestRunKind::A, processor, *Game().display, nullptr, 3);
    EXPECT_EQ(g_steps.size(), 3u);
}

// A script of the run deletes one of the objects the run drives: the run ends with the engine error
// naming it, where it would next use it.
TEST_F(TestRunTest, AnObjectOfTheRunThatAScriptDeletedEndsItNamingTheObject) {
    struct Case {
        const char* what;
        std::function<ScriptObject*(TestRunTest&, ScriptObject& experiment)> find;
    };
    const Case cases[] = {
        {"level", [](TestRunTest& t, ScriptObject&) { return t.Cpu().Objects().GetObject(kLevelId); }},
        {"player", [](TestRunTest& t, ScriptObject&) { return t.LastOf(kPlayerListId); }},
        {"ship", [](TestRunTest& t, ScriptObject&) { return t.LastOf(kShipListId); }},
        {"experiment", [](TestRunTest&, ScriptObject& experiment) { return &experiment; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t deleted = 0;
        g_onStep = [&](ScriptObject& experiment, int32_t frame) {
            if (frame != 1) return;
            ScriptObject* object = c.find(*this, experiment);
            deleted = object->Address();
            DestroyObject(object);
        };
        FakeWorld world;
        // What the game thread holds while it runs a path.
        const ReleaseHold hold;
        const std::string error =
            ErrorMessage([&] { RunTestLevel(TestRunKind::B, Cpu(), *Game().display, &world, 4); });
        EXPECT_EQ(error, NotValid(deleted, c.what));
        Cpu().DataStack().TruncateTo(0);
    }
}

TEST_F(TestRunTest, WhatTheFramesMakeAndDestroyGoesFrameByFrame) {
    g_onStep = [](ScriptObject& experiment, int32_t) { DestroyObject(new ScriptObject(experiment.Class())); };
    FakeWorld world;
    const ReleaseHold hold;
    const size_t before = DestroyedAwaitingRelease();
    RunTestLevel(TestRunKind::B, Cpu(), *Game().display, &world, 5);
    EXPECT_EQ(DestroyedAwaitingRelease(), before + 1) << "only the last frame's";
}
