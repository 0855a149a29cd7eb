// The player screen: a modal window about one pilot of the player list with five pages
// (information, quests, deeds, achievements, skills), the players' names as edit fields, tabs and a
// close button. Skills are raised with free skill points here, and names edited here reach the
// pilots only when the window is left through its close button. The pages themselves are built by
// player_pages.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/script_memory.h"
#include "screens/screen_teardown.h"
#include "script/weak_object.h"
#include "ui/dialog_window.h"

class ObjectManager;
class PlayerObject;
class Processor;
class ScriptObject;

// Pages of the player screen.
enum PlayerPage : int32_t {
    kPlayerInfoPage = 0,
    kPlayerQuestPage = 1,
    kPlayerDeedsPage = 2,
    kPlayerAchievementsPage = 3,
    kPlayerSkillsPage = 4,
    kPlayerPageCount
};

// Control ids of the player screen.
constexpr int32_t kPlayerCloseId = 44;
constexpr int32_t kPlayerNameFirstId = 80;    // name field of player i is 80 + i
constexpr int32_t kPlayerSkillFirstId = 200;  // skill button of slot i is 200 + i
constexpr int32_t kPlayerSkillLastId = 299;
constexpr int32_t kPlayerListBoxId = 1000;
// The tab of each page, by page number.
constexpr std::array<int32_t, kPlayerPageCount> kPlayerTabIds{40, 41, 42, 43, 45};

// A name copy holds 32 characters and its terminator; longer names are cut.
constexpr int32_t kPlayerNameLength = 32;
// Name fields exist for the first ten players of the list only (ids 80 to 89).
constexpr int32_t kPlayerNameFields = 10;

class PlayerScreen : public DialogWindow {
  public:
    // Over the game's display with the engine's pointer; player is the pilot shown first (null: none).
    // Copies the names of the first ten pilots of the player list.
    PlayerScreen(Processor& processor, ScriptObject* player);
    // A screen never ended lets go of the same as End, logging the errors of script destructors.
    ~PlayerScreen() override = default;

    // Ends the screen: its controls and the shared star background go; the first error of a script
    // destructor passes on once both went.
    void End();

    // The rebuild hook Run calls before the first frame: builds the current page.
    void OnStart() override { Rebuild(); }
    // Clears and builds every control for the current page and pilot (player_pages.cpp).
    void Rebuild();
    // The window's callback.
    static void OnEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t id);

    int32_t Page() const { return page_; }
    // The pilot shown; null when none is, or it is gone.
    ScriptObject* Player() const { return player_.Get(); }
    // The edited name copy i, as the field holds it now ("" past the copies).
    String NameCopy(size_t i) const;
    size_t NameCount() const { return names_.size(); }

  private:
    // The star background all player screens share, made on first use; the destructor deletes it.
    static ScriptObject* SharedHeaven(Processor& processor);
    static void DeleteSharedHeaven();

    // The operations of the callback.
    void OnCommand(int32_t id);
    // The skills page's free points and one row per skill (player_pages.cpp).
    void BuildSkillRows(PlayerObject& pilot, int32_t h);
    void SelectPage(int32_t page);
    void SelectPlayer(int32_t index);
    void RaiseSkill(int32_t slot);
    void ShowSkillDescription(int32_t slot);
    void SetNameEditing(int32_t activeId);
    // Every name copy back into its pilot, in list order.
    void WriteNamesBack();
    void ShowPageHelp();

    WeakObject player_;
    int32_t page_ = kPlayerInfoPage;
    // The close button asked for the close: only then are the names written back.
    bool closeRequested_ = false;
    // The run has started: page changes from now on show their first-time help.
    bool started_ = false;
    // Script memory, as the name fields edit them in place.
    std::vector<ScriptBuffer<char>> names_;
    // The pilot each name was read from.
    std::vector<WeakObject> namedPilots_;
    // Last, so that a screen never ended lets go of its parts before anything else of it goes.
    ScreenTeardown teardown_;
};

// What the shop and the ship window call: runs the player screen over the caller's window, with the
// caller's input device, for the pilot under the player list's cursor, and returns when it is
// closed and ended. The shown pilot may have moved the list's cursor and names may have changed: the caller
// rebuilds its own window afterwards. FatalExep when the caller has no input device.
void ShowPlayerScreen(DialogWindow& caller);
