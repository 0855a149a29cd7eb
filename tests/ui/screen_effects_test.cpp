#include "ui/screen_effects.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "tests/ui/dialog_fixture.h"

namespace {

// A 3x2 surface of one depth and format, every pixel set to one value.
struct SmallScreen {
    SmallScreen(int depth, int format, uint16_t pixel) {
        settings.SetMode(static_cast<uint16_t>(depth), 3, 2);
        settings.pixelFormat = format;
        surface = std::make_unique<MemorySurface>(&settings, nullptr, 4);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x) {
                if (depth == 16) {
                    std::memcpy(surface->PixelAddress(x, y), &pixel, 2);
                } else {
                    *surface->PixelAddress(x, y) = static_cast<uint8_t>(pixel);
                }
            }
    }
    uint16_t At(int32_t x, int32_t y) const {
        uint16_t p = 0;
        std::memcpy(&p, surface->PixelAddress(x, y), surface->BytesPerPixel());
        return p;
    }
    ScreenSettingsBlock settings;
    std::unique_ptr<MemorySurface> surface;
};

TEST(FadeSurfaceTest, ScalesEachChannelInItsOwnField) {
    struct Case {
        int depth;
        int format;
        uint16_t in;
        int32_t level;
        uint16_t out;
    };
    const Case cases[] = {
        {16, 565, 0xFFFF, 256, 0xFFFF},
        {16, 565, 0xFFFF, 0, 0x0000},
        {16, 565, 0xFFFF, 128, 0x7BEF},
        {16, 555, 0x7FFF, 128, 0x3DEF},
        {16, 555, 0x7FFF, 256, 0x7FFF},
        {16, 555, 0x0421, 128, 0x0000},
        {16, 565, 0x0841, 64, 0x0000},
        {16, 565, 0xF800, 192, 0xB800},
        // A level a script wrote beyond the range is held to it.
        {16, 565, 0xFFFF, 100000, 0xFFFF},
        {16, 565, 0xFFFF, -5, 0x0000},
        // 8-bit screens are not faded.
        {8, 0, 0x00AB, 0, 0x00AB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.format << " " << std::hex << c.in << " level " << std::dec << c.level);
        SmallScreen screen(c.depth, c.format, c.in);
        FadeSurface(*screen.surface, c.level);
        EXPECT_EQ(screen.At(0, 0), c.out);
        EXPECT_EQ(screen.At(2, 1), c.out);
    }
}

using ScreenEffectTest = DialogFixture;

struct FadeState {
    int32_t framesLeft, level, levelStep, state;
};

FadeState StateOf(ScriptObject* object) {
    ScreenEffectObject& fade = ScreenEffectObject::Of(object, kFadeFieldCount);
    return {fade.Int(kFadeFramesLeft), fade.Int(kFadeLevel), fade.Int(kFadeLevelStep),
            fade.Int(kEffectState)};
}

TEST_F(ScreenEffectTest, FadeStepsCountDownMoveTheLevelAndFinish) {
    struct Case {
        const char* name;
        FadeState before;  // framesLeft, level, levelStep
        FadeState after;
    };
    const Case cases[] = {
        {"last frame", {1, 100, 50, 0}, {0, 100, 50, kEffectFinished}},
        {"fading in", {5, 100, 50, 0}, {4, 150, 50, kEffectRunning}},
        {"held at full", {5, 240, 50, 0}, {4, 256, 50, kEffectRunning}},
        {"held at black", {5, 10, -50, 0}, {4, 0, -50, kEffectRunning}},
        {"one stays", {5, 10, -9, 0}, {4, 1, -9, kEffectRunning}},
        {"no overflow of the count", {INT_MIN, 0, 0, 0}, {INT_MIN, 0, 0, kEffectFinished}},
        {"no overflow of the level", {5, INT_MAX, INT_MAX, 0}, {4, 256, INT_MAX, kEffectRunning}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject fade = game.New(
            "FadeEffect", {static_cast<uint32_t>(c.before.framesLeft), static_cast<uint32_t>(c.before.level),
                           static_cast<uint32_t>(c.before.levelStep)});
        game.CallVirtual(fade.get(), 2, {7});
        const FadeState s = StateOf(fade.get());
        EXPECT_EQ(s.framesLeft, c.after.framesLeft);
        EXPECT_EQ(s.level, c.after.level);
        EXPECT_EQ(s.levelStep, c.after.levelStep);
        EXPECT_EQ(s.state, c.after.state);
    }
}

TEST_F(ScreenEffectTest, NativesHandOutTheFieldsAndTheBaseDoesNothing) {
    GameObject fade = game.New("FadeEffect", {9, 200, 3});
    const struct {
        uint32_t native;
        uint32_t field;
    } refs[] = {{4, kEffectState}, {5, kFadeFramesLeft}, {6, kFadeLevel}, {7, kFadeLevelStep}};
    for (const auto& r : refs) {
        const std::vector<uint32_t> got = game.CallMethod(fade.get(), r.native);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], ScreenEffectObject::Of(fade.get()).OwnAddress(r.field)) << r.native;
    }
    *FromScript<int32_t>(game.CallMethod(fade.get(), 6).at(0)) = 17;
    EXPECT_EQ(StateOf(fade.get()).level, 17);

    GameObject plain = game.New("ScreenEffect");
    game.CallVirtual(plain.get(), 2, {1});
    game.CallVirtual(plain.get(), 7);
    EXPECT_EQ(ScreenEffectObject::Of(plain.get()).State(), kEffectRunning);
    // The fade's natives refuse an object without the fade's fields.
    EXPECT_THROW(game.CallMethod(plain.get(), game.Class("FadeEffect"), 6), FatalExep);
}

TEST_F(ScreenEffectTest, AWindowAppliesAndStepsEveryRunningEffectAndDropsFinishedOnes) {
    auto window = NewWindow();
    GameObject first = game.New("FadeEffect", {1, 256, 0});
    GameObject second = game.New("FadeEffect", {5, 128, 0});
    const uint32_t firstAddress = first->Address();
    ScriptObject* kept = second.get();
    window->AddEffect(first.release(), kListOwned);
    window->AddEffect(second.release(), kNeverOwned);
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventAfterDraw) game.Screen().Surface()->Fill(0xFFFF);
        if (e.code == kEventAfterDraw && w.EffectCount() == 2) return;
        if (e.code == kEventPointer && Only(kEventAfterDraw).size() == 1) w.SetResult(0);
    };
    Run(*window);
    // The first finished at its first step and went; the second was applied and stepped all the same.
    EXPECT_EQ(window->EffectCount(), 1u);
    EXPECT_EQ(FindScriptHandle(firstAddress, HandleFamily::kScriptObject, 0), nullptr);
    EXPECT_EQ(StateOf(kept).framesLeft, 4);
    uint16_t pixel = 0;
    std::memcpy(&pixel, game.Screen().Surface()->PixelAddress(5, 5), 2);
    EXPECT_EQ(pixel, ScreenSettings().pixelFormat == 555 ? 0x3DEF : 0x7BEF);
    window->ClearEffects();
    DestroyObject(kept);
}

TEST_F(ScreenEffectTest, AnEffectAScriptDeletedLeavesTheWindowsList) {
    auto window = NewWindow();
    GameObject fade = game.New("FadeEffect", {5, 128, 0});
    ScriptObject* effect = fade.release();
    window->AddEffect(effect, kListOwned);
    DestroyObject(effect);
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventAfterDraw) w.SetResult(0);
    };
    Run(*window);
    EXPECT_EQ(window->EffectCount(), 0u);
}

}  // namespace
