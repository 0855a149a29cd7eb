#include "shell/input_queue.h"

#include "platform/app.h"
#include "platform/key_table.h"

namespace {

constexpr uint32_t kQueueValues = 32;

int32_t SignExtended(uint8_t byte) {
    return static_cast<int8_t>(byte);
}

// The Alt marker and its character go in together or not at all: a marker left alone would mark
// the next character typed. Seen from the writer the free space can only grow.
void PushMarked(InputQueue& queue, uint8_t character) {
    if (queue.Capacity() - queue.Count() < 2 * InputQueue::kValueBytes) return;
    queue.PushInt(InputQueue::kAltMarker);
    queue.PushInt(SignExtended(character));
}

}  // namespace

InputQueue::InputQueue(uint32_t values) : slots_(values + 1), values_(new int32_t[values + 1]()) {}

bool InputQueue::PushInt(int32_t value) {
    const uint32_t w = write_.load(std::memory_order_relaxed);
    const uint32_t next = Next(w);
    if (next == read_.load(std::memory_order_acquire)) return false;
    values_[w] = value;
    write_.store(next, std::memory_order_release);
    return true;
}

int32_t InputQueue::ReadInt() {
    const uint32_t r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return kEmpty;
    const int32_t value = values_[r];
    read_.store(Next(r), std::memory_order_release);
    return value;
}

int32_t InputQueue::PeekInt() const {
    const uint32_t r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return kEmpty;
    return values_[r];
}

void InputQueue::Drain() {
    read_.store(write_.load(std::memory_order_acquire), std::memory_order_release);
}

uint32_t InputQueue::Count() const {
    const uint32_t r = read_.load(std::memory_order_acquire);
    const uint32_t w = write_.load(std::memory_order_acquire);
    return (w >= r ? w - r : slots_ - r + w) * kValueBytes;
}

InputQueue& KeyQueue() {
    static InputQueue queue(kQueueValues);
    return queue;
}

InputQueue& CharQueue() {
    static InputQueue queue(kQueueValues);
    return queue;
}

void ConnectInputQueues(App& app, InputQueue& keys, InputQueue& characters) {
    app.SetKeyDownHandler([&keys, &characters](int32_t virtualKey, bool alt) {
        keys.PushInt(virtualKey);
        if (alt && UnsidedVirtualKey(virtualKey) != VK_MENU)
            PushMarked(characters, static_cast<uint8_t>(virtualKey));
    });
    app.SetCharHandler([&characters](uint8_t character, bool alt) {
        if (alt)
            PushMarked(characters, character);
        else
            characters.PushInt(SignExtended(character));
    });
}
