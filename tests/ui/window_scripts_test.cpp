// What a window does when the scripts it calls change it: its walks go over the controls listed
// when they began, skipping those destroyed meanwhile; its entries all go when one's destructor
// fails, and the first error reaches the caller; once closed it takes nothing more; its drawing
// follows a display rebuilt under it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/script_handle.h"
#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/object_lifetime.h"
#include "script/operations.h"
#include "shell/game_globals.h"
#include "tests/support/error_message.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/script_log.h"
#include "tests/ui/dialog_fixture.h"
#include "tests/ui/hostile_controls.h"
#include "ui/control.h"
#include "ui/list_frame.h"
#include "ui/script_dialog.h"

namespace {

bool Alive(uint32_t address) {
    return FindScriptHandle(address, HandleFamily::kScriptObject, 0) != nullptr;
}

const HostileControl kClasses[] = {
    {.name = "Plain"},
    {.name = "RemoverAtStep", .action = HostileAction::kRemove, .when = 2},
    {.name = "AdderAtStep", .action = HostileAction::kAdd, .when = 2},
    {.name = "DestroyerAtStep", .action = HostileAction::kDestroy, .when = 2},
    {.name = "RemoverAtCount", .action = HostileAction::kRemove, .when = 7},
    {.name = "AdderAtCount", .action = HostileAction::kAdd, .when = 7},
    {.name = "DestroyerAtCount", .action = HostileAction::kDestroy, .when = 7},
    {.name = "DestroyerAtPicture", .action = HostileAction::kDestroy, .when = 8, .pictures = 2},
    {.name = "FailingAtDestroy", .action = HostileAction::kFail, .when = 0},
    {.name = "AdderAtDestroy", .action = HostileAction::kAdd, .when = 0},
};

// (virtual method, control id) of each visit, in order.
using VisitList = std::vector<std::pair<uint32_t, uint32_t>>;

// Constructed before the fixture's game, whose classes append to it.
struct VisitLog {
    ScriptLog log;
};

class WindowScriptsTest : public VisitLog, public DialogFixture {
  protected:
    WindowScriptsTest()
        : DialogFixture([this](GameHarness& g) {
              for (const HostileControl& c : kClasses) g.AddClass(c.Class(&log));
              g.AddClass({.name = "FailingEffect", .base = "ScreenEffect", .virtuals = {{0, FailWords()}}});
          }) {}

    // A control of the class made as scripts make it, its fields set; not yet in any window.
    ControlObject& Make(const std::string& cls, int32_t id, uint32_t on = 0, uint32_t target = 0) {
        ControlObject& control =
            ControlObject::Of(game.New(cls, {static_cast<uint32_t>(id), 0, 0, 0}).release());
        control.Field(kHostileOn) = on;
        control.Field(kHostileTarget) = target;
        return control;
    }
    // What a destructor that reads address 0 raises.
    std::string FetchError() {
        return ErrorMessage([&] { DestroyObject(&Make("FailingAtDestroy", 0)); });
    }
    // The visits logged since the last call.
    VisitList Visits() {
        const std::vector<uint32_t> words = log.Entries();
        log.Clear();
        VisitList visits;
        for (size_t i = 0; i + 1 < words.size(); i += 2) visits.emplace_back(words[i], words[i + 1]);
        return visits;
    }
};

TEST_F(WindowScriptsTest, StepAndDrawWalkTheControlsListedWhenTheyBegan) {
    struct Case {
        const char* walk;
        uint32_t virtualMethod;
        const char* first;  // the class of control 1; controls 2 and 3 are plain
        VisitList visits;
        uint32_t listedAfter;
    };
    // Control 1 acts on the dialog's list or on control 2 before the walk comes to 2; control 5 is
    // the one added.
    const Case cases[] = {
        {"step", 2, "RemoverAtStep", {{2, 1}, {2, 2}, {2, 3}}, 2},
        {"step", 2, "AdderAtStep", {{2, 1}, {2, 2}, {2, 3}}, 4},
        {"step", 2, "DestroyerAtStep", {{2, 1}, {2, 3}}, 3},
        {"draw", 7, "RemoverAtCount", {{7, 1}, {7, 2}, {7, 3}}, 2},
        {"draw", 7, "AdderAtCount", {{7, 1}, {7, 2}, {7, 3}}, 4},
        {"draw", 7, "DestroyerAtCount", {{7, 1}, {7, 3}}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.walk) + " " + c.first);
        const ReleaseHold hold;
        GameObject dialog = game.New("Dialog");
        DialogWindow& window = ZEMADialogObject::Of(dialog.get()).Window();
        ControlObject& second = Make("Plain", 2);
        ControlObject& added = Make("Plain", 5);
        const std::string first(c.first);
        const uint32_t target = first.starts_with("Remover") ? 1
                                : first.starts_with("Adder") ? added.Address()
                                                             : second.Address();
        window.AddControl(&Make(first, 1, dialog->Address(), target), kListOwned);
        window.AddControl(&second, kListOwned);
        window.AddControl(&Make("Plain", 3), kListOwned);
        Visits();
        if (c.virtualMethod == 2) {
            window.StepControls(1);
        } else {
            window.DrawControls();
        }
        EXPECT_EQ(Visits(), c.visits);
        EXPECT_EQ(window.ControlCount(), c.listedAfter);
        if (!first.starts_with("Adder")) DestroyObject(&added);
    }
}

TEST_F(WindowScriptsTest, TheHitTestWalksTheControlsListedWhenItBeganLastFirst) {
    // Control 3 is hit-tested first and takes control 1 out of the list: 2 is tested after it, 3
    // not again, and 1 no more.
    const ReleaseHold hold;
    GameObject dialog = game.New("Dialog");
    DialogWindow& window = ZEMADialogObject::Of(dialog.get()).Window();
    window.AddControl(&Make("Plain", 1), kListOwned);
    window.AddControl(&Make("Plain", 2), kListOwned);
    window.AddControl(&Make("RemoverAtCount", 3, dialog->Address(), 1), kListOwned);
    window.SetCallback([](DialogWindow& w, int32_t code, int32_t, int32_t) {
        if (code == kEventPointer || code == kEventRest) w.SetResult(0);
    });
    Visits();
    EXPECT_EQ(window.Run(device), 0);
    const VisitList visits = {{2, 1}, {2, 2}, {2, 3}, {7, 3}, {7, 2}};
    EXPECT_EQ(Visits(), visits);
    EXPECT_EQ(window.ControlCount(), 2u);
}

TEST_F(WindowScriptsTest, AControlThatDestroysItselfWhileDrawnEndsItsOwnDrawingOnly) {
    const ReleaseHold hold;
    GameObject dialog = game.New("Dialog");
    DialogWindow& window = ZEMADialogObject::Of(dialog.get()).Window();
    ControlObject& doomed = Make("DestroyerAtPicture", 1);
    doomed.Field(kHostileTarget) = doomed.Address();
    window.AddControl(&doomed, kListOwned);
    window.AddControl(&Make("Plain", 2), kListOwned);
    Visits();
    EXPECT_EQ(ErrorMessage([&] { window.DrawControls(); }), "no error");
    const VisitList visits = {{7, 1}, {7, 2}};
    EXPECT_EQ(Visits(), visits);
    EXPECT_FALSE(doomed.Alive());
}

TEST_F(WindowScriptsTest, EveryEntryGoesWhenOneDestructorFailsAndTheFirstErrorReachesTheCaller) {
    const std::string fetchError = FetchError();
    struct Case {
        const char* name;
        uint32_t failing;  // of controls 1 and 3, and the effect
        bool effect;
    };
    const Case cases[] = {
        {"close", 3, true},
        {"clear controls", 2, false},
        {"clear effects", 1, true},
        {"removed while running", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string logBefore = game.Log();
        auto window = NewWindow();
        std::vector<uint32_t> entries;
        for (const char* cls : {"FailingAtDestroy", "Plain", "FailingAtDestroy"}) {
            ControlObject& control = Make(cls, static_cast<int32_t>(entries.size() + 1));
            window->AddControl(&control, kListOwned);
            entries.push_back(control.Address());
        }
        if (c.effect) {
            ScriptObject* effect = game.New("FailingEffect").release();
            window->AddEffect(effect, kListOwned);
            entries.push_back(effect->Address());
        }
        const std::string name(c.name);
        std::string error;
        if (name == "close") {
            error = ErrorMessage([&] { window->Close(); });
        } else if (name == "clear controls") {
            error = ErrorMessage([&] { window->ClearControls(); });
        } else if (name == "clear effects") {
            error = ErrorMessage([&] { window->ClearEffects(); });
            entries = {entries.back()};
        } else {
            // Taken out by the callback while the loop runs: they go when the loop ends.
            react = [](DialogWindow& w, const WindowEventRecord& e) {
                if (e.code != kEventStart) return;
                w.RemoveControl(1);
                w.RemoveControl(2);
                w.RemoveControl(3);
                w.SetResult(0);
            };
            error = ErrorMessage([&] { Run(*window); });
            react = nullptr;
        }
        EXPECT_EQ(error, fetchError);
        for (uint32_t entry : entries) EXPECT_FALSE(Alive(entry));
        // The errors after the first are logged.
        EXPECT_EQ(game.Log().substr(logBefore.size()).find(fetchError) != std::string::npos, c.failing > 1)
            << game.Log();
    }
}

TEST_F(WindowScriptsTest, AListScreenClosesItsWindowAndItsEffectsErrorReachesTheCaller) {
    const std::string fetchError = FetchError();
    auto window =
        MakeListScreen(game.Cpu(), [](DialogWindow& w, int32_t, int32_t, int32_t) { w.SetResult(1); });
    ControlObject& control = Make("Plain", 1);
    window->AddControl(&control, kListOwned);
    const uint32_t controlAddress = control.Address();
    ScriptObject* effect = game.New("FailingEffect").release();
    const uint32_t effectAddress = effect->Address();
    window->AddEffect(effect, kListOwned);
    EXPECT_EQ(ErrorMessage([&] { RunListScreen(*window, device); }), fetchError);
    EXPECT_FALSE(Alive(effectAddress));
    EXPECT_FALSE(Alive(controlAddress));
    EXPECT_TRUE(window->Closed());
}

TEST_F(WindowScriptsTest, AClosedWindowTakesNothingMore) {
    // A control's destructor hands another control to the dialog that is being destroyed: refused,
    // the other stays its maker's instead of lying in a window that lets go of nothing more.
    const ReleaseHold hold;
    ScriptObject* dialog = game.New("Dialog").release();
    DialogWindow& window = ZEMADialogObject::Of(dialog).Window();
    ControlObject& late = Make("Plain", 2);
    window.AddControl(&Make("AdderAtDestroy", 1, dialog->Address(), late.Address()), kListOwned);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Object at 0x%08X added to a closed window", late.Address());
    EXPECT_EQ(ErrorMessage([&] { DestroyObject(dialog); }), expected);
    EXPECT_EQ(window.ControlCount(), 0u);
    EXPECT_TRUE(late.Alive());
    DestroyObject(&late);
}

TEST_F(WindowScriptsTest, AFrameIsDrawnOnTheDisplayACallbackRebuilt) {
    auto window = NewWindow();
    const ScreenSurface* rebuilt = nullptr;
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) game.MovePointer(100, 100);
        if (e.code == kEventBeforeDraw) {
            // As the screen options do when a script opened them from its drawing.
            BuildDisplay(game.Screen(), Game().directDraw, ScreenSettings(), &DefaultColours(),
                         &game.Colours());
            rebuilt = game.Screen().Surface();
            game.Screen().LockSurface();
        }
        if (e.code == kEventAfterDraw) w.SetResult(0);
    };
    EXPECT_EQ(Run(*window), 0);
    ASSERT_NE(rebuilt, nullptr);
    ASSERT_EQ(game.Screen().Surface(), rebuilt);
    // The pointer went onto the new screen.
    bool drawn = false;
    for (int32_t y = 100; y < 110; ++y)
        for (int32_t x = 100; x < 110; ++x) drawn |= *rebuilt->PixelAddress(x, y) != 0;
    EXPECT_TRUE(drawn);
}

}  // namespace
