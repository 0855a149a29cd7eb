// Slot: one equipment place of a ship. It holds up to two items (a main item and an add-on, in
// weapon places the weapon's guide), switches them on and off, places them relative to the ship and
// keeps nine firing directions, one of which is selected. Scripts get the addresses of several
// fields, so they live in a ScriptFields block and what is read back from there is checked.
#pragma once

#include <cstdint>

#include "foundation/engine_string.h"
#include "script/script_fields.h"
#include "script/script_object.h"
#include "script/weak_object.h"

class OptionObject;
class ZEMAClass;
struct NativeClassRow;

// Slot kind codes: the places of a ship's groups, also the code stored in an "SSLT".
constexpr int32_t kSlotWeapon = 1;
constexpr int32_t kSlotProtection = 3;
constexpr int32_t kSlotEngine = 4;
constexpr int32_t kSlotEnergy = 5;
constexpr int32_t kSlotGuide = 6;  // in "SSLT" only: the second item of a weapon place
constexpr int32_t kSlotGrabber = 7;
constexpr int32_t kSlotHold = 0;

// Virtual method an item gets when its state changes, with the new state.
constexpr uint32_t kItemSwitchVirtual = 15;

constexpr uint32_t kSlotDirections = 9;
constexpr uint32_t kDirectionRecordBytes = 12;
constexpr uint32_t kDirectionsBytes = kSlotDirections * kDirectionRecordBytes;  // 108
// The sixteen firing directions that editing steps through.
constexpr uint32_t kRotationSteps = 16;

// Message of "system.mes" a pilot is shown when the firing direction changes, and its priority.
constexpr int32_t kDirectionChangedMessage = 476;
constexpr int32_t kDirectionChangedPriority = 6;
// Skill entry of the pilot that shortens the switching delay, in percent.
constexpr uint32_t kSwitchSkillEntry = 52;
constexpr int32_t kSwitchDelayFrames = 30;

// Fields of a SlotObject, in order. The direction records are 12 bytes each as stored in "SSLD":
// i32 x, i32 y, then a word whose low byte is the enabled flag.
enum SlotField : uint32_t {
    kSlotFirstItem,  // script value of the main item, 0 for none
    kSlotSecondItem,
    kSlotOwnerShip,  // script value of the owner ship, for scripts; the slot asks its weak reference
    kSlotFirstEnabled,
    kSlotFirstState,  // 0 off; on weapons the trigger group
    kSlotSecondEnabled,
    kSlotSecondState,
    kSlotOwnsItems,  // 1: destroying the slot destroys both items
    kSlotDelay,      // frames before the items act again
    kSlotOffsetX,    // item position relative to the ship, in pixels
    kSlotOffsetY,
    kSlotDirectionRecords,  // kSlotDirections records of 3 words
    kSlotSelected = kSlotDirectionRecords + kSlotDirections * 3,
    kSlotCustomised,  // the directions were edited; only then are they stored
    kSlotKind,
    kSlotFieldCount
};

// One firing direction: a unit vector times 100 and whether the weapon-change action may select it.
struct DirectionRecord {
    int32_t x = 0;
    int32_t y = -100;
    bool enabled = true;
};

// Which of a slot's two places.
enum class SlotPlace { kFirst, kSecond };

// What a slot needs of the pilot of its ship when the selected direction changes: the percentage of
// the switching skill (0 without a pilot or that skill) and the pilot's status line. The player
// installs these; until then switching costs the full delay and shows nothing.
struct SlotPilotHooks {
    int32_t (*switchSkillPercent)(ScriptObject* ship) = nullptr;
    void (*showStatus)(ScriptObject* ship, const String& text, int32_t frames, int32_t priority) = nullptr;
};
void SetSlotPilotHooks(const SlotPilotHooks& hooks);
const SlotPilotHooks& InstalledSlotPilotHooks();

class SlotObject : public ScriptObject {
  public:
    SlotObject(ZEMAClass* cls, ScriptObject* ownerShip, int32_t x, int32_t y, int32_t kind);
    // Destroys the items it still holds when it owns them.
    ~SlotObject() override { ReleaseOwnedQuietly(); }

    uint32_t& Own(uint32_t index);
    uint32_t Own(uint32_t index) const;
    int32_t Int(uint32_t index) const { return static_cast<int32_t>(Own(index)); }
    void SetInt(uint32_t index, int32_t value) { Own(index) = static_cast<uint32_t>(value); }
    uint32_t OwnAddress(uint32_t index) const;

    // The owner ship while it lives, else null.
    ScriptObject* Ship() const { return ship_.Get(); }
    int32_t Kind() const { return Int(kSlotKind); }

    // The item in a place, null when empty, gone, or when a script stored something that is no item.
    OptionObject* Item(SlotPlace place) const;
    OptionObject* First() const { return Item(SlotPlace::kFirst); }
    OptionObject* Second() const { return Item(SlotPlace::kSecond); }

    // Puts item (null: none) in the first place: the place is disabled, a switched-on old item is
    // switched off and told it has no slot, the new one told this slot. Returns the old item, which
    // the caller now holds; null when the switch-off destroyed it, or when another owner holds it (a
    // script wrote it into a slot that owns its items): that one stays with its owner. An owning
    // slot marks what it takes as its own (world/ownership.h). A new item the switch-off
    // destroyed is not put. FatalExep, the new item left to the caller, for a slot whose destruction
    // has begun, before or during the switch-off.
    OptionObject* SetObject(OptionObject* item);
    OptionObject* SetObjectB(OptionObject* item);

    bool FirstEnabled() const { return Int(kSlotFirstEnabled) != 0; }
    bool SecondEnabled() const { return Int(kSlotSecondEnabled) != 0; }
    int32_t FirstState() const { return Int(kSlotFirstState); }
    int32_t SecondState() const { return Int(kSlotSecondState); }
    void SetFirstEnabled(int32_t value);
    void SetSecondEnabled(int32_t value);
    // Calls the item's switch virtual method when the state changes.
    void SetFirstState(int32_t value);
    void SetSecondState(int32_t value);

    int32_t Delay() const { return Int(kSlotDelay); }
    void SetDelay(int32_t frames) { SetInt(kSlotDelay, frames); }
    int32_t OffsetX() const { return Int(kSlotOffsetX); }
    int32_t OffsetY() const { return Int(kSlotOffsetY); }
    bool OwnsItems() const { return Int(kSlotOwnsItems) == 1; }

    // Direction record i (0-8; FatalExep beyond).
    DirectionRecord Direction(uint32_t i) const;
    void SetDirection(uint32_t i, const DirectionRecord& record);
    // The selected index, brought into 0-8 whatever a script stored.
    uint32_t SelectedIndex() const;
    DirectionRecord CurrentDirection() const { return Direction(SelectedIndex()); }
    bool Customised() const { return Int(kSlotCustomised) != 0; }
    void SetCustomised(bool customised) { SetInt(kSlotCustomised, customised ? 1 : 0); }
    // The nine records as stored in "SSLD".
    void StoreDirections(uint8_t (&bytes)[kDirectionsBytes]) const;
    void LoadDirections(const uint8_t (&bytes)[kDirectionsBytes]);

    // request >= 0 selects request mod 9; -1 steps forward and any other negative value backward to
    // the next enabled record. With announce, a new record whose y differs adds the switching delay
    // and tells the pilot.
    void SelectDirection(int32_t request, bool announce);

    // The receiver of a Slot native; FatalExep when it is not a slot.
    static SlotObject& Of(ScriptObject* receiver);
    // The live slot a script value names, null for anything else.
    static SlotObject* FromAddress(uint32_t address);

  protected:
    // The items it owns go with it.
    void ReleaseOwned() override;

  private:
    OptionObject* PutItem(SlotPlace place, OptionObject* item);
    void SetState(SlotPlace place, int32_t value);

    ScriptFields own_;
    WeakObject ship_;
    WeakObject items_[2];
};

// The Slot script class.
struct Slot {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // The next of the sixteen directions in that turning sense (clockwise on screen, y down).
    static void RotateDirectionClockwise(DirectionRecord& record);
    static void RotateDirectionAnticlockwise(DirectionRecord& record);
};
