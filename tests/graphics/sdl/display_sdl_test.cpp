#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/direct_draw_device.h"
#include "graphics/display.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "platform/headless/headless_timer.h"
#include "platform/sdl/sdl_platform.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Main thread: the colour at a picture position once the newest frame is on screen.
uint32_t ScreenPixel(SdlPlatform& platform, int x, int y) {
    platform.GetVideo().UploadPendingFrame();
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    if (SDL_RenderReadPixels(platform.Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                             kWidth * 4) != 0)
        return 0xDEADBEEF;
    return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF;
}

}  // namespace

TEST(DisplaySdl, ShowsSixteenBitAndPalettedFramesAndClosesCleanly) {
    std::string error;
    std::unique_ptr<SdlPlatform> platform = SdlPlatform::Create("Vondrel", &error);
    ASSERT_NE(platform, nullptr) << error;
    SdlApp& app = platform->GetApp();
    HeadlessTimer timer;
    const DisplayServices services = AppDisplayServices(app, platform->GetVideo(), timer);

    ScreenSettingsBlock settings;
    PaletteBlock palette;
    palette.SetCount(3);
    palette.SetColour(2, 0x20, 0xC0, 0x40);
    std::vector<uint32_t> seen;
    std::vector<std::string> errors;
    bool directDraw = false;
    app.StartGameThread([&] {
        try {
            Display display(services);
            std::unique_ptr<DirectDrawDevice> device;

            // 16 bits through the lockable kind: the top row red, the rest green, in 5-6-5.
            settings.SetMode(16, kWidth, kHeight);
            settings.SetFlags(ScreenSettingsBlock::kDirectDraw);
            BuildDisplay(display, device, settings, &palette, nullptr);
            directDraw = device != nullptr;
            const bool is565 = settings.pixelFormat == 565;
            display.LockSurface();
            ScreenSurface& surface = *display.Surface();
            surface.Fill(is565 ? 0x07E0 : 0x03E0);
            for (int x = 0; x < kWidth; ++x) StoreU16(surface.PixelAddress(x, 0), is565 ? 0xF800 : 0x7C00);
            display.Presenter()->ShowFrame();
            app.RunOnMain([&] {
                seen.push_back(ScreenPixel(*platform, 5, 0));
                seen.push_back(ScreenPixel(*platform, 320, 479));
            });

            // 8 bits through the bitmap kind: every pixel palette entry 2.
            settings.SetMode(8, kWidth, kHeight);
            settings.SetFlags(0);
            BuildDisplay(display, device, settings, &palette, nullptr);
            display.LockSurface();
            display.Surface()->Fill(2);
            display.Presenter()->ShowFrame();
            app.RunOnMain([&] { seen.push_back(ScreenPixel(*platform, 100, 100)); });
            display.Clear();
        } catch (const DExep& e) {
            errors.push_back(e.message.Text());
        } catch (...) {
            errors.push_back("the display failed");
        }
        app.PostQuit(3);
    });
    EXPECT_EQ(app.RunMainLoop(), 3);
    app.JoinGameThread();
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_TRUE(directDraw);
    EXPECT_FALSE(platform->GetVideo().IsOpen());
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], 0xFF0000u);
    EXPECT_EQ(seen[1] & 0xFF00FF, 0u);
    EXPECT_GE((seen[1] >> 8) & 0xFF, 0xF8u);
    EXPECT_EQ(seen[2], 0x20C040u);
}
