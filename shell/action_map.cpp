#include "shell/action_map.h"

#include <algorithm>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "platform/input.h"

ActionMap::ActionMap() : DataBlock(kHeaderSize, true) {
    SetSignature("KEYS");
}

ActionMap::ActionMap(const ActionMap& other) : DataBlock(other) {
    Rebuild();
}

ActionMap& ActionMap::operator=(const ActionMap& other) {
    if (this != &other) {
        DataBlock::operator=(other);
        Rebuild();
    }
    return *this;
}

void ActionMap::AfterRead(BlockReader&) {
    Rebuild();
}

uint32_t ActionMap::Count() const {
    if (Header() == nullptr || HeaderSize() < kHeaderSize || Payload() == nullptr) return 0;
    return std::min<uint32_t>(LoadU16(Header() + 10), PayloadSize() / 4);
}

uint32_t ActionMap::Code(uint32_t action) const {
    return action < Count() ? LoadU32(Payload() + 4 * action) : 0;
}

void ActionMap::SetCodes(std::initializer_list<uint32_t> codes) {
    const auto count = static_cast<uint32_t>(std::min<size_t>(codes.size(), UINT16_MAX));
    StoreU16(Header() + 10, static_cast<uint16_t>(count));
    SetPayloadSize(4 * count);
    AllocPayload();
    uint32_t i = 0;
    for (uint32_t code : codes) {
        if (i == count) break;
        StoreU32(Payload() + 4 * i++, code);
    }
    Rebuild();
}

uint8_t* ActionMap::ActionSlot(uint32_t action) {
    if (action >= Count()) ThrowFatal("Action %d is not in the key mapping", static_cast<int>(action));
    return Payload() + 4 * action;
}

void ActionMap::ResetActions() {
    Rebuild();
}

void ActionMap::Rebuild() {
    held_.assign(Count(), 0);
    pressed_.assign(Count(), 0);
    watches_.assign(Count(), PressWatch());
}

void ActionMap::Update(uint32_t action, bool down) {
    if (action >= held_.size()) return;
    pressed_[action] = down && held_[action] == 0 ? 1 : 0;
    held_[action] = down ? -1 : 0;
}

void ActionMap::PollKey(uint32_t action, Input& input) {
    if (action >= held_.size()) return;
    // Codes are stored unsigned; one above 0x7FFFFFFF turns negative here and reads as up.
    const auto code = static_cast<int32_t>(Code(action));
    const bool pressed = watches_[action].Look(input, code);
    pressed_[action] = pressed ? 1 : 0;
    held_[action] = pressed || input.KeyDown(code) ? -1 : 0;
}

void ActionMap::SaveState(FW& writer) const {
    std::vector<uint8_t> bytes(StateSize());
    const size_t n = held_.size();
    for (size_t i = 0; i < n; ++i) {
        StoreU32(bytes.data() + 4 * i, static_cast<uint32_t>(held_[i]));
        StoreU32(bytes.data() + 4 * (n + i), static_cast<uint32_t>(pressed_[i]));
    }
    writer.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool ActionMap::LoadState(BlockReader& reader) {
    std::vector<uint8_t> bytes(StateSize());
    const auto size = static_cast<uint32_t>(bytes.size());
    if (reader.Read(bytes.data(), size) != size) return false;
    const size_t n = held_.size();
    for (size_t i = 0; i < n; ++i) {
        held_[i] = static_cast<int32_t>(LoadU32(bytes.data() + 4 * i));
        pressed_[i] = static_cast<int32_t>(LoadU32(bytes.data() + 4 * (n + i)));
    }
    return true;
}

void PollKeyboard(ActionMap& map, Input* input) {
    for (uint32_t i = 0; i < map.Count(); ++i) {
        if (input != nullptr) {
            map.PollKey(i, *input);
        } else {
            map.Update(i, false);
        }
    }
}
