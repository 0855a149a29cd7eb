// GameManager (object 22): the script class through which the campaign scripts run the game —
// flights, the galaxy, the in-game menu, story screens, the start-of-flight question, game time and
// a few per-player operations. Start-up creates one by class name; it lives for the whole run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "script/native_handler.h"
#include "script/script_object.h"
#include "ui/gtime.h"

class Processor;
struct NativeClassRow;

constexpr uint32_t kGameManagerMethodCount = 24;
constexpr uint32_t kGameManagerVirtualCount = 2;

// The events of one group, in the order method 22 added them (a name may stand more than once).
struct EventGroup {
    std::string name;
    std::vector<std::string> events;
};

// How often a group's events come up, in days of the game date, and how many of them to pick.
struct EventPeriod {
    int32_t period = 0;
    uint32_t pick = 0;
};

class GameManagerObject : public ScriptObject {
  public:
    // The game time is a "GTime" object of gameTimeClass that this object owns and scripts may
    // read and change by its address (method 17), but never delete.
    GameManagerObject(ZEMAClass* cls, ZEMAClass* gameTimeClass);
    ~GameManagerObject() override;
    GameManagerObject(const GameManagerObject&) = delete;
    GameManagerObject& operator=(const GameManagerObject&) = delete;

    // The receiver of a GameManager native; FatalExep when it is not a GameManager.
    static GameManagerObject& Of(ScriptObject* receiver);
    // Object 22 of the processor; null when there is none or it is not a GameManager.
    static GameManagerObject* Find(Processor& processor);
    // The same, FatalExep "GameManager not found" when there is none.
    static GameManagerObject& Get(Processor& processor);

    GTime& GameTime() { return gameTime_->Value(); }
    const GTime& GameTime() const { return gameTime_->Value(); }
    GTimeObject& GameTimeObject() { return *gameTime_; }

    // How far each window step moves the game date on; one minute at creation.
    GTime& DateStep() { return dateStep_; }
    const GTime& DateStep() const { return dateStep_; }

    // Set at creation and by every flight; a script may clear it (method 16) to skip the next
    // flight's autosave.
    bool AutoSaveBeforeFlight() const { return autoSaveBeforeFlight_; }
    void SetAutoSaveBeforeFlight(bool on) { autoSaveBeforeFlight_ = on; }

    // Where the planet window asks the galaxy step to move (empty when nothing is asked).
    const String& PendingPlanet() const { return pendingPlanet_; }
    const String& PendingSystem() const { return pendingSystem_; }
    void SetPendingPlanet(const String& name) { pendingPlanet_ = name; }
    void SetPendingSystem(const String& name) { pendingSystem_ = name; }

    // Method 22: a group not yet known starts empty, in the order groups are first named.
    void AddGroupEvent(std::string_view group, std::string_view event);
    const std::vector<EventGroup>& EventGroups() const { return groups_; }
    // Method 23: replaces both values of a known group's record.
    void SetGroupPeriod(std::string_view group, int32_t period, uint32_t pick);
    // Null when the group has no record.
    const EventPeriod* FindGroupPeriod(std::string_view group) const;

  protected:
    // The game time goes with the manager.
    void ReleaseOwned() override;

  private:
    // Owned: destroyed by ReleaseOwned, its memory then given back as that of any destroyed object.
    GTimeObject* gameTime_;
    GTime dateStep_;
    bool autoSaveBeforeFlight_ = true;
    String pendingPlanet_;
    String pendingSystem_;
    std::vector<EventGroup> groups_;
    std::vector<std::pair<std::string, EventPeriod>> periods_;
};

struct GameManager {
    // Binds the ZEMAClass methods, then natives 0, 4-23 (4 is the flight). Natives whose work belongs
    // to other parts of the campaign (the galaxy, the menu, the story screens, the player files) are
    // bound from the handlers those parts register below; one not registered throws an engine
    // error when called.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Registers the handler of native n (4-23) that another part of the campaign provides. Called
    // from RegisterCampaignNatives, before the class is bound.
    static void SetMethodHandler(uint32_t n, NativeHandler handler);
    // The handler registered for native n, null when there is none.
    static NativeHandler MethodHandler(uint32_t n);

    // The start question (methods 11 and 18) over dialog's window: message 309 and false when no
    // ship can fly, otherwise message 395 (after prefix when there is one) and true when the
    // answer was yes.
    static bool AskStartFlight(Processor& processor, ScriptObject* dialog, const String* prefix);

    // Method 15: where player i's head-up column goes, relative to the level's view. FatalExep
    // when i is not the number of a player.
    struct Column {
        int32_t x = 0;
        int32_t alignment = 0;
    };
    static Column HeadUpColumn(Processor& processor, int32_t player);

    // Method 19: every player's money grows by (amount / player count) x 10 tenths. Nothing
    // happens without players.
    static void ShareAmount(Processor& processor, int32_t amount);

    // Lets the time control show the GameManager's game time.
    static void InstallTimeLookup();
};
