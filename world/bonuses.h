// Bonuses: actors that drift down the flight field in a zig-zag until a ship with a grabber touches
// them. AbsBonus is the base; Bonus carries an equipment item drawn inside a frame; PaidBonus is a
// Bonus that costs money; MoneyBonus and EnergyBonus pay money or charge energy. The pick-up comes
// through the hit virtual method, which the collision test calls with the touching actor.
#pragma once

#include <cstdint>

#include "script/weak_object.h"
#include "world/actor.h"

// Fields after the actor's, in order. The content of a Bonus is its carried item, which the C++
// object keeps; MoneyBonus and EnergyBonus keep their amount here.
enum BonusField : uint32_t {
    kBonusValue = kActorFieldCount,
    kBonusAmount,
    kBonusCountdown,
    kBonusPeriod,
    kBonusPrice,
    kBonusFieldCount
};

constexpr int32_t kBonusSpeedX = 100;
constexpr int32_t kBonusSpeedY = 200;
constexpr int32_t kBonusLayer = 19;
constexpr int32_t kBonusFirstTurn = 30;
constexpr int32_t kBonusPeriodSteps = 60;
// How far beyond the top or bottom of the field a bonus may drift before it is gone.
constexpr int32_t kBonusFieldMargin = 10000;

// Virtual methods a bonus adds.
constexpr uint32_t kBonusDropVirtual = 18;
constexpr uint32_t kBonusFreeVirtual = 19;

class BonusObject : public ActorObject {
  public:
    // A bonus of any kind at (x, y), with the kind's picture (0 for none); item is the carried item
    // of a Bonus (owned from here on) or null.
    BonusObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t value, ScriptObject* item);
    ~BonusObject() override { ReleaseOwnedQuietly(); }
    BonusObject(const BonusObject&) = delete;
    BonusObject& operator=(const BonusObject&) = delete;

    // The carried item while it lives, else null.
    ScriptObject* Item() const { return item_.Get(); }
    // Hands the item over (to a ship, say): the bonus no longer owns it.
    ScriptObject* TakeItem();
    // Carries the item (null: none) from here on, owning it; FatalExep once the bonus's destruction
    // has begun.
    void Carry(ScriptObject* item);

    static BonusObject& Of(ScriptObject* receiver);

  protected:
    // The item it still carries goes with it.
    void ReleaseOwned() override;

  private:
    WeakObject item_;
};

struct AbsBonus {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct Bonus {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The zig-zag step: the countdown turns speed x, the bonus moves, and beyond the margins above
    // or below the field it is gone; then Visual's step.
    static void ZigZag(BonusObject& bonus);
    // The price of a PaidBonus: a positive argument is the price itself, otherwise that share (in
    // percent, negated) of the item's own price.
    static int32_t PriceFor(ScriptObject* item, int32_t argument);
    // Takes an item: true when the toucher is a ship with a grabber that found room for it; the
    // bonus is then gone and "BonusGet" sounds. paid asks for the price first.
    static bool PickUp(BonusObject& bonus, ScriptObject* toucher, bool paid);
    // Pays a MoneyBonus or EnergyBonus out once to a ship with a grabber: money (in whole units) to
    // its player, or energy (amount x 100) into its energy sources.
    static bool PayOut(BonusObject& bonus, ScriptObject* toucher, bool energy);
};
struct PaidBonus {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct MoneyBonus {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct EnergyBonus {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
