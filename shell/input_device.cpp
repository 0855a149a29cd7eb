#include "shell/input_device.h"

#include <vector>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/fw.h"
#include "platform/app.h"
#include "shell/input_queue.h"

namespace {

InputServices& Services() {
    static InputServices services;
    return services;
}

// Up or down from an axis position, with the thresholds halfway between the middle and each end.
// Computed unsigned throughout, as the positions are.
struct AxisState {
    bool low;
    bool high;
};

AxisState Axis(uint32_t position, uint32_t lo, uint32_t hi) {
    const uint32_t half = (hi - lo) >> 1;
    const uint32_t upper = half + ((hi - half) >> 1);
    const uint32_t lower = half - ((half - lo) >> 1);
    return {position <= lower, position >= upper};
}

}  // namespace

void SetInputServices(InputServices services) {
    Services() = services;
}

InputServices CurrentInputServices() {
    return Services();
}

void ForgetInputSoFar() {
    KeyQueue().Drain();
    CharQueue().Drain();
    if (Input* input = CurrentInputServices().input) input->HearAllPresses();
}

InputDevice::InputDevice() : DataBlock(kHeaderSize, false) {
    SetSignature("INPD");
    mouseButtons_.SetCodes({static_cast<uint32_t>(VK_LBUTTON), static_cast<uint32_t>(VK_RBUTTON)});
}

void InputDevice::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (LoadU32(signature) == LoadU32("KEYS")) reader >> keys_;
}

void InputDevice::AfterRead(BlockReader&) {
    CheckJoystick();
}

void InputDevice::CheckJoystick() {
    const uint32_t number = JoystickNumber();
    if (number == 0) return;
    const Input* input = CurrentInputServices().input;
    if (input == nullptr || !input->JoystickCapabilities(static_cast<int32_t>(number - 1), &joystickCaps_))
        SetJoystickNumber(0);
}

uint32_t InputDevice::StoredSize() const {
    const uint32_t payload = Payload() != nullptr ? PayloadSize() : 0;
    return keys_.ChunkSize() + HeaderSize() + payload + 10;
}

bool InputDevice::MouseEnabled() const {
    return Header()[10] != 0;
}

void InputDevice::SetMouseEnabled(bool enabled) {
    StoreU32(Header() + 10, enabled ? 1 : 0);
}

uint32_t InputDevice::JoystickNumber() const {
    return LoadU32(Header() + 14);
}

void InputDevice::SetJoystickNumber(uint32_t number) {
    StoreU32(Header() + 14, number);
}

void InputDevice::SetMousePosition(int32_t x, int32_t y) {
    mouseX_ = x;
    mouseY_ = y;
    if (polledLive_ && x == polledX_ && y == polledY_) return;
    if (Input* input = CurrentInputServices().input; input != nullptr && MouseEnabled())
        input->SetCursor(x, y);
}

void InputDevice::Poll() {
    PollDevice(MouseEnabled());
}

void InputDevice::PollWithMouse() {
    PollDevice(true);
}

void InputDevice::SetPlaybackSource(const std::shared_ptr<BlockReader>& source) {
    source_ = source;
    replaying_ = source != nullptr;
    playbackEnded_ = false;
}

void InputDevice::PollDevice(bool mouse) {
    polledLive_ = false;
    const std::shared_ptr<BlockReader> source = source_.lock();
    if (replaying_ && source == nullptr) {
        // The replay is over: nothing it held stays held.
        replaying_ = false;
        playbackEnded_ = false;
        keys_.ResetActions();
        mouseButtons_.ResetActions();
    }
    if (source != nullptr) {
        Replay(*source);
    } else {
        const InputServices services = CurrentInputServices();
        if (JoystickNumber() == 0) {
            PollKeyboard(keys_, services.input);
        } else if (services.input != nullptr) {
            PollJoystick(*services.input);
        }
        if (mouse) {
            PollKeyboard(mouseButtons_, services.input);
            if (services.input != nullptr) {
                const CursorPosition cursor = services.input->Cursor();
                mouseX_ = polledX_ = cursor.x;
                mouseY_ = polledY_ = cursor.y;
                polledLive_ = true;
            }
            if (services.app != nullptr) wheel_ += services.app->TakeWheelSum();
        }
    }
    if (sink_ != nullptr) Record();
}

void InputDevice::Replay(BlockReader& source) {
    if (!playbackEnded_) {
        uint8_t pointer[12];
        if (keys_.LoadState(source) && mouseButtons_.LoadState(source) &&
            source.Read(pointer, sizeof pointer) == sizeof pointer) {
            mouseX_ = static_cast<int32_t>(LoadU32(pointer));
            mouseY_ = static_cast<int32_t>(LoadU32(pointer + 4));
            wheel_ = static_cast<int32_t>(LoadU32(pointer + 8));
            return;
        }
        playbackEnded_ = true;
    }
    // A recording that stops early must not leave keys held down for the rest of the demo, nor
    // half of a poll applied.
    keys_.ResetActions();
    mouseButtons_.ResetActions();
}

void InputDevice::PollJoystick(const Input& input) {
    JoystickPosition position;
    if (!input.JoystickState(static_cast<int32_t>(JoystickNumber() - 1), &position)) return;
    const AxisState x = Axis(position.x, joystickCaps_.xMin, joystickCaps_.xMax);
    const AxisState y = Axis(position.y, joystickCaps_.yMin, joystickCaps_.yMax);
    const bool down[kJoystickActions] = {x.low,
                                         x.high,
                                         y.low,
                                         y.high,
                                         (position.buttons & 1) != 0,
                                         (position.buttons & 2) != 0,
                                         (position.buttons & 4) != 0,
                                         (position.buttons & 8) != 0};
    // A mapping with fewer actions gets only the ones it has.
    for (uint32_t i = 0; i < kJoystickActions && i < keys_.Count(); ++i) keys_.Update(i, down[i]);
}

void InputDevice::Record() {
    keys_.SaveState(*sink_);
    mouseButtons_.SaveState(*sink_);
    uint8_t pointer[12];
    StoreU32(pointer, static_cast<uint32_t>(mouseX_));
    StoreU32(pointer + 4, static_cast<uint32_t>(mouseY_));
    StoreU32(pointer + 8, static_cast<uint32_t>(wheel_));
    sink_->Write(pointer, sizeof pointer);
}

void InputDevice::WriteKeysChunk(FW& writer) const {
    // The payload of a device is not kept when it is read, so the header written says what is
    // written: a payload size kept from the file would make readers skip over the mapping.
    const uint32_t payload = Payload() != nullptr ? PayloadSize() : 0;
    std::vector<uint8_t> header(Header(), Header() + HeaderSize());
    StoreU16(header.data() + 4, static_cast<uint16_t>(HeaderSize()));
    StoreU32(header.data() + 6, payload);

    writer.Write("SC", 2);
    writer.WriteU16(6);
    writer.WriteU32(StoredSize() - 2);
    writer.WriteU16(1);
    writer.Write(header.data(), static_cast<uint32_t>(header.size()));
    if (payload != 0) writer.Write(Payload(), payload);
    writer << keys_;
}
