#include "graphics/direction_to_frame.h"

#include <gtest/gtest.h>

#include "graphics/image.h"
#include "tests/support/read_bytes.h"
#include "tools/content/picture_builder.h"

namespace {

// A picture with n direction sub-images, sub-image i holding one frame with origin x = i.
std::unique_ptr<Image> Directions(int n) {
    std::vector<std::string> subs;
    for (int i = 0; i < n; ++i)
        subs.push_back(PictureBlock({FrameBlock({.width = 1, .height = 1, .originX = i, .pixels = {1}})}));
    return ReadBlockObject<Image>(PictureBlock(subs));
}

int EntryOf(Image* entry) {
    return entry->GetFrame(0)->OriginX();
}

}  // namespace

TEST(DirectionToFrame, PictureWithoutSubImagesIsItself) {
    auto picture = Directions(0);
    uint32_t orientation = 9;
    int32_t raw = -1;
    EXPECT_EQ(DirectionToFrame(3, 4, *picture, orientation, &raw), picture.get());
    EXPECT_EQ(orientation, 0u);
    EXPECT_EQ(raw, -1);
}

TEST(DirectionToFrame, OneSubImageTurnsForTheFourQuarters) {
    // The sub-image faces up; right, down and left are quarter turns clockwise.
    auto picture = Directions(1);
    uint32_t orientation = 9;
    EXPECT_EQ(DirectionToFrame(0, -1, *picture, orientation), picture->EntryAt(0));
    EXPECT_EQ(orientation, 0u);
    DirectionToFrame(1, 0, *picture, orientation);
    EXPECT_EQ(orientation, 1u);
    DirectionToFrame(0, 1, *picture, orientation);
    EXPECT_EQ(orientation, 2u);
    DirectionToFrame(-1, 0, *picture, orientation);
    EXPECT_EQ(orientation, 3u);
}

TEST(DirectionToFrame, TwoSubImagesCoverEightDirections) {
    auto picture = Directions(2);
    struct Case {
        int x, y;
        int entry;
        uint32_t orientation;
        int raw;
    };
    const Case cases[] = {{0, -1, 0, 0, 8}, {1, -1, 1, 0, 9}, {1, 0, 0, 1, 2},  {1, 1, 1, 1, 3},
                          {0, 1, 0, 2, 4},  {-1, 1, 1, 2, 5}, {-1, 0, 0, 3, 6}, {-1, -1, 1, 3, 7},
                          {0, 0, 0, 0, 0},  {30, 10, 0, 1, 2}};
    for (const Case& c : cases) {
        uint32_t orientation = 9;
        int32_t raw = -1;
        Image* entry = DirectionToFrame(c.x, c.y, *picture, orientation, &raw);
        EXPECT_EQ(EntryOf(entry), c.entry) << c.x << "," << c.y;
        EXPECT_EQ(orientation, c.orientation) << c.x << "," << c.y;
        EXPECT_EQ(raw, c.raw) << c.x << "," << c.y;
    }
}

TEST(DirectionToFrame, ExtremeHeadings) {
    auto picture = Directions(3);
    uint32_t orientation = 9;
    EXPECT_NE(DirectionToFrame(INT32_MIN, INT32_MAX, *picture, orientation), nullptr);
    EXPECT_LT(orientation, 4u);
    EXPECT_NE(DirectionToFrame(INT32_MAX, INT32_MIN, *picture, orientation), nullptr);
    EXPECT_LT(orientation, 4u);
}
