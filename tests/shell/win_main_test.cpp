#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/trace_flag.h"
#include "platform/key_table.h"
#include "shell/command_line.h"
#include "shell/game_hooks.h"
#include "shell/game_shutdown.h"
#include "shell/game_stop.h"
#include "shell/input_queue.h"
#include "shell/win_main.h"
#include "shell/window_procedure.h"
#include "tests/shell/game_fixture.h"

namespace {

using WinMainTest = GameFixture;

std::vector<int32_t> Take(InputQueue& queue) {
    std::vector<int32_t> values;
    while (!queue.Empty()) values.push_back(queue.ReadInt());
    return values;
}

}  // namespace

TEST(CommandLine, OnlyTheFirstCharacterCounts) {
    struct Case {
        const char* line;
        int32_t mode;
        bool trace;
    };
    for (const Case& c : {Case{"f", 1, true}, Case{"fx", 1, true}, Case{"F", 0, false}, Case{"e", 2, true},
                          Case{"p", 4, true}, Case{"d", 0, true}, Case{"", 0, false}, Case{nullptr, 0, false},
                          Case{"xf", 0, false}}) {
        const StartOptions options = ParseCommandLine(c.line);
        EXPECT_EQ(options.startMode, c.mode) << (c.line ? c.line : "null");
        EXPECT_EQ(options.trace, c.trace) << (c.line ? c.line : "null");
    }
}

TEST_F(WinMainTest, NormalRunEndsWhenTheGameThreadDoes) {
    WriteArchive();
    int mainScreens = 0;
    bool onMainThread = true;
    Hooks().mainScreen = [&] {
        ++mainScreens;
        onMainThread = App().IsMainThread();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(mainScreens, 1);
    EXPECT_FALSE(onMainThread);
    EXPECT_FALSE(App().CursorVisible());
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_TRUE(App().MessageBoxCalls().empty());
    EXPECT_EQ(Game().processor, nullptr);
    EXPECT_EQ(Game().services.app, nullptr);
}

TEST_F(WinMainTest, EachMissingEntryIsLoggedAndShown) {
    std::vector<std::string> names = StartupEntryNames();
    names.insert(names.begin(), "main.FD");
    // Entries read once the processor exists also get the error dialog.
    const std::vector<std::string> withProcessor = {"Fonts.subs", "Fonts\\Default.dff", "Misc\\GalaxyCursor.dpf",
                                                    "Sound.subs"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::filesystem::remove(dir / "vondrel.log");
        std::filesystem::remove(dir / "main.FD");
        if (name != "main.FD") WriteArchive({.omit = {name}});
        NewPlatform();
        EXPECT_EQ(Run(), kErrorExit);

        const std::vector<std::string> log = LogTexts();
        ASSERT_FALSE(log.empty());
        const std::string& message = log.back();
        EXPECT_NE(message.find(name), std::string::npos) << message;
        const std::vector<MessageBoxCall> boxes = App().MessageBoxCalls();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, "Error");
        EXPECT_EQ(boxes[0].text, message);
        EXPECT_EQ(boxes[0].style, MbOk | MbIconError);
        const bool dialog = std::find(withProcessor.begin(), withProcessor.end(), name) != withProcessor.end();
        const std::vector<ErrorDialogCall> dialogs = App().ErrorDialogCalls();
        ASSERT_EQ(dialogs.size(), dialog ? 1u : 0u);
        // The dialog logs its (empty) call stack before the message is logged.
        EXPECT_EQ(log.size(), dialog ? 2u : 1u);
        if (dialog) {
            EXPECT_EQ(dialogs[0].caption, "ZEMA error");
            EXPECT_EQ(dialogs[0].message, message);
        }
        EXPECT_EQ(Game().processor, nullptr);
        EXPECT_EQ(Game().archive, nullptr);
        EXPECT_FALSE(Video().IsOpen());
    }
}

TEST_F(WinMainTest, ClosingTheWindowStopsTheGameThreadInItsWait) {
    WriteArchive();
    std::atomic<int> waits{0};
    Hooks().mainScreen = [&] {
        App().PostToMain([&] { App().InjectClose(); });
        for (;;) {
            GameFrameWait();
            ++waits;
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_TRUE(App().ErrorDialogCalls().empty());
    EXPECT_EQ(Game().soundSystem, nullptr);
}

TEST_F(WinMainTest, WindowEventsReachTheGameThreadByTheWindowRules) {
    WriteArchive();
    std::vector<int32_t> keys, characters;
    int32_t wheel = 0;
    bool active = true;
    Hooks().mainScreen = [&] {
        App().RunOnMain([&] {
            App().InjectChar('x', true);
            App().InjectKeyDown('X', true);
            App().InjectKeyDown(VK_MENU, true);
            App().InjectChar(254);
            for (int32_t steps : {120, 120, -120}) App().InjectWheel(steps);
            App().InjectActive(false);
        });
        keys = Take(KeyQueue());
        characters = Take(CharQueue());
        wheel = App().WheelSum();
        active = App().Active();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(keys, (std::vector<int32_t>{'X', VK_MENU}));
    EXPECT_EQ(characters, (std::vector<int32_t>{-2, 'x', -2, 'X', -2}));
    EXPECT_EQ(wheel, 120);
    EXPECT_FALSE(active);

    HeadlessAudio cd;
    for (uint32_t message : {kDisplayModeStarting, kDisplayModeDone, kPlayCdTrack, kPlayCdTrack, kStopCd, kReservedMessage})
        EXPECT_EQ(MainWndProc(cd, message, 3, message == kPlayCdTrack && cd.Calls().empty() ? 0x105 : 0), 0);
    EXPECT_EQ(cd.Calls(), (std::vector<std::string>{"PlayCD 5 0", "PlayCD 0 0", "StopCD"}));
}

TEST_F(WinMainTest, EngineErrorOnTheGameThreadIsLoggedShownAndEndsTheProgram) {
    WriteArchive();
    Hooks().mainScreen = [] { throw FatalExep(String("Broken level")); };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{"Broken level", ""}));
    const std::vector<ErrorDialogCall> dialogs = App().ErrorDialogCalls();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].message, "Broken level");
    EXPECT_EQ(dialogs[0].callStack, "");
}

// Every way out gives a switched full-screen mode back.
TEST_F(WinMainTest, FullScreenIsGivenBackOnEveryWayOut) {
    struct Case {
        const char* name;
        const char* commandLine;
        std::vector<std::string> omit;
        std::function<void()> mainScreen;
        std::function<void(ScriptObject&)> highScores;
        bool throwsOn;
        std::vector<std::string> log;
    };
    const auto foreign = [] { throw std::runtime_error("foreign"); };
    const Case cases[] = {
        {"normal", "", {}, {}, {}, false, {}},
        {"engine error in start-up", "", {"Sound.subs"}, {}, {}, false, {}},
        {"engine error in the game", "", {}, [] { throw FatalExep(String("x")); }, {}, false, {"x", ""}},
        {"foreign error in the game", "", {}, foreign, {}, false, {"Not Dorn exception!", ""}},
        {"foreign error in the game, traced", "d", {}, foreign, {}, true, {"Not Dorn exception!", ""}},
        {"foreign error in start-up", "", {}, {}, [](ScriptObject&) { throw std::runtime_error("s"); }, true,
         {"Not Dorn exception"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / "vondrel.log");
        WriteArchive({.omit = c.omit, .screenFlags = ScreenSettingsBlock::kFullScreen});
        NewPlatform();
        bool fullScreenInGame = false;
        Hooks().mainScreen = [&] {
            fullScreenInGame = Video().FullScreenActive();
            if (c.mainScreen) c.mainScreen();
        };
        Hooks().loadHighScores = c.highScores;
        if (c.throwsOn) {
            EXPECT_THROW(Run(c.commandLine), std::runtime_error);
        } else {
            Run(c.commandLine);
        }
        EXPECT_FALSE(Video().FullScreenActive());
        if (c.omit.empty() && !c.highScores) {
            EXPECT_TRUE(fullScreenInGame);
        }
        if (!c.log.empty()) {
            EXPECT_EQ(LogTexts(), c.log);
        }
        if (c.mainScreen) {
            ASSERT_EQ(App().ErrorDialogCalls().size(), 1u);
            const bool foreignError = c.log[0] != "x";
            EXPECT_EQ(App().ErrorDialogCalls()[0].message, foreignError ? "UnknownException" : "x");
        }
        EXPECT_EQ(Game().processor, nullptr);
        SetTraceFlag(false);
    }
}
