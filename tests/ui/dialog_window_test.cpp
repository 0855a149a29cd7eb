#include <gtest/gtest.h>

#include "foundation/exceptions.h"
#include "foundation/script_handle.h"
#include "foundation/script_memory.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/control.h"
#include "ui/text_controls.h"
#include "ui/typed_characters.h"
#include "ui/window_services.h"

namespace {

using DialogWindowTest = DialogFixture;

bool Alive(uint32_t address) {
    return FindScriptHandle(address, HandleFamily::kScriptObject, 0) != nullptr;
}

TEST(TypedCharactersTest, EditFieldsTakeLettersDigitsSpacesAndPunctuation) {
    struct Case {
        int32_t value;
        bool taken;
    };
    const Case cases[] = {
        {'a', true},
        {'Z', true},
        {'7', true},
        {' ', true},
        {'!', true},
        {'~', true},
        {'_', true},
        {13, false},
        {8, false},
        {27, false},
        {9, false},
        {127, false},
        // Letters of the code page arrive sign-extended.
        {static_cast<int8_t>(0xE9), true},
        {static_cast<int8_t>(0xC0), true},
        {static_cast<int8_t>(0x8A), true},
        {static_cast<int8_t>(0xD7), false},
        {static_cast<int8_t>(0xF7), false},
        {static_cast<int8_t>(0xA7), false},
        {static_cast<int8_t>(0x80), false},
        {-2, false},  // the Alt marker
        {300, false},
    };
    for (const Case& c : cases) EXPECT_EQ(EditFieldTakes(c.value), c.taken) << c.value;
}

TEST_F(DialogWindowTest, ActiveEditFieldsTakeTypedTextAndLeaveTheRestToTheWindow) {
    auto window = NewWindow();
    AddButton(*window, 1, 10, 10, "Name");
    const uint32_t buffer = game.Text(std::string(15, '\0'));
    ControlObject& edit = NewControlByName(game.Cpu(), "Edit", {20, 40, 10, buffer, 2});
    window->AddControl(&edit, kListOwned);
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) {
            for (char c : std::string("ab 1!x")) game.TypeChar(static_cast<uint8_t>(c));
            game.TypeChar(8);
            game.TypeChar(13);
        }
        if (e.code == kEventCharacter) w.SetResult(0);
    };
    Run(*window);
    EXPECT_EQ(game.TextAt(buffer), "ab 1!");
    // Enter is not taken: it reaches the window with the field that refused it current.
    EXPECT_EQ(Only(kEventCharacter), (std::vector<WindowEventRecord>{{kEventCharacter, 13, 2}}));
}

TEST_F(DialogWindowTest, AnEditFieldNeverWritesPastItsBuffer) {
    auto window = NewWindow();
    const uint32_t buffer = game.Text(std::string(7, '\0'));
    ControlObject& edit = NewControlByName(game.Cpu(), "Edit", {20, 40, 4, buffer, 2});
    window->AddControl(&edit, kListOwned);
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart)
            for (int i = 0; i < 20; ++i) game.TypeChar('z');
        if (e.code == kEventAfterDraw) w.SetResult(0);
    };
    Run(*window);
    EXPECT_EQ(game.TextAt(buffer), "zzz");
    EXPECT_EQ(game.TextAt(buffer + 4), "");
}

TEST_F(DialogWindowTest, ListsKeepTheirOwnershipModes) {
    uint32_t owned = 0;
    uint32_t always = 0;
    uint32_t borrowed = 0;
    {
        auto window = NewWindow();
        owned = AddButton(*window, 1, 0, 0, "a").Address();
        ControlObject& b = NewControlByName(game.Cpu(), "TextButton", {0, 0, game.Text("b"), 2});
        window->AddControl(&b, kAlwaysOwned);
        always = b.Address();
        ControlObject& c = NewControlByName(game.Cpu(), "TextButton", {0, 0, game.Text("c"), 3});
        window->AddControl(&c, kNeverOwned);
        borrowed = c.Address();
        EXPECT_EQ(window->FindControl(2), &b);
        window->RemoveControl(99);
        EXPECT_EQ(window->ControlCount(), 3u);
    }
    EXPECT_FALSE(Alive(owned));
    EXPECT_FALSE(Alive(always));
    ASSERT_TRUE(Alive(borrowed));
    DestroyObject(static_cast<ScriptObject*>(FindScriptHandle(borrowed, HandleFamily::kScriptObject, 0)));
}

TEST_F(DialogWindowTest, AControlDeletedByAScriptIsGoneFromTheWindow) {
    auto window = NewWindow();
    ControlObject& doomed = AddButton(*window, 4, 100, 100, "Doomed");
    AddButton(*window, 5, 200, 100, "Stays");
    DestroyObject(&doomed);
    EXPECT_EQ(window->FindControl(4), nullptr);
    // A later object whose header was given the freed address is not taken for the deleted one.
    ControlObject& newcomer = NewControlByName(game.Cpu(), "TextButton", {0, 0, game.Text("New"), 4});
    EXPECT_EQ(window->FindControl(4), nullptr);
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) game.MovePointer(102, 102);
        if (e.code == kEventAfterDraw) w.SetResult(0);
    };
    EXPECT_EQ(Run(*window), 0);
    window->RemoveControl(4);
    window->ClearControls();
    EXPECT_TRUE(Alive(newcomer.Address()));
    DestroyObject(&newcomer);
}

TEST_F(DialogWindowTest, RemovingTheClickedControlFromTheCallbackDeletesItAfterTheIteration) {
    auto window = NewWindow();
    ControlObject& button = AddButton(*window, 6, 100, 100, "Remove me");
    const uint32_t address = button.Address();
    bool aliveAfterRemove = false;
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) {
            game.MovePointer(button.AbsoluteX() + 2, button.AbsoluteY() + 2);
            game.SetButton(VK_LBUTTON, true);
        }
        if (e.code == kEventPrimary) {
            w.RemoveControl(6);
            aliveAfterRemove = Alive(address);
        }
        if (e.code == kEventAfterDraw && Only(kEventPrimary).size() == 1) w.SetResult(0);
    };
    Run(*window);
    EXPECT_TRUE(aliveAfterRemove);
    EXPECT_FALSE(Alive(address));
    EXPECT_EQ(window->ControlCount(), 0u);
}

TEST_F(DialogWindowTest, AWindowDeletedByItsOwnCallbackEndsTheLoopWithAnError) {
    auto window = NewWindow();
    DialogWindow& running = *window;
    AddButton(running, 1, 10, 10, "Owned");
    react = [&](DialogWindow&, const WindowEventRecord& e) {
        if (e.code == kEventPointer) window.reset();
    };
    EXPECT_THROW(running.Run(device), FatalExep);
    EXPECT_EQ(window, nullptr);
}

TEST_F(DialogWindowTest, ASecondLoopOfARunningWindowIsRefused) {
    auto window = NewWindow();
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventStart) w.Run(device);
    };
    EXPECT_THROW(Run(*window), FatalExep);
    EXPECT_FALSE(window->Running());
    // It runs again afterwards.
    react = [](DialogWindow& w, const WindowEventRecord&) { w.SetResult(4); };
    EXPECT_EQ(Run(*window), 4);
}

// A window that counts what it is asked to do for its children.
class CountingWindow : public DialogWindow {
  public:
    using DialogWindow::DialogWindow;
    void Step(int32_t frame) override {
        ++steps;
        DialogWindow::Step(frame);
    }
    void DrawControls() override {
        ++draws;
        DialogWindow::DrawControls();
    }
    int steps = 0;
    int draws = 0;
};

TEST_F(DialogWindowTest, AChildWindowStepsAndDrawsTheWindowBehindIt) {
    CountingWindow parent(&game.Cpu(), &game.Screen(), nullptr);
    auto child = NewWindow();
    child->SetParent(&parent);
    EXPECT_TRUE(parent.ChildOpen());
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventAfterDraw && Only(kEventAfterDraw).size() == 3) w.SetResult(0);
    };
    Run(*child);
    EXPECT_EQ(parent.steps, 4);
    EXPECT_EQ(parent.draws, 3);
    child.reset();
    EXPECT_FALSE(parent.ChildOpen());
}

TEST_F(DialogWindowTest, AParentDeletedWhileTheChildRunsIsLetGo) {
    auto parent = std::make_unique<CountingWindow>(&game.Cpu(), &game.Screen(), nullptr);
    auto child = NewWindow();
    child->SetParent(parent.get());
    react = [&](DialogWindow& w, const WindowEventRecord& e) {
        if (e.code == kEventPointer && parent != nullptr) parent.reset();
        if (e.code == kEventAfterDraw) w.SetResult(0);
    };
    EXPECT_EQ(Run(*child), 0);
    EXPECT_EQ(child->Parent(), nullptr);
}

TEST_F(DialogWindowTest, ThePointerPictureFallsBackToTheWindowsOwn) {
    auto window = NewWindow();
    Image* own = window->Cursor();
    ASSERT_NE(own, nullptr);
    Image* other = game.Picture("Misc\\GalaxyCursor.dpf");
    window->SetCursor(other);
    EXPECT_EQ(window->Cursor(), other);
    window->SetCursor(nullptr);
    EXPECT_EQ(window->Cursor(), own);
}

}  // namespace
