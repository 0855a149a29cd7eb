// The shop's trade rules: prices, buying and selling, giving up the second ship, recharging, the
// clicks on slots and closing. Money is kept in tenths by the player and saturates there; prices
// are whole units, worked out in 64 bits.
#include <algorithm>
#include <climits>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/image.h"
#include "screens/formatted_messages.h"
#include "screens/hand.h"
#include "screens/screen_helpers.h"
#include "screens/shop_dialog.h"
#include "screens/shop_texts.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/message_box.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/equipment_config.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/skills.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

constexpr uint32_t kQuestionStyle = kMessageBoxThird | kMessageBoxFourth;
constexpr uint32_t kNoticeStyle = kMessageBoxOk;
constexpr int32_t kBoxWidth = 200;
constexpr int32_t kYes = 2;

// The second ship's groups in the order its contents are sold.
constexpr std::initializer_list<uint32_t> kSaleOrder = {kWeaponGroup,  kEnergyGroup, kEngineGroup,
                                                        kGrabberGroup, kPlainGroup,  kProtectionGroup};

std::string Number(int64_t value) {
    return std::to_string(value);
}

std::string NameOf(ScriptObject* object) {
    const String name = GTTClass::CallGetName(object);
    return std::string(name.View());
}

String Text(ShopDialogObject& shop, uint32_t number, const std::vector<std::string>& values) {
    return FormatSystemMessage(ShopProcessor(shop), number, values);
}

int32_t Ask(ShopDialogObject& shop, const String& question, Image* picture) {
    return MessageBoxOverWindow(ShopProcessor(shop), shop.Window(), question, kQuestionStyle, picture,
                                kBoxWidth);
}

void Notice(ShopDialogObject& shop, uint32_t number) {
    MessageBoxOverWindow(ShopProcessor(shop), shop.Window(), SystemMessage(ShopProcessor(shop), number),
                         kNoticeStyle, nullptr, kBoxWidth);
}

Image* PictureOf(OptionObject& item) {
    return item.Picture();
}

int32_t TradeSkillPercent(const PlayerObject* player) {
    const SkillObject* skill = player != nullptr ? player->SkillAt(kTradeSkillSlot) : nullptr;
    if (skill == nullptr) return 0;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{skill->Level()} * 10, 0, 100));
}

// Scripts set the margin: beyond this it is taken as this, so that prices stay inside 64 bits.
constexpr int64_t kMarginLimit = 1000000;

// The shop's share of a price: margin x (100 - skill) in ten-thousandths.
int64_t MarginShare(ShopDialogObject& shop) {
    const int64_t margin = std::clamp<int64_t>(shop.Margin(), -kMarginLimit, kMarginLimit);
    return margin * (100 - TradeSkillPercent(shop.Customer()));
}

// The item a weapon has loaded, priced with it.
OptionObject* LoadedAmmo(OptionObject& item) {
    auto* weapon = dynamic_cast<WeaponObject*>(&item);
    return weapon != nullptr ? weapon->Ammo() : nullptr;
}

// What a ship counts for when traded in, in whole units.
int32_t TradeInValue(const ShipObject& ship) {
    return ship.Int(kShipValueB);
}

bool FitsShip(const OptionObject& item, const ShipObject* ship) {
    return ship != nullptr && ItemFitsClass(item, ShipClassNumber(*ship));
}

// Takes the ship out of the live objects, which destroys it; a ship the list does not hold is not
// the shop's to destroy.
void DropShip(Processor& processor, ScriptObject* ship) {
    ObjectManager* list = processor.Objects().ListAt(kShipListId);
    if (list == nullptr) return;
    uint32_t index = 0;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next, ++index) {
        if (node->item != ship) continue;
        list->Seek(index);
        list->RemoveCurrent(false);
        return;
    }
}

// Sells what the slot's place holds and destroys it. The price is the shop's script: the player, the
// slot and the item are asked for again after it.
void SellSlotObject(ShopDialogObject& shop, PlayerObject& player, SlotObject& slot, SlotPlace place) {
    OptionObject* item = slot.Item(place);
    if (item == nullptr) return;
    const int32_t price = ShopDialog::CallSellPrice(shop, *item);
    if (!player.Alive()) return;
    player.AddMoneyUnits(price);
    // The price's script may have emptied the slot itself.
    if (!slot.Alive() || slot.Item(place) != item) return;
    if (place == SlotPlace::kFirst)
        slot.SetObject(nullptr);
    else
        slot.SetObjectB(nullptr);
    if (item->Alive()) DestroyObject(item);
}

void Refresh(ShopDialogObject& shop) {
    ShopDialog::CallBuild(shop);
}

// Takes the slot's item, leaving a copy of it in the stock row (CopyItemState); the item taken, or
// null when the scripts this runs (the copy's, the item's switch method) left nothing to take.
OptionObject* TakeWithCopyLeft(ShopDialogObject& shop, SlotObject& row, OptionObject& item) {
    std::unique_ptr<OptionObject, ObjectDiscarder> copy = CopyItemState(ShopProcessor(shop), item);
    // The row may be gone, or hold another item now: the copy has no place then.
    if (!row.Alive() || row.First() != &item) {
        DestroyUnplaced(std::move(copy));
        return nullptr;
    }
    // Switching the item off runs its script, which may delete the row or either item.
    row.SetFirstEnabled(0);
    if (!row.Alive() || !copy->Alive()) {
        DestroyUnplaced(std::move(copy));
        return nullptr;
    }
    OptionObject* taken = row.SetObject(copy.get());
    copy.release();  // the row holds it
    return IfAlive(taken);
}

// A ship offer bought: its ship becomes the current one, the former current ship the second.
void TakeShipOffer(PlayerObject& player, HullObject& offer) {
    ScriptObject* ship = offer.HullShip();
    if (ship != nullptr) player.SetShip(ship, 1);
    if (offer.Alive()) DestroyObject(&offer);
}

// A purchase from a stock row with nothing in hand. The purchase runs the shop's scripts and the
// item's: what it goes on with is asked for again after each.
void BuyFromRow(ShopDialogObject& shop, SlotObject& row, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return;
    auto* offer = dynamic_cast<HullObject*>(&item);
    const bool shipOffer = item.ItemKind() == kItemHull;
    // An offer without a ship cannot be delivered: it is not sold.
    if (shipOffer && (offer == nullptr || offer->HullShip() == nullptr)) return;
    const int32_t moneyBefore = player->MoneyTenths();
    if (ShopDialog::CallBuy(shop, item) == nullptr || !player->Alive()) return;
    // The second ship goes only once the purchase stands; a refusal undoes the purchase.
    if (shipOffer && !ShopDialog::SellSecondShip(shop, *player, kSellShipOnBuyText)) {
        if (player->Alive()) player->SetMoneyTenths(moneyBefore);
        return;
    }
    if (!player->Alive() || !row.Alive() || row.First() != &item) return;
    // A ship is sold once: its row is left empty, as an offer's ship cannot be copied.
    if (shipOffer) {
        row.SetObject(nullptr);
        if (player->Alive()) TakeShipOffer(*player, *offer);
        return;
    }
    shop.SetHeld(TakeWithCopyLeft(shop, row, item));
}

// Puts what the slot ends up holding into the player's carried items when the slot is a row of them.
void KeepCarried(ShopDialogObject& shop, SlotObject& slot, OptionObject* left, OptionObject* entered) {
    PlayerObject* player = shop.Customer();
    if (!shop.IsItemRow(&slot) || player == nullptr || left == entered) return;
    if (left != nullptr) player->ReleaseItem(left);
    if (entered != nullptr && entered->Alive()) player->AddItem(entered);
}

// Exchanges the hand (which may be empty) for what the slot holds. Switching the slot's item off runs
// its script, which may delete the slot or either item: nothing is exchanged then. What the slot gave
// up goes into the hand once the pilot let go of it, unless another owner holds it.
void ExchangeWithHand(ShopDialogObject& shop, SlotObject& slot, OptionObject* held) {
    slot.SetFirstEnabled(0);
    if (!slot.Alive() || (held != nullptr && !held->Alive())) return;
    OptionObject* former = IfAlive(slot.SetObject(held));
    KeepCarried(shop, slot, former, held);
    shop.SetHeld(FreeToTake(former));
}

// What the shop's hand takes back from an offer of what it holds.
PutInHand ShopHand(ShopDialogObject& shop) {
    return [&shop](OptionObject* item) { shop.SetHeld(item); };
}

void ClickOtherSlot(ShopDialogObject& shop, SlotObject& slot) {
    OptionObject* item = slot.First();
    OptionObject* held = shop.Held();
    if (shop.ToolMode() == kShopToolSelling && item != nullptr) {
        if (!ShopDialog::CallSell(shop, *item) || !slot.Alive() || slot.First() != item) return;
        slot.SetObject(nullptr);
        KeepCarried(shop, slot, item, nullptr);
        if (item->Alive()) DestroyObject(item);
        Refresh(shop);
        return;
    }
    const bool ammoHeld = held != nullptr && item != nullptr && held->ItemKind() == kItemAmmo;
    if (ammoHeld && item->ItemKind() == kItemWeapon) {
        OfferHeldToWeapon(held, ShopHand(shop), *item);
    } else if (ammoHeld && item->ItemKind() == kItemAmmo && MergeHeldInto(held, ShopHand(shop), *item)) {
        // Joined the slot's stack: the hand is empty.
    } else if ((held != nullptr || item != nullptr) && shop.Held() == held) {
        // A merge that did not happen gave the hand back what it held; only that is exchanged.
        ExchangeWithHand(shop, slot, held);
    }
}

void ClickStockRow(ShopDialogObject& shop, SlotObject& row) {
    OptionObject* item = row.First();
    if (OptionObject* held = shop.Held()) {
        if (item != nullptr) {
            Notice(shop, kNoRoomText);
            return;
        }
        // The sale ran scripts: only what a live shop still holds goes back into its stock.
        if (ShopDialog::CallSell(shop, *held) && shop.Alive() && shop.Held() == held) {
            shop.SetHeld(nullptr);
            shop.Restock(*held, &row);
        }
    } else if (item != nullptr) {
        BuyFromRow(shop, row, *item);
    }
    shop.SetToolMode(kShopToolNormal);
    Refresh(shop);
}

}  // namespace

int32_t ShopDialog::CallBuyPrice(ShopDialogObject& shop, OptionObject& item) {
    MethodRunner& runner = RunnerOf(&shop);
    runner.DataStack().Push(item.Address());
    runner.CallVirtual(&shop, kShopBuyPriceVirtual);
    return static_cast<int32_t>(runner.DataStack().Pop());
}

int32_t ShopDialog::CallSellPrice(ShopDialogObject& shop, OptionObject& item) {
    MethodRunner& runner = RunnerOf(&shop);
    runner.DataStack().Push(item.Address());
    runner.CallVirtual(&shop, kShopSellPriceVirtual);
    return static_cast<int32_t>(runner.DataStack().Pop());
}

OptionObject* ShopDialog::CallBuy(ShopDialogObject& shop, OptionObject& item) {
    MethodRunner& runner = RunnerOf(&shop);
    runner.DataStack().Push(item.Address());
    runner.CallVirtual(&shop, kShopBuyVirtual);
    const uint32_t bought = runner.DataStack().Pop();
    return bought != 0 ? IfAlive(OptionObject::FromAddress(bought)) : nullptr;
}

bool ShopDialog::CallSell(ShopDialogObject& shop, OptionObject& item) {
    MethodRunner& runner = RunnerOf(&shop);
    runner.DataStack().Push(item.Address());
    runner.CallVirtual(&shop, kShopSellVirtual);
    return runner.DataStack().Pop() != 0;
}

void ShopDialog::CallBuild(ShopDialogObject& shop) {
    RunnerOf(&shop).CallVirtual(&shop, kShopBuildVirtual);
}

int32_t ShopDialog::BuyPrice(ShopDialogObject& shop, OptionObject& item) {
    const int64_t base = CallScriptMethod16PopInt(&item);
    return SaturateInt32(base * (10000 + MarginShare(shop)) / 10000);
}

int32_t ShopDialog::SellPrice(ShopDialogObject& shop, OptionObject& item) {
    const int64_t base = CallScriptMethod16PopInt(&item);
    return SaturateInt32(base * (10000 - MarginShare(shop)) / 10000);
}

// Buying and selling ask the shop's scripts for prices and the player for an answer: the player and
// the item are asked for again before any money moves, and a dead item is never handed back.
OptionObject* ShopDialog::Buy(ShopDialogObject& shop, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return nullptr;
    if (item.ItemKind() == kItemHull) {
        const int64_t price = CallBuyPrice(shop, item);
        const ShipObject* ship = shop.CustomerShip();
        const int64_t tradeIn = ship != nullptr ? TradeInValue(*ship) : 0;
        if (price != 0) {
            const String question =
                Text(shop, kShipQuestionText, {NameOf(&item), Number(price), Number(tradeIn)});
            if (Ask(shop, question, PictureOf(item)) != kYes) return nullptr;
        }
        if (!player->Alive() || !item.Alive()) return nullptr;
        if (player->MoneyUnits() + tradeIn < price) {
            Notice(shop, kNotEnoughMoneyText);
            return nullptr;
        }
        player->AddMoneyUnits(-(price - tradeIn));
        return &item;
    }
    int64_t price = CallBuyPrice(shop, item);
    if (OptionObject* ammo = IfAlive(LoadedAmmo(item))) price += CallBuyPrice(shop, *ammo);
    if (price != 0) {
        const uint32_t text = FitsShip(item, shop.CustomerShip()) ? kFitsQuestionText : kMisfitQuestionText;
        if (Ask(shop, Text(shop, text, {NameOf(&item), Number(price)}), PictureOf(item)) != kYes)
            return nullptr;
    }
    if (!player->Alive() || !item.Alive()) return nullptr;
    if (price != 0 && player->MoneyUnits() < price) {
        Notice(shop, kNotEnoughMoneyText);
        return nullptr;
    }
    player->AddMoneyUnits(-price);
    return &item;
}

bool ShopDialog::Sell(ShopDialogObject& shop, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return false;
    int64_t price = CallSellPrice(shop, item);
    if (OptionObject* ammo = IfAlive(LoadedAmmo(item))) price += CallSellPrice(shop, *ammo);
    if (price != 0 && Ask(shop, Text(shop, kSellQuestionText, {Number(price)}), PictureOf(item)) != kYes)
        return false;
    if (!player->Alive() || !item.Alive()) return false;
    player->AddMoneyUnits(price);
    return true;
}

bool ShopDialog::SellSecondShip(ShopDialogObject& shop, PlayerObject& player, uint32_t message) {
    auto* ship = dynamic_cast<ShipObject*>(player.ReserveShip());
    if (ship == nullptr) return true;
    bool asked = false;
    bool refused = false;
    // Every sale runs scripts, which may delete slots, items, the ship or the player: the walk goes
    // over the slots there when it began, skipping those gone.
    const ObjectWalk<SlotObject> slots(ShipSlots(*ship, kSaleOrder));
    slots.ForEachAlive([&](SlotObject& slot) {
        if (refused || !player.Alive() || (slot.First() == nullptr && slot.Second() == nullptr)) return;
        if (!asked) {
            const String question = Text(shop, message, {std::string(player.Name().View())});
            if (Ask(shop, question, nullptr) != kYes) {
                refused = true;
                return;
            }
            asked = true;
        }
        SellSlotObject(shop, player, slot, SlotPlace::kFirst);
        if (slot.Alive()) SellSlotObject(shop, player, slot, SlotPlace::kSecond);
    });
    if (refused) return false;
    // Selling ran scripts: the player and the ship are asked for again.
    if (!player.Alive()) return true;
    ScriptObject* reserve = player.ReserveShip();
    if (reserve == nullptr) return true;
    player.AttachReserveShip(nullptr);
    if (reserve != player.Ship()) DropShip(ShopProcessor(shop), reserve);
    return true;
}

void ShopDialog::Recharge(ShopDialogObject& shop) {
    ShipObject* ship = shop.CustomerShip();
    std::vector<WeakObject> sources;
    int64_t missing = 0;
    int64_t cost = 0;
    // Each price runs the shop's script, which may delete slots, sources or the ship: the walk goes
    // over the slots there when it began.
    const ObjectWalk<SlotObject> slots(ship != nullptr ? ShipSlots(*ship, {kEnergyGroup})
                                                       : std::vector<SlotObject*>());
    slots.ForEachAlive([&](SlotObject& slot) {
        auto* source = slot.FirstEnabled() ? dynamic_cast<AkbObject*>(slot.First()) : nullptr;
        // A source without capacity has nothing to fill.
        if (source == nullptr || source->Capacity() <= 0) return;
        // A charge outside 0 .. capacity (scripts write it) counts as the nearer end.
        const int64_t capacity = source->Capacity();
        const int64_t level = std::clamp<int64_t>(source->Charge(), 0, capacity);
        sources.emplace_back(source);
        missing += capacity - level;
        cost += int64_t{CallSellPrice(shop, *source)} / 10 * (100 - level * 100 / capacity) / 100;
    });
    if (shop.Customer() == nullptr || missing == 0) {
        Notice(shop, kNothingToRechargeText);
        return;
    }
    if (Ask(shop, Text(shop, kRechargeQuestionText, {Number(cost)}), nullptr) != kYes) return;
    // The question ran scripts: the customer and the sources are asked for again.
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return;
    for (const WeakObject& ref : sources) {
        if (auto* source = IfAlive(ref.As<AkbObject>())) source->SetCharge(source->Capacity());
    }
    player->AddMoneyUnits(-cost);
    if (ShipObject* current = shop.CustomerShip()) current->RecomputeEnergy();
    Refresh(shop);
}

void ShopDialog::ClickSlot(ShopDialogObject& shop, SlotObject& slot) {
    const int32_t mode = shop.ToolMode();
    if (slot.Kind() == kShopInertKind) return;
    if (mode == kShopToolInformation) {
        if (OptionObject* item = slot.First()) ShowItemWindow(shop, *item);
        return;
    }
    if (mode != kShopToolNormal && mode != kShopToolSelling) return;
    if (shop.IsStockSlot(&slot))
        ClickStockRow(shop, slot);
    else
        ClickOtherSlot(shop, slot);
}

bool ShopDialog::Close(ShopDialogObject& shop) {
    if (OptionObject* held = shop.Held()) {
        ShipObject* ship = shop.CustomerShip();
        SlotObject* room = nullptr;
        for (uint32_t i = 0; ship != nullptr && room == nullptr && i < ship->SlotCount(kPlainGroup); ++i) {
            SlotObject* slot = ship->SlotAt(kPlainGroup, static_cast<int32_t>(i));
            if (slot != nullptr && slot->First() == nullptr) room = slot;
        }
        if (room == nullptr) {
            Notice(shop, kNoRoomText);
            return false;
        }
        shop.SetHeld(nullptr);
        room->SetObject(held);
    }
    Processor& processor = ShopProcessor(shop);
    if (ObjectManager* list = PlayerList(processor)) {
        std::vector<WeakObject> players;
        for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next)
            players.emplace_back(node->item);
        for (const WeakObject& ref : players) {
            auto* player = ref.As<PlayerObject>();
            if (player != nullptr && !SellSecondShip(shop, *player, kSellShipOnCloseText)) return false;
        }
    }
    return true;
}
