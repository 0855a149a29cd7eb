#include "platform/app.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/headless_app.h"

TEST(App, RunOnMainRunsOnTheMainThreadAndReturnsWhenDone) {
    HeadlessApp app;
    const auto mainId = std::this_thread::get_id();
    std::vector<bool> onMain;
    app.StartGameThread([&] {
        for (int i = 0; i < 3; ++i)
            app.RunOnMain([&] { onMain.push_back(std::this_thread::get_id() == mainId); });
        // Done before RunOnMain returned: the game thread sees all three.
        if (onMain.size() == 3)
            app.PostQuit(7);
        else
            app.PostQuit(1);
    });
    EXPECT_EQ(app.RunMainLoop(), 7);
    app.JoinGameThread();
    EXPECT_EQ(onMain, (std::vector<bool>{true, true, true}));
}

TEST(App, RunOnMainOnTheMainThreadRunsAtOnce) {
    HeadlessApp app;
    int ran = 0;
    app.RunOnMain([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

TEST(App, ErrorsCrossBackToTheCaller) {
    HeadlessApp app;
    std::string caught;
    app.StartGameThread([&] {
        try {
            app.RunOnMain([] { throw std::runtime_error("from main"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        app.PostQuit();
        throw std::logic_error("from game");
    });
    EXPECT_EQ(app.RunMainLoop(), 0);
    EXPECT_THROW(app.JoinGameThread(), std::logic_error);
    EXPECT_EQ(caught, "from main");
}

TEST(App, FirstQuitCodeCountsAndJoinStillServesCalls) {
    HeadlessApp app;
    bool served = false;
    app.StartGameThread([&] {
        app.PostQuit(3);
        app.PostQuit(4);
        // The loop may have ended already: the join must still serve this.
        app.RunOnMain([&] { served = true; });
    });
    EXPECT_EQ(app.RunMainLoop(), 3);
    EXPECT_TRUE(app.QuitRequested());
    app.JoinGameThread();
    EXPECT_TRUE(served);
}

TEST(App, DestroyingStopsAGameThreadWaitingForQuit) {
    bool sawQuit = false;
    {
        HeadlessApp app;
        app.StartGameThread([&] {
            // A game thread that only ends when asked to, as the frame waits do.
            while (!app.QuitRequested()) app.RunOnMain([] {});
            sawQuit = true;
        });
    }
    EXPECT_TRUE(sawQuit);
}

TEST(App, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    HeadlessApp app;
    app.ScriptAnswers({IdNo, IdCancel});
    std::vector<int> answers;
    app.StartGameThread([&] {
        answers.push_back(app.ShowMessageBox("Question", "Leave?", MbYesNo | MbIconQuestion));
        answers.push_back(app.ShowMessageBox("Ask", "Sure?", MbOkCancel));
        answers.push_back(app.ShowMessageBox("Q2", "Again?", MbYesNo));
        answers.push_back(app.ShowMessageBox("Error", "Broken", MbOk | MbIconError));
        app.PostQuit();
    });
    testing::internal::CaptureStderr();
    app.RunMainLoop();
    app.JoinGameThread();
    // Without a window, standard error is where a reader sees them.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Question: Leave?\nAsk: Sure?\nQ2: Again?\nError: Broken\n");
    EXPECT_EQ(answers, (std::vector<int>{IdNo, IdCancel, IdYes, IdOk}));
    const auto calls = app.MessageBoxCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].title, "Question");
    EXPECT_EQ(calls[0].text, "Leave?");
    EXPECT_EQ(calls[0].style, MbYesNo | MbIconQuestion);
    EXPECT_EQ(calls[3].style, 0x10u);
}

TEST(App, DismissedBoxesGiveTheCautiousAnswer) {
    EXPECT_EQ(DismissedMessageBoxAnswer(MbOk | MbIconError), IdOk);
    EXPECT_EQ(DismissedMessageBoxAnswer(MbOkCancel), IdCancel);
    EXPECT_EQ(DismissedMessageBoxAnswer(MbYesNo | MbIconQuestion), IdNo);
}

TEST(App, KeysAndTextReachTheHandlersAsCodePageBytes) {
    HeadlessApp app;
    std::vector<std::pair<int32_t, bool>> keys;
    std::vector<int> chars;
    app.SetKeyDownHandler([&](int32_t vk, bool alt) { keys.emplace_back(vk, alt); });
    app.SetCharHandler([&](uint8_t c, bool) { chars.push_back(c); });
    app.InjectKeyDown('X', true);
    app.InjectKeyDown(0x12, true);
    app.InjectText(
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC");                                        // German letters and the euro sign
    app.InjectText("\xE6\x97\xA5\xF0\x9F\x98\x80|\x01\x7F\xC3");  // unmappable, control, broken
    EXPECT_EQ(keys, (std::vector<std::pair<int32_t, bool>>{{'X', true}, {0x12, true}}));
    EXPECT_EQ(chars, (std::vector<int>{'G', 'r', 0xFC, 0xDF, 'e', ' ', 0x80, '|'}));
}

TEST(App, WheelAndActiveFlag) {
    HeadlessApp app;
    EXPECT_TRUE(app.Active());
    app.InjectActive(false);
    EXPECT_FALSE(app.Active());
    app.InjectWheel(120);
    app.InjectWheel(120);
    app.InjectWheel(-120);
    EXPECT_EQ(app.WheelSum(), 120);
    EXPECT_EQ(app.TakeWheelSum(), 120);
    EXPECT_EQ(app.WheelSum(), 0);
}
