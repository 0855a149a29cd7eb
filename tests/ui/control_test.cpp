#include "ui/control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "graphics/display_services.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/native_catalogue.h"
#include "shell/draw_layers.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/support/read_bytes.h"
#include "tests/ui/control_fixture.h"
#include "tools/content/picture_builder.h"

namespace {

// A picture of one 4 x 3 frame whose left column is transparent.
std::unique_ptr<Image> Block() {
    return ReadBlockObject<Image>(
        PictureBlock({FrameBlock({.width = 4,
                                  .height = 3,
                                  .flags = kFrameTransparent,
                                  .pixels = {0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1}})}));
}

class ControlTest : public ControlFixture {
  protected:
    ControlObject& MakeControl(uint32_t picture, int32_t x, int32_t y, int32_t id = 7) {
        return Make("Control", {picture, uint32_t(x), uint32_t(y), uint32_t(id)});
    }
    std::string TextAt(uint32_t address) { return FromScript<char>(address); }
};

TEST_F(ControlTest, CreationAndFieldReferences) {
    ControlObject& c = MakeControl(0, 10, 20, 7);
    EXPECT_EQ(c.Id(), 7);
    EXPECT_EQ(c.AbsoluteX(), 10);
    EXPECT_EQ(c.AbsoluteY(), 20);
    EXPECT_EQ(c.Int(kVisualDirX), 0);
    EXPECT_EQ(c.Int(kVisualShownDirection), -1);
    EXPECT_FALSE(c.Highlighted());
    const struct {
        uint32_t native;
        uint32_t field;
    } refs[] = {{16, kControlId}, {18, kControlHotKey}};
    for (auto ref : refs) {
        ScriptStore32(Call(c, ref.native).at(0), 500 + ref.native);
        EXPECT_EQ(c.Own(ref.field), 500 + ref.native);
    }
    EXPECT_NE(ErrorMessage([&] { Call(c, 17); }), "no error");  // native 17 stays unbound
    c.GainFocus(1, 1);
    EXPECT_TRUE(c.Highlighted());
    c.LoseFocus();
    EXPECT_FALSE(c.Highlighted());
}

TEST_F(ControlTest, HelpIsStoredAndShownOnSecondButton) {
    struct Request {
        uint32_t dialog;
        std::string file;
        int32_t number;
        int32_t flags;
    };
    std::vector<Request> requests;
    HelpRequestHook() = [&](uint32_t dialog, std::string_view file, int32_t number, int32_t flags) {
        requests.push_back({dialog, std::string(file), number, flags});
    };
    const struct {
        const char* name;
        std::string file;
        int32_t kind;
        int32_t answer;
        bool shown;
    } cases[] = {
        {"second button with help", "Help.mes", kInputSecondPress, -1, true},
        {"second button without help", "", kInputSecondPress, 0, false},
        {"first button", "Help.mes", kInputPress, 0, false},
        {"pointer over", "Help.mes", kInputOver, 0, false},
        {"wheel", "Help.mes", kInputWheel, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        requests.clear();
        ControlObject& control = MakeControl(0, 0, 0);
        Call(control, 19, {Text(c.file), 42});
        const std::vector<uint32_t> help = Call(control, 20);
        ASSERT_EQ(help.size(), 2u);
        EXPECT_EQ(TextAt(help[0]), c.file);
        EXPECT_EQ(help[1], 42u);
        EXPECT_EQ(Control::CallInputEvent(&control, 0x5000, c.kind, 3, 4), c.answer);
        ASSERT_EQ(requests.size(), c.shown ? 1u : 0u);
        if (c.shown) {
            EXPECT_EQ(requests[0].dialog, 0x5000u);
            EXPECT_EQ(requests[0].file, c.file);
            EXPECT_EQ(requests[0].number, 42);
            EXPECT_EQ(requests[0].flags, 0);
        }
        EXPECT_EQ(processor->DataStack().Depth(), 0u);
    }
    ControlObject& control = MakeControl(0, 0, 0);
    Call(control, 19, {Text("Help.mes"), 1});
    FromScript<char>(Call(control, 20).at(0))[8] = 'x';  // a script overwrites the terminator
    EXPECT_EQ(control.HelpText(), "Help.mes");

    // The help window runs scripts, which may give the control other help meanwhile: the request
    // keeps the file it was made for.
    requests.clear();
    HelpRequestHook() = [&](uint32_t dialog, std::string_view file, int32_t number, int32_t flags) {
        Call(control, 19, {Text("Another.mes"), 2});
        requests.push_back({dialog, std::string(file), number, flags});
    };
    EXPECT_EQ(Control::CallInputEvent(&control, 0, kInputSecondPress, 0, 0), -1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].file, "Help.mes");
}

TEST_F(ControlTest, PlacementFollowsTheParentChain) {
    ControlObject& outer = MakeControl(0, 100, 200);
    ControlObject& middle = MakeControl(0, 10, 20);
    ControlObject& inner = MakeControl(0, 1, 2);
    middle.SetParent(&outer);
    inner.SetParent(&middle);
    EXPECT_EQ(inner.AbsoluteX(), 111);
    EXPECT_EQ(inner.AbsoluteY(), 222);
    EXPECT_EQ(ErrorMessage([&] { outer.SetParent(&inner); }), "A control cannot contain itself");
    EXPECT_EQ(ErrorMessage([&] { outer.SetParent(&outer); }), "A control cannot contain itself");
    Delete(middle);  // a deleted parent leaves no dangling link
    EXPECT_EQ(inner.Parent(), nullptr);
    EXPECT_EQ(inner.AbsoluteX(), 1);
    inner.SetInt(kVisualX, INT32_MAX);  // positions a script wrote wrap instead of overflowing
    inner.SetParent(&outer);
    EXPECT_EQ(inner.AbsoluteX(), INT32_MIN + 99);
}

TEST_F(ControlTest, PicturesAreDrawnAndHitAtTheParentsPosition) {
    auto picture = Block();
    ControlObject& parent = MakeControl(0, 30, 40);
    ControlObject& c = MakeControl(picture->Address(), 5, 6);
    c.SetParent(&parent);
    RecordingBuffer buffer(nullptr);
    c.Draw(buffer);
    ASSERT_EQ(buffer.frames.size(), 1u);
    EXPECT_EQ(std::get<0>(buffer.frames[0]), picture->GetFrame(0));
    EXPECT_EQ(std::get<1>(buffer.frames[0]), 35);
    EXPECT_EQ(std::get<2>(buffer.frames[0]), 46);
    EXPECT_EQ(std::get<4>(buffer.frames[0]), 0u);
    EXPECT_EQ(c.Width(), 4);
    EXPECT_EQ(c.Height(), 3);
    const struct {
        int32_t x, y;
        bool hit;
    } points[] = {{36, 46, true}, {38, 48, true}, {35, 46, false}, {39, 46, false}, {36, 49, false}};
    for (auto p : points) EXPECT_EQ(c.HitTest(p.x, p.y), p.hit) << p.x << "," << p.y;
}

TEST_F(ControlTest, NoPicturesMeansNothingDrawnAndNoHit) {
    ControlObject& none = MakeControl(0, 0, 0);  // no picture: virtual method 8 gives no frame
    auto picture = Block();
    ControlObject& zero = MakeControl(0, 0, 0);
    zero.Own(kVisualFlags) = kAnimFramesByCaller;  // counted by the frames of a missing picture: 0
    for (ControlObject* c : {&none, &zero}) {
        RecordingBuffer buffer(nullptr);
        c->Draw(buffer);
        EXPECT_TRUE(buffer.frames.empty());
        EXPECT_FALSE(c->HitTest(0, 0));
        EXPECT_EQ(c->Width(), 0);
    }
}

TEST_F(ControlTest, ScriptValuesThatNameNoControlAreRefused) {
    ControlObject& c = MakeControl(0, 0, 0);
    EXPECT_EQ(ControlObject::FromAddress(c.Address(), "control"), &c);
    EXPECT_NE(ErrorMessage([&] { ControlObject::FromAddress(Text("forged"), "control"); }), "no error");
    EXPECT_NE(ErrorMessage([&] { Control::CallInputEvent(nullptr, 0, 0, 0, 0); }), "no error");
    c.Own(kVisualPicture) = c.Address();  // not a picture
    RecordingBuffer buffer(nullptr);
    EXPECT_NE(ErrorMessage([&] { c.Draw(buffer); }), "no error");
}

}  // namespace

namespace {

// The picture count a control's script answers, and how often it was asked for a picture.
uint32_t answeredCount = 0;
uint64_t pictureCalls = 0;
// A loop its count did not bound ends here instead of running for minutes.
constexpr uint64_t kRunaway = 1000000;

void AnswerCount(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(answeredCount);
}

void GiveNoPicture(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    if (++pictureCalls > kRunaway) throw FatalExep(String("runaway"));
    for (int k = 0; k < 4; ++k) args.Stack().Push(0);
}

class ScriptedControlTest : public ControlTest {
  protected:
    ScriptedControlTest() {
        scripted_.ReserveMethods(21, 14);
        scripted_.SetVirtualMethod(AnswerCount, kPictureCountVirtual);
        scripted_.SetVirtualMethod(GiveNoPicture, kPictureVirtual);
        BindNativeRow(NativeClassRowOf("Control"), scripted_);
        control_ = std::make_unique<ControlObject>(&scripted_, 0, 0, 0, 1);
        answeredCount = 0;
        pictureCalls = 0;
    }
    ControlObject& Scripted() { return *control_; }

  private:
    ZEMAClass scripted_{processor.get()};
    std::unique_ptr<ControlObject> control_;
};

TEST_F(ScriptedControlTest, PicturesAskedOfAScriptAreHeldToWhatADrawingTakes) {
    const struct {
        const char* name;
        uint32_t count;
        const char* error;  // null when the pictures are walked
    } cases[] = {
        // The limit's own table is the drawing's (VisibleEntryCount); these show the walk keeps to it.
        {"the most a drawing takes", DrawnEntries::kMaxCount, nullptr},
        {"one more", DrawnEntries::kMaxCount + 1, "Too many visible entries: 65537"},
        {"a negative count", 0xFFFFFFFFu, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answeredCount = c.count;
        pictureCalls = 0;
        const std::string message = ErrorMessage([&] { EXPECT_FALSE(Scripted().HitTest(0, 0)); });
        EXPECT_EQ(message, c.error != nullptr ? c.error : "no error");
        const bool walked = c.error == nullptr && static_cast<int32_t>(c.count) > 0;
        EXPECT_EQ(pictureCalls, walked ? c.count : 0u);
        EXPECT_EQ(processor->DataStack().Depth(), 0u);
    }
}

TEST_F(ScriptedControlTest, DrawingManyPicturesEndsWhenQuitIsAsked) {
    answeredCount = DrawnEntries::kMaxCount;
    processor->SetStopHook([] { throw StopRequested{}; });
    RecordingBuffer buffer(nullptr);
    EXPECT_THROW(Scripted().Draw(buffer), StopRequested);
    EXPECT_LE(pictureCalls, Processor::kStopPollInterval);
}

}  // namespace
