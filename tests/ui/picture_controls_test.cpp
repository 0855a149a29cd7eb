#include "ui/picture_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/frame.h"
#include "graphics/image.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/support/read_bytes.h"
#include "tests/ui/control_fixture.h"
#include "tools/content/picture_builder.h"

namespace {

// A picture of frames of the given widths, all 1 pixel high except the first (height 6).
std::unique_ptr<Image> Pieces(const std::vector<uint32_t>& widths) {
    std::vector<std::string> frames;
    for (size_t i = 0; i < widths.size(); ++i)
        frames.push_back(FrameBlock({.width = widths[i], .height = i == 0 ? 6u : 1u}));
    return ReadBlockObject<Image>(PictureBlock(frames));
}

class PictureControlTest : public ControlFixture {
  protected:
    PicturesSetControlObject& Set(int32_t x, int32_t y) {
        return PicturesSetControlObject::Of(&Make("PicturesSetControl", {uint32_t(x), uint32_t(y), 5}));
    }
    DButtonObject& Button(const Image& picture, int32_t x, int32_t y, int32_t width, uint32_t caption) {
        return dynamic_cast<DButtonObject&>(
            Make("Button", {picture.Address(), uint32_t(x), uint32_t(y), uint32_t(width), caption, 9}));
    }
    ControlObject& Framed(const char* cls, int32_t x, int32_t y, int32_t w, int32_t h) {
        return Make(cls, {uint32_t(x), uint32_t(y), uint32_t(w), uint32_t(h), 4});
    }
};

TEST_F(PictureControlTest, PictureSetDrawsEachEntryAtItsOffset) {
    auto a = Pieces({2});
    auto b = Pieces({3});
    auto c = Pieces({4});
    ControlObject& parent = Make("Control", {0, 100, 200, 1});
    PicturesSetControlObject& set = Set(10, 20);
    set.SetParent(&parent);
    Call(set, 21, {7, 5, a->Address()});  // pops image, dx, dy
    Call(set, 21, {-7u, -5u, b->Address()});
    Call(set, 21, {0, 0, c->Address()});
    EXPECT_EQ(Visual::CallEvent7(&set), 3u);
    RecordingBuffer buffer(nullptr);
    set.Draw(buffer);
    using F = RecordingBuffer::FrameCall;
    EXPECT_EQ(buffer.frames, (std::vector<F>{{a->GetFrame(0), 115, 227, 0, 0},
                                             {b->GetFrame(0), 105, 213, 0, 0},
                                             {c->GetFrame(0), 110, 220, 0, 0}}));
    int32_t x = 0, y = 0;
    uint32_t orientation = 9;
    EXPECT_EQ(Visual::CallEvent8(&set, 5, x, y, orientation),
              c->GetFrame(0)->Address());  // 5 of 3: the last
    EXPECT_EQ(x, 10);
    EXPECT_EQ(orientation, 0u);
    EXPECT_TRUE(set.HitTest(105, 213));
    EXPECT_FALSE(set.HitTest(10, 20));

    for (int k = 0; k < 4; ++k) Call(set, 22);  // the fourth finds the set empty and does nothing
    EXPECT_EQ(set.PictureEntryCount(), 0u);
    RecordingBuffer empty(nullptr);
    set.Draw(empty);
    EXPECT_TRUE(empty.frames.empty());
    EXPECT_NE(ErrorMessage([&] { Visual::CallEvent8(&set, 0, x, y, orientation); }), "no error");
    EXPECT_NE(ErrorMessage([&] { Call(set, 21, {0, 0, set.Address()}); }), "no error");  // not a picture
}

TEST_F(PictureControlTest, ButtonMiddlePiecesFillItsWidth) {
    auto picture = Pieces({4, 3, 5});  // left 4, middle 3, right 5 wide; 6 high
    const struct {
        int32_t width;
        size_t middles;
    } cases[] = {{9, 0}, {14, 1}, {15, 2}, {8, 0}, {0, 0}, {-100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        DButtonObject& button = Button(*picture, 10, 20, c.width, Text("OK"));
        RecordingBuffer buffer(nullptr);
        TestScreen screen({16, 565, false}, 320, 200);
        buffer.SetSurface(&screen.Surface());
        buffer.SetFont(&FontNamed("StaticText"));
        const Rect before = buffer.Clip();
        button.Draw(buffer);
        ASSERT_EQ(buffer.frames.size(), c.middles + 2);
        // Left piece at (x + w0 / 2, y + h0 / 2), middles after it, the right piece last.
        EXPECT_EQ(std::get<1>(buffer.frames.front()), 12);
        EXPECT_EQ(std::get<2>(buffer.frames.front()), 23);
        EXPECT_EQ(std::get<1>(buffer.frames.back()), 16 + 3 * static_cast<int32_t>(c.middles));
        EXPECT_EQ(buffer.Clip(), before);
        ASSERT_FALSE(buffer.calls.empty());
        EXPECT_EQ(std::get<0>(buffer.calls.back()), "OK");
        EXPECT_EQ(std::get<3>(buffer.calls.back()), Colour(1));
    }
}

TEST_F(PictureControlTest, ButtonOfHugeWidthStopsAtTheClip) {
    auto picture = Pieces({4, 1, 5});
    DButtonObject& button = Button(*picture, 0, 0, INT32_MAX, Text("Wide"));
    RecordingBuffer buffer(nullptr);
    TestScreen screen({16, 565, false}, 64, 16);
    buffer.SetSurface(&screen.Surface());
    button.Draw(buffer);
    EXPECT_LT(buffer.frames.size(), 80u);
}

TEST_F(PictureControlTest, ButtonKeepsItsOwnCaptionAndHitBox) {
    auto picture = Pieces({4, 3, 5});
    const uint32_t caption = Text("Start");
    DButtonObject& button = Button(*picture, 10, 20, 30, caption);
    FromScript<char>(caption)[0] = 'X';  // the script's text changes after creation
    EXPECT_EQ(button.Caption(), String("Start"));
    const struct {
        int32_t x, y;
        bool hit;
    } points[] = {{10, 20, true}, {39, 25, true}, {40, 20, false}, {10, 26, false}, {9, 20, false}};
    for (auto p : points) EXPECT_EQ(button.HitTest(p.x, p.y), p.hit) << p.x << "," << p.y;
    // Frame indexes are clamped by the picture: the last frame stands in for missing pieces; a
    // picture without frames is an engine error.
    auto two = Pieces({4, 3});
    RecordingBuffer buffer(nullptr);
    Button(*two, 0, 0, 30, caption).Draw(buffer);
    EXPECT_EQ(std::get<0>(buffer.frames.back()), two->GetFrame(1));
    auto none = Pieces({});
    DButtonObject& broken = Button(*none, 0, 0, 30, caption);
    EXPECT_NE(ErrorMessage([&] { broken.Draw(buffer); }), "no error");
    EXPECT_FALSE(broken.HitTest(0, 0));
}

// Draws the panel it is asked for and remembers that it was asked.
class PanelRecordingBuffer : public ScreenBuffer {
  public:
    using ScreenBuffer::ScreenBuffer;
    void DrawPanel(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border) override {
        panels.push_back({x1, y1, x2, y2});
        ScreenBuffer::DrawPanel(x1, y1, x2, y2, fill, border);
    }
    std::vector<Rect> panels;
};

TEST_F(PictureControlTest, RectangleIsASeeThroughPanelAndHitsItsBox) {
    ControlObject& parent = Make("Control", {0, 2, 1, 1});
    ControlObject& rect = Framed("RectangleControl", 3, 4, 6, 5);
    rect.SetParent(&parent);
    // The fixture's fill is Colour(4) = 0x4444, its edge Colour(5) = 0x5555. Inside, 16-bit screens
    // keep a quarter of what was there under three quarters of the fill; 8-bit ones show the fill.
    const struct {
        ScreenKind kind;
        uint32_t under;
        uint32_t inside;
        uint32_t edge;
    } cases[] = {
        {{16, 565, false}, 0x7777, 0x4CC8, 0x5555}, {{16, 565, true}, 0xFFFF, 0x6CCA, 0x5555},
        {{16, 565, false}, 0x0000, 0x3303, 0x5555}, {{16, 555, false}, 0xFFFF, 0x4CEA, 0x5555},
        {{16, 555, true}, 0x0000, 0x3003, 0x5555},  {{8, 0, false}, 0x07, 0x44, 0x55},
        {{8, 0, true}, 0xF0, 0x44, 0x55},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(KindName(c.kind) + " under " + std::to_string(c.under));
        TestScreen screen(c.kind, 16, 16);
        screen.Fill(c.under);
        PanelRecordingBuffer buffer(screen.Buffer().Colours());
        buffer.SetSurface(&screen.Surface());
        rect.Draw(buffer);
        EXPECT_EQ(buffer.panels, (std::vector<Rect>{{5, 5, 11, 10}}));
        EXPECT_EQ(screen.At(5, 5), c.edge);
        EXPECT_EQ(screen.At(10, 9), c.edge);
        EXPECT_EQ(screen.At(6, 6), c.inside);
        EXPECT_EQ(screen.At(9, 8), c.inside);
        EXPECT_EQ(screen.At(4, 4), c.under);
        EXPECT_EQ(screen.At(11, 10), c.under);
    }
    const struct {
        int32_t x, y;
        bool hit;
    } points[] = {{5, 5, true}, {10, 9, true}, {11, 9, false}, {10, 10, false}, {4, 5, false}};
    for (auto p : points) EXPECT_EQ(rect.HitTest(p.x, p.y), p.hit) << p.x << "," << p.y;
}

TEST_F(PictureControlTest, OpenerNarrowsAndCloserRestoresTheClip) {
    TestScreen screen({16, 565, false}, 100, 100);
    ScreenBuffer& buffer = screen.Buffer();
    buffer.SetOrigin(1, 2);
    const Rect full = buffer.Clip();
    ControlObject& opener = Framed("OpenWindowControl", 10, 20, 30, 40);
    ControlObject& closer = Make("CloseWindowControl", {opener.Address(), 6});
    EXPECT_EQ(closer.AbsoluteX(), 0);
    EXPECT_FALSE(opener.HitTest(15, 25));
    EXPECT_FALSE(closer.HitTest(0, 0));

    opener.Draw(buffer);
    EXPECT_EQ(buffer.Clip(), (Rect{11, 22, 41, 62}));
    buffer.SetOrigin(50, 50);
    closer.Draw(buffer);
    EXPECT_EQ(buffer.Clip(), full);
    EXPECT_EQ(buffer.OriginX(), 1);
    EXPECT_EQ(buffer.OriginY(), 2);

    // A closer whose opener was not drawn yet puts back the state saved at creation: all zero.
    ControlObject& fresh = Framed("OpenWindowControl", 0, 0, 5, 5);
    ControlObject& early = Make("CloseWindowControl", {fresh.Address(), 6});
    early.Draw(buffer);
    EXPECT_TRUE(buffer.Clip().Empty());
    // A closer whose opener is gone leaves the clip as it is.
    buffer.SetClip(full);
    Delete(fresh);
    early.Draw(buffer);
    EXPECT_EQ(buffer.Clip(), full);
    EXPECT_NE(ErrorMessage([&] { Make("CloseWindowControl", {closer.Address(), 6}); }), "no error");
}

}  // namespace
