// One flight-like frame: 300 actors and 200 shots stepped through their virtual method 2, drawn
// into a 640 x 480 16-bit frame through the layer lists, and the shots tested against the actors
// through the broad phase and the pixel test. Reports microseconds per frame; then the collision
// phase alone for 100 to 1,000 actors, with the pairs whose boxes overlap as a counter, against
// testing every pair.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/random.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "script/processor.h"
#include "shell/draw_layers.h"
#include "ui/ui_natives.h"
#include "world/actor.h"
#include "world/collision_sweep.h"
#include "world/level.h"
#include "world/world_natives.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A w x h frame: an ellipse of opaque pixels, transparent corners.
std::unique_ptr<Image> Sprite(uint32_t w, uint32_t h) {
    auto frame = std::make_unique<Frame>();
    frame->SetGeometry(w, h, 16);
    frame->SetFlags(kFrameTransparent);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const double dx = (x + 0.5) / w - 0.5;
            const double dy = (y + 0.5) / h - 0.5;
            if (dx * dx + dy * dy <= 0.25) frame->SetPixel(x, y, 0x7BEF);
        }
    }
    auto image = std::make_unique<Image>();
    image->AddFrame(std::move(frame), nullptr);
    return image;
}

class World {
  public:
    World(int actorCount, int shotCount)
        : processor_(nullptr, 4096, 4096, 4096, 4096),
          surface_((settings_.SetMode(16, kWidth, kHeight), &settings_), nullptr, 4),
          buffer_(nullptr),
          rock_(Sprite(24, 24)),
          bolt_(Sprite(4, 10)) {
        settings_.pixelFormat = 565;
        buffer_.SetSurface(&surface_);
        RegisterUiNatives();
        RegisterWorldNatives();
        for (const char* name : {"GTTClass", "Visual", "Actor"})
            processor_.Classes().Register(NewNativeDescriptor(&processor_, name), false);
        ZEMAClass* actor = processor_.Classes().Get(String("Actor"));
        PublishedFlight() = FlightValues{kWidth * 100, kHeight * 100, false};
        SeedRandom(11);
        damage_ = NewScriptBuffer<uint32_t>(sizeof(uint32_t) * kDamageKinds);
        damage_.get()[0] = 1;
        for (int i = 0; i < actorCount; ++i)
            actors_.push_back(std::make_unique<ActorObject>(actor, rock_->Address(), 1 << 30, RandomX(),
                                                            RandomY(), EngineRand() % 200 - 100,
                                                            EngineRand() % 200 - 100, 0, 0));
        for (int i = 0; i < shotCount; ++i)
            shots_.push_back(std::make_unique<ActorObject>(actor, bolt_->Address(), 1 << 30, RandomX(),
                                                           RandomY(), 0, -800, ToScript(damage_.get()), 0));
        for (auto& a : actors_) actorList_.push_back(a.get());
        for (auto& s : shots_) shotList_.push_back(s.get());
    }

    ~World() { PublishedFlight() = FlightValues{}; }

    void Step(int32_t frame) {
        for (ActorObject* a : actorList_) StepOne(*a, frame);
        for (ActorObject* s : shotList_) StepOne(*s, frame);
    }

    void Draw() {
        ClearDrawLayers(layers_);
        for (ActorObject* a : actorList_) Collect(*a);
        for (ActorObject* s : shotList_) Collect(*s);
        DrawLayers(buffer_, layers_);
    }

    // Shots against actors, as the flight tests them, through the broad phase. Gives the pairs
    // handed to the pixel test.
    uint64_t Collide() {
        const CollisionSweep sweep(shotList_);
        uint64_t pairs = 0;
        for (ActorObject* a : actorList_) {
            sweep.Candidates(BoundsOf(*a), found_);
            for (uint32_t s : found_) {
                ActorObject& shot = *sweep.At(s);
                if (shot.State() != kActorAlive || a->State() != kActorAlive) continue;
                Actor::TestCollision(shot, *a);
                ++pairs;
            }
        }
        return pairs;
    }

    // The same without the broad phase.
    void CollideAllPairs() {
        for (ActorObject* a : actorList_)
            for (ActorObject* s : shotList_) Actor::TestCollision(*s, *a);
    }

  private:
    static int32_t RandomX() { return EngineRand() * kWidth / 32768 * 100; }
    static int32_t RandomY() { return EngineRand() * kHeight / 32768 * 100; }

    void StepOne(ActorObject& actor, int32_t frame) {
        GTTClass::CallStep(&actor, frame);
        // Keep the population: what leaves comes back on the other side.
        if (actor.State() != kActorAlive) {
            actor.SetInt(kVisualX, (actor.X() % (kWidth * 100) + kWidth * 100) % (kWidth * 100));
            actor.SetInt(kVisualY, (actor.Y() % (kHeight * 100) + kHeight * 100) % (kHeight * 100));
            actor.SetState(kActorAlive);
        }
    }

    void Collect(ActorObject& actor) {
        CollectDrawRecords(processor_, actor, &cache_, layers_);
        actor.SetDrawnCount(cache_.count);
        for (int32_t i = 0; i < cache_.count && i < DrawnEntries::kCached; ++i)
            actor.RecordDrawn(static_cast<uint32_t>(i),
                              {cache_.frame[i], static_cast<int32_t>(cache_.x[i]),
                               static_cast<int32_t>(cache_.y[i]), cache_.orientation[i]});
    }

    Processor processor_;
    ScreenSettingsBlock settings_;
    MemorySurface surface_;
    ScreenBuffer buffer_;
    std::unique_ptr<Image> rock_;
    std::unique_ptr<Image> bolt_;
    ScriptBuffer<uint32_t> damage_;
    std::vector<std::unique_ptr<ActorObject>> actors_;
    std::vector<std::unique_ptr<ActorObject>> shots_;
    std::vector<ActorObject*> actorList_;
    std::vector<ActorObject*> shotList_;
    std::vector<uint32_t> found_;
    DrawnEntries cache_;
    DrawLayerLists layers_;
};

void BM_FlightFrame(benchmark::State& state) {
    World world(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    int32_t frame = 0;
    uint64_t pairs = 0;
    for (auto _ : state) {
        world.Step(frame++);
        world.Draw();
        pairs += world.Collide();
    }
    state.counters["box_pairs/frame"] = benchmark::Counter(static_cast<double>(pairs) / state.iterations());
}
BENCHMARK(BM_FlightFrame)->Args({300, 200})->Unit(benchmark::kMicrosecond);

void BM_Collide(benchmark::State& state) {
    World world(static_cast<int>(state.range(0)), 200);
    world.Step(0);
    world.Draw();
    uint64_t pairs = 0;
    for (auto _ : state) pairs += world.Collide();
    state.counters["box_pairs"] = benchmark::Counter(static_cast<double>(pairs) / state.iterations());
    state.counters["per_box_pair"] = benchmark::Counter(
        static_cast<double>(pairs), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Collide)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_CollideAllPairs(benchmark::State& state) {
    World world(static_cast<int>(state.range(0)), 200);
    world.Step(0);
    world.Draw();
    for (auto _ : state) world.CollideAllPairs();
}
BENCHMARK(BM_CollideAllPairs)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
