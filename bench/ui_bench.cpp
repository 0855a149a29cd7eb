// A dialog of 40 controls run by its modal loop on the headless game: a frame with its buttons,
// labels, text buttons, check buttons, rectangles, edit fields and wrapped texts, with the pointer
// moving over them. Each benchmark iteration runs the loop for 200 frames (input, step, hit test,
// drawing and presenting each); "frames/s" is the rate and "ms/frame" the time of one frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "foundation/word.h"
#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"

namespace {

constexpr int kFramesPerRun = 200;

void AddControls(GameHarness& game, DialogWindow& window) {
    Processor& cpu = game.Cpu();
    window.BuildFrame(600, 440, 3);  // 5 controls
    auto add = [&](ControlObject& control) { window.AddControl(&control, kListOwned); };
    for (int i = 0; i < 10; ++i) {
        add(NewControlByName(cpu, "StaticText",
                             {Word(40), Word(30 + 20 * i), game.Text("Label " + std::to_string(i)), 100}));
        add(NewControlByName(
            cpu, "TextButton",
            {Word(200), Word(30 + 20 * i), game.Text("$hButton " + std::to_string(i)), Word(200 + i)}));
    }
    for (int i = 0; i < 8; ++i) {
        add(NewControlByName(cpu, "CheckButton",
                             {Word(360), Word(30 + 24 * i), game.Text("Option"), Word(300 + i)}));
    }
    for (int i = 0; i < 4; ++i) {
        add(NewControlByName(cpu, "RectangleControl", {Word(40 + 120 * i), 260, 100, 40, 0}));
    }
    const uint32_t buffer = game.Text(std::string(31, 'n'));
    add(NewControlByName(cpu, "Edit", {Word(40), 320, 32, buffer, 400}));
    add(NewControlByName(cpu, "Edit", {Word(40), 340, 32, buffer, 401}));
    add(NewControlByName(cpu, "MultiLineControl",
                         {Word(300), 320, 280, 60,
                          game.Text("A longer text that the control wraps into the width of its box, "
                                    "and clips to its height when it runs longer than that."),
                          0}));
}

void BM_DialogFrame(benchmark::State& state) {
    GameHarness game;
    game.AddMessages("system.mes", {{117, "OK"}, {119, "Cancel"}});
    game.Start();
    InputDevice device;
    device.SetMouseEnabled(true);
    DialogWindow window(&game.Cpu(), &game.Screen(), EngineCursor(game.Cpu()));
    AddControls(game, window);
    if (window.ControlCount() != 40) state.SkipWithError("the dialog does not have 40 controls");

    int frames = 0;
    window.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
        if (event == kEventBeforeDraw) game.MovePointer(40 + (frames * 7) % 560, 30 + (frames * 3) % 400);
        if (event == kEventAfterDraw && ++frames % kFramesPerRun == 0) w.SetResult(0);
    });
    int64_t counted = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        window.Run(device);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        counted += kFramesPerRun;
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(counted) / seconds);
    state.counters["ms/frame"] = benchmark::Counter(1000.0 * seconds / static_cast<double>(counted));
    window.ClearControls();
}
BENCHMARK(BM_DialogFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
