#include "shell/draw_layers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/method_runner.h"
#include "script/object_lifetime.h"
#include "script/script_object.h"
#include "tests/support/error_message.h"
#include "tests/support/read_bytes.h"
#include "tools/content/picture_builder.h"

namespace {

struct FakeEntry {
    uint32_t frame = 0;
    int32_t x = 0, y = 0;
    uint32_t orientation = 0;
    int32_t height = 0;
    int32_t h1 = 0, h2 = 0, h3 = 0, h4 = 0;
    uint32_t mode = 0;
    int32_t shade = 0, extraShade = 0;
};

// An actor's virtual methods 7 to 12 answered from a table, results left as scripts leave them.
class FakeActor : public MethodRunner {
  public:
    ~FakeActor() override {
        if (object->Alive()) DestroyObject(object);
    }
    void CallMethod(ScriptObject*, ZEMAClass*, uint32_t) override {}
    void CallVirtual(ScriptObject*, uint32_t number) override {
        if (number == 7) return stack.Push(static_cast<uint32_t>(count));
        const uint32_t entry = stack.Pop();
        const FakeEntry& e = entries.at(entry);
        const std::vector<std::vector<int64_t>> results = {{e.orientation, e.y, e.x, e.frame},
                                                           {e.mode, e.shade},
                                                           {e.height},
                                                           {e.h1, e.h2, e.h3, e.h4},
                                                           {e.extraShade}};
        for (int64_t v : results.at(number - 8)) stack.Push(static_cast<uint32_t>(v));
        if (number == deleteOn.method && entry == deleteOn.entry) DestroyObject(object);
    }
    DStack<uint32_t>& DataStack() override { return stack; }
    void PushObject(uint32_t address) override { stack.Push(address); }
    void CountLoopRound() override { ++rounds; }
    void Collect(DrawLayerLists& layers, DrawnEntries* cache = nullptr) {
        CollectDrawRecords(*this, *object, cache, layers);
    }

    std::vector<FakeEntry> entries;
    int32_t count = 0;
    uint32_t rounds = 0;
    DStack<uint32_t> stack{64};
    ScriptObject* object = new ScriptObject(nullptr);
    // The method whose call for the entry deletes the actor, as a script of it may.
    struct {
        uint32_t method = 0;
        uint32_t entry = 0;
    } deleteOn;
};

// The draw order: "D<x>" for a frame, "S<caster x>><receiver x>" for a cast shadow.
class RecordingBuffer : public ScreenBuffer {
  public:
    RecordingBuffer() : ScreenBuffer(nullptr) {}
    void DrawFrameBlended(const Frame*, int32_t x, int32_t, uint32_t, uint32_t) override {
        calls.push_back("D" + std::to_string(x));
    }
    void DrawCastShadow(const DrawRecord& caster, const DrawRecord& receiver) override {
        calls.push_back("S" + std::to_string(caster.x) + ">" + std::to_string(receiver.x));
    }
    std::vector<std::string> calls;
};

}  // namespace

TEST(DrawLayers, RecordsTakeEachResultInItsPlaceAndTheFirstTwentyAreCached) {
    FakeActor actor;
    actor.count = 25;
    actor.entries.assign(25, FakeEntry{.height = 7});
    actor.entries[0] = {.x = -250,
                        .y = 399,
                        .orientation = 3,
                        .height = -3,
                        .h1 = 1,
                        .h2 = 2,
                        .h3 = 3,
                        .h4 = 4,
                        .mode = 9,
                        .shade = 2,
                        .extraShade = 5};
    actor.entries[1] = {.x = 1900, .height = 40};
    DrawLayerLists layers;
    DrawnEntries cache;
    actor.Collect(layers, &cache);
    EXPECT_EQ(layers[7].size(), 23u);
    ASSERT_EQ(layers[0].size(), 1u);
    const DrawRecord& r = layers[0][0];
    EXPECT_EQ(std::vector<int32_t>({r.x, r.y, r.height, r.h1, r.h2, r.h3, r.h4, r.shade, r.extraShade}),
              std::vector<int32_t>({-2, 3, 0, 1, 2, 3, 4, 2, 5}));
    EXPECT_EQ(r.orientation, 3u);
    EXPECT_EQ(r.mode, 9u);
    EXPECT_EQ(r.frame, nullptr);
    ASSERT_EQ(layers[29].size(), 1u);
    EXPECT_EQ(layers[29][0].height, 29);
    EXPECT_EQ(cache.count, 25);
    EXPECT_EQ(cache.x[1], 1900u);
    EXPECT_EQ(actor.stack.Depth(), 0u);

    actor.count = -1;
    actor.Collect(layers, &cache);
    EXPECT_EQ(cache.count, -1);
    EXPECT_EQ(layers[7].size(), 23u);
}

TEST(DrawLayers, FrameValuesAndCountsAreChecked) {
    std::unique_ptr<Image> picture = ReadBlockObject<Image>(
        PictureBlock({FrameBlock({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {1}})}));
    FakeActor actor;
    actor.count = 1;
    actor.entries = {{.frame = picture->GetFrame(0)->Address()}};
    DrawLayerLists layers;
    actor.Collect(layers);
    EXPECT_EQ(layers[0].at(0).frame, picture->GetFrame(0));
    actor.entries = {{.frame = picture->Address()}};
    EXPECT_NE(ErrorMessage([&] { actor.Collect(layers); }), "no error");
    actor.count = 1 << 20;
    EXPECT_EQ(ErrorMessage([&] { actor.Collect(layers); }), "Too many visible entries: 1048576");
}

TEST(DrawLayers, CountsAreHeldToWhatADrawingTakes) {
    const struct {
        uint32_t answer;
        int32_t entries;  // -1: an engine error
    } cases[] = {
        {0, 0},
        {1, 1},
        {DrawnEntries::kMaxCount, DrawnEntries::kMaxCount},
        {DrawnEntries::kMaxCount + 1, -1},
        {0x7FFFFFFFu, -1},
        {0x80000000u, 0},
        {0xFFFFFFFFu, 0},
    };
    for (const auto& c : cases) {
        if (c.entries < 0) {
            EXPECT_EQ(ErrorMessage([&] { VisibleEntryCount(c.answer); }),
                      "Too many visible entries: " + std::to_string(static_cast<int32_t>(c.answer)));
        } else {
            EXPECT_EQ(VisibleEntryCount(c.answer), c.entries) << c.answer;
        }
    }
}

TEST(DrawLayers, EveryEntryIsARoundOfTheStopPoll) {
    const struct {
        int32_t count;
        uint32_t rounds;
    } cases[] = {{-1, 0}, {0, 0}, {1, 1}, {25, 25}};
    for (const auto& c : cases) {
        FakeActor actor;
        actor.count = c.count;
        actor.entries.resize(25);
        DrawLayerLists layers;
        actor.Collect(layers);
        EXPECT_EQ(actor.rounds, c.rounds) << c.count;
    }
}

TEST(DrawLayers, AnActorItsOwnMethodsDeleteAddsNothingFromThenOn) {
    for (uint32_t method : {8u, 9u, 10u, 11u, 12u}) {
        SCOPED_TRACE(method);
        // The processor holds while a call runs.
        const ReleaseHold hold;
        FakeActor actor;
        actor.count = 3;
        actor.entries.assign(3, FakeEntry{.height = 4});
        actor.deleteOn = {method, 1};
        DrawLayerLists layers;
        EXPECT_EQ(ErrorMessage([&] { actor.Collect(layers); }), "no error");
        EXPECT_EQ(layers[4].size(), 1u) << "the entry before";
        EXPECT_EQ(actor.stack.Depth(), 0u);
    }
}

TEST(DrawLayers, EachRecordReceivesTheShadowsOfAllHigherLayers) {
    auto record = [](int32_t x, int32_t shade) {
        DrawRecord r;
        r.x = x;
        r.shade = shade;
        return r;
    };
    DrawLayerLists layers;
    layers[2] = {record(20, 0)};
    layers[5] = {record(50, 0), record(51, 0)};
    layers[6] = {record(60, kNoShadowShade)};
    layers[29] = {record(290, 1)};
    RecordingBuffer buffer;
    DrawLayers(buffer, layers);
    EXPECT_EQ(buffer.calls, (std::vector<std::string>{"D20", "S50>20", "S51>20", "S290>20", "D50", "S290>50",
                                                      "D51", "S290>51", "D60", "S290>60", "D290"}));
}
