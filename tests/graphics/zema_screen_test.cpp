#include "graphics/zema_screen.h"

#include <gtest/gtest.h>

#include "graphics/font.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/support/read_bytes.h"
#include "tests/support/script_texts.h"
#include "tools/content/font_builder.h"

namespace {

class ZEMAScreenTest : public ::testing::Test {
  protected:
    ZEMAScreenTest() : buffer(&colours), screen(&runner, [this] { return current; }) {
        settings.SetMode(16, 320, 200);
        surface = std::make_unique<MemorySurface>(&settings, nullptr, 4);
        buffer.SetSurface(surface.get());
        screen.ReserveMethodTables(screen);
        screen.RegisterMethods(screen);
    }

    // Pushes the arguments so that the first is popped first, runs method n, returns what it left.
    std::vector<uint32_t> Call(uint32_t n, std::vector<uint32_t> arguments = {}) {
        for (auto a = arguments.rbegin(); a != arguments.rend(); ++a) runner.stack.Push(*a);
        CallNative(screen, screen, n);
        std::vector<uint32_t> pushed;
        while (runner.stack.Depth() > 0) pushed.insert(pushed.begin(), runner.stack.Pop());
        return pushed;
    }

    StackRunner runner;
    ScreenSettingsBlock settings;
    std::unique_ptr<ScreenSurface> surface;
    TestColours colours{{}};
    RecordingBuffer buffer;
    ScreenBuffer* current = &buffer;
    ZEMAScreen screen;
};

TEST_F(ZEMAScreenTest, ReportsTheSurfaceAndTheSettingsFlags) {
    EXPECT_TRUE(screen.IsKindOf("ZEMAScreen"));
    EXPECT_TRUE(screen.IsKindOf("ZEMAClass"));
    EXPECT_EQ(screen.MethodCount(), 14u);
    EXPECT_EQ(screen.ClassName(), "ZEMAScreen");
    EXPECT_EQ(Call(4), std::vector<uint32_t>{320});
    EXPECT_EQ(Call(5), std::vector<uint32_t>{200});
    EXPECT_EQ(Call(6), std::vector<uint32_t>{16});
    for (uint16_t flags : {0x0000, 0x0004, 0x0008, 0xFFFF}) {
        settings.SetFlags(flags);
        EXPECT_EQ(Call(7), std::vector<uint32_t>{flags & 8u}) << flags;
        EXPECT_EQ(Call(8), std::vector<uint32_t>{flags & 4u}) << flags;
    }
}

TEST_F(ZEMAScreenTest, TheTwoTextMethodsPopTheAlignmentsInOppositeOrders) {
    auto font = ReadFont(FontBlock(UniformFont(96, 5, 7)));  // line height 10
    buffer.SetFont(font.get());
    ScriptTexts texts;
    const uint32_t address = texts.Add("ab");
    // Method 9: text, x, y, horizontal, vertical, colour. Vertical 2 raises the line by its height.
    EXPECT_TRUE(Call(9, {address, 30, 40, 1, 2, 0x1234}).empty());
    // Method 10: flags, text, x, y, vertical, horizontal, colour.
    EXPECT_TRUE(Call(10, {kTextUnderline, address, 30, 40, 2, 1, 0x1234}).empty());
    EXPECT_EQ(buffer.calls,
              (std::vector<RecordingBuffer::Call>{{"ab", 30, 30, 0x1234, 1, 0, 0},
                                                  {"ab", 30, 30, 0x1234, 1, 0, kTextUnderline}}));
    buffer.calls.clear();
    Call(9, {address, static_cast<uint32_t>(-5), static_cast<uint32_t>(-6), 2, 1, 7});
    EXPECT_EQ(buffer.calls, (std::vector<RecordingBuffer::Call>{{"ab", -5, -11, 7, 2, 0, 0}}));
}

TEST_F(ZEMAScreenTest, FramesAndFonts) {
    auto frame = MakeFrame({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {1}});
    Call(11, {frame->Address(), 5, 10, 20, 3});
    Call(11, {0, 5, 10, 20, 3});  // no frame: nothing
    EXPECT_EQ(buffer.frames, (std::vector<RecordingBuffer::FrameCall>{{frame.get(), 10, 20, 5, 3}}));

    auto font = ReadFont(FontBlock(UniformFont()));
    EXPECT_EQ(Call(12), std::vector<uint32_t>{0});
    EXPECT_EQ(Call(13, {font->Address()}), std::vector<uint32_t>{0});
    EXPECT_EQ(buffer.CurrentFont(), font.get());
    const uint32_t same = Call(12).at(0);
    EXPECT_EQ(Call(13, {same}), std::vector<uint32_t>{font->Address()});
    EXPECT_EQ(buffer.CurrentFont(), font.get());
    EXPECT_EQ(Call(13, {0}), std::vector<uint32_t>{font->Address()});
    EXPECT_EQ(buffer.CurrentFont(), nullptr);
    EXPECT_NE(ErrorMessage([&] { Call(13, {frame->Address()}); }), "no error");
}

TEST_F(ZEMAScreenTest, WithoutADisplayEveryMethodFails) {
    current = nullptr;
    for (uint32_t n = 4; n <= 13; ++n) {
        runner.stack.TruncateTo(0);
        EXPECT_EQ(ErrorMessage([&] { Call(n, {0, 0, 0, 0, 0, 0, 0}); }), "ZEMAScreen has no display") << n;
    }
    runner.stack.TruncateTo(0);
    current = &buffer;
    EXPECT_EQ(ErrorMessage([&] { CallNative(screen, screen, 9); }), "DStack underflow");
}

}  // namespace
