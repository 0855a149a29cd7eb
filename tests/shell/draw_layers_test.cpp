#include "shell/draw_layers.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/method_runner.h"
#include "script/script_object.h"
#include "tests/support/error_message.h"
#include "tests/support/picture_builder.h"

namespace {

struct FakeEntry {
    uint32_t frame = 0;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t orientation = 0;
    int32_t height = 0;
    std::array<int32_t, 4> heights{};
    uint32_t mode = 0;
    int32_t shade = 0;
    int32_t extraShade = 0;
};

// An actor's virtual methods 7 to 12 answered from a table, as scripts leave their results.
class FakeActor : public MethodRunner {
public:
    void CallMethod(ScriptObject*, ZEMAClass*, uint32_t) override {}
    void CallVirtual(ScriptObject*, uint32_t number) override {
        if (number == 7) {
            stack.Push(static_cast<uint32_t>(count));
            return;
        }
        const FakeEntry& e = entries.at(stack.Pop());
        auto push = [&](std::initializer_list<int64_t> values) {
            for (int64_t v : values) stack.Push(static_cast<uint32_t>(v));
        };
        switch (number) {
            case 8: push({e.orientation, e.y, e.x, e.frame}); break;
            case 9: push({e.mode, e.shade}); break;
            case 10: push({e.height}); break;
            case 11: push({e.heights[0], e.heights[1], e.heights[2], e.heights[3]}); break;
            case 12: push({e.extraShade}); break;
            default: break;
        }
    }
    DStack<uint32_t>& DataStack() override { return stack; }
    void PushObject(uint32_t address) override { stack.Push(address); }

    std::vector<FakeEntry> entries;
    int32_t count = 0;
    DStack<uint32_t> stack{64};
    std::unique_ptr<ScriptObject> object = std::make_unique<ScriptObject>(nullptr);
};

// Records the draw order: "D<x>" for a frame, "S<caster x>><receiver x>" for a cast shadow.
class RecordingBuffer : public ScreenBuffer {
public:
    RecordingBuffer() : ScreenBuffer(nullptr) {}
    void DrawFrameBlended(const Frame*, int32_t x, int32_t, uint32_t, uint32_t mode) override {
        calls.push_back("D" + std::to_string(x) + (mode != 0 ? "!" : ""));
    }
    void DrawCastShadow(const DrawRecord& caster, const DrawRecord& receiver) override {
        calls.push_back("S" + std::to_string(caster.x) + ">" + std::to_string(receiver.x));
    }
    std::vector<std::string> calls;
};

}  // namespace

TEST(DrawLayers, RecordsTakeEachMethodsResultsInTheirPlaces) {
    FakeActor actor;
    actor.entries = {{.x = -250, .y = 399, .orientation = 3, .height = -3, .heights = {1, 2, 3, 4}, .mode = 9,
                      .shade = 2, .extraShade = 5},
                     {.x = 100, .height = 40}};
    actor.count = 2;
    DrawLayerLists layers;
    DrawnEntries cache;
    CollectDrawRecords(actor, *actor.object, &cache, layers);
    ASSERT_EQ(layers[0].size(), 1u);
    ASSERT_EQ(layers[29].size(), 1u);
    const DrawRecord& r = layers[0][0];
    EXPECT_EQ(r.frame, nullptr);
    EXPECT_EQ(r.x, -2);
    EXPECT_EQ(r.y, 3);
    EXPECT_EQ(r.orientation, 3u);
    EXPECT_EQ(r.height, 0);
    EXPECT_EQ((std::array<int32_t, 4>{r.h1, r.h2, r.h3, r.h4}), (std::array<int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(r.mode, 9u);
    EXPECT_EQ(r.shade, 2);
    EXPECT_EQ(r.extraShade, 5);
    EXPECT_EQ(layers[29][0].height, 29);
    EXPECT_EQ(cache.count, 2);
    EXPECT_EQ(static_cast<int32_t>(cache.x[0]), -250);
    EXPECT_EQ(actor.stack.Depth(), 0u);
}

TEST(DrawLayers, OnlyTheFirstTwentyEntriesAreCachedAndFramesAreChecked) {
    FakeActor actor;
    actor.count = 25;
    for (int32_t i = 0; i < 25; ++i) actor.entries.push_back({.x = 100 * i, .height = 1});
    DrawLayerLists layers;
    DrawnEntries cache;
    CollectDrawRecords(actor, *actor.object, &cache, layers);
    EXPECT_EQ(layers[1].size(), 25u);
    EXPECT_EQ(cache.count, 25);
    EXPECT_EQ(cache.x[19], 1900u);

    std::unique_ptr<Image> picture = ReadBlockObject<Image>(
        PictureBlock({FrameBlock({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {1}})}));
    actor.count = 1;
    actor.entries = {{.frame = picture->GetFrame(0)->Address()}};
    ClearDrawLayers(layers);
    CollectDrawRecords(actor, *actor.object, nullptr, layers);
    EXPECT_EQ(layers[0].at(0).frame, picture->GetFrame(0));
    actor.entries = {{.frame = picture->Address()}};
    EXPECT_NE(ErrorMessage([&] { CollectDrawRecords(actor, *actor.object, nullptr, layers); }), "no error");

    for (int32_t count : {0, -1}) {
        actor.count = count;
        ClearDrawLayers(layers);
        CollectDrawRecords(actor, *actor.object, &cache, layers);
        EXPECT_EQ(cache.count, count);
        for (const auto& layer : layers) EXPECT_TRUE(layer.empty());
    }
    actor.count = 1 << 20;
    EXPECT_EQ(ErrorMessage([&] { CollectDrawRecords(actor, *actor.object, nullptr, layers); }),
              "Too many visible entries: 1048576");
}

TEST(DrawLayers, EachRecordReceivesTheShadowsOfAllHigherLayers) {
    DrawLayerLists layers;
    auto record = [](int32_t x, int32_t shade) {
        DrawRecord r;
        r.x = x;
        r.shade = shade;
        return r;
    };
    layers[5] = {record(50, 0), record(51, 0)};
    layers[6] = {record(60, 4)};
    layers[29] = {record(290, 1)};
    layers[2] = {record(20, 0)};
    RecordingBuffer buffer;
    DrawLayers(buffer, layers);
    EXPECT_EQ(buffer.calls, (std::vector<std::string>{"D20", "S50>20", "S51>20", "S290>20", "D50", "S290>50", "D51",
                                                      "S290>51", "D60", "S290>60", "D290"}));
}
