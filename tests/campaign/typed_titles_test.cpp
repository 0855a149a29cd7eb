// A save title typed with the keys a player binds to the windows' actions, through the in-game
// menu's Save: the title is text, whatever keys it holds and wherever the pointer rests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "campaign/in_game_menu.h"
#include "campaign/save_game.h"
#include "campaign/save_screens.h"
#include "campaign/save_slots.h"
#include "tests/campaign/menu_screens_fixture.h"
#include "tests/support/keyboard_typing.h"

namespace {

// The menu's Save button: the second of the main page, whose frame is centred on 640 x 480.
constexpr int32_t kMenuSaveX = 320, kMenuSaveY = 180;

int SaveFiles() {
    std::error_code error;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("Saves", error))
        count += entry.path().extension() == ".gsf" ? 1 : 0;
    return count;
}

class TypedTitleTest : public MenuScreensTest, public testing::WithParamInterface<TypingCase> {};

// The only row is "New": a click opens its title, which is rubbed out and typed anew, then OK saves.
TEST_P(TypedTitleTest, TheTitleTypedIsSavedWholeAndOnlyOnOk) {
    const TypingCase& c = GetParam();
    // Where the pointer rests while the title is typed: on OK, or away from every button.
    const std::pair<int32_t, int32_t> places[] = {{kOkX, kButtonY}, {5, 5}};
    const int32_t x = places[c.place].first;
    const int32_t y = places[c.place].second;
    BindDialogKeys(Device(), c.keys);
    const std::string title = kTextOfBoundKeys;
    int savedBeforeOk = -1;
    bool windowBeforeOk = true;
    uint32_t t = game.Now();
    ClickAt(t += 300, kMenuSaveX, kMenuSaveY);
    ClickAt(t += 400, RowX(), RowY(0));
    const std::string typed = std::string(std::strlen(kNewSaveTitle), '\b') + title;
    t = RestTypeAndLook(game, t + 300, x, y, typed, [&](bool windowCameOrWent) {
        savedBeforeOk = SaveFiles();
        windowBeforeOk = windowCameOrWent;
    });
    ClickAt(t, kOkX, kButtonY);
    EscapeFrom(game, t + 1000);

    EXPECT_EQ(OpenGameMenu(game.Cpu(), nullptr, 0), kGameMenuContinue);
    EXPECT_EQ(savedBeforeOk, 0);
    EXPECT_FALSE(windowBeforeOk) << "the save screen closed or another window opened while typing";
    SaveSlotList();
    ASSERT_EQ(SaveSlots().Used(), 1u);
    ASSERT_NE(SlotHeader(0), nullptr);
    EXPECT_EQ(std::string(SlotHeader(0)->Text(6)), title.substr(0, kSlotNameCapacity - 1));
}

INSTANTIATE_TEST_SUITE_P(BoundKeysAndPointer, TypedTitleTest,
                         testing::ValuesIn(TypingCases({"PointerOnOk", "PointerAway"})),
                         [](const auto& info) { return TypingCaseName(info.param); });

}  // namespace
