#include "graphics/display.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/dib_surface.h"
#include "graphics/direct_draw_device.h"
#include "graphics/direct_draw_surface.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/video_mode.h"
#include "platform/headless/headless_app.h"
#include "platform/headless/headless_timer.h"
#include "platform/headless/headless_video.h"
#include "script/object_lifetime.h"
#include "tests/support/error_message.h"

namespace {

class DisplayTest : public ::testing::Test {
  protected:
    DisplayTest() {
        services.video = &video;
        services.timer = &timer;
        services.active = [this] { return active(); };
        services.stopRequested = [this] { return stop(); };
        video.SetDesktop(DesktopMode{1024, 768, 32});
        Mode(16, 640, 480, 0);
        palette.SetCount(3);
        palette.SetColour(1, 0x10, 0x20, 0x30);
        palette.SetColour(2, 0xFF, 0x80, 0x01);
    }

    void Mode(uint16_t bits, uint16_t width, uint16_t height, uint16_t flags) {
        settings.SetMode(bits, width, height);
        settings.SetFlags(flags);
        settings.pixelFormat = 0;
    }

    std::unique_ptr<Display> Build() {
        auto display = std::make_unique<Display>(services);
        BuildDisplay(*display, device, settings, &palette, nullptr);
        return display;
    }

    HeadlessVideo video;
    HeadlessTimer timer;
    DisplayServices services;
    std::function<bool()> active = [] { return true; };
    std::function<bool()> stop = [] { return false; };
    ScreenSettingsBlock settings;
    PaletteBlock palette;
    std::unique_ptr<DirectDrawDevice> device;
};

TEST_F(DisplayTest, DibRowsRunBottomUpAndFramesReachTheScreenTopDown) {
    DibSurface surface(video, &settings, nullptr, 4);
    EXPECT_EQ(surface.Pitch(), 1280);
    EXPECT_EQ(surface.RowStep(), -1280);
    EXPECT_EQ(surface.RowAddress(479), surface.Pixels());
    EXPECT_EQ(surface.RowAddress(0), surface.Pixels() + 479 * 1280);
    EXPECT_EQ(surface.PixelAddress(3, 0), surface.RowAddress(0) + 6);
    EXPECT_EQ(settings.pixelFormat, 555);
    EXPECT_EQ(surface.BitmapInfo().size(), DibSurface::kBitmapHeaderSize);
    EXPECT_EQ(LoadU32(surface.BitmapInfo().data() + 8), 480u);  // positive height: bottom-up

    surface.Fill(0x1234);
    StoreU16(surface.PixelAddress(1, 0), 0x7C00);
    DibPresenter presenter(video);
    presenter.SetSurface(&surface);
    presenter.ShowFrame();
    const std::vector<uint8_t>& shown = video.LastFrame();
    ASSERT_EQ(shown.size(), 640u * 480 * 2);
    EXPECT_EQ(LoadU16(shown.data()), 0x1234);
    EXPECT_EQ(LoadU16(shown.data() + 2), 0x7C00);  // the top row of the picture comes first
    EXPECT_EQ(LoadU16(shown.data() + shown.size() - 2), 0x1234);

    // 8 bits: rows padded to 4, every byte the colour's low byte.
    Mode(8, 302, 3, 0);
    DibSurface eight(video, &settings, &palette, 4);
    EXPECT_EQ(eight.Pitch(), 304);
    EXPECT_EQ(eight.RowAddress(0), eight.Pixels() + 608);
    eight.Fill(0xAB01);
    for (uint64_t i = 0; i < eight.FrameBytes(); ++i) ASSERT_EQ(eight.Pixels()[i], 0x01);
}

TEST_F(DisplayTest, DirectDrawRowsAreTopDownInTheLockedBackSurface) {
    video.SetNativePixelFormat(555);
    DirectDrawDevice dd(&settings, services);
    EXPECT_EQ(settings.pixelFormat, 555);
    DirectDrawSurface surface(dd, &settings, nullptr, 4);
    EXPECT_EQ(surface.Pixels(), nullptr);
    ASSERT_TRUE(surface.Lock());
    ASSERT_TRUE(surface.Lock());  // already locked: no second lock
    EXPECT_EQ(video.LockCalls(), 1);
    EXPECT_EQ(surface.RowStep(), 1280);
    EXPECT_EQ(surface.RowAddress(2), surface.Pixels() + 2560);
    StoreU16(surface.PixelAddress(639, 479), 0x03E0);

    DirectDrawPresenter presenter(dd);
    presenter.SetSurface(&surface);
    presenter.ShowFrame();  // unlocks first
    EXPECT_FALSE(surface.Locked());
    EXPECT_FALSE(video.Locked());
    EXPECT_EQ(surface.Pixels(), nullptr);
    surface.Unlock();  // not locked: nothing
    EXPECT_EQ(LoadU16(video.LastFrame().data() + video.LastFrame().size() - 2), 0x03E0);
    EXPECT_EQ(video.BlitCalls(), 1);

    // Memory whose rows run otherwise than the computed pitch would be drawn past its end.
    DirectDrawSurface wider(dd, &settings, nullptr, 1024);
    EXPECT_EQ(ErrorMessage([&] { wider.Lock(); }), "Unable to lock surface");
    EXPECT_FALSE(video.Locked());

    // The screen's own 16-bit format decides.
    dd.Release();
    video.SetNativePixelFormat(565);
    DirectDrawDevice again(&settings, services);
    EXPECT_EQ(settings.pixelFormat, 565);
}

TEST_F(DisplayTest, TheDirectDrawKindFallsBackToDrawDib) {
    Mode(16, 640, 480, ScreenSettingsBlock::kDirectDraw);
    auto display = Build();
    ASSERT_NE(device, nullptr);
    EXPECT_NE(dynamic_cast<DirectDrawSurface*>(display->Surface()), nullptr);
    EXPECT_EQ(display->Buffer()->Surface(), display->Surface());
    EXPECT_EQ(display->Presenter()->Surface(), display->Surface());
    EXPECT_EQ(settings.pixelFormat, 565);
    EXPECT_EQ(video.Mode().kind, VideoKind::DirectDraw);
    display->LockSurface();
    display.reset();  // unlocks before the parts go
    EXPECT_FALSE(video.Locked());

    video.FailOpen(VideoKind::DirectDraw);
    display = Build();
    EXPECT_EQ(device, nullptr);
    EXPECT_NE(dynamic_cast<DibSurface*>(display->Surface()), nullptr);
    EXPECT_EQ(settings.Flags() & ScreenSettingsBlock::kDirectDraw, 0);
    EXPECT_EQ(settings.pixelFormat, 555);
    EXPECT_EQ(video.Mode().kind, VideoKind::DrawDib);

    // A DirectDraw display that fails after its device opened is taken down whole; without a
    // palette the DrawDib kind then fails too, and that is passed on.
    video.FailOpen(VideoKind::DirectDraw, false);
    Mode(8, 320, 200, ScreenSettingsBlock::kDirectDraw);
    auto bare = std::make_unique<Display>(services);
    EXPECT_EQ(ErrorMessage([&] { BuildDisplay(*bare, device, settings, nullptr, nullptr); }),
              "Palette required");
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(bare->Surface(), nullptr);
    EXPECT_FALSE(video.IsOpen());
    EXPECT_EQ(settings.Flags() & ScreenSettingsBlock::kDirectDraw, 0);
}

TEST_F(DisplayTest, BadScreenModesAreRefused) {
    struct Case {
        uint16_t bits, width, height;
    };
    for (const Case& c : {Case{24, 640, 480}, Case{0, 640, 480}, Case{16, 0, 480}, Case{16, 640, 0},
                          Case{8, 65535, 480}, Case{16, 640, 9000}}) {
        Mode(c.bits, c.width, c.height, ScreenSettingsBlock::kDirectDraw);
        auto display = std::make_unique<Display>(services);
        // The mode and the file it came from follow the message.
        const std::string expected = "Unable to set video mode (" + std::to_string(c.width) + " x " +
                                     std::to_string(c.height) + " at " + std::to_string(c.bits) +
                                     " bits per pixel in \"Screen.SCRS\")";
        EXPECT_EQ(ErrorMessage([&] { BuildDisplay(*display, device, settings, &palette, nullptr); }),
                  expected);
        EXPECT_FALSE(video.IsOpen());
        EXPECT_EQ(ErrorMessage([&] { DirectDrawDevice dd(&settings, services); }), expected);
    }
}

TEST_F(DisplayTest, BusyAndLostSurfacesAreRetriedWithPauses) {
    Mode(16, 64, 8, ScreenSettingsBlock::kDirectDraw);
    auto display = Build();
    ASSERT_NE(device, nullptr);

    video.FailLocks(SurfaceResult::Busy, 3);
    display->LockSurface();
    EXPECT_EQ(video.LockCalls(), 4);
    EXPECT_EQ(timer.Sleeps(), (std::vector<uint32_t>{1, 1, 1}));
    display->Presenter()->ShowFrame();

    // Lost while the game is in the background: restores wait in 300 ms steps until it is active
    // again, then the lock is repeated.
    const uint32_t inactiveUntil = timer.Milliseconds() + 600;
    active = [&] { return timer.Milliseconds() >= inactiveUntil; };
    video.FailLocks(SurfaceResult::Lost, 1);
    video.FailRestores(1);
    const size_t before = timer.Sleeps().size();
    display->LockSurface();
    const std::vector<uint32_t> sleeps = timer.Sleeps();
    EXPECT_EQ(std::vector<uint32_t>(sleeps.begin() + before, sleeps.end()),
              (std::vector<uint32_t>{300, 300, 300, 1}));
    EXPECT_EQ(video.RestoreCalls(), 2);
    EXPECT_TRUE(display->Surface()->Pixels() != nullptr);

    // Copies to the screen retry the same way.
    video.FailBlits(SurfaceResult::Busy, 2);
    display->Presenter()->ShowFrame();
    video.FailBlits(SurfaceResult::Lost, 1);
    display->Presenter()->ShowFrame();
    EXPECT_EQ(video.RestoreCalls(), 3);
    EXPECT_EQ(video.FramesShown(), 3u);

    video.FailBlits(SurfaceResult::Error, 1);
    EXPECT_EQ(ErrorMessage([&] { display->Presenter()->ShowFrame(); }), "Unable to show screen");
    video.FailLocks(SurfaceResult::Error, 1);
    EXPECT_EQ(ErrorMessage([&] { display->LockSurface(); }), "Unable to lock surface");
}

TEST_F(DisplayTest, RetryLoopsEndWhenTheProgramStops) {
    Mode(16, 64, 8, ScreenSettingsBlock::kDirectDraw);
    auto display = Build();
    int passes = 0;
    stop = [&] { return ++passes > 20; };

    video.FailRestores(1000000);
    video.FailLocks(SurfaceResult::Lost, 1);
    EXPECT_THROW(display->LockSurface(), StopRequested);
    EXPECT_LT(video.RestoreCalls(), 20);

    passes = 0;
    video.FailRestores(0);
    video.FailLocks(SurfaceResult::Busy, 1000000);
    EXPECT_THROW(display->LockSurface(), StopRequested);
    passes = 0;
    video.FailBlits(SurfaceResult::Busy, 1000000);
    EXPECT_THROW(display->Presenter()->ShowFrame(), StopRequested);
    passes = 0;
    video.FailBlits(SurfaceResult::Lost, 1000000);
    EXPECT_THROW(display->Presenter()->ShowFrame(), StopRequested);

    // The app's quit request and foreground state serve as the hooks.
    HeadlessApp app;
    const DisplayServices fromApp = AppDisplayServices(app, video, timer);
    EXPECT_TRUE(fromApp.Active());
    EXPECT_NO_THROW(fromApp.CheckStop());
    app.InjectActive(false);
    app.PostQuit();
    EXPECT_FALSE(fromApp.Active());
    EXPECT_THROW(fromApp.CheckStop(), StopRequested);
}

TEST_F(DisplayTest, PalettesReachTheScreenWithinTheirLimits) {
    Mode(8, 320, 200, 0);
    EXPECT_EQ(ErrorMessage([&] { DibSurface s(video, &settings, nullptr, 4); }), "Palette required");
    PaletteBlock large;
    large.SetCount(257);
    EXPECT_EQ(ErrorMessage([&] { DibSurface s(video, &settings, &large, 4); }),
              "Too large palette for ScreenBuffer");
    EXPECT_FALSE(video.IsOpen());

    // A count beyond the payload copies only the entries that are there.
    StoreU16(palette.Header() + 11, 200);
    auto display = Build();
    auto* dib = dynamic_cast<DibSurface*>(display->Surface());
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(dib->BitmapInfo().size(), DibSurface::kBitmapHeaderSize + 1024);
    const uint8_t* table = dib->BitmapInfo().data() + DibSurface::kBitmapHeaderSize;
    EXPECT_EQ(table[8], 0x01);  // entry 2: blue, green, red
    EXPECT_EQ(table[10], 0xFF);
    EXPECT_EQ(table[12], 0);
    EXPECT_EQ(video.CurrentPalette()[2].red, 0xFF);
    EXPECT_EQ(video.CurrentPalette()[1].blue, 0x30);
    EXPECT_EQ(video.CurrentPalette()[3].red, 0);

    // The DirectDraw kind takes the palette the same way, and needs one.
    display.reset();
    Mode(8, 320, 200, ScreenSettingsBlock::kDirectDraw);
    DirectDrawDevice dd(&settings, services);
    DirectDrawSurface surface(dd, &settings, nullptr, 4);
    DirectDrawPresenter presenter(dd);
    presenter.SetSurface(&surface);
    EXPECT_EQ(ErrorMessage([&] { presenter.InitPalette(); }),
              "Failed initialize palette because it doesn present");
    DirectDrawSurface withPalette(dd, &settings, &palette, 4);
    presenter.SetSurface(&withPalette);
    video.SetPalette({});
    presenter.InitPalette();
    EXPECT_EQ(video.CurrentPalette()[2].green, 0x80);
}

TEST_F(DisplayTest, WindowsAreCentredAndFullScreenIsGivenBack) {
    struct Case {
        DesktopMode desktop;
        int32_t width, height, x, y;
    };
    for (const Case& c : {Case{{1024, 768, 32}, 640, 480, 192, 144}, Case{{800, 600, 32}, 801, 600, 0, 0},
                          Case{{800, 600, 32}, 1000, 703, -100, -51}}) {
        const WindowPlacement p = CentredPlacement(c.desktop, c.width, c.height);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }

    video.SetDesktop(DesktopMode{800, 600, 32});
    Mode(16, 1000, 700, 0);
    {
        DibSurface window(video, &settings, nullptr, 4);
        EXPECT_EQ(ScreenWindowOrigin().x.load(), -100);
        EXPECT_EQ(ScreenWindowOrigin().y.load(), -50);
        EXPECT_EQ(video.Placement().x, -100);
        EXPECT_EQ(video.Placement().width, 1000);
        EXPECT_FALSE(video.FullScreenActive());
    }
    EXPECT_FALSE(video.FullScreenActive());

    Mode(16, 640, 480, ScreenSettingsBlock::kFullScreen);
    {
        DibSurface full(video, &settings, nullptr, 4);
        EXPECT_TRUE(video.FullScreenActive());
        EXPECT_EQ(ScreenWindowOrigin().x.load(), 0);
        EXPECT_EQ(full.SavedDesktop().width, 800);
        // The mode is given back as it was opened, whatever the flags say meanwhile.
        settings.SetFlags(0);
    }
    EXPECT_FALSE(video.FullScreenActive());
    EXPECT_FALSE(video.IsOpen());

    Mode(16, 640, 480, ScreenSettingsBlock::kFullScreen);
    video.FailModeSwitch();
    EXPECT_EQ(ErrorMessage([&] { DibSurface s(video, &settings, nullptr, 4); }),
              "Unable to set video mode (640 x 480 at 16 bits per pixel in \"Screen.SCRS\")");
    EXPECT_FALSE(video.IsOpen());
}

}  // namespace

namespace {

// A script called while a frame draws may rebuild the display (the screen options): the frame's
// buffer and surface stay readable until it can no longer hold them, and then go.
TEST_F(DisplayTest, PartsAFrameMayStillHoldOutliveARebuild) {
    std::unique_ptr<Display> display = Build();
    {
        const ReleaseHold frame;
        ScreenBuffer* held = display->Buffer();
        BuildDisplay(*display, device, settings, &palette, nullptr);
        EXPECT_NE(display->Buffer(), held);
        // Into the old surface, which the sanitizer build sees is still there.
        held->DrawLine(0, 0, 10, 0, 0x1234);
        EXPECT_EQ(DestroyedAwaitingRelease(), 1u);
    }
    EXPECT_EQ(DestroyedAwaitingRelease(), 0u);
}

}  // namespace
