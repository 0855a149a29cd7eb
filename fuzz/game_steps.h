// What the fuzz targets that drive the started game share: the input read byte by byte, a budget of
// game time after which a step that waits for frames is stopped, and a step run as the engine runs a
// call (stacks put back, engine errors and a stopped wait as normal ends).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "foundation/exceptions.h"
#include "graphics/display_services.h"
#include "script/processor.h"
#include "shell/frame_timer.h"
#include "tests/support/game_harness.h"

// Reads the input byte by byte; 0 once it is used up.
class InputBytes {
  public:
    InputBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    // The byte that many after the next, without reading it (0 past the end).
    uint8_t Peek(size_t ahead) const { return at_ + ahead < size_ ? data_[at_ + ahead] : 0; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Game time a step may spend waiting for frames: once armed, the game's clock throws StopRequested
// (what a quit request does, so that no engine handler catches it) after budgetMs.
class StepBudget {
  public:
    StepBudget(GameHarness& harness, uint32_t budgetMs) : budgetMs_(budgetMs) {
        timer_ = harness.Host().timer.StartPeriodic([this] {
            if (armed_ && ++spentMs_ > budgetMs_) {
                armed_ = false;
                throw StopRequested{};
            }
        });
    }
    // The timer goes before the clock that runs it.
    void Stop() { timer_.reset(); }
    void Arm() {
        spentMs_ = 0;
        armed_ = true;
    }
    void Disarm() { armed_ = false; }

  private:
    uint32_t budgetMs_;
    uint32_t spentMs_ = 0;
    bool armed_ = false;
    std::unique_ptr<PeriodicTimer> timer_;
};

// Runs a step as the engine runs a call: engine errors and a stopped wait end it normally. What the
// step left on the data stack goes to left(value) in the order it was pushed, then every stack is
// put back.
template <class Call, class Left>
void RunGuarded(Processor& cpu, StepBudget& budget, Call&& call, Left&& left) {
    StackDepths depths;
    cpu.SaveStackDepths(depths);
    const uint32_t classes = cpu.ClassStack().Depth();
    budget.Arm();
    try {
        call();
    } catch (const DExep&) {
    } catch (const StopRequested&) {
    }
    budget.Disarm();
    DStack<uint32_t>& data = cpu.DataStack();
    for (uint32_t depth = data.Depth(); depth > static_cast<uint32_t>(depths.data); --depth) {
        left(data.Peek(depth - 1 - static_cast<uint32_t>(depths.data)));
    }
    cpu.RestoreStackDepths(depths);
    if (cpu.ClassStack().Depth() > classes) cpu.ClassStack().TruncateTo(classes);
}

template <class Call>
void RunGuarded(Processor& cpu, StepBudget& budget, Call&& call) {
    RunGuarded(cpu, budget, call, [](uint32_t) {});
}

// The started game a target drives (Game: a class whose constructor starts it, with Spoilt() when
// it asked to quit or cannot be put back), started again every inputsPerGame inputs and whenever it
// is spoilt. It goes at exit, before the statics its start made.
template <class Game>
Game& StartedGame(uint32_t inputsPerGame) {
    static auto* game = new std::unique_ptr<Game>;
    static uint32_t inputs = 0;
    if (*game == nullptr || inputs++ % inputsPerGame == 0 || (*game)->Spoilt()) {
        const bool first = *game == nullptr;
        game->reset();
        *game = std::make_unique<Game>();
        // Registered after the first start, so that it runs before the statics that start made go.
        if (first) std::atexit([] { game->reset(); });
    }
    return **game;
}
