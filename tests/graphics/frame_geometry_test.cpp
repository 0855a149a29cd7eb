#include "graphics/frame_geometry.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/graphics/graphics_test_util.h"

namespace {

using Point = std::pair<int, int>;

// Every point around the placement where the hit test answers -1.
std::vector<Point> Hits(const Frame& frame, int x, int y, uint32_t orientation) {
    std::vector<Point> hits;
    for (int py = y - 6; py <= y + 6; ++py)
        for (int px = x - 6; px <= x + 6; ++px)
            if (Frame::HitTest(frame, x, y, orientation, px, py) == -1) hits.emplace_back(px, py);
    return hits;
}

}  // namespace

TEST(FrameGeometry, PlacementBoxForEveryCode) {
    auto frame = MakeFrame({.width = 10, .height = 20, .originX = 2, .originY = 3});
    struct Expected {
        uint32_t code;
        FrameBox box;
    };
    const Expected table[] = {{0, {98, 97, 10, 20}}, {1, {83, 98, 20, 10}}, {2, {92, 83, 10, 20}},
                              {3, {97, 92, 20, 10}}, {5, {92, 97, 10, 20}}, {6, {98, 83, 10, 20}}};
    for (const auto& e : table) {
        const FrameBox box = PlacementBox(*frame, 100, 100, e.code);
        EXPECT_EQ(box.left, e.box.left) << "code " << e.code;
        EXPECT_EQ(box.top, e.box.top) << "code " << e.code;
        EXPECT_EQ(box.width, e.box.width) << "code " << e.code;
        EXPECT_EQ(box.height, e.box.height) << "code " << e.code;
    }
    EXPECT_TRUE(PlacementBox(*frame, 100, 100, 4).Empty());
    EXPECT_TRUE(PlacementBox(*frame, 100, 100, 7).Empty());
}

TEST(FrameGeometry, HitTestFollowsTheTransformOfEveryCode) {
    // 3 x 2 with only the top-right pixel opaque; origin at the top-left pixel.
    auto frame =
        MakeFrame({.width = 3, .height = 2, .flags = kFrameTransparent, .pixels = {0, 0, 9, 0, 0, 0}});
    EXPECT_EQ(Hits(*frame, 0, 0, 0), (std::vector<Point>{{2, 0}}));
    EXPECT_EQ(Hits(*frame, 0, 0, 1), (std::vector<Point>{{-1, 2}}));   // clockwise: to the bottom right
    EXPECT_EQ(Hits(*frame, 0, 0, 2), (std::vector<Point>{{-3, -1}}));  // half turn: bottom left
    EXPECT_EQ(Hits(*frame, 0, 0, 3), (std::vector<Point>{{0, -3}}));   // counter-clockwise: top left
    EXPECT_EQ(Hits(*frame, 0, 0, 5), (std::vector<Point>{{-3, 0}}));   // mirrored: top left
    EXPECT_EQ(Hits(*frame, 0, 0, 6), (std::vector<Point>{{2, -1}}));   // flipped: bottom right
    EXPECT_TRUE(Hits(*frame, 0, 0, 4).empty());
    EXPECT_TRUE(Hits(*frame, 0, 0, 9).empty());
}

TEST(FrameGeometry, HitTestOverTransparentPixelDependsOnFlag) {
    auto opaque = MakeFrame({.width = 3, .height = 2, .originX = 1, .originY = 1, .pixels = {0, 0, 9}});
    auto seeThrough = MakeFrame({.width = 3,
                                 .height = 2,
                                 .originX = 1,
                                 .originY = 1,
                                 .flags = kFrameTransparent,
                                 .pixels = {0, 0, 9}});
    // Box (9, 9) 3 x 2; (9, 9) shows the transparent pixel (0, 0).
    EXPECT_EQ(Frame::HitTest(*opaque, 10, 10, 0, 9, 9), -1);
    EXPECT_EQ(Frame::HitTest(*seeThrough, 10, 10, 0, 9, 9), 0);
    EXPECT_EQ(Frame::HitTest(*seeThrough, 10, 10, 0, 11, 9), -1);
    // Just outside the box on each side.
    EXPECT_EQ(Frame::HitTest(*opaque, 10, 10, 0, 8, 9), 0);
    EXPECT_EQ(Frame::HitTest(*opaque, 10, 10, 0, 12, 9), 0);
    EXPECT_EQ(Frame::HitTest(*opaque, 10, 10, 0, 9, 11), 0);
    EXPECT_EQ(Frame::HitTest(*opaque, 10, 10, 0, 9, 8), 0);
}

TEST(FrameGeometry, HitTestReadsSixteenBitPixels) {
    // The low byte of 0x0100 is 0: the pixel must be read whole.
    auto frame = MakeFrame(
        {.width = 2, .height = 1, .bitsPerPixel = 16, .flags = kFrameTransparent, .pixels = {0x0100, 0}});
    EXPECT_EQ(Frame::HitTest(*frame, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(Frame::HitTest(*frame, 0, 0, 0, 1, 0), 0);
}

TEST(FrameCollision, BoxesTouchingAtAnEdgeDoNotCollide) {
    auto a = MakeFrame({.width = 2, .height = 2, .pixels = {1, 1, 1, 1}});
    auto b = MakeFrame({.width = 2, .height = 2, .pixels = {1, 1, 1, 1}});
    int32_t cx = -7, cy = -7;
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, 2, 0, 0, cx, cy), 0);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, 0, 2, 0, cx, cy), 0);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, -2, -2, 0, cx, cy), 0);
    EXPECT_EQ(cx, -7);
    EXPECT_EQ(cy, -7);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, 1, 1, 0, cx, cy), -1);
    EXPECT_EQ(cx, 1);
    EXPECT_EQ(cy, 1);
}

TEST(FrameCollision, TransparentPixelsNeverCollide) {
    auto ring = MakeFrame({.width = 3, .height = 3, .pixels = {1, 1, 1, 1, 0, 1, 1, 1, 1}});
    auto dot = MakeFrame({.width = 1, .height = 1, .pixels = {5}});
    int32_t cx = 0, cy = 0;
    EXPECT_EQ(Frame::Collides(*ring, 0, 0, 0, *dot, 1, 1, 0, cx, cy), 0);
    EXPECT_EQ(Frame::Collides(*ring, 0, 0, 0, *dot, 2, 1, 0, cx, cy), -1);
    EXPECT_EQ(cx, 2);
    EXPECT_EQ(cy, 1);
    // An alpha mask does not take part: pixels alone decide.
    auto masked = MakeFrame(
        {.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {0x7FFF}, .mask = std::vector<uint8_t>{0}});
    ASSERT_NE(masked->Mask(), nullptr);
    auto wide = MakeFrame({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {0x001F}});
    EXPECT_EQ(Frame::Collides(*masked, 4, 4, 0, *wide, 4, 4, 0, cx, cy), -1);
}

TEST(FrameCollision, FirstCommonPixelRowByRow) {
    auto full = MakeFrame({.width = 3, .height = 3, .pixels = {1, 1, 1, 1, 1, 1, 1, 1, 1}});
    auto two = MakeFrame({.width = 3, .height = 3, .pixels = {0, 0, 0, 1, 0, 0, 0, 0, 1}});
    int32_t cx = 0, cy = 0;
    EXPECT_EQ(Frame::Collides(*full, 10, 10, 0, *two, 10, 10, 0, cx, cy), -1);
    EXPECT_EQ(cx, 10);
    EXPECT_EQ(cy, 11);
}

TEST(FrameCollision, OrientationMovesThePixels) {
    // Opaque only at its first column; mirrored left to right that column lands on x - 1.
    auto a = MakeFrame({.width = 3, .height = 1, .pixels = {5, 0, 0}});
    auto b = MakeFrame({.width = 1, .height = 1, .pixels = {1}});
    int32_t cx = 0, cy = 0;
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, -1, 0, 0, cx, cy), 0);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 5, *b, -1, 0, 0, cx, cy), -1);
    EXPECT_EQ(cx, -1);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 4, *b, 0, 0, 0, cx, cy), 0);
    EXPECT_EQ(Frame::Collides(*a, 0, 0, 0, *b, 0, 0, 8, cx, cy), 0);
}

TEST(FrameCollision, EachFrameIsReadAtItsOwnDepth) {
    int32_t cx = 0, cy = 0;
    // 16-bit 0x0100 has a zero low byte; read as 8-bit it would look transparent.
    auto index = MakeFrame({.width = 1, .height = 1, .pixels = {3}});
    auto colour = MakeFrame({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {0x0100}});
    EXPECT_EQ(Frame::Collides(*index, 0, 0, 0, *colour, 0, 0, 0, cx, cy), -1);
    // Read as 16-bit, the 8-bit pair {0, 7} would look opaque at column 0.
    auto colours = MakeFrame({.width = 2, .height = 1, .bitsPerPixel = 16, .pixels = {0x0001, 0x0001}});
    auto indices = MakeFrame({.width = 2, .height = 1, .pixels = {0, 7}});
    EXPECT_EQ(Frame::Collides(*colours, 0, 0, 0, *indices, 0, 0, 0, cx, cy), -1);
    EXPECT_EQ(cx, 1);
}

TEST(FrameGeometry, RowStrideIsPaddedToFourBytes) {
    EXPECT_EQ(RowBytes(3), 4u);
    EXPECT_EQ(RowBytes(6), 8u);
    EXPECT_EQ(RowBytes(4), 4u);
    EXPECT_EQ(RowBytes(0), 0u);
    EXPECT_EQ(MakeFrame({.width = 3, .height = 1})->Stride(), 4u);
    EXPECT_EQ(MakeFrame({.width = 3, .height = 1, .bitsPerPixel = 16})->Stride(), 8u);
}
