#include "screens/screen_options.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/byte_order.h"
#include "foundation/config_blocks.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/packed_stream.h"
#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "screens/options_window.h"
#include "screens/screen_teardown.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/message_box.h"
#include "ui/window_services.h"

namespace {

constexpr uint16_t kSwitchBit2 = 1u << 2;
constexpr uint16_t kSwitchBit3 = 1u << 3;
constexpr uint16_t kSwitchBit4 = 1u << 4;
constexpr uint32_t kVolumeAOffset = 12;
constexpr uint32_t kVolumeBOffset = 14;
constexpr uint32_t kDepthNotice = 339;

uint16_t SoundValue(const DataBlock& block, uint32_t at) {
    return at + 2 <= block.HeaderSize() ? LoadU16(block.Header() + at) : 0;
}

void SetSoundValue(DataBlock& block, uint32_t at, int32_t value) {
    if (at + 2 <= block.HeaderSize())
        StoreU16(block.Header() + at, static_cast<uint16_t>(std::clamp(value, 0, kMaxVolumeLevel)));
}

void ReadOptions() {
    const ScreenSettingsBlock& screen = ScreenSettings();
    const SoundSettingsBlock& sound = SoundSettings();
    const uint16_t flags = screen.Flags();
    OptionValues& v = Options();
    v.volumeA = std::min<int32_t>(SoundValue(sound, kVolumeAOffset), kMaxVolumeLevel);
    v.volumeB = std::min<int32_t>(SoundValue(sound, kVolumeBOffset), kMaxVolumeLevel);
    v.windowed = (flags & ScreenSettingsBlock::kFullScreen) == 0 ? 1 : 0;
    v.directDraw = (flags & ScreenSettingsBlock::kDirectDraw) != 0 ? 1 : 0;
    v.switchBit2 = (flags & kSwitchBit2) != 0 ? 1 : 0;
    v.switchBit3 = (flags & kSwitchBit3) != 0 ? 1 : 0;
    v.switchBit4 = (flags & kSwitchBit4) != 0 ? 1 : 0;
    v.eightBit = screen.BitsPerPixel() == 8 ? 1 : 0;
}

uint16_t SetBit(uint16_t flags, uint16_t bit, bool on) {
    return static_cast<uint16_t>(on ? flags | bit : flags & ~bit);
}

// The display built again from the settings with these flags; the pictures and the colour table
// follow the new screen's pixel format, and the new buffer writes in the font "Science".
void BuildScreen(Processor& processor, uint16_t flags) {
    GameGlobals& game = Game();
    Display& display = GameDisplay();
    // Looked up first: a font missing from the content fails before the display is touched.
    Font* font = NamedFont(processor, "Science");
    ScreenSettingsBlock& settings = ScreenSettings();
    settings.SetFlags(flags);
    auto* colours = dynamic_cast<ColorManager*>(processor.Objects().GetObject(kColorManagerId));
    BuildDisplay(display, game.directDraw, settings, &DefaultColours(), colours);
    if (settings.BitsPerPixel() == 16) {
        if (auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId))) {
            if (settings.pixelFormat == 555) {
                images->ConvertAllTo555();
            } else {
                images->ConvertAllTo565();
            }
        }
        if (colours != nullptr) colours->BuildTable();
    }
    if (display.Buffer() != nullptr) display.Buffer()->SetFont(font);
}

// A mode the platform refuses leaves the display as it was, and the player is told why.
void RebuildScreen(Processor& processor, InputDevice& input, DialogWindow* parent, uint16_t flags) {
    const uint16_t old = ScreenSettings().Flags();
    String failure;
    const RunnerState before = processor.SaveState(true);
    try {
        BuildScreen(processor, flags);
        return;
    } catch (const DExep& error) {
        failure = error.message;
        processor.RestoreState(before);
    }
    BuildScreen(processor, old);
    MessageBox(processor, &input, parent, failure, kMessageBoxOk, nullptr, 0);
}

void Accept(Processor& processor, InputDevice& input, DialogWindow* parent) {
    const OptionValues& v = Options();
    ScreenSettingsBlock& screen = ScreenSettings();
    const uint16_t flags = screen.Flags();
    const bool windowed = (flags & ScreenSettingsBlock::kFullScreen) == 0;
    const bool directDraw = (flags & ScreenSettingsBlock::kDirectDraw) != 0;
    if ((v.windowed != 0) != windowed || (v.directDraw != 0) != directDraw) {
        const uint16_t wanted =
            static_cast<uint16_t>((v.windowed != 0 ? 0 : ScreenSettingsBlock::kFullScreen) |
                                  (v.directDraw != 0 ? ScreenSettingsBlock::kDirectDraw : 0));
        RebuildScreen(processor, input, parent, wanted);
    }
    const uint16_t depth = screen.BitsPerPixel();
    if ((v.eightBit != 0) != (depth == 8))
        MessageBox(processor, &input, parent, SystemMessage(processor, kDepthNotice), kMessageBoxOk, nullptr,
                   0);

    SoundSettingsBlock& sound = SoundSettings();
    SetSoundValue(sound, kVolumeBOffset, v.volumeB);
    SetSoundValue(sound, kVolumeAOffset, v.volumeA);
    uint16_t stored = screen.Flags();
    stored = SetBit(stored, kSwitchBit4, v.switchBit4 != 0);
    stored = SetBit(stored, kSwitchBit2, v.switchBit2 != 0);
    stored = SetBit(stored, kSwitchBit3, v.switchBit3 != 0);
    screen.SetFlags(stored);

    // The depth chosen takes effect at the next start; the running screen keeps its own.
    ScreenSettingsBlock written = screen;
    written.SetMode(v.eightBit != 0 ? 8 : 16, screen.Width(), screen.Height());
    WriteSettingsFile(String("Screen.SCRS"), written);
    WriteSettingsFile(String("Sound.SNDS"), sound);
}

}  // namespace

void ScreenOptions(Processor& processor, InputDevice& input, DialogWindow* parent) {
    Display* display = parent != nullptr ? parent->GetDisplay() : &GameDisplay();
    Image* cursor = parent != nullptr ? parent->DefaultCursor() : EngineCursor(processor);
    auto window = std::make_unique<DialogWindow>(&processor, display, cursor);
    if (parent != nullptr) {
        window->SetParent(parent);
        parent->ReleaseFocus();
    }
    window->SetCallback(OptionsCallback);
    ReadOptions();
    int32_t result = 0;
    {
        ScreenTeardown teardown(processor, {[&window] { window->Close(); }, DeleteOptionsBackground});
        OptionsWindow(*window);
        result = window->Run(input);
        teardown.Finish();
    }
    window.reset();
    if (result != 1) {
        ApplyVolume(processor, SoundValue(SoundSettings(), kVolumeAOffset));
        return;
    }
    Accept(processor, input, parent);
}

void WriteSettingsFile(const String& name, const DataBlock& block) {
    if (block.HeaderSize() < 10) ThrowFatal("No settings to write to %s", name.Text());
    std::vector<uint8_t> header(block.Header(), block.Header() + block.HeaderSize());
    const uint32_t payload = block.Payload() != nullptr ? block.PayloadSize() : 0;
    StoreU16(header.data() + 4, static_cast<uint16_t>(block.HeaderSize()));
    StoreU32(header.data() + 6, payload);
    PackedStream out;
    out.Create(name);
    out.Write("SE", 2);
    out.Write(header.data(), static_cast<uint32_t>(header.size()));
    if (payload != 0) out.Write(block.Payload(), payload);
    out.Close();
}
