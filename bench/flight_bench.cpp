// A whole flight on the headless display without frame pacing: two ships, 50 enemies with a shot
// each flying towards the ships, a few of the pilots' shots, for about 1,000 frames (the ships'
// grace runs out at frame 910, two rammers destroy them and the flight counts down to its end).
// Reports microseconds per frame in all and for each phase: step, collide, draw, present.
#include <benchmark/benchmark.h>

#include <memory>

#include "campaign/flight_loop.h"
#include "platform/key_table.h"
#include "script/processor.h"
#include "tests/support/flight_scene.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

constexpr int32_t kEnemies = 50;
constexpr int32_t kGraceFrames = 910;

void BM_Flight(benchmark::State& state) {
    FlightPhaseTimes times;
    int64_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<GameHarness>();
        FlightScene scene(*game);
        game->Start();
        PlayerObject& first = scene.AddPilot({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'S', 'W', 'D'});
        PlayerObject& second = scene.AddPilot({'J', 'L', 'I', 'K', 'U', 'O', 'P', 'M'});
        for (PlayerObject* pilot : {&first, &second}) ShipObject::Of(pilot->Ship()).SetGrace(kGraceFrames);
        scene.Populate([&] {
            for (int32_t i = 0; i < kEnemies; ++i) {
                const int32_t x = 20 + (i % 10) * 60;
                const int32_t y = 30 + (i / 10) * 40;
                scene.Enemy(x, y, 0, 1000000);
                scene.EnemyShot(x + 2, y + 20, 25, 0);
            }
            for (int32_t x : {213, 426}) scene.Enemy(x, 384, 0, 1000000, 100000);
            for (int32_t i = 0; i < 6; ++i) scene.Shot(&first, 100 + i * 80, 300, -50, 0);
        });
        FlightCampaignHooks().framePacing = false;
        FlightCampaignHooks().phaseTimes = &times;
        state.ResumeTiming();

        benchmark::DoNotOptimize(scene.Fly());

        state.PauseTiming();
        frames += game->Cpu().FrameNumber() + 1;
        FlightCampaignHooks().framePacing = true;
        FlightCampaignHooks().phaseTimes = nullptr;
        game.reset();
        state.ResumeTiming();
    }
    const double perFrame = frames > 0 ? 1.0 / (static_cast<double>(frames) * 1000.0) : 0.0;
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
    state.counters["step_us"] = static_cast<double>(times.step) * perFrame;
    state.counters["collide_us"] = static_cast<double>(times.collide) * perFrame;
    state.counters["draw_us"] = static_cast<double>(times.draw) * perFrame;
    state.counters["present_us"] = static_cast<double>(times.present) * perFrame;
    state.counters["frame_us"] =
        static_cast<double>(times.step + times.collide + times.draw + times.present) * perFrame;
}
BENCHMARK(BM_Flight)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
