// Supply during a flight. The Supply object (object 32) holds the supplier chosen for the player's
// place: a script object whose class the pilot's event records name under "SupplyerClass-" and the
// place's name; objects offered to Supply go to that supplier. A SupplyService gathers objects and,
// when its time comes, sends a SupplyShip with them, which drops each as a PaidBonus along the
// level. Supply's natives also sign, cancel and check supply contracts, kept as event records.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "script/script_object.h"
#include "script/weak_object.h"
#include "world/actor.h"

class CleanupSteps;
class DialogWindow;
class Processor;
struct NativeClassRow;

// Event key prefixes of a contract.
constexpr const char* kSupplierClassPrefix = "SupplyerClass-";
constexpr const char* kSupplierNamePrefix = "SupplyerName-";
// The question asked before signing, in "system.mes".
constexpr uint32_t kSignContractMessage = 392;

// The names of the player's place as the star-system window (object 17) shows it: the planet
// selected there (empty for none) and the star system.
struct SupplyPlace {
    String planet;
    String system;
};
// The campaign's windows answer these; with none installed there is no place and no supplier, and
// a dialog gives no window to ask over.
struct SupplyHooks {
    std::function<bool(ScriptObject* window, SupplyPlace& place)> place;
    std::function<DialogWindow*(ScriptObject* dialog)> windowOf;
};
SupplyHooks& SupplyHooksInstalled();

// The format's first "%s" replaced by name and each "%%" by '%'; any other '%' is kept as it is, so
// a name or a message can never act as a format.
String FormatWithName(std::string_view format, std::string_view name);

// Holds what it owns as weak references: an object a script deleted meanwhile is simply gone. Its
// owner destroys what it still holds when the owner goes (DestroyAll). Items it holds are marked as
// the owner's (world/ownership.h) until taken out.
class OwnedObjects {
  public:
    explicit OwnedObjects(const ScriptObject* owner) : owner_(owner) {}
    OwnedObjects(const OwnedObjects&) = delete;
    OwnedObjects& operator=(const OwnedObjects&) = delete;

    void Append(ScriptObject* object);
    // Takes the first entry out (null when it died meanwhile); false when none is left.
    bool TakeFirst(ScriptObject*& object);
    uint32_t Count() const { return static_cast<uint32_t>(objects_.size()); }
    bool Empty() const { return objects_.empty(); }
    // Lets go of every entry, destroying each that still lives as a step of its own.
    void DestroyAll(CleanupSteps& steps);

  private:
    const ScriptObject* owner_;
    std::vector<WeakObject> objects_;
};

class SupplyObject : public ScriptObject {
  public:
    explicit SupplyObject(ZEMAClass* cls) : ScriptObject(cls) {}
    ~SupplyObject() override { ReleaseOwnedQuietly(); }
    SupplyObject(const SupplyObject&) = delete;
    SupplyObject& operator=(const SupplyObject&) = delete;

    ScriptObject* Supplier() const { return supplier_.Get(); }
    // Deletes the held supplier, if any, and holds none.
    void ReleaseHeld();
    // FatalExep once the Supply's own destruction has begun: nothing would destroy the supplier.
    void Hold(ScriptObject* supplier);

    static SupplyObject& Of(ScriptObject* receiver);

  protected:
    // The held supplier goes with it.
    void ReleaseOwned() override;

  private:
    WeakObject supplier_;
};

struct Supply {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Chooses the supplier for the place the star-system window shows: the planet's record first,
    // then the star system's.
    static void ChooseSupplier(Processor& processor, SupplyObject& supply);
    // Hands the object to the supplier (its virtual method 7), or deletes it when there is none.
    static void Offer(Processor& processor, SupplyObject& supply, ScriptObject* object);
    // The contract operations behind natives 7-9; dialog may be null.
    static bool SignContract(Processor& processor, ScriptObject* dialog, uint32_t flags,
                             const String& displayName, const String& className, const String& key);
    static bool CancelContract(Processor& processor, ScriptObject* dialog, uint32_t flags, const String& key);
    static bool CheckContract(Processor& processor, const String& className, const String& key);
};

class SupplyServiceObject : public ScriptObject {
  public:
    static constexpr int32_t kDefaultDelay = 100;
    static constexpr int32_t kDefaultShipValue = 160;

    explicit SupplyServiceObject(ZEMAClass* cls) : ScriptObject(cls) {}
    ~SupplyServiceObject() override { ReleaseOwnedQuietly(); }

    int32_t startTime = 0;
    int32_t delay = kDefaultDelay;
    int32_t shipValue = kDefaultShipValue;
    OwnedObjects queue{this};

    static SupplyServiceObject& Of(ScriptObject* receiver);

  protected:
    // What still waits in the queue goes with it.
    void ReleaseOwned() override;
};

struct SupplyService {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // The step at time t: when the delay is over and objects wait, asks for a ship (virtual method
    // 8), enters it into the flight and loads every waiting object into it.
    static void Step(Processor& processor, SupplyServiceObject& service, int32_t t);
};

enum SupplyShipField : uint32_t { kSupplyShipValue = kActorFieldCount, kSupplyShipFieldCount };

class SupplyShipObject : public ActorObject {
  public:
    static constexpr int32_t kLayer = 29;
    static constexpr int32_t kDefaultValue = 100;

    SupplyShipObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t speedX, int32_t speedY);
    ~SupplyShipObject() override { ReleaseOwnedQuietly(); }

    int32_t Value() const { return Int(kSupplyShipValue); }
    void SetValue(int32_t value) { SetInt(kSupplyShipValue, value); }
    void Load(ScriptObject* object);
    int32_t Loaded() const { return loaded_; }
    OwnedObjects& Cargo() { return cargo_; }

    static SupplyShipObject& Of(ScriptObject* receiver);

  protected:
    // The cargo still aboard goes with it.
    void ReleaseOwned() override;

  private:
    OwnedObjects cargo_{this};
    int32_t loaded_ = 0;
};

struct SupplyShip {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // After the actor's step: drops the next objects of the cargo, the k-th of n once the ship has
    // passed k / (n + 1) of the level's extent; no more than were aboard when the step began.
    static void DropCargo(Processor& processor, SupplyShipObject& ship);
};
