// An input device: the "INPD" block ("Keys.INPD", "Player1.INPD" ...) that maps numbered actions to
// keys, or to a joystick, and polls them once per frame on the game thread, together with the mouse
// buttons, the pointer and the wheel. A device can record every poll's result into a stream and
// replay it from one (the menu demos).
//
// Header after the common 10 bytes: offset 10, 4 bytes, the mouse flag (its first byte counts);
// offset 14, u32, the joystick number (0 keyboard, n = the system's joystick n - 1). The mapping is
// the "KEYS" sub-block.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/data_block.h"
#include "platform/input.h"
#include "shell/action_map.h"

class App;
class BlockReader;
class FW;

// What devices poll: the key, pointer and joystick state, and the app's wheel sum. Start-up installs
// them before the first poll; without them keys read as up and no joystick is found.
struct InputServices {
    Input* input = nullptr;
    App* app = nullptr;
};
void SetInputServices(InputServices services);
InputServices CurrentInputServices();

// What was typed and pressed so far is old: the key and character queues are emptied and every key
// press is heard, so none of it reaches what reads the keys next. A window calls it as it starts and
// as it ends: the key that closed it is not seen again by the screen below, and a press made while
// one screen read the keys is no fresh press to a device polled after it.
void ForgetInputSoFar();

class InputDevice : public DataBlock {
  public:
    static constexpr uint32_t kHeaderSize = 18;
    // Main-map actions the joystick drives: left, right, up, down, then buttons 1 to 4.
    static constexpr uint32_t kJoystickActions = 8;

    InputDevice();
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // A "KEYS" sub-block is the main mapping; others are ignored.
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    // After a read the joystick is checked.
    void AfterRead(BlockReader& reader) override;
    uint32_t ChunkSize() const override { return StoredSize(); }

    // A joystick number the system does not know becomes 0, so the keyboard is used.
    virtual void CheckJoystick();
    // Bytes WriteKeysChunk writes.
    virtual uint32_t StoredSize() const;
    // Where the pointer is now, in picture coordinates; with the mouse in use the system pointer is
    // moved there, unless that is where the last poll found it: moving it to where it was would
    // undo a move the user made since.
    virtual void SetMousePosition(int32_t x, int32_t y);
    // One frame's poll: the main actions, and the mouse when the mouse flag is set.
    virtual void Poll();
    // The same, polling the mouse whatever the flag says.
    virtual void PollWithMouse();

    // The stored form: an "SC" block holding this header and the "KEYS" sub-block.
    void WriteKeysChunk(FW& writer) const;

    // The main actions released (menus and the start of a game call it).
    void ResetActions() { keys_.ResetActions(); }
    uint8_t* ActionSlot(uint32_t action) { return keys_.ActionSlot(action); }
    ActionMap& Actions() { return keys_; }
    const ActionMap& Actions() const { return keys_; }
    ActionMap& MouseButtons() { return mouseButtons_; }
    const ActionMap& MouseButtons() const { return mouseButtons_; }

    bool MouseEnabled() const;
    void SetMouseEnabled(bool enabled);
    uint32_t JoystickNumber() const;
    void SetJoystickNumber(uint32_t number);

    int32_t MouseX() const { return mouseX_; }
    int32_t MouseY() const { return mouseY_; }
    // Wheel steps summed over the polls; the reader takes them out with SetWheel(0).
    int32_t Wheel() const { return wheel_; }
    void SetWheel(int32_t steps) { wheel_ = steps; }

    // Replays the recording in source instead of polling (null: live again). The device holds the
    // stream weakly: once its owner lets it go, the device is live again, every action released
    // (a script may have handed the device to a pilot that outlives the replay).
    void SetPlaybackSource(const std::shared_ptr<BlockReader>& source);
    // Records every poll's result (null: stop recording). Not owned.
    void SetRecordingSink(FW* sink) { sink_ = sink; }
    // The recording ran out: since then every action reads as released until a new source is set.
    bool PlaybackEnded() const { return playbackEnded_; }

  private:
    void PollDevice(bool mouse);
    void Replay(BlockReader& source);
    void PollJoystick(const Input& input);
    void Record();

    ActionMap keys_;
    ActionMap mouseButtons_;
    JoystickCaps joystickCaps_;
    int32_t mouseX_ = 0;
    int32_t mouseY_ = 0;
    // Where the last poll found the system pointer; not valid when it polled no live mouse.
    bool polledLive_ = false;
    int32_t polledX_ = 0;
    int32_t polledY_ = 0;
    int32_t wheel_ = 0;
    std::weak_ptr<BlockReader> source_;
    bool replaying_ = false;
    FW* sink_ = nullptr;
    bool playbackEnded_ = false;
};
