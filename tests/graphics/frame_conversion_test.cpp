#include <gtest/gtest.h>

#include "foundation/exceptions.h"
#include "tests/graphics/graphics_test_util.h"

namespace {

std::unique_ptr<Frame> Colours(std::vector<uint16_t> pixels, uint32_t flags = 0) {
    const auto width = static_cast<uint32_t>(pixels.size());
    return MakeFrame(
        {.width = width, .height = 1, .bitsPerPixel = 16, .flags = flags, .pixels = std::move(pixels)});
}

}  // namespace

TEST(FrameConversion, FiveFiveFiveToFiveSixFiveAndBack) {
    auto frame = Colours({0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x8000, 0});
    frame->ConvertTo565();
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0xFFDF, 0x001F, 0x07C0, 0xF800, 0, 0}));
    EXPECT_NE(frame->Flags() & kFrame565, 0u);
    // Already converted: nothing changes.
    frame->ConvertTo565();
    EXPECT_EQ(Pixels(*frame)[0], 0xFFDFu);
    frame->ConvertTo555();
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0x7FFF, 0x001F, 0x03E0, 0x7C00, 0, 0}));
    EXPECT_EQ(frame->Flags() & kFrame565, 0u);
    frame->ConvertTo555();
    EXPECT_EQ(Pixels(*frame)[0], 0x7FFFu);
}

TEST(FrameConversion, FiveSixFiveLosesTheLowestGreenBit) {
    auto frame = Colours({0xFFFF, 0x0020}, kFrame565);
    frame->ConvertTo555();
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0x7FFF, 0}));
}

TEST(FrameConversion, SixteenBitConversionsLeaveIndexFramesAlone) {
    auto frame = MakeFrame({.width = 2, .height = 1, .pixels = {0xFF, 0x20}});
    frame->ConvertTo565();
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0xFF, 0x20}));
    EXPECT_EQ(frame->Flags() & kFrame565, 0u);
}

TEST(FrameConversion, ExpandThroughPalette) {
    auto palette = MakePalette({{0, 0, 0}, {0xFF, 0x80, 0x08}, {0x07, 0x07, 0x07}, {0x10, 0x20, 0x30}});
    auto frame = MakeFrame({.width = 5,
                            .height = 2,
                            .originX = 4,
                            .flags = kFrameTransparent,
                            .pixels = {1, 0, 2, 3, 1, 3, 3, 3, 3, 0}});
    frame->ExpandTo16(palette.get());
    EXPECT_EQ(frame->BitsPerPixel(), 16u);
    EXPECT_EQ(frame->Stride(), 12u);
    EXPECT_EQ(frame->PayloadSize(), 24u);
    EXPECT_EQ(frame->OriginX(), 4);
    // (0xFF, 0x80, 0x08) -> 31, 16, 1; (7, 7, 7) has no top bits and turns transparent.
    const uint32_t c3 = (0x10 >> 3) << 10 | (0x20 >> 3) << 5 | (0x30 >> 3);
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0x7E01, 0, 0, c3, 0x7E01, c3, c3, c3, c3, 0}));
    // A 16-bit frame stays as it is.
    frame->ExpandTo16(palette.get());
    EXPECT_EQ(frame->PayloadSize(), 24u);
}

TEST(FrameConversion, ExpandWithoutColourGivesZero) {
    auto palette = MakePalette({{0, 0, 0}, {0xFF, 0xFF, 0xFF}});
    auto beyond = MakeFrame({.width = 3, .height = 1, .pixels = {1, 2, 255}});
    beyond->ExpandTo16(palette.get());
    EXPECT_EQ(Pixels(*beyond), (std::vector<uint32_t>{0x7FFF, 0, 0}));
    auto none = MakeFrame({.width = 2, .height = 1, .pixels = {1, 2}});
    none->ExpandTo16(nullptr);
    EXPECT_EQ(none->BitsPerPixel(), 16u);
    EXPECT_EQ(Pixels(*none), (std::vector<uint32_t>{0, 0}));
}

TEST(FrameConversion, RemapBetweenIdenticalPalettesKeepsIndices) {
    const std::vector<Rgb> colours = {{0, 0, 0}, {10, 20, 30}, {200, 0, 0}, {10, 20, 30}, {0, 0, 255}};
    auto from = MakePalette(colours);
    auto to = MakePalette(colours);
    auto frame = MakeFrame({.width = 5, .height = 1, .pixels = {0, 1, 2, 3, 4}});
    frame->Remap(from.get(), to.get());
    // Entry 3 has the colour of entry 1, which is found first.
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{0, 1, 2, 1, 4}));
}

TEST(FrameConversion, RemapDiffusesErrorAlongRowsAndColumns) {
    auto from = MakePalette({{0, 0, 0}, {128, 128, 128}, {1, 1, 1}});
    auto to = MakePalette({{0, 0, 0}, {64, 64, 64}, {192, 192, 192}});
    auto frame = MakeFrame({.width = 4, .height = 2, .pixels = {1, 1, 1, 1, 1, 1, 1, 1}});
    frame->Remap(from.get(), to.get());
    // Row 0: 128 ties (first wins: 64), error 32 -> 160 -> 192, error -16 -> 112 -> 64 ...
    // Row 1 starts with the column errors of row 0 and so alternates the other way.
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{1, 2, 1, 2, 2, 1, 2, 1}));
}

TEST(FrameConversion, TransparentPixelStopsTheError) {
    auto from = MakePalette({{0, 0, 0}, {128, 128, 128}});
    auto to = MakePalette({{0, 0, 0}, {64, 64, 64}, {192, 192, 192}});
    auto frame = MakeFrame({.width = 3, .height = 1, .pixels = {1, 0, 1}});
    frame->Remap(from.get(), to.get());
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{1, 0, 1}));
}

TEST(FrameConversion, RemapIsBoundedByBothPalettes) {
    auto from = MakePalette({{0, 0, 0}, {250, 250, 250}, {10, 10, 10}, {255, 255, 255}});
    auto to = MakePalette({{0, 0, 0}, {255, 255, 255}});
    auto frame = MakeFrame({.width = 4, .height = 1, .pixels = {1, 2, 3, 5}});
    frame->Remap(from.get(), to.get());
    // 250 -> 1 (error -2); 10 - 2 -> entry 0, so a visible pixel may turn transparent; 255 + 4 -> 1;
    // index 5 lies past the source palette and has no colour.
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{1, 0, 1, 0}));

    // The other way round only as many entries as the source has are searched: 3 is never chosen.
    auto back = MakeFrame({.width = 1, .height = 1, .pixels = {1}});
    auto many = MakePalette({{0, 0, 0}, {9, 9, 9}, {90, 90, 90}, {250, 250, 250}});
    back->Remap(to.get(), many.get());
    EXPECT_EQ(Pixels(*back), (std::vector<uint32_t>{1}));
}

TEST(FrameConversion, RemapRefusesPalettesOfAnotherDimension) {
    auto from = MakePalette({{0, 0, 0}, {1, 2, 3}}, 1);
    auto to = MakePalette({{0, 0, 0}, {9, 9, 9}}, 2);
    auto frame = MakeFrame({.width = 2, .height = 1, .pixels = {1, 1}});
    try {
        frame->Remap(from.get(), to.get());
        FAIL() << "no exception";
    } catch (const WarnExep& e) {
        EXPECT_EQ(e.message, "Unable to convert palette, because of different palettes dimension.");
    }
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{1, 1}));
    // A null palette or a 16-bit frame: nothing at all happens.
    frame->Remap(nullptr, to.get());
    auto colour = Colours({0x1234});
    colour->Remap(from.get(), to.get());
    EXPECT_EQ(Pixels(*colour), (std::vector<uint32_t>{0x1234}));
}

TEST(FrameConversion, ReduceSixteenBitsWithErrorDiffusion) {
    auto to = MakePalette({{0, 0, 0}, {64, 64, 64}, {192, 192, 192}});
    // 0x4210 is 16/16/16 in 5-5-5, read as 128/128/128.
    auto frame = MakeFrame({.width = 3,
                            .height = 2,
                            .bitsPerPixel = 16,
                            .flags = kFrame565,
                            .pixels = {0x4210, 0x4210, 0x4210, 0x4210, 0, 0x4210}});
    frame->ReduceToPalette(nullptr, to.get());
    EXPECT_EQ(frame->BitsPerPixel(), 8u);
    EXPECT_EQ(frame->Stride(), 4u);
    EXPECT_EQ(frame->PayloadSize(), 8u);
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{1, 2, 1, 2, 0, 2}));
}

TEST(FrameConversion, ReduceEightBitsRemapsAndOtherDepthsFail) {
    auto from = MakePalette({{0, 0, 0}, {250, 0, 0}, {1, 1, 1}});
    auto to = MakePalette({{0, 0, 0}, {0, 0, 250}, {255, 0, 0}});
    auto frame = MakeFrame({.width = 1, .height = 1, .pixels = {1}});
    frame->ReduceToPalette(from.get(), to.get());
    EXPECT_EQ(Pixels(*frame), (std::vector<uint32_t>{2}));

    auto colour = Colours({0x7FFF});
    colour->ReduceToPalette(nullptr, nullptr);
    EXPECT_EQ(colour->BitsPerPixel(), 16u);

    Frame odd;
    odd.SetGeometry(2, 2, 24);
    try {
        odd.ReduceToPalette(from.get(), to.get());
        FAIL() << "no exception";
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message, "Unsupported mode");
    }
    EXPECT_EQ(odd.BitsPerPixel(), 24u);
}

TEST(FrameConversion, NearestColour) {
    auto palette = MakePalette({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 0, 0}});
    EXPECT_EQ(FindNearestColour(palette.get(), 10, 0, 0), 1u);
    EXPECT_EQ(FindNearestColour(palette.get(), 5, 5, 0), 0u);  // three ties, the first wins
    EXPECT_EQ(FindNearestColour(palette.get(), 0, 9, 1), 2u);
    EXPECT_EQ(FindNearestColour(palette.get(), 255, 255, 255), 1u);
    EXPECT_EQ(FindNearestColour(nullptr, 1, 2, 3), 0u);
    PaletteBlock empty;
    EXPECT_EQ(FindNearestColour(&empty, 1, 2, 3), 0u);
    // A copy of a plain block of the palette layout.
    const DataBlock& plain = *palette;
    PaletteBlock copy(plain);
    EXPECT_EQ(copy.Count(), 4u);
    EXPECT_EQ(FindNearestColour(&copy, 0, 9, 1), 2u);
}
