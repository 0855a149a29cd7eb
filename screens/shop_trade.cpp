// The shop's trade rules: prices, buying and selling, giving up the second ship, recharging, the
// clicks on slots and closing. Money is kept in tenths by the player and saturates there; prices
// are whole units, worked out in 64 bits.
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/image.h"
#include "screens/screen_helpers.h"
#include "screens/shop_dialog.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "ui/message_box.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/equipment_config.h"
#include "world/option.h"
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

constexpr uint32_t kNotEnoughMoneyText = 340;
constexpr uint32_t kShipQuestionText = 341;
constexpr uint32_t kFitsQuestionText = 187;
constexpr uint32_t kMisfitQuestionText = 358;
constexpr uint32_t kSellQuestionText = 188;
constexpr uint32_t kNoRoomText = 186;
constexpr uint32_t kNothingToRechargeText = 346;
constexpr uint32_t kRechargeQuestionText = 347;
constexpr uint32_t kSellShipOnBuyText = 306;
constexpr uint32_t kSellShipOnCloseText = 305;

// The second ship's groups in the order its contents are sold.
constexpr uint32_t kSaleOrder[] = {kWeaponGroup,  kEnergyGroup, kEngineGroup,
                                   kGrabberGroup, kPlainGroup,  kProtectionGroup};

std::string Number(int64_t value) {
    return std::to_string(value);
}

std::string NameOf(ScriptObject* object) {
    const String name = GTTClass::CallGetName(object);
    return std::string(name.View());
}

String Text(ShopDialogObject& shop, uint32_t number, const std::vector<std::string>& values) {
    const String message = SystemMessage(ShopProcessor(shop), number);
    return FormatMessage(message.View(), values);
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

void SellSlotObject(ShopDialogObject& shop, PlayerObject& player, SlotObject& slot, SlotPlace place) {
    OptionObject* item = slot.Item(place);
    if (item == nullptr) return;
    const int32_t price = ShopDialog::CallSellPrice(shop, *item);
    player.AddMoneyUnits(price);
    // The price's script may have emptied the slot itself.
    if (slot.Item(place) != item) return;
    if (place == SlotPlace::kFirst)
        slot.SetObject(nullptr);
    else
        slot.SetObjectB(nullptr);
    if (!item->BeingDestroyed()) DestroyObject(item);
}

void Refresh(ShopDialogObject& shop) {
    ShopDialog::CallBuild(shop);
}

// Takes the slot's item into the hand, leaving a copy of it in the stock row: a new object of its
// class that takes the item's state through its save and load methods.
OptionObject* TakeWithCopyLeft(ShopDialogObject& shop, SlotObject& row, OptionObject& item) {
    ScriptObject* made = ShopProcessor(shop).NewObjectByName(item.Class()->ClassName());
    auto* copy = dynamic_cast<OptionObject*>(made);
    if (copy == nullptr) {
        DiscardObject(made);
        ThrowFatal("Class \"%s\" makes no item", item.Class()->ClassName().Text());
    }
    try {
        RestoreObjectState(copy, SaveObjectState(&item));
    } catch (...) {
        DiscardObject(copy);
        throw;
    }
    return row.SetObject(copy);
}

// A ship offer bought: its ship becomes the current one, the former current ship the second.
void TakeShipOffer(PlayerObject& player, HullObject& offer) {
    ScriptObject* ship = offer.HullShip();
    if (ship != nullptr) player.SetShip(ship, 1);
    if (!offer.BeingDestroyed()) DestroyObject(&offer);
}

// A purchase from a stock row with nothing in hand.
void BuyFromRow(ShopDialogObject& shop, SlotObject& row, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return;
    auto* offer = dynamic_cast<HullObject*>(&item);
    const bool shipOffer = item.ItemKind() == kItemHull;
    // An offer without a ship cannot be delivered: it is not sold.
    if (shipOffer && (offer == nullptr || offer->HullShip() == nullptr)) return;
    const int32_t moneyBefore = player->MoneyTenths();
    if (ShopDialog::CallBuy(shop, item) == nullptr) return;
    // The second ship goes only once the purchase stands; a refusal undoes the purchase.
    if (shipOffer && !ShopDialog::SellSecondShip(shop, *player, kSellShipOnBuyText)) {
        player->SetMoneyTenths(moneyBefore);
        return;
    }
    if (row.First() != &item) return;
    // A ship is sold once: its row is left empty, as an offer's ship cannot be copied.
    if (shipOffer) {
        row.SetObject(nullptr);
        TakeShipOffer(*player, *offer);
        return;
    }
    shop.SetHeld(TakeWithCopyLeft(shop, row, item));
}

// Puts what the slot ends up holding into the player's carried items when the slot is a row of them.
void KeepCarried(ShopDialogObject& shop, SlotObject& slot, OptionObject* left, OptionObject* entered) {
    PlayerObject* player = shop.Customer();
    if (!shop.IsItemRow(&slot) || player == nullptr || left == entered) return;
    if (left != nullptr) player->ReleaseItem(left);
    if (entered != nullptr) player->AddItem(entered);
}

void ClickOtherSlot(ShopDialogObject& shop, SlotObject& slot) {
    OptionObject* item = slot.First();
    OptionObject* held = shop.Held();
    if (shop.ToolMode() == kShopToolSelling && item != nullptr) {
        if (!ShopDialog::CallSell(shop, *item) || slot.First() != item) return;
        slot.SetObject(nullptr);
        KeepCarried(shop, slot, item, nullptr);
        if (!item->BeingDestroyed()) DestroyObject(item);
        Refresh(shop);
        return;
    }
    if (held != nullptr && item != nullptr && held->ItemKind() == kItemAmmo &&
        item->ItemKind() == kItemWeapon) {
        const uint32_t back = Weapon::CallOfferAmmo(item, held->Address());
        shop.SetHeld(back != 0 ? OptionObject::FromAddress(back) : nullptr);
    } else if (held != nullptr && item != nullptr && held->ItemKind() == kItemAmmo &&
               item->ItemKind() == kItemAmmo && Option::TryMerge(*item, held)) {
        shop.SetHeld(nullptr);
    } else if (held != nullptr || item != nullptr) {
        OptionObject* former = slot.SetObject(held);
        KeepCarried(shop, slot, former, held);
        shop.SetHeld(former);
    }
    ShopDialog::UpdatePointer(shop);
}

void ClickStockRow(ShopDialogObject& shop, SlotObject& row) {
    OptionObject* item = row.First();
    if (OptionObject* held = shop.Held()) {
        if (item != nullptr) {
            Notice(shop, kNoRoomText);
            return;
        }
        if (ShopDialog::CallSell(shop, *held) && shop.Held() == held) {
            shop.SetHeld(nullptr);
            row.SetObject(held);
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
    return bought != 0 ? OptionObject::FromAddress(bought) : nullptr;
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

OptionObject* ShopDialog::Buy(ShopDialogObject& shop, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return nullptr;
    const ShipObject* ship = shop.CustomerShip();
    const int64_t money = player->MoneyUnits();
    if (item.ItemKind() == kItemHull) {
        const int64_t price = CallBuyPrice(shop, item);
        const int64_t tradeIn = ship != nullptr ? TradeInValue(*ship) : 0;
        if (price != 0) {
            const String question =
                Text(shop, kShipQuestionText, {NameOf(&item), Number(price), Number(tradeIn)});
            if (Ask(shop, question, PictureOf(item)) != kYes) return nullptr;
        }
        if (money + tradeIn < price) {
            Notice(shop, kNotEnoughMoneyText);
            return nullptr;
        }
        player->AddMoneyUnits(-(price - tradeIn));
        return &item;
    }
    int64_t price = CallBuyPrice(shop, item);
    if (OptionObject* ammo = LoadedAmmo(item)) price += CallBuyPrice(shop, *ammo);
    if (price != 0) {
        const uint32_t text = FitsShip(item, ship) ? kFitsQuestionText : kMisfitQuestionText;
        if (Ask(shop, Text(shop, text, {NameOf(&item), Number(price)}), PictureOf(item)) != kYes)
            return nullptr;
        if (money < price) {
            Notice(shop, kNotEnoughMoneyText);
            return nullptr;
        }
    }
    player->AddMoneyUnits(-price);
    return &item;
}

bool ShopDialog::Sell(ShopDialogObject& shop, OptionObject& item) {
    PlayerObject* player = shop.Customer();
    if (player == nullptr) return false;
    int64_t price = CallSellPrice(shop, item);
    if (OptionObject* ammo = LoadedAmmo(item)) price += CallSellPrice(shop, *ammo);
    if (price != 0 && Ask(shop, Text(shop, kSellQuestionText, {Number(price)}), PictureOf(item)) != kYes)
        return false;
    player->AddMoneyUnits(price);
    return true;
}

bool ShopDialog::SellSecondShip(ShopDialogObject& shop, PlayerObject& player, uint32_t message) {
    auto* ship = dynamic_cast<ShipObject*>(player.ReserveShip());
    if (ship == nullptr) return true;
    bool asked = false;
    for (const uint32_t group : kSaleOrder) {
        for (uint32_t i = 0; i < ship->SlotCount(group); ++i) {
            SlotObject* slot = ship->SlotAt(group, static_cast<int32_t>(i));
            if (slot == nullptr || (slot->First() == nullptr && slot->Second() == nullptr)) continue;
            if (!asked) {
                const String question = Text(shop, message, {std::string(player.Name().View())});
                if (Ask(shop, question, nullptr) != kYes) return false;
                asked = true;
            }
            SellSlotObject(shop, player, *slot, SlotPlace::kFirst);
            SellSlotObject(shop, player, *slot, SlotPlace::kSecond);
        }
    }
    // Selling ran scripts: the ship is asked for again.
    ScriptObject* reserve = player.ReserveShip();
    if (reserve == nullptr) return true;
    player.AttachReserveShip(nullptr);
    if (reserve != player.Ship()) DropShip(ShopProcessor(shop), reserve);
    return true;
}

void ShopDialog::Recharge(ShopDialogObject& shop) {
    PlayerObject* player = shop.Customer();
    ShipObject* ship = shop.CustomerShip();
    std::vector<AkbObject*> sources;
    int64_t missing = 0;
    int64_t cost = 0;
    for (uint32_t i = 0; ship != nullptr && i < ship->SlotCount(kEnergyGroup); ++i) {
        SlotObject* slot = ship->SlotAt(kEnergyGroup, static_cast<int32_t>(i));
        auto* source =
            slot != nullptr && slot->FirstEnabled() ? dynamic_cast<AkbObject*>(slot->First()) : nullptr;
        // A source without capacity has nothing to fill.
        if (source == nullptr || source->Capacity() <= 0) continue;
        // A charge outside 0 .. capacity (scripts write it) counts as the nearer end.
        const int64_t capacity = source->Capacity();
        const int64_t level = std::clamp<int64_t>(source->Charge(), 0, capacity);
        sources.push_back(source);
        missing += capacity - level;
        cost += int64_t{CallSellPrice(shop, *source)} / 10 * (100 - level * 100 / capacity) / 100;
    }
    if (player == nullptr || missing == 0) {
        Notice(shop, kNothingToRechargeText);
        return;
    }
    if (Ask(shop, Text(shop, kRechargeQuestionText, {Number(cost)}), nullptr) != kYes) return;
    for (AkbObject* source : sources) source->SetCharge(source->Capacity());
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
