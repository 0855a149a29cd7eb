// The game harness: start-up with the game's natives, the content it puts into the archive, calls
// into script subclasses, the manual clock, injected input and recorded sound.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "graphics/display.h"
#include "graphics/font_manager.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "script/char_manager.h"
#include "script/class_manager.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "shell/frame_timer.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/input_queue.h"
#include "shell/sound_system.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tools/content/sound_builder.h"
#include "ui/visual.h"

namespace {

class HarnessTest : public ::testing::Test {
  protected:
    GameHarness game;
};

TEST_F(HarnessTest, StartsWithTheWellKnownObjects) {
    game.Start();
    const uint32_t ids[] = {kClassManagerId,   kImageManagerId, kScreenId,      kFontManagerId,
                            kMessageManagerId, kSoundManagerId, kSoundSystemId, kColorManagerId,
                            kPlayerListId,     kCharManagerId};
    for (uint32_t id : ids) EXPECT_NE(game.Object(id), nullptr) << id;
    ScreenSurface* surface = game.Screen().Surface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Width(), 640);
    EXPECT_EQ(surface->Height(), 480);
    EXPECT_EQ(surface->BitsPerPixel(), 16);
    EXPECT_EQ(game.Players().GetObject(0), nullptr);
    EXPECT_THROW(game.Start(), std::logic_error);
    EXPECT_THROW(game.AddMessages("system.mes", {{1, "late"}}), std::logic_error);
}

TEST_F(HarnessTest, EveryInterfaceFontAndAddedOnes) {
    FontFixture wide = UniformFont(96, 9, 12);
    game.AddFont("Title", wide).AddFont("Hint", wide);
    game.Start();
    for (const std::string& name : InterfaceFontNames()) {
        SCOPED_TRACE(name);
        Font* font = game.FontNamed(name);
        ASSERT_NE(font, nullptr);
        EXPECT_NE(font, game.FontNamed(name == "Default" ? "Energy" : "Default"));
    }
    EXPECT_EQ(game.FontNamed("Title")->GlyphFor('A').width, 9);
    EXPECT_EQ(game.FontNamed("Hint")->GlyphFor('A').width, 9);
    EXPECT_EQ(game.FontNamed("Slider")->GlyphFor('A').width, 5);
}

TEST_F(HarnessTest, MessagesAndCharacteristics) {
    game.AddMessages("system.mes", {{3, "Three"}, {40, "Forty\nlines"}})
        .AddMessages("Keys.mes", {{65, "A key"}});
    game.AddCharacteristics("Ships.txt", {{7, {12, -3, std::string("Scout \"x\"")}}});
    game.Start();
    EXPECT_EQ(game.Message("system.mes", 3), "Three");
    EXPECT_EQ(game.Message("system.mes", 40), "Forty\nlines");
    EXPECT_EQ(game.Message("Keys.mes", 65), "A key");
    EXPECT_EQ(ErrorMessage([&] { game.Message("Help.mes", 1); }), "Message #1 not found in Help.mes");
    EXPECT_EQ(game.Chars().ValueCount("Ships.txt", 7), 3u);
    EXPECT_EQ(game.Log().find("Ships.txt"), std::string::npos);
    EXPECT_EQ(static_cast<int32_t>(*game.Chars().GetCharacteristics("Ships.txt", 7, 1)), -3);
    EXPECT_EQ(game.TextAt(*game.Chars().GetCharacteristics("Ships.txt", 7, 2)), "Scout \"x\"");
}

TEST_F(HarnessTest, PicturesWithEntriesAndFrames) {
    struct Row {
        const char* name;
        PictureShape shape;
        uint32_t subImages;
    };
    const Row rows[] = {
        {"Misc\\Plain.dpf", {.frames = 3}, 0},
        {"Misc\\Turning.dpf", {.entries = 4, .frames = 2, .width = 6, .height = 5}, 4},
    };
    for (const Row& row : rows) game.AddPicture(row.name, row.shape);
    game.Start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Image* picture = game.Picture(row.name);
        EXPECT_EQ(picture->SubImageCount(), row.subImages);
        Image* last = picture->EntryAt(static_cast<int32_t>(row.subImages) - 1);
        ASSERT_EQ(last->FrameCount(), row.shape.frames);
        EXPECT_EQ(last->GetFrame(0)->Width(), row.shape.width);
        EXPECT_EQ(last->GetFrame(0)->Height(), row.shape.height);
        EXPECT_NE(last->GetFrame(0), last->GetFrame(1));
    }
}

TEST_F(HarnessTest, ScriptSubclassOverridesAVirtualMethod) {
    ScriptSubclass thing{.name = "TestThing", .base = "GTTClass", .instanceFields = 2};
    thing.virtuals[3] = PushTextWords("Harness thing");
    thing.virtuals[5] = PushIntWords(-42);
    thing.virtuals[6] = CodeWords({PushIntWords(5), {BaseCallWord(3)}});
    game.AddClass(thing);
    game.Start();
    GameObject object = game.New("TestThing");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Class(), game.Class("TestThing"));
    EXPECT_TRUE(object->Class()->InheritsFrom("GTTClass"));
    EXPECT_EQ(object->FieldCount(), 2u);
    const std::vector<uint32_t> name = game.CallVirtual(object.get(), 3);
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(game.TextAt(name[0]), "Harness thing");
    EXPECT_EQ(game.CallVirtual(object.get(), 5), std::vector<uint32_t>{static_cast<uint32_t>(-42)});
    const std::vector<uint32_t> inherited = game.CallVirtual(object.get(), 4);
    ASSERT_EQ(inherited.size(), 1u);
    EXPECT_EQ(game.TextAt(inherited[0]), "Description not available");
    // An inherited native: the class name (ZEMAClass method 3).
    const std::vector<uint32_t> className = game.CallMethod(object.get(), game.Class("GTTClass"), 3);
    ASSERT_EQ(className.size(), 1u);
    EXPECT_EQ(game.TextAt(className[0]), "TestThing");
    // The same native called by the script's own code.
    const std::vector<uint32_t> fromScript = game.CallVirtual(object.get(), 6);
    ASSERT_EQ(fromScript.size(), 2u);
    EXPECT_EQ(fromScript[0], 5u);
    EXPECT_EQ(game.TextAt(fromScript[1]), "TestThing");
    EXPECT_EQ(game.Cpu().DataStack().Depth(), 0u);

    ScriptObject* kept = game.Keep(kLevelId, std::move(object));
    EXPECT_EQ(game.Object(kLevelId), kept);
}

TEST_F(HarnessTest, ScriptSubclassOfVisualTakesItsCreationValues) {
    game.AddPicture("Misc\\Arrow.dpf", {.entries = 4, .frames = 2});
    game.AddClass({.name = "TestVisual", .base = "Visual"});
    game.Start();
    const uint32_t arrow = game.Picture("Misc\\Arrow.dpf")->Address();
    // Visual's method 0 pops picture, x, y, dirX, dirY after the class.
    GameObject object = game.New("TestVisual", {static_cast<uint32_t>(-100), 0, 20, 10, arrow});
    VisualObject& visual = VisualObject::Of(object.get());
    EXPECT_EQ(visual.Own(kVisualPicture), arrow);
    EXPECT_EQ(visual.Int(kVisualX), 10);
    EXPECT_EQ(visual.Int(kVisualDirY), -100);
    const std::vector<uint32_t> y = game.CallMethod(object.get(), game.Class("Visual"), 5);
    ASSERT_EQ(y.size(), 1u);
    EXPECT_EQ(y[0], visual.OwnAddress(kVisualY));
}

TEST(ScriptSubclassLibrary, VirtualTableCoversTheNativeBase) {
    struct Row {
        const char* base;
        std::vector<uint32_t> given;
        size_t slots;
    };
    const Row rows[] = {
        {"GTTClass", {3}, 7},
        {"GTTClass", {9}, 10},
        {"Level", {}, 8},
        {"SomeScriptClass", {2}, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.base);
        ScriptSubclass sub{.name = "Sub", .base = row.base};
        for (uint32_t n : row.given) sub.virtuals[n] = PushIntWords(1);
        const ClassLibraryBuilder library = sub.Library();
        EXPECT_EQ(library.virtualMethods->size(), row.slots);
        EXPECT_EQ(library.uses, (std::vector<std::string>{"Sub", row.base}));
    }
    ScriptSubclass fixed{.name = "Sub", .base = "GTTClass"};
    fixed.methods[1] = {};
    EXPECT_THROW(fixed.Library(), std::invalid_argument);
}

TEST_F(HarnessTest, CallsPushArgumentsInOrderAndCutTheStackBackOnErrors) {
    ScriptSubclass sub{.name = "TestMinus", .base = "GTTClass"};
    sub.virtuals[5] = std::vector<uint32_t>{OpWord(Op::Sub)};
    game.AddClass(sub);
    game.Start();
    GameObject object = game.New("TestMinus");
    // The last argument is on top: Sub computes first - last.
    EXPECT_EQ(game.CallVirtual(object.get(), 5, {9, 2}), std::vector<uint32_t>{7});
    EXPECT_NE(ErrorMessage([&] { game.CallVirtual(object.get(), 12, {1}); }), "no error");
    EXPECT_EQ(game.Cpu().DataStack().Depth(), 0u);
}

TEST_F(HarnessTest, ClockAndFrameTimer) {
    game.Start();
    const uint32_t start = game.Now();
    EXPECT_FALSE(game.FrameDue());
    EXPECT_EQ(game.AdvanceToFrame(), 28u);
    EXPECT_TRUE(game.FrameDue());
    EXPECT_EQ(game.Now(), start + 28);
    FrameWait();
    EXPECT_FALSE(game.FrameDue());
    game.Advance(10);
    FrameWait();  // sleeps the rest of the frame on the manual clock
    EXPECT_EQ(game.Sleeps().back(), 18u);
    EXPECT_EQ(game.Now(), start + 56);

    // Timed actions run while game code waits.
    std::vector<uint32_t> ranAt;
    game.At(start + 90, [&] { ranAt.push_back(game.Now()); });
    game.At(start + 60, [&] {
        ranAt.push_back(game.Now());
        game.At(start + 61, [&] { ranAt.push_back(game.Now()); });
    });
    FrameWait();  // a whole frame: to start + 84
    EXPECT_EQ(ranAt, (std::vector<uint32_t>{start + 60, start + 61}));
    game.Advance(10);
    EXPECT_EQ(ranAt.back(), start + 90);
}

TEST_F(HarnessTest, KeysCharactersPointerButtonsAndWheel) {
    game.Start();
    GameKeys().PollWithMouse();  // presses are news to a device that polls when they are made
    game.PressKey(VK_LEFT);
    game.PressKey('Q', true);
    game.TypeChar('z');
    game.TypeChar('y', true);
    EXPECT_EQ(game.TakeKeys(), (std::vector<int32_t>{VK_LEFT, 'Q'}));
    EXPECT_EQ(game.TakeChars(),
              (std::vector<int32_t>{InputQueue::kAltMarker, 'Q', 'z', InputQueue::kAltMarker, 'y'}));

    game.MovePointer(120, 45);
    game.SetButton(VK_LBUTTON, true);
    game.TurnWheel(240);
    InputDevice& keys = GameKeys();
    keys.PollWithMouse();
    EXPECT_EQ(keys.Actions().Held(0), -1);  // action 0 is mapped to the left arrow
    EXPECT_EQ(keys.Actions().Pressed(0), 1);
    EXPECT_EQ(keys.Actions().Held(1), 0);
    EXPECT_EQ(keys.MouseButtons().Held(0), -1);
    EXPECT_EQ(keys.MouseX(), 120);
    EXPECT_EQ(keys.MouseY(), 45);
    EXPECT_EQ(keys.Wheel(), 240);
    game.ReleaseKey(VK_LEFT);
    keys.PollWithMouse();
    EXPECT_EQ(keys.Actions().Held(0), 0);
}

TEST_F(HarnessTest, SoundPlaysAreRecorded) {
    game.AddSound("Boom", "Sounds\\Boom.wav", WaveFile());
    game.Start();
    game.SettleSound();
    EXPECT_EQ(game.Plays("Misc\\Silence.wav"), 1);  // start-up's
    EXPECT_EQ(game.Plays("Boom"), 0);
    game.SoundOutput().PostPlay(game.Sound("Boom"));
    game.SoundOutput().PostPlay(game.Sound("Sounds\\Boom.wav"));
    game.SettleSound();
    EXPECT_EQ(game.Plays("Boom"), 2);
    EXPECT_EQ(game.Plays("Click"), 1);  // another name of start-up's file
}

}  // namespace
