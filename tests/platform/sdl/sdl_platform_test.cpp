#include "platform/sdl/sdl_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class SdlPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        platform_ = SdlPlatform::Create("Vondrel", &error);
        ASSERT_NE(platform_, nullptr) << error;
    }

    // Main thread: the colour at a picture position after the newest frame is on screen.
    uint32_t ScreenPixel(int x, int y) {
        platform_->GetVideo().UploadPendingFrame();
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
        if (SDL_RenderReadPixels(platform_->Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                 kWidth * 4) != 0)
            return 0xDEADBEEF;
        return pixels[static_cast<size_t>(y) * kWidth + x] & 0xFFFFFF;
    }

    std::unique_ptr<SdlPlatform> platform_;
};

}  // namespace

TEST_F(SdlPlatformTest, FramesFromTheGameThreadReachTheScreen) {
    SdlApp& app = platform_->GetApp();
    SdlVideo& video = platform_->GetVideo();
    std::vector<uint32_t> seen;
    std::vector<std::string> errors;
    app.StartGameThread([&] {
        std::string error;
        // A 16-bit frame of the DrawDib kind: 555, rows bottom-up.
        if (!video.Open(VideoMode{VideoKind::DrawDib, kWidth, kHeight, 16, false}, &error))
            errors.push_back(error);
        std::vector<uint16_t> frame(static_cast<size_t>(kWidth) * kHeight, 0x7C00);  // red
        for (int x = 0; x < kWidth; ++x) frame[x] = 0x001F;  // the last row in memory is the bottom row: blue
        video.Present(FrameView{reinterpret_cast<const uint8_t*>(frame.data()), kWidth * 2, true});
        app.RunOnMain([&] {
            seen.push_back(ScreenPixel(10, 10));
            seen.push_back(ScreenPixel(10, kHeight - 1));
        });

        // An 8-bit frame through the palette.
        if (!video.Open(VideoMode{VideoKind::DrawDib, kWidth, kHeight, 8, false}, &error))
            errors.push_back(error);
        const PaletteColor colors[3] = {{0, 0, 0}, {0, 0, 0}, {0x20, 0xC0, 0x40}};
        video.SetPalette(colors);
        std::vector<uint8_t> paletted(static_cast<size_t>(kWidth) * kHeight, 2);
        video.Present(FrameView{paletted.data(), kWidth, false});
        app.RunOnMain([&] { seen.push_back(ScreenPixel(320, 240)); });

        // The lockable kind: 565, drawn through a lock and copied with a blit.
        if (!video.Open(VideoMode{VideoKind::DirectDraw, kWidth, kHeight, 16, false}, &error))
            errors.push_back(error);
        LockedSurface surface;
        if (video.Lock(&surface) == SurfaceResult::Ok) {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    reinterpret_cast<uint16_t*>(surface.pixels + y * surface.pitch)[x] = 0x07E0;  // green
            video.Unlock();
        }
        if (video.Blit() != SurfaceResult::Ok) errors.push_back("blit");
        app.RunOnMain([&] { seen.push_back(ScreenPixel(639, 479)); });
        app.ShowCursor(false);
        video.Close();
        app.PostQuit(5);
    });
    EXPECT_EQ(app.RunMainLoop(), 5);
    app.JoinGameThread();
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(video.PixelFormat(), 0);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], 0xFF0000u);
    EXPECT_EQ(seen[1], 0x0000FFu);
    EXPECT_EQ(seen[2], 0x20C040u);
    // Full 6-bit green; read as 555 it would have a red bit.
    EXPECT_EQ(seen[3] & 0xFF00FF, 0u);
    EXPECT_GE((seen[3] >> 8) & 0xFF, 0xF8u);
    EXPECT_EQ(video.FramesUploaded(), 3u);
}

TEST_F(SdlPlatformTest, EventsBecomeKeysCharactersWheelAndQuit) {
    SdlApp& app = platform_->GetApp();
    SdlInput& input = platform_->GetInput();
    std::vector<std::pair<int32_t, bool>> keys;
    std::vector<int> chars;
    app.SetKeyDownHandler([&](int32_t vk, bool alt) { keys.emplace_back(vk, alt); });
    app.SetCharHandler([&](uint8_t c, bool) { chars.push_back(c); });
    bool shiftSeen = false;
    bool clickSeen = false;
    PressWatch clicks;
    app.StartGameThread([&] {
        clicks.Look(input, VK_LBUTTON);
        auto key = [](uint32_t type, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod) {
            SDL_Event event{};
            event.type = type;
            event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.sym = sym;
            event.key.keysym.scancode = scancode;
            event.key.keysym.mod = mod | KMOD_NUM;
            SDL_PushEvent(&event);
        };
        key(SDL_KEYDOWN, SDLK_x, SDL_SCANCODE_X, KMOD_LALT);
        // The dummy driver's layout has a plain right Alt: it counts as Alt.
        key(SDL_KEYDOWN, SDLK_y, SDL_SCANCODE_Y, KMOD_RALT);
        key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, 0);
        key(SDL_KEYDOWN, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT);
        SDL_Event text{};
        text.type = SDL_TEXTINPUT;
        SDL_strlcpy(text.text.text, "\xC3\xA9", sizeof text.text.text);
        SDL_PushEvent(&text);
        SDL_Event wheel{};
        wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.y = 2;
        SDL_PushEvent(&wheel);
        // A click that is over before the game polls.
        for (uint32_t type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event click{};
            click.type = type;
            click.button.button = SDL_BUTTON_LEFT;
            click.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            SDL_PushEvent(&click);
        }
        // The main thread may serve a call before it has taken events pushed while it was busy: wait
        // until none of the pushed ones is left in the queue (each is handled as it is taken).
        bool pending = true;
        while (pending) {
            app.RunOnMain([&] {
                pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL) > 0;
            });
        }
        clickSeen = !input.MouseButtonDown(VK_LBUTTON) && clicks.Look(input, VK_LBUTTON);
        app.RunOnMain([&] { shiftSeen = input.KeyDown(VK_SHIFT); });
        key(SDL_KEYUP, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0);
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    EXPECT_EQ(app.RunMainLoop(), 0);
    app.JoinGameThread();
    EXPECT_EQ(keys, (std::vector<std::pair<int32_t, bool>>{
                        {'X', true}, {'Y', true}, {VK_RETURN, false}, {VK_SHIFT, false}}));
    EXPECT_EQ(chars, (std::vector<int>{13, 0xE9}));
    EXPECT_EQ(app.TakeWheelSum(), 240);
    EXPECT_TRUE(shiftSeen);
    EXPECT_TRUE(clickSeen);
    EXPECT_FALSE(clicks.Look(input, VK_LBUTTON));
    EXPECT_FALSE(input.KeyDown(VK_SHIFT));
}

// Full screen covers the display, even without a window manager to do it, and shows the picture
// scaled to it with its shape kept: a pointer position on the display comes back in picture pixels.
// Windowed is the picture's own size again.
TEST_F(SdlPlatformTest, FullScreenCoversTheDisplayKeepingThePicturesShapeAndWindowedIsThePicturesSize) {
    SdlApp& app = platform_->GetApp();
    SdlVideo& video = platform_->GetVideo();
    SdlInput& input = platform_->GetInput();
    SDL_Window* window = platform_->Window();
    SDL_Rect display{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
    std::string error;
    ASSERT_TRUE(video.Open(VideoMode{VideoKind::DrawDib, kWidth, kHeight, 16, true}, &error)) << error;
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, display.w);
    EXPECT_EQ(h, display.h);
    SDL_RenderGetLogicalSize(platform_->Renderer(), &w, &h);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    // Window positions of the display's centre and of a point a quarter in from the picture's
    // top-left corner, which lies as far in from the bars' inner edges.
    const float scale =
        std::min(static_cast<float>(display.w) / kWidth, static_cast<float>(display.h) / kHeight);
    const int barX = static_cast<int>((display.w - kWidth * scale) / 2);
    const int barY = static_cast<int>((display.h - kHeight * scale) / 2);
    const struct {
        int windowX, windowY, pictureX, pictureY;
    } points[] = {{display.w / 2, display.h / 2, kWidth / 2, kHeight / 2},
                  {barX + static_cast<int>(kWidth / 4 * scale), barY + static_cast<int>(kHeight / 4 * scale),
                   kWidth / 4, kHeight / 4}};
    std::vector<std::pair<int32_t, int32_t>> read;
    app.StartGameThread([&] {
        for (const auto& p : points) {
            SDL_Event motion{};
            motion.type = SDL_MOUSEMOTION;
            motion.motion.windowID = SDL_GetWindowID(window);
            motion.motion.x = p.windowX;
            motion.motion.y = p.windowY;
            SDL_PushEvent(&motion);
            // The main thread may serve a call before it has taken an event pushed while it was busy:
            // wait until the motion has left the queue (it is handled as it is taken).
            bool pending = true;
            while (pending) {
                app.RunOnMain([&] {
                    pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) > 0;
                });
            }
            read.emplace_back(input.Cursor().x, input.Cursor().y);
        }
        app.PostQuit(0);
    });
    EXPECT_EQ(app.RunMainLoop(), 0);
    app.JoinGameThread();
    ASSERT_EQ(read.size(), std::size(points));
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_NEAR(read[i].first, points[i].pictureX, 1) << i;
        EXPECT_NEAR(read[i].second, points[i].pictureY, 1) << i;
    }
    video.Close();
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
    ASSERT_TRUE(video.Open(VideoMode{VideoKind::DrawDib, kWidth, kHeight, 16, false}, &error)) << error;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, kWidth);
    EXPECT_EQ(h, kHeight);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_GT(video.Desktop().width, 0);
}

TEST_F(SdlPlatformTest, TheDriverAskedForCountsAsADisplayThroughTheInterface) {
    // The tests run on the dummy driver, named in SDL_VIDEODRIVER.
    const Platform& platform = *platform_;
    EXPECT_TRUE(platform.HasDisplay());
}
