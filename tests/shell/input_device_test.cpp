#include "shell/input_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "platform/headless/headless_app.h"
#include "platform/headless/headless_input.h"
#include "shell/key_name.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"

namespace {

std::string KeysBlock(uint16_t count, const std::vector<uint32_t>& codes) {
    std::string payload;
    for (uint32_t c : codes) payload += LeU32(c);
    return SEBlock("KEYS", payload, LeU16(count));
}

std::string DeviceBlock(uint32_t mouse, uint32_t joystick, const std::string& keys,
                        const std::string& payload = "") {
    BlockWriter w;
    w.tag = "INPD";
    w.headerFields = LeU32(mouse) + LeU32(joystick);
    w.payload = payload;
    w.subBlocks = {keys};
    return w.SC();
}

class InputDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override { SetInputServices({&input, &app}); }
    void TearDown() override { SetInputServices({}); }

    // Reads a stored device from bytes on disk.
    void Read(InputDevice& device, const std::string& bytes) {
        const std::string path = dir.Write("device.INPD", bytes).string();
        FileBlockReader reader;
        reader.Open(String(path.c_str()));
        reader >> device;
    }

    std::string Written(const InputDevice& device) {
        const std::string path = (dir / "written.INPD").string();
        FW fw;
        fw.Create(String(path.c_str()));
        device.WriteKeysChunk(fw);
        fw.Close();
        return dir.Read("written.INPD");
    }

    TempDir dir;
    HeadlessInput input;
    HeadlessApp app;
};

TEST_F(InputDeviceTest, HeldAndPressedAcrossPolls) {
    InputDevice device;
    device.Actions().SetCodes({VK_LEFT, VK_RIGHT, 'A'});
    device.Poll();
    input.SetKey(VK_LEFT, true);
    std::vector<int32_t> held, pressed;
    for (int i = 0; i < 3; ++i) {
        device.Poll();
        held.push_back(device.Actions().Held(0));
        pressed.push_back(device.Actions().Pressed(0));
    }
    EXPECT_EQ(held, (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_EQ(pressed, (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(device.Actions().Held(1), 0);

    input.SetKey(VK_LEFT, false);
    device.Poll();
    EXPECT_EQ(device.Actions().Held(0), 0);
    EXPECT_EQ(device.Actions().Pressed(0), 0);
    input.SetKey(VK_LEFT, true);
    device.Poll();
    EXPECT_EQ(device.Actions().Pressed(0), 1);
    device.ResetActions();
    EXPECT_EQ(device.Actions().Held(0), 0);
}

// A press is news to the polls that follow it: not to a device that starts polling after it, nor
// once every press was heard (a window started or ended while the device was not polled). Each
// device hears of a press that follows its poll, whoever else polls the key.
TEST_F(InputDeviceTest, APressIsFreshOnlyToTheDevicesPollingWhenItIsMade) {
    enum Before { kPolled, kNeverPolled, kPolledThenReset, kPolledThenHeard };
    struct Case {
        const char* name;
        Before before;
        bool heldOn;  // still down at the poll
        int32_t pressed;
    };
    const Case cases[] = {
        {"pressed after the last poll", kPolled, false, 1},
        {"pressed and held after the last poll", kPolled, true, 1},
        {"pressed before the first poll", kNeverPolled, false, 0},
        {"held since before the first poll", kNeverPolled, true, 0},
        {"pressed before a reset", kPolledThenReset, false, 0},
        {"held across a reset", kPolledThenReset, true, 0},
        {"pressed while another screen read the keys", kPolledThenHeard, false, 0},
        {"held while another screen read the keys", kPolledThenHeard, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessInput keys;
        SetInputServices({&keys, &app});
        InputDevice device;
        InputDevice sameKey;
        device.Actions().SetCodes({'C'});
        sameKey.Actions().SetCodes({'C'});
        sameKey.Poll();
        if (c.before != kNeverPolled) device.Poll();
        keys.SetKey('C', true);
        if (!c.heldOn) keys.SetKey('C', false);
        if (c.before == kPolledThenReset) device.ResetActions();
        if (c.before == kPolledThenHeard) keys.HearAllPresses();
        device.Poll();
        EXPECT_EQ(device.Actions().Pressed(0), c.pressed);
        EXPECT_EQ(device.Actions().Held(0), c.pressed != 0 || c.heldOn ? -1 : 0);
        // The device polling beside it hears of the same press (unless it was heard).
        sameKey.Poll();
        EXPECT_EQ(sameKey.Actions().Pressed(0), c.before == kPolledThenHeard ? 0 : 1);
        // And the next press is news to both.
        keys.SetKey('C', false);
        keys.SetKey('C', true);
        device.Poll();
        sameKey.Poll();
        EXPECT_EQ(device.Actions().Pressed(0), 1);
        EXPECT_EQ(sameKey.Actions().Pressed(0), 1);
    }
}

TEST_F(InputDeviceTest, CodesOutsideTheKeyTableReadAsUp) {
    InputDevice device;
    device.Actions().SetCodes({0x100, 0xFFFFFFFFu, 0x80000041u, 'A'});
    input.SetKey('A', true);
    for (int32_t k = 0; k < 256; ++k) input.SetKey(k, true);
    device.Poll();
    EXPECT_EQ(device.Actions().Held(0), 0);
    EXPECT_EQ(device.Actions().Held(1), 0);
    EXPECT_EQ(device.Actions().Held(2), 0);
    EXPECT_EQ(device.Actions().Held(3), -1);
}

TEST_F(InputDeviceTest, MouseIsPolledOnlyWithTheFlagOrPollWithMouse) {
    InputDevice device;
    device.Actions().SetCodes({'A'});
    device.PollWithMouse();
    input.MoveCursor(120, 45);
    input.SetKey(VK_LBUTTON, true);
    app.InjectWheel(240);

    device.Poll();
    EXPECT_EQ(device.MouseX(), 0);
    EXPECT_EQ(device.MouseY(), 0);
    EXPECT_EQ(device.Wheel(), 0);
    EXPECT_EQ(device.MouseButtons().Held(0), 0);
    EXPECT_EQ(app.WheelSum(), 240);

    device.PollWithMouse();
    EXPECT_EQ(device.MouseX(), 120);
    EXPECT_EQ(device.MouseY(), 45);
    EXPECT_EQ(device.Wheel(), 240);
    EXPECT_EQ(device.MouseButtons().Pressed(0), 1);
    EXPECT_EQ(device.MouseButtons().Held(1), 0);
    EXPECT_EQ(app.WheelSum(), 0);

    device.SetMouseEnabled(true);
    app.InjectWheel(-120);
    input.SetKey(VK_RBUTTON, true);
    device.Poll();
    EXPECT_EQ(device.Wheel(), 120);  // summed over the polls
    EXPECT_EQ(device.MouseButtons().Pressed(0), 0);
    EXPECT_EQ(device.MouseButtons().Pressed(1), 1);
}

// Each step is what the backend saw between two polls; each press reports pressed exactly once,
// however long or short it was.
TEST_F(InputDeviceTest, EveryPressIsPressedOnceHoweverLongItIsHeld) {
    enum Between { kNothing, kDown, kUp, kTap, kTapWhileHeld, kUpAndTap };
    struct Case {
        const char* name;
        int32_t code;
        std::vector<Between> steps;
        std::vector<int32_t> pressed;
        std::vector<int32_t> held;
    };
    const Case cases[] = {
        {"button tapped between two polls", VK_LBUTTON, {kTap, kNothing}, {1, 0}, {-1, 0}},
        {"key tapped between two polls", 'A', {kTap, kNothing}, {1, 0}, {-1, 0}},
        {"button held over four polls",
         VK_LBUTTON,
         {kDown, kNothing, kNothing, kUp},
         {1, 0, 0, 0},
         {-1, -1, -1, 0}},
        {"two taps two polls apart", VK_RBUTTON, {kTap, kNothing, kTap}, {1, 0, 1}, {-1, 0, -1}},
        {"a tap while held is the same press", 'A', {kDown, kTapWhileHeld, kUp}, {1, 0, 0}, {-1, -1, 0}},
        {"let go and tapped again between two polls", VK_LBUTTON, {kDown, kUpAndTap}, {1, 1}, {-1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessInput keys;
        SetInputServices({&keys, &app});
        InputDevice device;
        device.Actions().SetCodes({'A'});
        device.SetMouseEnabled(true);
        ActionMap& map = c.code == 'A' ? device.Actions() : device.MouseButtons();
        const uint32_t action = c.code == VK_RBUTTON ? 1 : 0;
        device.Poll();
        std::vector<int32_t> pressed;
        std::vector<int32_t> held;
        for (Between step : c.steps) {
            if (step == kDown || step == kTap) keys.SetKey(c.code, true);
            if (step == kUp || step == kTap) keys.SetKey(c.code, false);
            if (step == kTapWhileHeld) keys.SetKey(c.code, true);
            if (step == kUpAndTap) {
                keys.SetKey(c.code, false);
                keys.SetKey(c.code, true);
                keys.SetKey(c.code, false);
            }
            device.Poll();
            pressed.push_back(map.Pressed(action));
            held.push_back(map.Held(action));
        }
        EXPECT_EQ(pressed, c.pressed);
        EXPECT_EQ(held, c.held);
    }
}

TEST_F(InputDeviceTest, SetMousePositionMovesThePointerOnlyWithTheMouseInUse) {
    InputDevice device;
    device.SetMousePosition(10, 20);
    EXPECT_EQ(device.MouseX(), 10);
    EXPECT_EQ(input.Cursor().x, 0);
    device.SetMouseEnabled(true);
    device.SetMousePosition(30, 40);
    EXPECT_EQ(input.Cursor().x, 30);
    EXPECT_EQ(input.Cursor().y, 40);

    // Given back where the poll found it, the pointer stays where the user has moved it since.
    device.Poll();
    input.SetCursor(70, 80);
    device.SetMousePosition(30, 40);
    EXPECT_EQ(input.Cursor().x, 70);
    EXPECT_EQ(input.Cursor().y, 80);
    // Moved by the game, it goes where the game puts it.
    device.Poll();
    device.SetMousePosition(72, 80);
    EXPECT_EQ(input.Cursor().x, 72);
}

TEST_F(InputDeviceTest, JoystickThresholdsAndButtons) {
    input.StoreJoystick(0, JoystickCaps{}, JoystickPosition{});
    InputDevice device;
    Read(device, DeviceBlock(0, 1, KeysBlock(8, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'})));
    ASSERT_EQ(device.JoystickNumber(), 1u);
    input.SetKey('A', true);  // the keyboard is not polled while a joystick is mapped

    auto poll = [&](uint32_t x, uint32_t y, uint32_t buttons) {
        input.StoreJoystickPosition(0, JoystickPosition{x, y, buttons});
        device.Poll();
        std::vector<int32_t> held;
        for (uint32_t i = 0; i < 8; ++i) held.push_back(device.Actions().Held(i));
        return held;
    };
    EXPECT_EQ(poll(32767, 32767, 0), (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(poll(49151, 32767, 0), (std::vector<int32_t>{0, -1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(poll(49150, 32767, 0), (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(poll(16384, 16385, 0), (std::vector<int32_t>{-1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(poll(16385, 16384, 0), (std::vector<int32_t>{0, 0, -1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(poll(32767, 65535, 0x1F), (std::vector<int32_t>{0, 0, 0, -1, -1, -1, -1, -1}));
    EXPECT_EQ(device.Actions().Pressed(4), 1);
    poll(32767, 65535, 0x1F);
    EXPECT_EQ(device.Actions().Pressed(4), 0);

    // A failing position read keeps the values.
    input.RemoveJoystick(0);
    device.Poll();
    EXPECT_EQ(device.Actions().Held(3), -1);
}

TEST_F(InputDeviceTest, AJoystickOnAShortMappingDrivesOnlyTheActionsItHas) {
    input.StoreJoystick(0, JoystickCaps{}, JoystickPosition{65535, 65535, 0xF});
    InputDevice device;
    Read(device, DeviceBlock(0, 1, KeysBlock(3, {'A', 'B', 'C'})));
    device.Poll();
    EXPECT_EQ(device.Actions().Count(), 3u);
    EXPECT_EQ(device.Actions().Held(1), -1);
    EXPECT_EQ(device.Actions().Held(3), 0);
}

TEST_F(InputDeviceTest, AnUnknownJoystickFallsBackToTheKeyboard) {
    InputDevice device;
    Read(device, DeviceBlock(1, 3, KeysBlock(1, {'A'})));
    EXPECT_EQ(device.JoystickNumber(), 0u);
    EXPECT_TRUE(device.MouseEnabled());
    input.SetKey('A', true);
    device.Poll();
    EXPECT_EQ(device.Actions().Held(0), -1);
}

TEST_F(InputDeviceTest, ACountBeyondThePayloadUsesTheCodesThere) {
    InputDevice device;
    Read(device, DeviceBlock(0, 0, KeysBlock(40, {'A', 'B'})));
    EXPECT_EQ(device.Actions().Count(), 2u);
    input.SetKey('B', true);
    device.Poll();
    EXPECT_EQ(device.Actions().Held(1), -1);
    EXPECT_EQ(device.Actions().StateSize(), 16u);
    EXPECT_THROW(device.ActionSlot(2), FatalExep);
}

TEST_F(InputDeviceTest, KeysRoundTripThroughWriteKeysChunk) {
    InputDevice device;
    device.Actions().SetCodes({VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SPACE});
    device.SetMouseEnabled(true);
    const std::string bytes = Written(device);
    EXPECT_EQ(bytes.size(), device.StoredSize());
    EXPECT_EQ(bytes.substr(0, 4), "SC" + LeU16(6));

    InputDevice back;
    Read(back, bytes);
    EXPECT_TRUE(back.MouseEnabled());
    ASSERT_EQ(back.Actions().Count(), 5u);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(back.Actions().Code(i), device.Actions().Code(i));
    EXPECT_EQ(Written(back), bytes);
}

TEST_F(InputDeviceTest, AStoredDevicePayloadIsNotClaimedWhenWrittenBack) {
    InputDevice device;
    Read(device, DeviceBlock(0, 0, KeysBlock(2, {'Q', 'W'}), std::string(12, 'x')));
    ASSERT_EQ(device.Actions().Count(), 2u);
    const std::string bytes = Written(device);
    InputDevice back;
    Read(back, bytes);
    ASSERT_EQ(back.Actions().Count(), 2u);
    EXPECT_EQ(back.Actions().Code(1), static_cast<uint32_t>('W'));
}

// Drives the device through a sequence of live states, one per poll.
struct LiveStep {
    bool left;
    bool fire;
    bool button;
    int32_t x;
    int32_t y;
    int32_t wheel;
};

struct PollResult {
    std::vector<int32_t> values;
    bool operator==(const PollResult&) const = default;
};

PollResult Snapshot(const InputDevice& d) {
    PollResult r;
    for (uint32_t i = 0; i < d.Actions().Count(); ++i) {
        r.values.push_back(d.Actions().Held(i));
        r.values.push_back(d.Actions().Pressed(i));
    }
    for (uint32_t i = 0; i < d.MouseButtons().Count(); ++i) {
        r.values.push_back(d.MouseButtons().Held(i));
        r.values.push_back(d.MouseButtons().Pressed(i));
    }
    r.values.push_back(d.MouseX());
    r.values.push_back(d.MouseY());
    r.values.push_back(d.Wheel());
    return r;
}

TEST_F(InputDeviceTest, ARecordingReplaysPollByPoll) {
    const std::vector<LiveStep> steps = {{true, false, false, 1, 2, 0},
                                         {true, true, true, 5, 6, 120},
                                         {false, true, true, -3, 9, 0},
                                         {false, false, false, 7, 7, -240},
                                         {true, false, true, 0, 0, 0}};
    InputDevice recorder;
    recorder.Actions().SetCodes({VK_LEFT, VK_SPACE});
    recorder.SetMouseEnabled(true);
    const std::string path = (dir / "demo.rec").string();
    std::vector<PollResult> live;
    {
        FW fw;
        fw.Create(String(path.c_str()));
        recorder.SetRecordingSink(&fw);
        for (const LiveStep& s : steps) {
            input.SetKey(VK_LEFT, s.left);
            input.SetKey(VK_SPACE, s.fire);
            input.SetKey(VK_LBUTTON, s.button);
            input.MoveCursor(s.x, s.y);
            app.InjectWheel(s.wheel);
            recorder.Poll();
            live.push_back(Snapshot(recorder));
        }
        recorder.SetRecordingSink(nullptr);
        fw.Close();
    }

    input.SetKey(VK_LEFT, true);  // live input is ignored while replaying
    app.InjectWheel(360);
    InputDevice player;
    player.Actions().SetCodes({VK_LEFT, VK_SPACE});
    const auto reader = std::make_shared<FileBlockReader>();
    reader->Open(String(path.c_str()));
    player.SetPlaybackSource(reader);
    for (size_t i = 0; i < steps.size(); ++i) {
        player.Poll();
        EXPECT_EQ(Snapshot(player), live[i]) << "poll " << i;
    }
    EXPECT_FALSE(player.PlaybackEnded());
    EXPECT_EQ(app.WheelSum(), 360);
}

TEST_F(InputDeviceTest, ARecordingThatEndsEarlyEndsTheReplayReleased) {
    InputDevice recorder;
    recorder.Actions().SetCodes({VK_LEFT, VK_SPACE});
    const std::string path = (dir / "demo.rec").string();
    {
        FW fw;
        fw.Create(String(path.c_str()));
        recorder.SetRecordingSink(&fw);
        input.SetKey(VK_LEFT, true);
        recorder.Poll();
        recorder.Poll();
        fw.Close();
    }
    // Keep the first poll whole and half of the second.
    const std::string whole = dir.Read("demo.rec");
    const std::string cut = dir.Write("cut.rec", whole.substr(0, whole.size() * 3 / 4)).string();

    InputDevice player;
    player.Actions().SetCodes({VK_LEFT, VK_SPACE});
    const auto reader = std::make_shared<FileBlockReader>();
    reader->Open(String(cut.c_str()));
    player.SetPlaybackSource(reader);
    player.Poll();
    EXPECT_EQ(player.Actions().Held(0), -1);
    EXPECT_FALSE(player.PlaybackEnded());
    player.Poll();
    EXPECT_TRUE(player.PlaybackEnded());
    EXPECT_EQ(player.Actions().Held(0), 0);
    player.Poll();
    EXPECT_EQ(player.Actions().Held(0), 0);

    player.SetPlaybackSource(nullptr);  // live again
    player.Poll();
    EXPECT_EQ(player.Actions().Held(0), -1);
}

TEST(KeyName, NamesComeFromKeysMesWithUnknownAsFallback) {
    SetKeyNameSource(nullptr);
    EXPECT_EQ(KeyName(65), "Unknown");

    std::vector<uint32_t> asked;
    SetKeyNameSource([&asked](const String& file, uint32_t number) -> String {
        asked.push_back(number);
        if (file != "Keys.mes") throw FatalExep(String("wrong file"));
        if (number == 66) throw WarnExep(String("Message not found"));
        return String("Key ") + String(static_cast<int>(number));
    });
    EXPECT_EQ(KeyName(65), "Key 65");
    EXPECT_EQ(KeyName(256), "Key 256");
    EXPECT_EQ(KeyName(66), "Unknown");
    EXPECT_EQ(KeyName(257), "Unknown");
    EXPECT_EQ(KeyName(-1), "Unknown");
    EXPECT_EQ(asked, (std::vector<uint32_t>{65, 256, 66}));
    SetKeyNameSource(nullptr);
}

}  // namespace
