#include "platform/video.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/frame_copy.h"
#include "platform/headless/headless_video.h"

namespace {

VideoMode Mode(VideoKind kind, int32_t width, int32_t height, int32_t bits, bool fullScreen = false) {
    return VideoMode{kind, width, height, bits, fullScreen};
}

}  // namespace

TEST(Video, PixelFormatByKindAndDepth) {
    HeadlessVideo video;
    EXPECT_EQ(video.PixelFormat(), 0);
    ASSERT_TRUE(video.Open(Mode(VideoKind::DrawDib, 640, 480, 16)));
    EXPECT_EQ(video.PixelFormat(), 555);
    ASSERT_TRUE(video.Open(Mode(VideoKind::DirectDraw, 640, 480, 16)));
    EXPECT_EQ(video.PixelFormat(), 565);
    video.SetNativePixelFormat(555);
    EXPECT_EQ(video.PixelFormat(), 555);
    ASSERT_TRUE(video.Open(Mode(VideoKind::DirectDraw, 640, 480, 8)));
    EXPECT_EQ(video.PixelFormat(), 0);
}

TEST(Video, RefusedModesLeaveNothingOpen) {
    HeadlessVideo video;
    std::string error;
    for (const VideoMode& mode :
         {Mode(VideoKind::DrawDib, 640, 480, 24), Mode(VideoKind::DrawDib, 0, 480, 16),
          Mode(VideoKind::DirectDraw, 640, -1, 8), Mode(VideoKind::DirectDraw, 100000, 480, 16)}) {
        error.clear();
        EXPECT_FALSE(video.Open(mode, &error));
        EXPECT_EQ(error, "Unable to set video mode");
        EXPECT_FALSE(video.IsOpen());
    }
}

TEST(Video, InjectedFailuresAllowTheFallback) {
    HeadlessVideo video;
    std::string error;
    video.FailOpen(VideoKind::DirectDraw);
    EXPECT_FALSE(video.Open(Mode(VideoKind::DirectDraw, 640, 480, 16, true), &error));
    EXPECT_FALSE(video.IsOpen());
    ASSERT_TRUE(video.Open(Mode(VideoKind::DrawDib, 640, 480, 16, true)));
    EXPECT_TRUE(video.FullScreenActive());
    video.Close();
    EXPECT_FALSE(video.FullScreenActive());

    video.FailModeSwitch();
    EXPECT_FALSE(video.Open(Mode(VideoKind::DrawDib, 640, 480, 16, true), &error));
    EXPECT_EQ(error, "Unable to set video mode");
    EXPECT_FALSE(video.FullScreenActive());
    EXPECT_TRUE(video.Open(Mode(VideoKind::DrawDib, 640, 480, 16, false)));
}

TEST(Video, LockAnswersBusyAndLostAsOftenAsInjected) {
    HeadlessVideo video;
    ASSERT_TRUE(video.Open(Mode(VideoKind::DirectDraw, 302, 10, 8)));
    LockedSurface surface;
    video.FailLocks(SurfaceResult::Busy, 2);
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Busy);
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Busy);
    EXPECT_FALSE(video.Locked());
    ASSERT_EQ(video.Lock(&surface), SurfaceResult::Ok);
    EXPECT_EQ(surface.pitch, 304);
    ASSERT_NE(surface.pixels, nullptr);
    video.Unlock();

    video.FailLocks(SurfaceResult::Lost, 1);
    video.FailRestores(2);
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Lost);
    EXPECT_FALSE(video.Restore());
    EXPECT_FALSE(video.Restore());
    EXPECT_TRUE(video.Restore());
    EXPECT_EQ(video.RestoreCalls(), 3);
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Ok);
    EXPECT_EQ(video.LockCalls(), 5);
}

TEST(Video, BlitShowsTheBackSurfaceWithoutPadding) {
    HeadlessVideo video;
    ASSERT_TRUE(video.Open(Mode(VideoKind::DirectDraw, 3, 2, 16)));
    LockedSurface surface;
    ASSERT_EQ(video.Lock(&surface), SurfaceResult::Ok);
    EXPECT_EQ(surface.pitch, 8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) surface.pixels[y * surface.pitch + x] = static_cast<uint8_t>(y * 10 + x);
    EXPECT_EQ(video.Blit(), SurfaceResult::Error);  // still locked
    video.Unlock();
    video.FailBlits(SurfaceResult::Lost, 1);
    EXPECT_EQ(video.Blit(), SurfaceResult::Lost);
    EXPECT_EQ(video.FramesShown(), 0u);
    EXPECT_EQ(video.Blit(), SurfaceResult::Ok);
    EXPECT_EQ(video.FramesShown(), 1u);
    EXPECT_EQ(video.LastFrame(), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15}));
}

TEST(Video, TheDrawDibKindHasNoBackSurface) {
    HeadlessVideo video;
    LockedSurface surface;
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Error);
    ASSERT_TRUE(video.Open(Mode(VideoKind::DrawDib, 4, 4, 8)));
    EXPECT_EQ(video.Lock(&surface), SurfaceResult::Error);
    EXPECT_EQ(video.Blit(), SurfaceResult::Error);
}

TEST(Video, PresentTurnsBottomUpRowsTopDown) {
    HeadlessVideo video;
    const uint8_t rows[3 * 4] = {7, 7, 7, 0, 5, 5, 5, 0, 1, 2, 3, 0};  // memory starts with the last row
    EXPECT_FALSE(video.Present(FrameView{rows, 4, true}));             // nothing open
    ASSERT_TRUE(video.Open(Mode(VideoKind::DrawDib, 3, 3, 8)));
    ASSERT_TRUE(video.Present(FrameView{rows, 4, true}));
    EXPECT_EQ(video.LastFrame(), (std::vector<uint8_t>{1, 2, 3, 5, 5, 5, 7, 7, 7}));
    ASSERT_TRUE(video.Present(FrameView{rows, 4, false}));
    EXPECT_EQ(video.LastFrame(), (std::vector<uint8_t>{7, 7, 7, 5, 5, 5, 1, 2, 3}));
    EXPECT_FALSE(video.Present(FrameView{rows, 2, false}));  // rows would overlap
    EXPECT_FALSE(video.Present(FrameView{nullptr, 4, false}));
    EXPECT_EQ(video.FramesShown(), 2u);
}

TEST(Video, PaletteAndItsExpansion) {
    HeadlessVideo video;
    const PaletteColor colors[2] = {{1, 2, 3}, {0xFF, 0x80, 0x00}};
    video.SetPalette(colors);
    EXPECT_EQ(video.CurrentPalette()[1].green, 0x80);
    EXPECT_EQ(video.CurrentPalette()[2].red, 0);
    std::vector<PaletteColor> tooMany(300, PaletteColor{9, 9, 9});
    video.SetPalette(tooMany);
    EXPECT_EQ(video.CurrentPalette()[255].blue, 9);
    video.SetPalette(colors);
    EXPECT_EQ(video.CurrentPalette()[255].blue, 0);

    const uint8_t frame[2 * 4] = {1, 0, 9, 9, 0, 1, 9, 9};  // bottom-up, padded rows
    uint32_t out[4];
    ExpandPalettedFrame(FrameView{frame, 4, true}, 2, 2, video.CurrentPalette(), out);
    EXPECT_EQ(out[0], 0x010203u);
    EXPECT_EQ(out[1], 0xFF8000u);
    EXPECT_EQ(out[2], 0xFF8000u);
    EXPECT_EQ(out[3], 0x010203u);
}

TEST(Video, DesktopAndPlacement) {
    HeadlessVideo video;
    video.SetDesktop(DesktopMode{800, 600, 16});
    EXPECT_EQ(video.Desktop().width, 800);
    video.PlaceWindow(WindowPlacement{192, 144, 640, 480});
    EXPECT_EQ(video.Placement().x, 192);
    EXPECT_EQ(video.Placement().height, 480);
}
