// The key and character queues: fixed-size queues of 32-bit values from the main thread's key and
// character handlers (the one writer) to the game thread (the one reader). Each side moves only its
// own index, so no lock is needed.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

class App;

class InputQueue {
  public:
    // Marker put in the character queue in front of a character typed with Alt held.
    static constexpr int32_t kAltMarker = -2;
    // What reading an empty queue gives.
    static constexpr int32_t kEmpty = -1;
    // Bytes one value takes: counts are in bytes, so "at least kValueBytes queued" means a value
    // waits, and a queued -1 is told from an empty queue that way.
    static constexpr uint32_t kValueBytes = 4;

    // Holds at most `values` values.
    explicit InputQueue(uint32_t values);
    InputQueue(const InputQueue&) = delete;
    InputQueue& operator=(const InputQueue&) = delete;

    // Writer: appends the value; a full queue drops it silently (false).
    bool PushInt(int32_t value);
    // Reader: takes the oldest value, or -1 when empty (a queued -1 reads the same: ask Count).
    int32_t ReadInt();
    // Reader: the value ReadInt would give, without taking it.
    int32_t PeekInt() const;
    // Reader: drops everything queued so far. Only the read index moves, so a value the writer is
    // adding at the same moment is either dropped or kept whole.
    void Drain();

    // Bytes queued, kValueBytes per value.
    uint32_t Count() const;
    bool Empty() const { return Count() == 0; }
    // Bytes the queue holds when full.
    uint32_t Capacity() const { return (slots_ - 1) * kValueBytes; }

  private:
    uint32_t Next(uint32_t index) const { return index + 1 == slots_ ? 0 : index + 1; }

    const uint32_t slots_;  // capacity + 1: one slot stays empty, so full and empty differ
    std::unique_ptr<int32_t[]> values_;
    std::atomic<uint32_t> read_{0};
    std::atomic<uint32_t> write_{0};
};

// The program's two queues, 32 values each.
InputQueue& KeyQueue();
InputQueue& CharQueue();

// Makes the app's key and character handlers fill the queues: every key press goes to the key
// queue; typed characters go to the character queue as their byte sign-extended (so 255 arrives as
// -1 and 254 as -2), with kAltMarker in front when Alt was held. A key pressed with Alt (other than
// Alt itself) also puts the marker and the key code's low byte into the character queue. Call
// before the main loop runs.
void ConnectInputQueues(App& app, InputQueue& keys, InputQueue& characters);
