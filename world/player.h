// The pilot: name, money, experience and level, skill points and skills, carried items, the current
// and the reserve ship, the pilot's own key mapping, its event records and the one-line status
// message the flight shows. Scripts reach none of its fields by address, so all of it stays on the
// host side. Ships, items and skills are script objects that scripts may delete at any time: the
// pilot holds every one of them as a weak reference and asks for the object at each use.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/hash_table.h"
#include "foundation/script_memory.h"
#include "script/script_object.h"
#include "script/weak_object.h"
#include "ui/input_holder.h"
#include "world/ship.h"
#include "world/skills.h"

class InputDevice;
class ObjectManager;
class PlayerConfig;
class Processor;
class ZEMAClass;
struct NativeClassRow;

// One event record of a pilot (kind 4 records are never stored with the pilot).
struct PlayerEvent {
    int32_t kind = 0;
    String text;
    int32_t value = 0;
};
// Key text -> record; a key is present once, the table owns its records.
using PlayerEventTable = HashTable<PlayerEvent>;

constexpr uint32_t kPlayerEventBuckets = 100;
// Skill slots 0 to kPlayerSkillSlots - 1; a slot beyond is refused.
constexpr int32_t kPlayerSkillSlots = 1000;
// From this slot on skills take a step every frame.
constexpr int32_t kFirstSteppingSkillSlot = 50;
// The slot of the skill that lowers prices.
constexpr int32_t kPriceSkillSlot = 52;
// Entry of the ColorManager's table the status line is drawn in.
constexpr uint32_t kStatusColourEntry = 3;
// Message of "system.mes" shown after the pilot's name on a level-up.
constexpr uint32_t kLevelUpMessage = 479;

class PlayerObject : public ScriptObject, public ShipPilot, public SkillHolder, public InputHolder {
  public:
    explicit PlayerObject(ZEMAClass* cls);
    ~PlayerObject() override;

    // The receiver of a Player native; FatalExep when it is not a pilot.
    static PlayerObject& Of(ScriptObject* receiver);
    // The pilot at a script value, or null when none lives there.
    static PlayerObject* AtAddress(uint32_t address);

    // --- money, kept in tenths; arithmetic is 64-bit and saturates at the stored 32 bits ---
    int32_t MoneyTenths() const { return money_; }
    void SetMoneyTenths(int64_t tenths);
    void AddMoneyTenths(int64_t tenths);
    // Whole units, truncated toward zero.
    int32_t MoneyUnits() const { return money_ / 10; }
    void AddMoneyUnits(int64_t units);

    // --- status line ---
    // Ignored while a running message has a higher priority; otherwise the text, duration and
    // priority replace the running ones and the colour becomes the pilot's message colour.
    void SetStatusMessage(const String& text, int32_t duration, int32_t priority);
    void ClearStatusMessage();
    const String& StatusText() const { return statusText_; }
    // The text as scripts get it, valid until the message changes.
    uint32_t StatusTextAddress();
    int32_t StatusDuration() const { return statusDuration_; }
    int32_t StatusPriority() const { return statusPriority_; }
    // Script address of a 16-bit colour (ColourEntryAddress); read it with ColourAt.
    uint32_t StatusColour() const { return statusColour_; }
    void SetStatusColour(uint32_t address) { statusColour_ = address; }
    uint32_t MessageColour() const { return messageColour_; }

    // --- experience ---
    // 1000 below level 2; saturates at the 32-bit maximum.
    static int32_t LevelThreshold(int32_t level);
    // Adds experience (nothing while locked) and raises the level while it reaches the threshold;
    // the new experience, or after level-ups the new threshold. Saturating.
    int32_t AddExperience(int32_t amount);
    int32_t Experience() const { return experience_; }
    void SetExperience(int32_t value) { experience_ = value; }
    int32_t Threshold() const { return threshold_; }
    int32_t Level() const { return level_; }
    // A level below 1 becomes 1; the threshold follows the level.
    void SetLevel(int32_t level);
    int32_t SkillPoints() const { return skillPoints_; }
    void SetSkillPoints(int32_t points) { skillPoints_ = points; }
    // Skill points -= n, never below 0.
    void SpendSkillPoints(int32_t n);
    bool ExperienceLocked() const { return experienceLock_; }
    void SetExperienceLocked(bool locked) { experienceLock_ = locked; }

    // --- skills, owned ---
    // The skill in a slot; null for an empty slot or one out of range.
    SkillObject* SkillAt(int32_t slot) const override;
    // Takes the skill into a free slot (slot number and owner set on the skill); a skill offered
    // for a taken slot is destroyed. FatalExep for a slot out of range, or once the pilot's
    // destruction has begun (the skill stays the caller's).
    void PlaceSkill(ScriptObject* skill, int64_t slot);
    // Highest used slot + 1.
    int32_t SkillCount() const { return skillCount_; }
    // Virtual method 7 of every skill whose apply flag is set, slots 0 up: the skills placed when it
    // began, each still placed when reached.
    void ApplySkills();
    // The percentage of the skill in slot 52 (0 without one): it shortens switching and lowers prices.
    int32_t SwitchPercent() const;
    // Prices: the level of the skill in slot 52 times 5 (at most 100) lowers them.
    int32_t PricePercent90() const;
    int32_t PricePercent30() const;
    int32_t PricePercent30Times3() const;

    // --- carried items (Option objects), owned, with a cursor ---
    // FatalExep for an object that is no item or whose destruction began, and once the pilot's own
    // destruction has begun.
    void AddItem(ScriptObject* item);
    // Gives the item up without destroying it (it went elsewhere); false when not carried.
    bool ReleaseItem(const ScriptObject* item);
    // Every live item in list order.
    std::vector<ScriptObject*> Items() const;
    ScriptObject* FirstItem();
    // Null at the end; the cursor stays on the last item then.
    ScriptObject* NextItem();
    ScriptObject* CurrentItem();
    // The first item whose name (virtual method 3) is the text; null when none.
    ScriptObject* FindItemNamed(const String& name);
    // Removes and destroys the first item of the class name; false when there is none.
    bool DeleteItemOfClass(const String& className);

    // --- ships (not owned: the actor list of object 8 owns them) ---
    ScriptObject* Ship() const { return ship_.Get(); }
    ScriptObject* ReserveShip() const { return reserve_.Get(); }
    // Makes the ship current (its owner set, the old one's cleared); the previous ship.
    ScriptObject* AttachShip(ScriptObject* ship);
    void AttachReserveShip(ScriptObject* ship);
    // Natives 14, 27, 28, 29: the ship made current or loaded, or the previous ship for 29.
    ScriptObject* LoadShip(const String& file, uint32_t flag);
    ScriptObject* SetShip(ScriptObject* ship, uint32_t flag);
    ScriptObject* LoadReserveShip(const String& file);
    ScriptObject* ReplaceShip(ScriptObject* ship);

    // --- input configuration, owned; null until one is given ---
    InputDevice* Input() const { return input_.get(); }
    void SetInput(std::unique_ptr<InputDevice> input);
    // Hands the device over, leaving the pilot without one.
    std::unique_ptr<InputDevice> TakeInput();
    // A copy of the block and both mappings, without playback or recording streams.
    static std::unique_ptr<InputDevice> CopyInput(const InputDevice& source);

    // --- name ---
    const String& Name() const { return name_; }
    // An empty name sets "Player".
    void SetName(const String& name);
    // The name exactly as stored, an empty one included.
    void RestoreName(const String& name);
    uint32_t NameAddress();
    // Native 20: the display name of the key the action is mapped to, "Unknown" without one.
    uint32_t KeyNameAddress(int32_t action);

    // --- event records ---
    PlayerEventTable& Events() { return events_; }

    // Virtual method 2: the status duration runs down and skills from slot 50 take a step (those
    // placed when it began, each still placed when reached).
    void Step(int32_t value);

    // --- what the ship asks of its pilot ---
    InputDevice* PilotInput() override { return input_.get(); }
    // Dialogs a script runs with this pilot read its device.
    InputDevice* HeldInput() override { return input_.get(); }
    void ShowStatus(const String& text, int32_t duration, int32_t priority) override {
        SetStatusMessage(text, duration, priority);
    }
    void ShipRecomputed(ShipObject&) override { ApplySkills(); }

  protected:
    // The items and skills it still holds go with it.
    void ReleaseOwned() override;

  private:
    void PruneItems();
    // Calls the skills placed in slots from first up to the count when it begins, in slot order,
    // each whose flag is set when it is reached and that is still in its slot.
    void CallSkills(int32_t first, int32_t (SkillObject::*flag)() const, void (*call)(SkillObject&, int32_t),
                    int32_t value);

    WeakObject ship_;
    WeakObject reserve_;
    String statusText_;
    ScriptBuffer<char> statusScriptText_;
    int32_t statusDuration_ = 0;
    int32_t statusPriority_ = 0;
    uint32_t statusColour_ = 0;
    uint32_t messageColour_ = 0;
    int32_t money_ = 0;
    std::vector<WeakObject> items_;
    size_t itemCursor_ = 0;
    int32_t experience_ = 0;
    int32_t threshold_ = 1000;
    int32_t level_ = 1;
    int32_t skillPoints_ = 0;
    bool experienceLock_ = false;
    std::vector<WeakObject> skills_;
    int32_t skillCount_ = 0;
    std::unique_ptr<InputDevice> input_;
    String name_;
    ScriptBuffer<char> nameScriptText_;
    // Key names handed to scripts stay for the pilot's life.
    std::map<std::string, ScriptBuffer<char>> keyTexts_;
    PlayerEventTable events_{kPlayerEventBuckets, false, true};
};

struct Player {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // Lets slots ask a ship's pilot for its switching skill and status line.
    static void InstallSlotHooks();

    // Fills a configuration block from a pilot.
    static void StoreToConfig(PlayerConfig& config, PlayerObject& player);
    // A new pilot from a configuration block, with its input, events, skills, items and ship,
    // appended to the player list (object 23), its ship to the ship list (object 8). FatalExep naming
    // the block for bad records, and naming the pilot when a list to own it or its ship is missing
    // (a script deleted it): nothing is left owned by nobody then.
    static PlayerObject* CreateFromConfig(Processor& processor, PlayerConfig& config);
};

// The pilots of a player list in list order; none without a list.
std::vector<PlayerObject*> PlayersIn(ObjectManager* list);
// The pilots of the game's player list (object 23).
std::vector<PlayerObject*> GamePlayers(Processor& processor);
