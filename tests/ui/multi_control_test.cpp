#include "ui/multi_control.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "foundation/script_handle.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "script/object_lifetime.h"
#include "tests/support/error_message.h"
#include "tests/ui/hostile_controls.h"
#include "tests/ui/sliders_fixture.h"
#include "ui/slider.h"

namespace {

constexpr uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

bool Alive(uint32_t address) {
    return FindScriptHandle(address, HandleFamily::kScriptObject, 0) != nullptr;
}

// A control whose drawing deletes the container it lies in, as a script of a child might.
class ContainerDeleter : public ControlObject {
  public:
    ContainerDeleter(ZEMAClass* cls, ScriptObject* container)
        : ControlObject(cls, 0, 0, 0, 1), container_(container) {}
    void Draw(ScreenBuffer&) override { DestroyObject(container_); }

  private:
    ScriptObject* container_;
};

class MultiControlTest : public SlidersFixture {
  protected:
    MultiControlTest()
        : SlidersFixture([](GameHarness& g) {
              g.AddClass(HostileControl{.name = "FailingAtDestroy", .action = HostileAction::kFail}.Class());
              g.AddClass(
                  HostileControl{.name = "AdderAtDestroy", .action = HostileAction::kAddChild}.Class());
          }) {}

    // A 100x50 container at (100, 100), id 9.
    GameObject Container() { return New("MultiControl", {100, 100, 100, 50, 9}); }
    MultiControlObject& Of(const GameObject& c) { return MultiControlObject::Of(c.get()); }
    // A plain control showing a 10x10 picture at (x, y).
    GameObject Box(int32_t x, int32_t y, int32_t id) {
        return New("Control", {game.Picture("Misc\\Up.dpf")->Address(), U(x), U(y), U(id)});
    }
    // A control whose destructor fails; released, as no deleter may throw.
    ScriptObject* Failing(int32_t id) { return New("FailingAtDestroy", {0, 0, 0, U(id)}).release(); }
    // Adds through native 21; the container owns the control from then on.
    uint32_t Add(const GameObject& container, GameObject control) {
        const uint32_t address = control->Address();
        CallMethod(container.get(), 21, {address});
        control.release();
        return address;
    }
    std::vector<uint32_t> Cursor(const GameObject& c, uint32_t native) { return CallMethod(c.get(), native); }
};

TEST_F(MultiControlTest, AddingWidensTheContentAndShowsArrows) {
    GameObject c = Container();
    EXPECT_EQ(Control(c).Width(), 100);
    EXPECT_EQ(Control(c).Height(), 50);
    Add(c, Box(-5, 0, 1));
    Add(c, Box(95, 110, 2));
    const ScrollBox& box = Of(c).Box();
    EXPECT_EQ(box.contentLeft, -5);
    EXPECT_EQ(box.contentTop, 0);
    EXPECT_EQ(box.contentRight, 105);
    EXPECT_EQ(box.contentBottom, 120);
    EXPECT_TRUE(box.canScrollDown);
    EXPECT_FALSE(box.canScrollUp);
    EXPECT_EQ(Control(c).Id(), 9);
}

TEST_F(MultiControlTest, WheelAndArrowsScrollWithinTheContent) {
    struct Case {
        const char* name;
        int32_t kind;
        bool held;
        int32_t a, b;
        int32_t result;
        int32_t scrollY;
        int32_t start = 0;
    };
    // Content 120 tall in a view 50 tall: the limit is 70. The arrows lie at (85, 30) and (85, 20).
    const Case cases[] = {
        {"wheel toward the user", kInputWheel, false, -1, 0, -1, 10},
        {"wheel far toward the user", kInputWheel, false, -100, 0, -1, 70},
        {"wheel away at the top", kInputWheel, false, 3, 0, -1, 0},
        {"press on the down arrow", kInputPress, true, 88, 33, -1, 10},
        {"pointer held on the down arrow", kInputOver, true, 85, 30, -1, 10},
        {"double click on the down arrow", kInputDoubleClick, true, 85, 30, -1, 10},
        {"down arrow without the button", kInputOver, false, 88, 33, 0, 0},
        {"second button on the arrow", kInputSecondPress, true, 88, 33, 0, 0},
        {"beside the arrow", kInputPress, true, 60, 33, 0, 0},
        {"press on the up arrow", kInputPress, true, 86, 22, -1, 20, 30},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        GameObject c = Container();
        Add(c, Box(0, 110, 2));
        Of(c).Scroll(k.start);
        held = k.held;
        posted.clear();
        EXPECT_EQ(Input(c, k.kind, k.a, k.b), k.result);
        EXPECT_EQ(Of(c).Box().scrollY, k.scrollY);
        EXPECT_TRUE(posted.empty());
    }
}

TEST_F(MultiControlTest, EventsGoToTheChildUnderThePointer) {
    struct Case {
        const char* name;
        int32_t scroll;
        int32_t a, b;  // relative to the container
        int32_t result;
        std::vector<std::array<int32_t, 4>> posted;
    };
    // Boxes with ids 1 at (0, 0), 2 at (20, 40) and 3 at (0, 110); content 120 tall.
    const Case cases[] = {
        {"first box", 0, 5, 5, -1, {{77, kInputPress, 0, 1}}},
        {"second box", 0, 25, 45, -1, {{77, kInputPress, 0, 2}}},
        {"no box", 0, 50, 20, 0, {}},
        {"scrolled onto the third box", 70, 5, 45, -1, {{77, kInputPress, 0, 3}}},
        {"scrolled off the first box", 70, 5, 5, 0, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        GameObject c = Container();
        Add(c, Box(0, 0, 1));
        Add(c, Box(20, 40, 2));
        Add(c, Box(0, 110, 3));
        Of(c).Scroll(k.scroll);
        posted.clear();
        EXPECT_EQ(Input(c, kInputPress, k.a, k.b), k.result);
        EXPECT_EQ(posted, k.posted);
    }
}

TEST_F(MultiControlTest, ChildGetsThePointRelativeToItself) {
    // A slider at (20, 30) in the container at (100, 100): a press 50 pixels along its line.
    GameObject c = Container();
    GameObject made = New("Slider", {20, 30, 4, 200, 0, 100, 0});
    SliderObject& slider = SliderObject::Of(made.get());
    Add(c, std::move(made));
    EXPECT_EQ(Input(c, kInputPress, 70, 30), -1);
    EXPECT_EQ(slider.Value(), 25);
    EXPECT_TRUE(posted.empty());  // the slider took the press
    EXPECT_EQ(hints, std::vector<std::string>{"25"});
}

TEST_F(MultiControlTest, FocusGoesToTheChildUnderThePointer) {
    GameObject c = Container();
    const uint32_t first = Add(c, Box(0, 0, 1));
    const uint32_t second = Add(c, Box(0, 60, 2));
    Add(c, Box(0, 110, 3));
    Of(c).Scroll(30);
    auto highlighted = [](uint32_t address) {
        return ControlObject::FromAddress(address, "control")->Highlighted();
    };
    Control(c).GainFocus(105, 135);  // 30 pixels into the view shows content row 65
    EXPECT_FALSE(highlighted(first));
    EXPECT_TRUE(highlighted(second));
    EXPECT_FALSE(Control(c).Highlighted());
    Control(c).LoseFocus();
    EXPECT_FALSE(highlighted(second));
}

TEST_F(MultiControlTest, CursorNatives) {
    GameObject c = Container();
    EXPECT_EQ(Cursor(c, 23), std::vector<uint32_t>{0});
    const uint32_t one = Add(c, Box(0, 0, 1));
    const uint32_t two = Add(c, Box(0, 20, 2));
    EXPECT_EQ(Cursor(c, 23), std::vector<uint32_t>{one});
    EXPECT_EQ(Cursor(c, 25), std::vector<uint32_t>{two});
    EXPECT_EQ(Cursor(c, 25), std::vector<uint32_t>{0});
    EXPECT_EQ(Cursor(c, 24), std::vector<uint32_t>{two});
}

TEST_F(MultiControlTest, ChildDeletedElsewhereIsGone) {
    GameObject c = Container();
    const uint32_t one = Add(c, Box(0, 0, 1));
    const uint32_t two = Add(c, Box(0, 20, 2));
    EXPECT_EQ(Cursor(c, 23), std::vector<uint32_t>{one});
    DestroyObject(ControlObject::FromAddress(one, "control"));
    EXPECT_EQ(Cursor(c, 24), std::vector<uint32_t>{two});
    EXPECT_EQ(Of(c).Children().size(), 1u);
    posted.clear();
    EXPECT_EQ(Input(c, kInputPress, 5, 5), 0);
    CallVirtual(c.get(), 2, {1});
    ScreenBuffer& buffer = Canvas();
    EXPECT_NO_THROW(Control(c).Draw(buffer));
}

TEST_F(MultiControlTest, ChildDeletingItsContainerIsAnEngineError) {
    const ReleaseHold hold;
    GameObject c = Container();
    auto deleter = std::make_unique<ContainerDeleter>(game.Class("Control"), c.get());
    Of(c).AddControl(deleter.release());
    Add(c, Box(0, 0, 2));
    ScriptObject* container = c.release();
    EXPECT_EQ(ErrorMessage([&] { MultiControlObject::Of(container).Draw(Canvas()); }),
              "A control deleted the container it lies in");
}

TEST_F(MultiControlTest, ClearingAndDeletingDeleteTheChildren) {
    GameObject c = Container();
    const uint32_t one = Add(c, Box(0, 0, 1));
    const uint32_t two = Add(c, Box(0, 110, 2));
    Of(c).Scroll(40);
    CallMethod(c.get(), 22);
    EXPECT_FALSE(Alive(one));
    EXPECT_FALSE(Alive(two));
    EXPECT_EQ(Cursor(c, 23), std::vector<uint32_t>{0});
    EXPECT_EQ(Of(c).Box().contentBottom, 120);  // the content box stays
    EXPECT_EQ(Of(c).Box().scrollY, 40);
    const uint32_t three = Add(c, Box(0, 0, 3));
    c.reset();
    EXPECT_FALSE(Alive(three));
}

TEST_F(MultiControlTest, EveryChildGoesWhenOneDestructorFailsAndTheFirstErrorReachesTheCaller) {
    const std::string fetchError = ErrorMessage([&] { DestroyObject(Failing(0)); });
    struct Case {
        const char* name;
        bool destroyed;  // else cleared
        int failing;
    };
    const Case cases[] = {
        {"destroyed, one failing", true, 1},
        {"destroyed, two failing", true, 2},
        {"cleared, one failing", false, 1},
        {"cleared, two failing", false, 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string logBefore = game.Log();
        const ReleaseHold hold;
        GameObject c = Container();
        ScriptObject* last = k.failing == 2 ? Failing(3) : Box(0, 40, 3).release();
        const std::vector<uint32_t> children = {Add(c, GameObject(Failing(1))), Add(c, Box(0, 20, 2)),
                                                Add(c, GameObject(last))};
        const std::string error = k.destroyed ? ErrorMessage([&] { DestroyObject(c.release()); })
                                              : ErrorMessage([&] { CallMethod(c.get(), 22); });
        EXPECT_EQ(error, fetchError);
        for (uint32_t child : children) EXPECT_FALSE(Alive(child));
        // The errors after the first are logged.
        EXPECT_EQ(game.Log().substr(logBefore.size()).find(fetchError) != std::string::npos, k.failing > 1)
            << game.Log();
    }
}

TEST_F(MultiControlTest, AContainerBeingDestroyedTakesNoMoreChildren) {
    // A child's destructor hands another control to the container that is destroying it: refused,
    // the other stays its maker's instead of lying in a container that lets go of nothing more.
    const ReleaseHold hold;
    ScriptObject* container = Container().release();
    GameObject adder = New("AdderAtDestroy", {0, 0, 0, 1});
    GameObject late = Box(0, 0, 2);
    adder->Field(kHostileOn) = container->Address();
    adder->Field(kHostileTarget) = late->Address();
    CallMethod(container, 21, {adder->Address()});
    adder.release();
    char expected[80];
    std::snprintf(expected, sizeof expected, "Not a valid object at 0x%08X where container expected",
                  container->Address());
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(container); }), expected);
    EXPECT_TRUE(late->Alive());
    EXPECT_EQ(Control(late).Parent(), nullptr);
}

TEST_F(MultiControlTest, ContainmentCyclesAreRefused) {
    GameObject outer = Container();
    GameObject inner = New("MultiControl", {0, 0, 50, 50, 8});
    GameObject other = Container();
    MultiControlObject& in = Of(inner);
    const uint32_t innerAddress = Add(outer, std::move(inner));
    EXPECT_EQ(ErrorMessage([&] { CallMethod(outer.get(), 21, {outer->Address()}); }),
              "A control cannot contain itself");
    EXPECT_EQ(ErrorMessage([&] { in.AddControl(&Control(outer)); }), "A control cannot contain itself");
    EXPECT_EQ(ErrorMessage([&] { CallMethod(other.get(), 21, {innerAddress}); }),
              "The control is already in another container");
    EXPECT_EQ(ErrorMessage([&] { CallMethod(outer.get(), 21, {12345}); }).find("where control expected") !=
                  std::string::npos,
              true);
}

TEST_F(MultiControlTest, DrawsClippedAndScrolled) {
    GameObject c = Container();
    Add(c, Box(0, 60, 1));   // below the view until scrolled
    Add(c, Box(95, 0, 2));   // runs past the right edge
    Add(c, Box(0, 110, 3));  // makes the content 120 tall
    ScreenBuffer& buffer = Canvas();
    const Rect clip = buffer.Clip();
    Control(c).Draw(buffer);
    EXPECT_EQ(buffer.Clip(), clip);
    EXPECT_EQ(buffer.OriginY(), 0);
    EXPECT_EQ(Pixel(105, 165), 0u);  // box 1 not shown
    EXPECT_NE(Pixel(195, 105), 0u);  // box 2 inside
    EXPECT_NE(Pixel(200, 105), 0u);  // the clip's last column
    EXPECT_EQ(Pixel(201, 105), 0u);  // cut at the view's edge
    EXPECT_NE(Pixel(186, 131), 0u);  // the down arrow at (185, 130)
    EXPECT_EQ(Pixel(186, 121), 0u);  // no up arrow yet

    Of(c).Scroll(30);
    Canvas();
    Control(c).Draw(buffer);
    EXPECT_NE(Pixel(105, 135), 0u);  // box 1 moved up by 30
    EXPECT_NE(Pixel(186, 121), 0u);  // the up arrow at (185, 120)
}

}  // namespace
