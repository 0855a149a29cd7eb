#include "ui/script_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/script_log.h"
#include "tools/content/script_assembler.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/input_holder.h"

namespace {

// What the test dialogs store as their result when they end.
constexpr uint32_t kEnded = 77;
// Log records of the start (virtual 8) and the step (virtual 2, with the frame).
constexpr int32_t kStartRecord = 100;
constexpr int32_t kStepRecord = 200;

struct Record {
    int32_t code, p1, p2;
    bool operator==(const Record&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Record& r) {
    return out << "{" << r.code << ", " << r.p1 << ", " << r.p2 << "}";
}

// The device of a pilot, as scripts name it: by the object that holds it.
class DeviceHolder : public ScriptObject, public InputHolder {
  public:
    DeviceHolder() : ScriptObject(nullptr) {
        device.Actions().SetCodes({static_cast<uint32_t>(VK_LEFT), static_cast<uint32_t>(VK_RIGHT),
                                   static_cast<uint32_t>(VK_UP), static_cast<uint32_t>(VK_DOWN)});
        device.SetMouseEnabled(true);
    }
    InputDevice* HeldInput() override { return &device; }
    InputDevice device;
};

class ScriptDialogTest : public ::testing::Test {
  protected:
    ScriptDialogTest() {
        game.AddMessages("system.mes", {{117, "Yes"}, {119, "No"}});
        game.AddPicture("Misc\\Up.dpf", {.width = 10, .height = 10});
        game.AddPicture("Misc\\Down.dpf", {.width = 10, .height = 10});
        // Every virtual method logs a record; the window event ends the loop on its event or on
        // the close request.
        game.AddClass({.name = "QuietDialog", .base = "Dialog", .virtuals = {{2, Step()}, {8, Start()}}});
        game.AddClass(
            {.name = "KeyDialog", .base = "Dialog", .virtuals = {{2, Step()}, {7, Event(6)}, {8, Start()}}});
        game.AddClass({.name = "ClickDialog", .base = "Dialog", .virtuals = {{7, Event(1)}}});
        game.Start();
    }

    std::vector<uint32_t> Start() const {
        return CodeWords({log.Append(kStartRecord), log.Append(0), log.Append(0)});
    }
    std::vector<uint32_t> Step() const {
        return CodeWords({log.Append(kStepRecord), log.AppendTop(), log.Append(0)});
    }
    // Takes (code, p1, p2): logs them, and stores kEnded through native 11 for the end event and 4.
    std::vector<uint32_t> Event(int32_t endEvent) const {
        ScriptAssembler a;
        auto words = [&a](const std::vector<uint32_t>& code) {
            for (uint32_t w : code) a.Word(w);
        };
        a.Op(Op::Rot);  // p1 p2 code
        a.Op(Op::Dup);
        words(log.AppendTop());
        a.Op(Op::RotBack);  // code p1 p2
        a.Op(Op::Swap);
        words(log.AppendTop());
        words(log.AppendTop());  // code
        const ScriptAssembler::Label end = a.NewLabel();
        const ScriptAssembler::Label store = a.NewLabel();
        a.Op(Op::Dup);
        a.Op(Op::PushInline, {static_cast<uint32_t>(endEvent)});
        a.Op(Op::Equal);
        a.Jump(Op::JumpIfNonZero, store);
        a.Op(Op::PushInline, {static_cast<uint32_t>(kEventClose)});
        a.Op(Op::Equal);
        a.Jump(Op::JumpIfZero, end);
        a.Op(Op::PushInline, {0});
        a.Bind(store);
        a.Op(Op::Drop);
        a.Op(Op::PushInline, {kEnded});
        a.Word(BaseCallWord(11));
        a.Op(Op::Store);
        a.Bind(end);
        return a.Finish();
    }

    GameObject Dialog(const std::string& className = "Dialog") { return game.New(className); }
    DialogWindow& Window(const GameObject& dialog) { return ZEMADialogObject::Of(dialog.get()).Window(); }
    // A Dialog native: arguments in the order it pops them.
    std::vector<uint32_t> Native(const GameObject& dialog, uint32_t number,
                                 std::vector<uint32_t> popped = {}) {
        return game.CallMethod(dialog.get(), game.Class("Dialog"), number, {popped.rbegin(), popped.rend()});
    }
    int32_t Run(const GameObject& dialog) {
        return static_cast<int32_t>(Native(dialog, 4, {holder->Address()}).at(0));
    }
    GameObject NewControl(int32_t x, int32_t y, int32_t id) {
        return game.New("Control", {static_cast<uint32_t>(id), static_cast<uint32_t>(y),
                                    static_cast<uint32_t>(x), game.Picture("Misc\\Up.dpf")->Address()});
    }
    std::vector<Record> Records() const {
        const std::vector<uint32_t> words = log.Entries();
        std::vector<Record> records;
        for (size_t i = 0; i + 2 < words.size(); i += 3) {
            records.push_back({static_cast<int32_t>(words[i]), static_cast<int32_t>(words[i + 1]),
                               static_cast<int32_t>(words[i + 2])});
        }
        return records;
    }
    // Runs the action during the wait for the frame after the one being drawn now.
    void NextFrame(std::function<void()> action) { game.At(game.Now() + 1, std::move(action)); }

    GameHarness game;
    ScriptLog log;
    std::unique_ptr<DeviceHolder> holder = std::make_unique<DeviceHolder>();
};

TEST_F(ScriptDialogTest, RunsModallyThroughItsVirtualMethodsUntilAScriptStoresTheResult) {
    struct Case {
        const char* name;
        const char* className;
        std::function<void()> input;  // during the first frame
        std::vector<Record> records;
        int32_t result;
    };
    const Case cases[] = {
        {"without its own window event it ends right after event 11",
         "QuietDialog",
         nullptr,
         {{kStartRecord, 0, 0}},
         0},
        {"a key ends it",
         "KeyDialog",
         [this] { game.PressKey('K'); },
         {{kStartRecord, 0, 0},
          {kEventStart, 0, 0},
          {kStepRecord, 0, 0},
          {kEventPointer, 0, 0},
          {kEventBeforeDraw, 0, 0},
          {kEventAfterDraw, 0, 0},
          {kEventKey, 'K', 0},
          {kEventEnd, 0, 0}},
         kEnded},
        {"Escape is a character, then the close request",
         "KeyDialog",
         [this] { game.TypeChar(27); },
         {{kStartRecord, 0, 0},
          {kEventStart, 0, 0},
          {kStepRecord, 0, 0},
          {kEventPointer, 0, 0},
          {kEventBeforeDraw, 0, 0},
          {kEventAfterDraw, 0, 0},
          {kEventCharacter, 27, 0},
          {kEventClose, 0, 0},
          {kEventEnd, 0, 0}},
         kEnded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.Clear();
        GameObject dialog = Dialog(c.className);
        if (c.input) NextFrame(c.input);
        EXPECT_EQ(Run(dialog), c.result);
        EXPECT_EQ(Records(), c.records);
        game.ReleaseKey('K');
    }
}

TEST_F(ScriptDialogTest, TheWindowDeletesTheControlsOfNative7OnlyAndNative6With0RestoresThePointer) {
    GameObject dialog = Dialog();
    DialogWindow& window = Window(dialog);
    GameObject owned = NewControl(0, 0, 1);
    GameObject shown = NewControl(0, 0, 2);
    Native(dialog, 7, {owned->Address()});
    Native(dialog, 12, {shown->Address()});
    EXPECT_EQ(Native(dialog, 10, {2}), std::vector<uint32_t>{shown->Address()});
    const WeakObject ownedRef(owned.release());

    Image* arrow = game.Picture("Misc\\Down.dpf");
    Native(dialog, 6, {arrow->Address()});
    EXPECT_EQ(window.Cursor(), arrow);
    Native(dialog, 6, {0});
    EXPECT_EQ(window.Cursor(), window.DefaultCursor());

    dialog.reset();
    EXPECT_EQ(ownedRef.Get(), nullptr);
    EXPECT_EQ(ControlObject::FromAddress(shown->Address(), "control"), shown.get());
}

TEST_F(ScriptDialogTest, HelpTextsItHandsOutStayReadable) {
    GameObject dialog = Dialog();
    const struct {
        const char* text;
        int32_t number;
        bool sameCopy;  // written over the last copy, which it fits
    } steps[] = {{"Short", 5, false}, {"A longer help file name", 6, false}, {"Tiny", 7, true}};
    std::vector<uint32_t> copies;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        Native(dialog, 17, {static_cast<uint32_t>(step.number), game.Text(step.text)});
        const std::vector<uint32_t> help = Native(dialog, 18);
        ASSERT_EQ(help.size(), 2u);
        EXPECT_EQ(GameHarness::TextAt(help[0]), step.text);
        EXPECT_EQ(help[1], static_cast<uint32_t>(step.number));
        EXPECT_EQ(Window(dialog).HelpText(), step.text);
        if (!copies.empty()) {
            EXPECT_EQ(help[0] == copies.back(), step.sameCopy);
        }
        copies.push_back(help[0]);
    }
    // The copy a longer text outgrew still holds what it held.
    EXPECT_EQ(GameHarness::TextAt(copies[0]), "Short");
}

TEST_F(ScriptDialogTest, APilotDeletedWhileItsDialogRunsEndsTheLoopWithAnEngineError) {
    GameObject dialog = Dialog("KeyDialog");
    NextFrame([this] { game.PressKey('K'); });
    EXPECT_EQ(Run(dialog), static_cast<int32_t>(kEnded));
    game.ReleaseKey('K');
    EXPECT_EQ(Native(dialog, 5), std::vector<uint32_t>{holder->Address()});

    const uint32_t pilot = holder->Address();
    NextFrame([this] { holder.reset(); });
    EXPECT_EQ(ErrorMessage([&] { Native(dialog, 4, {pilot}); }),
              "The owner of the window's input device was deleted while the window ran");
    EXPECT_EQ(Native(dialog, 5), std::vector<uint32_t>{0});
    // Nor does a message box over the window take the device that went with its owner.
    EXPECT_EQ(ErrorMessage([&] {
                  Native(dialog, 15, {200, 0, 1, game.Text("Gone")});
              }),
              "Message box without an input device");
}

// A container hands a click on its child to the window by posting it: the request reaches the
// running dialog, which gets it as event 1 with the child's id.
TEST_F(ScriptDialogTest, AClickAContainerPassesOnReachesTheDialog) {
    GameObject dialog = Dialog("ClickDialog");
    GameObject container = game.New("MultiControl", {9, 50, 100, 100, 100});  // x 100, y 100, 100 x 50
    GameObject child = NewControl(5, 5, 3);
    game.CallMethod(container.get(), 21, {child.release()->Address()});
    Native(dialog, 7, {container.release()->Address()});
    NextFrame([this] {
        game.MovePointer(107, 107);
        game.SetButton(VK_LBUTTON, true);
    });
    // Ends the loop all the same should the click be lost.
    game.At(game.Now() + 1000, [this] { game.TypeChar(27); });
    EXPECT_EQ(Run(dialog), static_cast<int32_t>(kEnded));
    game.SetButton(VK_LBUTTON, false);
    const std::vector<Record> records = Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[records.size() - 2], (Record{kEventPrimary, 0, 3}));
}

}  // namespace
