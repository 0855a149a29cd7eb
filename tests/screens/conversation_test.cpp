// Conversations: questions from a characteristics file, answers leading to a further question, the
// dialog's event 8 or the end, the answers' layout, and records that are damaged.
#include "screens/conversation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "campaign/scene_reset.h"
#include "graphics/font_manager.h"
#include "platform/key_table.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/main_screen_content.h"
#include "tests/support/script_log.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/visual.h"

namespace {

constexpr int32_t kBase = 400;

class ConversationTest : public ::testing::Test {
  protected:
    ConversationTest() {
        AddMainScreenContent(game);
        game.AddMessages("Talk.mes", {{1, "First?"}, {2, "Second?"}, {3, "Third?"}, {4, "Fourth?"}})
            .AddMessages("Talk.mes",
                         {{5, "Fifth?"}, {9, "Bye"}, {10, "More"}, {11, "Signal"}, {20, "Further"}});
        game.AddCharacteristics("Talk.chr", {{100, {1, 9, 10, 2, 200, -1}},
                                             {200, {2, 9, 20, 1, 300}},
                                             {300, {3, 9}},
                                             {400, {4, 0, 10, 5, 200}},
                                             {500, {5}}});
        game.AddClass({.name = "TestTalk", .base = "Conversation", .virtuals = {{8, log.Append(8)}}});
        game.Start();
        device.SetMouseEnabled(true);
        // The conversation is made in a scene: its fonts are loaded after these marks.
        game.Class("TestTalk");
        marks = SaveResourceMarks(game.Cpu());
        // Pushed so that native 0 pops the message file, the question file, the answers' x, base
        // and width, then the question's x, y and width.
        talk = game.New("TestTalk",
                        {400, 50, 100, 300, kBase, 100, game.Text("Talk.chr"), game.Text("Talk.mes")});
    }

    ConversationObject& Talk() { return ConversationObject::Of(talk.get()); }
    DialogWindow& Window() { return Talk().Window(); }
    std::vector<uint32_t> Native(uint32_t number, const std::vector<uint32_t>& pushed = {}) {
        return game.CallMethod(talk.get(), game.Class("Conversation"), number, pushed);
    }
    int32_t NextY() { return *FromScript<int32_t>(Native(21).at(0)); }
    int32_t Y(int32_t id) { return Window().FindControl(id)->Int(kVisualY); }
    // Clicks the middle of a control at the time given, noting which question is shown then.
    void ClickOn(uint32_t time, int32_t id) {
        game.At(time, [this, id] {
            for (int32_t question : {1, 2, 3, 4})
                if (Window().FindControl(question) != nullptr) questions.push_back(question);
            ControlObject* control = Window().FindControl(id);
            ASSERT_NE(control, nullptr) << id;
            auto& text = StaticTextObject::Of(control);
            game.MovePointer(control->AbsoluteX() + 3, control->AbsoluteY() - text.Height() / 2);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
    }

    GameHarness game;
    ScriptLog log;
    InputDevice device;
    ResourceMarks marks;
    GameObject talk;
    std::vector<int32_t> questions;
};

// Kept past the scene whose reset took its fonts, a conversation shows its question and answers in
// no font, as controls without one, never in a font that is gone.
TEST_F(ConversationTest, AConversationKeptPastItsSceneUsesNoFontTheResetTook) {
    ResetScene(game.Cpu(), marks, false);
    ASSERT_EQ(game.Fonts().Fonts().Count(), marks.fonts);
    Native(19, {100});
    for (int32_t id : {1, 9, 10}) {
        ControlObject* shown = Window().FindControl(id);
        ASSERT_NE(shown, nullptr) << id;
        EXPECT_EQ(StaticTextObject::Of(shown).TextFont(), nullptr) << id;
    }
}

TEST_F(ConversationTest, ThreeQuestionsAnEventAndTheEnd) {
    Native(19, {100});
    uint32_t t = game.Now();
    ClickOn(t += 400, 11);  // the dialog's event 8
    ClickOn(t += 400, 10);  // to question 200
    ClickOn(t += 400, 20);  // to question 300
    ClickOn(t += 400, 9);   // the end
    game.At(t + 10000, [] { throw std::runtime_error("the conversation did not end"); });
    log.Clear();
    EXPECT_EQ(Window().Run(device), 0);
    EXPECT_EQ(questions, (std::vector<int32_t>{1, 1, 2, 3}));
    // Event 8 runs once as the loop starts, then for the answer.
    EXPECT_EQ(log.Entries(), (std::vector<uint32_t>{8, 8}));
    EXPECT_EQ(Talk().AnswerCount(), 2u);  // the question text and its ending answer
}

// Answers stand on their y and stack upwards 10 pixels apart, from the base again for each
// question; each one a script adds overlaps the one before by 10 pixels.
TEST_F(ConversationTest, AnswersStackUpwardsTenPixelsApart) {
    Native(19, {100});
    const int32_t h = StaticTextObject::Of(Window().FindControl(9)).Height();
    ASSERT_GT(h, 0);
    EXPECT_EQ(Window().FindControl(1)->Int(kVisualY), 50);
    EXPECT_EQ((std::vector<int32_t>{Y(9), Y(10), Y(11), NextY()}),
              (std::vector<int32_t>{kBase, kBase - h - 10, kBase - 2 * h - 20, kBase - 3 * h - 30}));
    Native(20);
    EXPECT_EQ(Window().FindControl(1), nullptr);
    EXPECT_EQ(Window().FindControl(9), nullptr);
    EXPECT_EQ(NextY(), kBase);
    Native(24, {static_cast<uint32_t>(kAnswerEnds), 70, game.Text("Go")});
    Native(24, {300, 71, game.Text("Stay")});
    EXPECT_EQ((std::vector<int32_t>{Y(70), Y(71), NextY()}),
              (std::vector<int32_t>{kBase, kBase - h + 10, kBase - 2 * h + 20}));
    // A script may move the next answer through the reference.
    *FromScript<int32_t>(Native(21).at(0)) = 123;
    Native(24, {300, 72, game.Text("Here")});
    EXPECT_EQ(Y(72), 123);
    // At the bottom of the range the next place stays there.
    *FromScript<int32_t>(Native(21).at(0)) = INT32_MIN;
    Native(24, {300, 73, game.Text("Low")});
    EXPECT_EQ(NextY(), INT32_MIN);
    EXPECT_EQ(game.TextAt(Native(22).at(0)), "Talk.chr");
    EXPECT_EQ(game.TextAt(Native(23).at(0)), "Talk.mes");
}

TEST_F(ConversationTest, CommandsShowTheQuestionTheyNameAndIgnoreTheRest) {
    struct Case {
        int32_t command;
        int32_t shown;  // the question text afterwards
    };
    const Case cases[] = {{777, 1}, {-5, 1}, {300, 3}, {500, 5}};
    Native(19, {100});
    for (const Case& c : cases) {
        game.CallVirtual(talk.get(), kDialogEventVirtual,
                         {kEventPrimary, 0, static_cast<uint32_t>(c.command)});
        EXPECT_NE(Window().FindControl(c.shown), nullptr) << c.command;
    }
    EXPECT_EQ(Talk().AnswerCount(), 1u);  // record 500 holds only its question
    EXPECT_EQ(ErrorMessage([&] { Native(19, {999}); }), "Object #999 characteristics not found in Talk.chr");
}

// Record 400 promises five further answers but holds one target: the one it holds is shown and
// leads on, the rest is never read, and a log line says so; the conversation goes on, whether the
// record is shown before the dialog runs or by a command while it runs.
TEST_F(ConversationTest, ARecordWithTooFewTargetsShowsTheAnswersItHolds) {
    Native(19, {400});
    EXPECT_NE(Window().FindControl(10), nullptr);
    EXPECT_EQ(Window().FindControl(11), nullptr);
    EXPECT_EQ(Talk().AnswerCount(), 2u);
    EXPECT_NE(game.Log().find("question #400 in Talk.chr"), std::string::npos);
    uint32_t t = game.Now();
    ClickOn(t += 400, 10);  // to question 200
    game.At(t += 400, [this] { Window().PostMessage(kEventPrimary, 0, 400); });
    ClickOn(t += 400, 10);  // to question 200 again
    ClickOn(t += 400, 9);   // the end
    game.At(t + 10000, [] { throw std::runtime_error("the conversation did not end"); });
    EXPECT_EQ(Window().Run(device), 0);
    EXPECT_EQ(questions, (std::vector<int32_t>{4, 4, 2}));
}

}  // namespace
