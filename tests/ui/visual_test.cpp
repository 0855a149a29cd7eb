#include "ui/visual.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/class_manager.h"
#include "script/native_binder.h"
#include "script/native_catalogue.h"
#include "script/native_handler.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/read_bytes.h"
#include "tools/content/picture_builder.h"
#include "ui/ui_natives.h"

namespace {

// A picture of `entries` direction entries (none: the frames are its own) of `frames` frames each.
std::unique_ptr<Image> Picture(uint32_t entries, uint32_t frames) {
    std::vector<std::string> own;
    for (uint32_t f = 0; f < frames; ++f) own.push_back(FrameBlock({.width = 1, .height = 1, .pixels = {1}}));
    if (entries == 0) return ReadBlockObject<Image>(PictureBlock(own));
    std::vector<std::string> subs;
    for (uint32_t e = 0; e < entries; ++e) subs.push_back(PictureBlock(own));
    return ReadBlockObject<Image>(PictureBlock(subs));
}

class VisualTest : public ::testing::Test {
  protected:
    VisualTest() {
        RegisterUiNatives();
        manager = std::make_unique<ClassManager>(&runner, 26, nullptr);
        visual = manager->Register(NewNativeDescriptor(&runner, "Visual"), false);
    }

    VisualObject& Make(Image* picture, int32_t dirX, int32_t dirY, uint32_t flags = 0, int32_t step = 0) {
        for (uint32_t v :
             {uint32_t(dirY), uint32_t(dirX), 20u, 10u, picture ? picture->Address() : 0u, visual->Address()})
            runner.stack.Push(v);
        runner.CallMethod(visual, visual, 0);
        objects.emplace_back(ScriptObject::FromAddress(runner.stack.Pop(), 0, "visual"));
        VisualObject& v = VisualObject::Of(objects.back().get());
        v.Own(kVisualFlags) = flags;
        v.SetInt(kVisualPhaseStep, step);
        return v;
    }

    // Virtual method 8 for picture i: the frame's index in its entry, and the orientation.
    std::pair<int32_t, uint32_t> Drawn(VisualObject& v, Image& entry, int32_t i = 0) {
        int32_t x = 0, y = 0;
        uint32_t orientation = 0;
        const uint32_t frame = Visual::CallEvent8(&v, i, x, y, orientation);
        EXPECT_EQ(x, 10);
        EXPECT_EQ(y, 20);
        for (uint32_t n = 0; n < entry.FrameCount(); ++n)
            if (entry.GetFrame(static_cast<int32_t>(n))->Address() == frame)
                return {static_cast<int32_t>(n), orientation};
        return {-1, orientation};
    }

    FakeMethodRunner runner;
    std::unique_ptr<ClassManager> manager;
    ZEMAClass* visual = nullptr;
    std::vector<std::unique_ptr<ScriptObject>> objects;
};

TEST_F(VisualTest, AnimationLoopsBouncesAndHolds) {
    auto picture = Picture(0, 4);
    struct Case {
        const char* name;
        uint32_t flags;
        int32_t step;
        int32_t startPhase;
        std::vector<int32_t> frames;  // drawn, then stepped, in turn
    } cases[] = {
        {"loop forwards", 0, 100, 0, {0, 1, 2, 3, 0, 1}},
        {"loop backwards wraps to 399", 0, -100, 0, {0, 3, 2, 1, 0, 3}},
        {"bounce reverses only past the count", kAnimBounce, 100, 200, {2, 3, 3, 3, 2, 1, 0, 1, 2}},
        {"hold stays on the last frame", kAnimHold, 100, 200, {2, 3, 3, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VisualObject& v = Make(picture.get(), 0, 0, c.flags, c.step);
        v.SetInt(kVisualPhase, c.startPhase);
        std::vector<int32_t> drawn;
        for (size_t k = 0; k < c.frames.size(); ++k) {
            drawn.push_back(Drawn(v, *picture).first);
            GTTClass::CallStep(&v, 0);
        }
        EXPECT_EQ(drawn, c.frames);
    }
}

TEST_F(VisualTest, HeadingChoosesEntryAndOrientation) {
    auto picture = Picture(2, 1);
    struct Case {
        int32_t dirX, dirY;
        uint32_t entry, orientation;
    } cases[] = {{0, 0, 0, 0},   {0, -100, 0, 0}, {100, 0, 0, 1},
                 {0, 100, 0, 2}, {-100, 0, 0, 3}, {70, -70, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dirX << "," << c.dirY);
        VisualObject& v = Make(picture.get(), c.dirX, c.dirY);
        auto [frame, orientation] = Drawn(v, *picture->EntryAt(static_cast<int32_t>(c.entry)));
        EXPECT_EQ(frame, 0);
        EXPECT_EQ(orientation, c.orientation);
    }
    auto plain = Picture(0, 2);
    VisualObject& v = Make(plain.get(), 100, 0);
    EXPECT_EQ(Drawn(v, *plain).second, 0u);
}

TEST_F(VisualTest, TurningGraduallyTakesOneDirectionPerFrame) {
    auto picture = Picture(2, 1);
    VisualObject& v = Make(picture.get(), 100, 0, kAnimTurnGradually);
    Drawn(v, *picture->EntryAt(0));
    GTTClass::CallStep(&v, 0);
    EXPECT_EQ(v.Int(kVisualShownDirection), 20);
    v.SetInt(kVisualDirX, -100);  // four directions further on, the direct way
    v.SetInt(kVisualDirY, 0);
    std::vector<int32_t> shown;
    for (int k = 0; k < 5; ++k) {
        Drawn(v, *picture->EntryAt(0));
        Drawn(v, *picture->EntryAt(0));  // drawing twice in a frame changes nothing
        GTTClass::CallStep(&v, 0);
        shown.push_back(v.Int(kVisualShownDirection));
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{30, 40, 50, 60, 60}));
}

TEST_F(VisualTest, FramesByCallerAndDefaults) {
    auto picture = Picture(0, 3);
    VisualObject& v = Make(picture.get(), 0, 0, kAnimFramesByCaller);
    EXPECT_EQ(Visual::CallEvent7(&v), 3u);
    EXPECT_EQ(Drawn(v, *picture, 1).first, 1);
    EXPECT_EQ(Drawn(v, *picture, 9).first, 2);
    EXPECT_EQ(Drawn(v, *picture, -1).first, 2);
    EXPECT_EQ(GTTClass::CallGetName(&v), String("Unnamed"));
    EXPECT_EQ(GTTClass::CallGetDescription(&v), String("Description not available"));
    EXPECT_EQ(Visual::CallEvent9First(&v, 0), 2);
    EXPECT_EQ(Visual::CallEvent9Second(&v, 0), 0);
    EXPECT_EQ(runner.stack.Depth(), 0u);
}

TEST_F(VisualTest, FieldReferencesReachTheFields) {
    auto picture = Picture(0, 1);
    VisualObject& v = Make(picture.get(), 3, 4);
    const std::pair<uint32_t, uint32_t> natives[] = {
        {4, kVisualX},        {5, kVisualY},      {6, kVisualDirX},       {7, kVisualDirY},
        {10, kVisualPicture}, {12, kVisualPhase}, {14, kVisualPhaseStep}, {15, kVisualFlags}};
    for (auto [number, field] : natives) {
        runner.CallMethod(&v, visual, number);
        ScriptStore32(runner.stack.Pop(), 1000 + number);
        EXPECT_EQ(v.Own(field), 1000 + number) << number;
    }
    v.SetInt(kVisualPhase, 250);
    v.SetInt(kVisualPhaseStep, 30);
    runner.CallMethod(&v, visual, 13);
    EXPECT_EQ(v.Int(kVisualPhase), 280);
}

TEST_F(VisualTest, HostileValuesGiveEngineErrors) {
    auto picture = Picture(0, 1);
    VisualObject& v = Make(picture.get(), 0, 0);
    v.Own(kVisualPicture) = v.Address();  // not a picture
    uint32_t orientation = 0;
    EXPECT_THROW(v.SelectFrame(0, orientation), FatalExep);
    EXPECT_THROW(v.Own(v.OwnCount()), FatalExep);
    runner.stack.Push(0xFFFFFFF0u);  // a phase reference outside the script address space
    runner.stack.Push(picture->Address());
    EXPECT_THROW(runner.CallMethod(&v, visual, 11), FatalExep);
    runner.stack.TruncateTo(0);
    ScriptObject plain(visual);
    EXPECT_THROW(VisualObject::Of(&plain), FatalExep);
    EXPECT_THROW(GTTClass::CallStep(nullptr, 0), FatalExep);
}

}  // namespace

namespace {

void Marker(ScriptObject*) {}

TEST_F(VisualTest, SubclassBindingsWin) {
    const NativeBinder previous = FindNativeBinder("Control");
    RegisterNativeBinder("Control", [](ZEMAClass& target, const NativeClassRow& row) {
        target.SetVirtualMethod(Marker, kPictureVirtual);
        BindNativeBase(row, target);
        target.SetMethod(Marker, 0);
    });
    ZEMAClass* control = manager->Register(NewNativeDescriptor(&runner, "Control"), false);
    RegisterNativeBinder("Control", previous);
    auto handler = [](uint32_t body) { return NativeHandlerAt(FromScript<MethodEntry>(body)->handler); };
    EXPECT_EQ(handler(control->VirtualMethodSlot(kPictureVirtual)), &Marker);
    EXPECT_EQ(handler(control->MethodSlot(0)), &Marker);
    EXPECT_EQ(handler(control->VirtualMethodSlot(kPictureCountVirtual)),
              handler(visual->VirtualMethodSlot(kPictureCountVirtual)));
    EXPECT_EQ(handler(control->MethodSlot(4)), handler(visual->MethodSlot(4)));
}

}  // namespace
