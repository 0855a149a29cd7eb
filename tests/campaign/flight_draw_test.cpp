#include "campaign/flight_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "tests/support/game_harness.h"
#include "ui/visual.h"
#include "world/actor.h"

namespace {

// Records what the layers asked it to draw: "F<x>:<mode>" for a frame, "S<caster x>><receiver x>"
// for a cast shadow, "T<x>" for a silhouette.
class RecordingBuffer : public ScreenBuffer {
  public:
    RecordingBuffer() : ScreenBuffer(nullptr) {}
    void DrawFrameBlended(const Frame*, int32_t x, int32_t, uint32_t, uint32_t mode) override {
        calls.push_back("F" + std::to_string(x) + ":" + std::to_string(mode));
    }
    void DrawCastShadow(const DrawRecord& caster, const DrawRecord& receiver) override {
        calls.push_back("S" + std::to_string(caster.x) + ">" + std::to_string(receiver.x));
    }
    void DrawSilhouette(const DrawRecord& placement, uint32_t, int32_t) override {
        calls.push_back("T" + std::to_string(placement.x));
    }
    std::vector<std::string> calls;
};

DrawRecord Record(int32_t x, uint32_t mode, int32_t shade, int32_t extraShade) {
    DrawRecord record;
    record.x = x;
    record.mode = mode;
    record.shade = shade;
    record.extraShade = extraShade;
    return record;
}

TEST(FlightDrawTest, TheFlagWordChoosesModesAndShadows) {
    // Layer 0: x=1 (mode 1, extra shade 2) and x=2 (mode 5); layer 3: x=3 (shade 1) and x=4 (shade 4).
    DrawLayerLists layers;
    layers[0] = {Record(1, 1, 0, 2), Record(2, 5, 0, 0)};
    layers[3] = {Record(3, 2, 1, 0), Record(4, 0, 4, 0)};
    struct Case {
        const char* name;
        uint16_t flags;
        std::vector<std::string> calls;
    } cases[] = {
        {"plain: effect modes skipped, the rest in mode 0", 0, {"F1:0", "F3:0", "F4:0"}},
        {"full effects: every record in its own mode", kFullEffects, {"F1:1", "F2:5", "F3:2", "F4:0"}},
        {"pair effects: a shade and the receiver's extra shade below 4 cast",
         kPairEffects,
         {"F1:0", "S3>1", "F3:0", "F4:0"}},
        {"both: every caster but shade 4, on every record drawn",
         kPairEffects | kFullEffects,
         {"F1:1", "S3>1", "F2:5", "S3>2", "F3:2", "F4:0"}},
    };
    for (const Case& c : cases) {
        RecordingBuffer buffer;
        DrawFlightLayers(buffer, layers, c.flags);
        EXPECT_EQ(buffer.calls, c.calls) << c.name;
    }
    RecordingBuffer tinted;
    TintFlightLayers(tinted, layers, 5, 0);
    EXPECT_EQ(tinted.calls, (std::vector<std::string>{"T1", "T2", "T3", "T4"}));
}

// The flight places pictures at their hundredths of a pixel rounded down, also left of and above
// the screen (the test runs cut toward zero instead).
TEST(FlightDrawPlacementTest, PicturesArePlacedAtWholePixelsRoundedDown) {
    GameHarness game;
    game.AddPicture("Test\\Dot.dpf");
    game.Start();
    const uint32_t picture = game.Picture("Test\\Dot.dpf")->Address();
    struct Case {
        int32_t hundredths;
        int32_t pixels;
    };
    const Case cases[] = {{-250, -3}, {-200, -2}, {-1, -1}, {0, 0}, {99, 0}, {250, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hundredths);
        GameObject made = game.New("Actor", {0, 0, 0, 0, 0, 0, 1, picture});
        auto& actor = ActorObject::Of(made.get());
        actor.SetInt(kVisualX, c.hundredths);
        actor.SetInt(kVisualY, c.hundredths);
        DrawLayerLists layers;
        RegisterActorFrames(game.Cpu(), actor, layers);
        std::vector<DrawRecord> records;
        for (const auto& layer : layers) records.insert(records.end(), layer.begin(), layer.end());
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].x, c.pixels);
        EXPECT_EQ(records[0].y, c.pixels);
    }
}

}  // namespace
