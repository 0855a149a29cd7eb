#include "shell/win_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/trace_flag.h"
#include "platform/key_table.h"
#include "shell/command_line.h"
#include "shell/game_hooks.h"
#include "shell/game_stop.h"
#include "shell/input_queue.h"
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
    const std::vector<std::pair<const char*, StartOptions>> cases = {
        {"f", {1, true}}, {"fx", {1, true}}, {"F", {0, false}},     {"e", {2, true}},  {"p", {4, true}},
        {"d", {0, true}}, {"", {0, false}},  {nullptr, {0, false}}, {"xf", {0, false}}};
    for (const auto& [line, expected] : cases) {
        const StartOptions options = ParseCommandLine(line);
        EXPECT_EQ(options.startMode * 2 + options.trace, expected.startMode * 2 + expected.trace)
            << (line ? line : "-");
    }
}

TEST_F(WinMainTest, EachMissingEntryIsLoggedShownAndReleased) {
    std::vector<std::string> names = StartupEntryNames();
    names.insert(names.begin(), "main.FD");
    // Entries read once the processor exists also get the error dialog.
    const std::vector<std::string> withDialog = {"Fonts.subs", "Fonts\\Default.dff", "Misc\\GalaxyCursor.dpf",
                                                 "Sound.subs"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::filesystem::remove(dir.Absolute() / "vondrel.log");
        std::filesystem::remove(dir.Absolute() / "main.FD");
        if (name != "main.FD")
            WriteArchive({.omit = {name}, .screenFlags = ScreenSettingsBlock::kFullScreen});
        NewPlatform();
        EXPECT_EQ(Run(), kErrorExit);
        const std::vector<std::string> log = LogTexts();
        ASSERT_FALSE(log.empty());
        EXPECT_NE(log.back().find(name), std::string::npos) << log.back();
        ASSERT_EQ(App().MessageBoxCalls().size(), 1u);
        const MessageBoxCall box = App().MessageBoxCalls()[0];
        EXPECT_EQ(box.title + "|" + box.text, "Error|" + log.back());
        EXPECT_EQ(box.style, MbOk | MbIconError);
        const bool dialog = std::count(withDialog.begin(), withDialog.end(), name) == 1;
        ASSERT_EQ(App().ErrorDialogCalls().size(), dialog ? 1u : 0u);
        // The dialog logs its (empty) call stack before the message is logged.
        EXPECT_EQ(log.size(), dialog ? 2u : 1u);
        if (dialog) {
            EXPECT_EQ(App().ErrorDialogCalls()[0].message, log.back());
        }
        EXPECT_EQ(Game().processor, nullptr);
        EXPECT_FALSE(Video().IsOpen() || Video().FullScreenActive());
    }
}

TEST_F(WinMainTest, ClosingTheWindowStopsTheGameThreadInItsFrameWait) {
    WriteArchive();
    Hooks().mainScreen = [&] {
        App().PostToMain([&] { App().InjectClose(); });
        for (;;) GameFrameWait();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_TRUE(App().ErrorDialogCalls().empty());
    EXPECT_FALSE(App().CursorVisible());
}

TEST_F(WinMainTest, WindowEventsReachTheGameThreadByTheWindowRules) {
    WriteArchive();
    std::vector<int32_t> keys, characters;
    int32_t wheel = 0;
    bool active = true, onMain = true;
    Hooks().mainScreen = [&] {
        onMain = App().IsMainThread();
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
    EXPECT_FALSE(onMain);
    EXPECT_EQ(keys, (std::vector<int32_t>{'X', VK_MENU}));
    EXPECT_EQ(characters, (std::vector<int32_t>{-2, 'x', -2, 'X', -2}));
    EXPECT_EQ(wheel, 120);
    EXPECT_FALSE(active);

    HeadlessAudio cd;
    for (uint32_t message : {kDisplayModeStarting, kDisplayModeDone, kPlayCdTrack, kStopCd, kReservedMessage})
        EXPECT_EQ(MainWndProc(cd, message, 3, 0x105), 0);
    EXPECT_EQ(MainWndProc(cd, kPlayCdTrack, 3, 0), 0);
    EXPECT_EQ(cd.Calls(), (std::vector<std::string>{"PlayCD 5 0", "StopCD", "PlayCD 0 0"}));
}

// Errors of the game thread are logged and shown and end the program; a full-screen mode is
// given back on every way out.
TEST_F(WinMainTest, GameThreadErrorsAreReportedAndFullScreenIsGivenBack) {
    struct Case {
        const char* name;
        const char* commandLine;
        bool foreign;
        bool inStartup;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"normal end", "", false, false, {}},
        {"engine error", "", false, false, {"Broken", ""}},
        {"foreign error", "", true, false, {"Not Dorn exception!", ""}},
        {"foreign error, traced", "d", true, false, {"Not Dorn exception!", ""}},
        {"foreign error in start-up", "", true, true, {"Not Dorn exception"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Absolute() / "vondrel.log");
        WriteArchive({.screenFlags = ScreenSettingsBlock::kFullScreen});
        NewPlatform();
        bool fullScreenInGame = false;
        Hooks().mainScreen = [&] {
            fullScreenInGame = Video().FullScreenActive();
            if (c.foreign) throw std::runtime_error("foreign");
            if (!c.log.empty()) throw FatalExep(String("Broken"));
        };
        Hooks().loadHighScores = [&](ScriptObject&) {
            if (c.inStartup) throw std::runtime_error("foreign");
        };
        const bool throwsOn = c.inStartup || c.commandLine[0] == 'd';
        if (throwsOn) {
            EXPECT_THROW(Run(c.commandLine), std::runtime_error);
        } else {
            EXPECT_EQ(Run(c.commandLine), c.log.empty() ? 0 : kErrorExit);
        }
        EXPECT_EQ(fullScreenInGame, !c.inStartup);
        EXPECT_FALSE(Video().FullScreenActive());
        EXPECT_EQ(LogTexts(), c.log);
        const bool dialog = !c.log.empty() && !c.inStartup;
        ASSERT_EQ(App().ErrorDialogCalls().size(), dialog ? 1u : 0u);
        if (dialog) {
            EXPECT_EQ(App().ErrorDialogCalls()[0].message, c.foreign ? "UnknownException" : "Broken");
        }
        EXPECT_EQ(Game().processor, nullptr);
        SetTraceFlag(false);
    }
}
