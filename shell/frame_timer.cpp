#include "shell/frame_timer.h"

#include <algorithm>

FrameTimer::~FrameTimer() {
    StopFrameTimer();
}

bool FrameTimer::StartFrameTimer(Timer& timer) {
    countdown_.store(kFramePeriod, std::memory_order_release);
    frameDue_.store(false, std::memory_order_release);
    if (periodic_ != nullptr && periodic_->Running()) return true;
    timer_ = &timer;
    periodic_ = timer.StartPeriodic([this] { FrameTimerTick(); });
    return periodic_ != nullptr;
}

void FrameTimer::StopFrameTimer() {
    if (periodic_ != nullptr) periodic_->Stop();
    periodic_.reset();
    timer_ = nullptr;
}

void FrameTimer::FrameTimerTick() {
    // While the flag is up the countdown stays where it was.
    if (frameDue_.load(std::memory_order_acquire)) return;
    if (countdown_.fetch_sub(1, std::memory_order_acq_rel) - 1 <= 0)
        frameDue_.store(true, std::memory_order_release);
}

void FrameTimer::FrameWait() {
    if (!frameDue_.load(std::memory_order_acquire)) {
        // A tick may have run the countdown out between the two loads: never sleep a negative or
        // overlong time.
        const int32_t rest = std::clamp(countdown_.load(std::memory_order_acquire), 0, kFramePeriod);
        if (rest > 0 && timer_ != nullptr) timer_->Sleep(static_cast<uint32_t>(rest));
    }
    // The countdown is reset before the flag is lowered, so a tick in between cannot count the old
    // countdown down and raise the flag again for a frame that has not begun.
    countdown_.store(kFramePeriod, std::memory_order_release);
    frameDue_.store(false, std::memory_order_release);
}

FrameTimer& GameFrameTimer() {
    static FrameTimer timer;
    return timer;
}

bool StartFrameTimer(Timer& timer) {
    return GameFrameTimer().StartFrameTimer(timer);
}

void StopFrameTimer() {
    GameFrameTimer().StopFrameTimer();
}

void FrameWait() {
    GameFrameTimer().FrameWait();
}
