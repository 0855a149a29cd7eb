#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "campaign/scene_reset.h"
#include "foundation/script_memory.h"
#include "graphics/image.h"
#include "screens/all_items_shop.h"
#include "screens/shop_dialog.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/script_log.h"
#include "tests/support/shop_scene.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/skills.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

// "TestPricedShells": ammunition of the pilot fixture's kinds whose base price is 20.
constexpr const char* kPricedShellsClass = "TestPricedShells";
// Batteries whose destruction is logged with 1 and whose restore (virtual 6) runs hostile code, one
// whose destruction is logged with 2, and one whose destruction fails.
constexpr const char* kCopyDeletesBattery = "TestBatteryCopyDeletes";
constexpr const char* kCopyDeletesAndFailsBattery = "TestBatteryCopyDeletesAndFails";
constexpr const char* kLoggedBattery = "TestLoggedBattery";
constexpr const char* kFailingBattery = "TestFailingBattery";
constexpr const char* kGunDeletingClass = "TestGunDeleting";

// A shop for one customer (500 units) laid out as the scene's clicks expect; each run ends by
// itself once the clicks are done.
class ShopTest : public ::testing::Test {
  protected:
    ShopTest() {
        AddShopContent(game);
        AddPilotClasses(game);
        game.AddEntry("AllItems.lst", "TestBattery\r\n\r\nTestBattery  TestGun\n");
        game.AddClass({.name = kPricedShellsClass,
                       .base = "Ammo",
                       .virtuals = {{16, PushIntWords(20)}},
                       .createValues = {0, 0, 0, 9, 4, 0, 1, 2, 30, 0}});
        const std::pair<const char*, std::map<uint32_t, std::vector<uint32_t>>> batteries[] = {
            {kCopyDeletesBattery, {{0, gone.Append(1)}, {6, DeleteSelfWords()}}},
            {kCopyDeletesAndFailsBattery,
             {{0, gone.Append(1)}, {6, CodeWords({DeleteSelfWords(), FailWords()})}}},
            {kLoggedBattery, {{0, gone.Append(2)}}},
            {kFailingBattery, {{0, FailWords()}}}};
        // A gun whose offer (virtual 19) loads what it is offered, then deletes the object in its field.
        game.AddClass({.name = kGunDeletingClass,
                       .base = "EnergyWeapon",
                       .instanceFields = 1,
                       .virtuals = {{kWeaponOfferAmmoVirtual,
                                     CodeWords({{ScriptAssembler::CallWord(kWeaponOfferAmmoVirtual, 1, true)},
                                                DeleteFieldWords(0)})}},
                       .createValues = {0, 0, 0, 7, 3, 0, 0, 0, 1, 1, 2, 0, 10, 0, 0, 0, -100, 0, 0, 0, 0}});
        for (const auto& [name, virtuals] : batteries)
            game.AddClass(
                {.name = name, .base = "Akb", .virtuals = virtuals, .createValues = {100, 0, 500, 0}});
    }

    // With marks: they are taken just before the shop is made, as a scene's shop is.
    void Begin(const char* shopClass = "ShopDialog", ResourceMarks* marks = nullptr) {
        game.Start();
        customer = &AddCustomer(game, "Ann", 5000);
        // The tips were seen in an earlier visit.
        for (const char* seen : {"HELP_SHOP", "HELP_SHIP_WINDOW"})
            EventManager::RecordEventAll(game.Cpu(), String(seen), 0, String(""), 0);
        if (marks != nullptr) {
            game.Class(shopClass);
            *marks = SaveResourceMarks(game.Cpu());
        }
        shopObject = game.New(shopClass, {customer->Address()});
        ShopDialogObject& s = Shop();
        s.SetField(kShopGridX, kTestGridX);
        s.SetField(kShopGridY, kTestGridY);
        s.SetField(kShopGridColumns, 4);
        s.SetField(kShopGridRows, 2);
    }

    ShopDialogObject& Shop() { return ShopDialogObject::Of(shopObject.get()); }
    ShipObject& Ship() { return ShipObject::Of(customer->Ship()); }

    int32_t Price(uint32_t method, OptionObject& item) {
        return static_cast<int32_t>(game.CallVirtual(shopObject.get(), method, {item.Address()}).at(0));
    }
    static std::string ClassOf(const ScriptObject* item) { return item->Class()->ClassName().Text(); }
    void DropHeld() {
        if (OptionObject* held = Shop().Held()) {
            Shop().SetHeld(nullptr);
            DestroyObject(held);
        }
    }

    OptionObject& Stock(const char* cls) {
        GameObject item = game.New(cls);
        game.CallMethod(shopObject.get(), 19, {item->Address()});
        return OptionObject::Of(item.release());
    }

    // Runs the shop while the clicks placed from now on happen; unless they close it, it ends at
    // the time given with the result given. Returns the shop's result.
    int32_t Run(const std::function<void(uint32_t)>& clicks, uint32_t length = 3000, int32_t end = 0) {
        const uint32_t t = game.Now();
        clicks(t);
        game.At(t + length, [this, end] { Shop().Window().SetResult(end); });
        int32_t result = -1;
        EXPECT_EQ(ErrorMessage([&] { result = Shop().Run(*customer); }), "no error");
        return result;
    }

    // Runs the shop while the clicks happen; the error that ended the run ("no error" when it ended
    // by itself after a while).
    std::string RunError(const std::function<void(uint32_t)>& clicks) {
        const uint32_t t = game.Now();
        const int run = ++runs;
        clicks(t);
        game.At(t + 3000, [this, run] {
            if (run == runs) Shop().Window().SetResult(0);
        });
        const ReleaseHold hold;
        return ErrorMessage([&] { Shop().Run(*customer); });
    }

    OptionObject* ShipItem(uint32_t group, int32_t i) { return Ship().SlotAt(group, i)->First(); }

    // --- the pointer ---
    // Before Begin: a pointer picture set with an entry for each tool, a picture for the items whose
    // pointer is looked at, and one for a pointer left over from before.
    void AddPointerPictures() {
        game.AddPicture("Misc\\GalaxyCursor.dpf", {.entries = 5});
        game.AddPicture(kHeldPicture);
        game.AddPicture(kStalePicture);
    }
    OptionObject& Pictured(OptionObject& item) {
        item.Own(kVisualPicture) = game.Picture(kHeldPicture)->Address();
        return item;
    }
    // The entry of the pointer picture set, or (kHeldItem) the held item's picture: what the shop's
    // window draws as its pointer.
    static constexpr int32_t kHeldItem = -1;
    static constexpr int32_t kPlain = 0;
    static constexpr int32_t kSelling = 4;
    Image* ExpectedPointer(int32_t pointer) {
        if (pointer == kHeldItem) return Shop().Held() != nullptr ? Shop().Held()->Picture() : nullptr;
        auto* set = dynamic_cast<Image*>(game.Objects().ListAt(kGalaxyCursorListId)->GetObject(0));
        return set->EntryAt(pointer);
    }
    enum StepKind { kStockRow, kPaneSlot, kButtonRow, kAnswer, kShipWindowAndBack };
    struct Step {
        StepKind kind;
        int32_t n;  // the row, the slot, the button's row or the answer's x
    };
    // The steps, one every 600 ms, from a pointer left over from before.
    void Play(const std::vector<Step>& steps) {
        Shop().Window().SetCursor(game.Picture(kStalePicture));
        Run(
            [&](uint32_t t) {
                for (const Step& step : steps) {
                    t += 600;
                    if (step.kind == kStockRow) ClickStock(game, t, step.n);
                    if (step.kind == kPaneSlot) ClickPane(game, t, step.n);
                    if (step.kind == kButtonRow) ClickAt(game, t, kShopButtonX, ShopButtonY(step.n));
                    if (step.kind == kAnswer) ClickAt(game, t, step.n, kAnswerY);
                    if (step.kind == kShipWindowAndBack) {
                        // Below the tools, the two pages and the one customer.
                        ClickAt(game, t, kShopButtonX, 175);
                        game.At(t + 400, [this] { game.TypeChar(0x1b); });
                    }
                }
            },
            600 * static_cast<uint32_t>(steps.size() + 1));
    }
    static constexpr const char* kHeldPicture = "Test\\Held.dpf";
    static constexpr const char* kStalePicture = "Test\\Stale.dpf";

    int runs = 0;
    GameHarness game;
    ScriptLog gone;
    PlayerObject* customer = nullptr;
    GameObject shopObject;
};

TEST_F(ShopTest, PricesFollowTheMarginAndTheTradeSkill) {
    Begin();
    OptionObject& battery = Stock(kBatteryClass);
    struct Case {
        int32_t margin;
        int32_t skillLevel;  // 0: no skill
        int32_t buy;
        int32_t sell;
    };
    const Case cases[] = {{30, 0, 130, 70},   {30, 5, 115, 85}, {30, 10, 100, 100},
                          {30, 12, 100, 100}, {0, 0, 100, 100}, {INT32_MAX, 0, 1000100, -999900}};
    for (const Case& c : cases) {
        game.CallMethod(shopObject.get(), 27, {static_cast<uint32_t>(c.margin)});
        if (c.skillLevel != 0) {
            GameObject skill = game.New("Skill");
            dynamic_cast<SkillObject&>(*skill).SetLevel(c.skillLevel);
            customer->PlaceSkill(skill.release(), kTradeSkillSlot);
        }
        EXPECT_EQ(Price(11, battery), c.buy) << c.margin << " " << c.skillLevel;
        EXPECT_EQ(Price(12, battery), c.sell) << c.margin << " " << c.skillLevel;
        if (SkillObject* skill = customer->SkillAt(kTradeSkillSlot)) DestroyObject(skill);
    }
}

TEST_F(ShopTest, BuyingTakesThePriceInTenthsAndLeavesACopyInStock) {
    struct Case {
        const char* name;
        int32_t money;
        std::vector<int32_t> answers;  // x of each box's button clicked
        int32_t moneyAfter;
        bool bought;
    };
    const Case cases[] = {
        {"yes", 5000, {kYesX}, 5000 - 1300, true},
        {"no", 5000, {kNoX}, 5000, false},
        {"too poor", 1000, {kYesX, kOkX}, 1000, false},
        {"exactly the price", 1300, {kYesX}, 0, true},
        {"a tenth short of it", 1299, {kYesX, kOkX}, 1299, false},
    };
    Begin();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        customer->SetMoneyTenths(c.money);
        Shop().SetHeld(nullptr);
        OptionObject& battery = Stock(kBatteryClass);
        dynamic_cast<AkbObject&>(battery).SetCharge(123);
        const uint32_t row = Shop().StockCount() - 1;
        Run([&](uint32_t t) {
            ClickStock(game, t += 200, static_cast<int32_t>(row));
            for (int32_t x : c.answers) ClickAt(game, t += 600, x, kAnswerY);
        });
        EXPECT_EQ(customer->MoneyTenths(), c.moneyAfter);
        EXPECT_EQ(Shop().Held() == &battery, c.bought);
        SlotObject* stock = Shop().StockAt(row);
        ASSERT_NE(stock->First(), nullptr);
        EXPECT_EQ(stock->First() != &battery, c.bought);
        EXPECT_EQ(stock->First()->Class(), battery.Class());
        // The copy took the bought item's state through its save and load methods.
        EXPECT_EQ(dynamic_cast<AkbObject&>(*stock->First()).Charge(), 123);
        DropHeld();
    }
}

TEST_F(ShopTest, AHeldItemGoesIntoTheShipAndSellsIntoAnEmptyStockRow) {
    Begin();
    Stock(kBatteryClass);
    Shop().AddStockSlot(nullptr);
    Run([&](uint32_t t) {
        ClickStock(game, t += 200, 0);  // buy at 130
        ClickAt(game, t += 600, kYesX, kAnswerY);
        ClickPane(game, t += 600, 1);  // into the ship's last group
    });
    OptionObject* bought = ShipItem(kPlainGroup, 1);
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(Shop().Held(), nullptr);
    EXPECT_EQ(customer->MoneyTenths(), 5000 - 1300);

    Run([&](uint32_t t) {
        ClickPane(game, t += 200, 1);   // back into the hand
        ClickStock(game, t += 400, 1);  // sold at 70
        ClickAt(game, t += 600, kYesX, kAnswerY);
    });
    EXPECT_EQ(ShipItem(kPlainGroup, 1), nullptr);
    EXPECT_EQ(Shop().StockAt(1)->First(), bought);
    EXPECT_EQ(Shop().Held(), nullptr);
    EXPECT_EQ(customer->MoneyTenths(), 5000 - 1300 + 700);
}

TEST_F(ShopTest, ABoughtShipTradesInTheOldAndSellsTheSecondAndAFailedPurchaseKeepsEveryShip) {
    struct Case {
        const char* name;
        int32_t money;
        std::vector<int32_t> answers;
        bool bought;
    };
    // The offer costs 260 less 50 for the old ship; the second ship given up sells its battery at 70.
    // Money and trade-in together must reach the price: 210 units do, 209 do not.
    const Case cases[] = {
        {"too poor", 100, {kYesX, kOkX}, false},
        {"one unit short with the trade-in", 2099, {kYesX, kOkX}, false},
        {"second ship kept", 5000, {kYesX, kNoX}, false},
        {"declined", 5000, {kNoX}, false},
        {"bought with the trade-in", 2100, {kYesX, kYesX}, true},
    };
    // A second ship holding a battery, and a ship offer of base price 200 in stock row 0.
    Begin();
    auto& ships = dynamic_cast<ObjectManager&>(*game.Object(kShipListId));
    ScriptObject* oldShip = customer->Ship();
    ScriptObject* secondShip = game.New(kFreighterClass).release();
    ShipObject::Of(secondShip)
        .SlotAt(kPlainGroup, 0)
        ->SetObject(&OptionObject::Of(game.New(kBatteryClass).release()));
    ships.AppendObject(secondShip);
    customer->AttachReserveShip(secondShip);
    ScriptObject* newShip = game.New(kFreighterClass).release();
    ships.AppendObject(newShip);
    game.CallMethod(shopObject.get(), 19,
                    {game.New("Hull", {200, 0, newShip->Address()}).release()->Address()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        customer->SetMoneyTenths(c.money);
        const OptionObject* offer = Shop().StockAt(0)->First();
        Run([&](uint32_t t) {
            ClickStock(game, t += 200, 0);
            for (int32_t x : c.answers) ClickAt(game, t += 600, x, kAnswerY);
        });
        if (c.bought) {
            EXPECT_EQ(Shop().Held(), nullptr);
            EXPECT_EQ(customer->Ship(), newShip);
            EXPECT_EQ(customer->ReserveShip(), oldShip);
            EXPECT_EQ(customer->MoneyTenths(), 2100 - 2100 + 700);
            continue;
        }
        EXPECT_EQ(customer->MoneyTenths(), c.money);
        EXPECT_EQ(customer->Ship(), oldShip);
        EXPECT_EQ(customer->ReserveShip(), secondShip);
        EXPECT_NE(ShipObject::Of(secondShip).SlotAt(kPlainGroup, 0)->First(), nullptr);
        EXPECT_EQ(Shop().StockAt(0)->First(), offer);
    }
}

TEST_F(ShopTest, RechargingFillsMarkedSourcesForTheirMissingShare) {
    Begin();
    struct Case {
        const char* name;
        const char* cls;
        int32_t charge;
        std::vector<int32_t> answers;
        int32_t moneyAfter;
        int32_t chargeAfter;
    };
    // A battery sells at 70: a fifth charged, it costs 7 x 80 / 100 = 5.
    const Case cases[] = {
        {"fifth charged", kBatteryClass, 100, {kYesX}, 5000 - 50, 500},
        {"declined", kBatteryClass, 100, {kNoX}, 5000, 100},
        {"full", kBatteryClass, 500, {kOkX}, 5000, 500},
        {"no capacity", kHollowCellClass, 0, {kOkX}, 5000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        customer->SetMoneyTenths(5000);
        SlotObject& slot = *Ship().SlotAt(kEnergyGroup, 0);
        auto& source = dynamic_cast<AkbObject&>(OptionObject::Of(game.New(c.cls).release()));
        source.SetCharge(c.charge);
        if (OptionObject* old = slot.SetObject(&source)) DestroyObject(old);
        slot.SetFirstEnabled(1);
        Run([&](uint32_t t) {
            ClickAt(game, t += 200, kShopButtonX, ShopButtonY(1));
            for (int32_t x : c.answers) ClickAt(game, t += 600, x, kAnswerY);
        });
        EXPECT_EQ(customer->MoneyTenths(), c.moneyAfter);
        EXPECT_EQ(source.Charge(), c.chargeAfter);
    }
}

TEST_F(ShopTest, AmmunitionDroppedOnAWeaponIsLoadedAndJoinsWhatIsLoaded) {
    Begin();
    OptionObject& shells = Stock(kShellsClass);
    // Thirty shots are worth nothing yet: bought at once, without a question.
    ASSERT_EQ(Price(11, shells), 0);
    auto& gun = dynamic_cast<WeaponObject&>(OptionObject::Of(game.New(kGunClass).release()));
    Ship().SlotAt(kPlainGroup, 0)->SetObject(&gun);
    Run([&](uint32_t t) {
        for (int k = 0; k < 2; ++k) {
            ClickStock(game, t += 200, 0);
            ClickPane(game, t += 400, 0);
        }
    });
    ASSERT_NE(gun.Ammo(), nullptr);
    EXPECT_EQ(gun.Ammo()->ShotsLeft(), 60);
    EXPECT_EQ(Shop().Held(), nullptr);
    EXPECT_EQ(Ship().SlotAt(kPlainGroup, 0)->First(), &gun);
    EXPECT_EQ(customer->MoneyTenths(), 5000);
}

// The gun's offer loads the ammunition from the hand and then deletes the shop: what the gun loaded
// is the gun's, not destroyed with the shop's hand.
TEST_F(ShopTest, AmmunitionAWeaponLoadedStaysLoadedWhenItsOfferDeletesTheShop) {
    Begin();
    Stock(kShellsClass);
    auto& gun = dynamic_cast<WeaponObject&>(OptionObject::Of(game.New(kGunDeletingClass).release()));
    gun.Field(0) = shopObject->Address();
    Ship().SlotAt(kPlainGroup, 0)->SetObject(&gun);
    ShopDialogObject& shop = Shop();
    shopObject.release();
    const uint32_t t = game.Now();
    ClickStock(game, t + 200, 0);
    ClickPane(game, t + 600, 0);
    const ReleaseHold hold;
    ErrorMessage([&] { shop.Run(*customer); });
    EXPECT_FALSE(shop.Alive());
    ASSERT_NE(gun.Ammo(), nullptr);
    EXPECT_EQ(gun.Ammo()->ShotsLeft(), 30);
}

// Kept past the scene whose reset took its pictures, a shop names none of them: not even the slot
// picture, which a field that scripts may write names.
TEST_F(ShopTest, AShopKeptPastItsSceneNamesNoPictureTheResetTook) {
    ResourceMarks marks;
    Begin("ShopDialog", &marks);
    ASSERT_NE(Shop().SlotPicture(), nullptr);
    ResetScene(game.Cpu(), marks, false);
    for (const Image* picture :
         {Shop().SlotPicture(), Shop().UpPicture(), Shop().DownPicture(), Shop().LinePicture()})
        EXPECT_EQ(picture, nullptr);
}

// The held shells are offered to a gun whose script hands them on to another weapon and fails, or
// answers with something else: the hand takes back only what no other owner holds.
TEST_F(ShopTest, AnOfferLeavesTheHandOnlyWhatNoOtherOwnerHolds) {
    enum Field { kNothing, kEmptyGun, kOwnShotsWeapon, kBattery };
    struct Case {
        const char* what;
        const char* gun;
        Field field;  // what the gun's field names, in the ship's second place of its last group
        bool fails;
        bool handKeeps;  // the shells are back in the hand
    };
    const Case cases[] = {
        {"handed on and loaded, then failed", kHandingGunClass, kEmptyGun, true, false},
        {"handed on and refused, then failed", kHandingGunClass, kOwnShotsWeapon, true, true},
        {"answered with the ship's battery", kAnsweringGunClass, kBattery, false, true},
        {"answered 0 without loading", kAnsweringGunClass, kNothing, false, true},
    };
    Begin();
    Stock(kShellsClass);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionObject* shells = Shop().StockAt(0)->First();
        auto& gun = dynamic_cast<WeaponObject&>(OptionObject::Of(game.New(c.gun).release()));
        OptionObject* other = nullptr;
        if (c.field == kEmptyGun) other = &OptionObject::Of(game.New(kGunClass).release());
        if (c.field == kOwnShotsWeapon) other = new WeaponObject(game.Class("Weapon"), WeaponInit{});
        if (c.field == kBattery) other = &OptionObject::Of(game.New(kBatteryClass).release());
        gun.Field(0) = other != nullptr ? other->Address() : 0;
        Ship().SlotAt(kPlainGroup, 0)->SetObject(&gun);
        if (other != nullptr) Ship().SlotAt(kPlainGroup, 1)->SetObject(other);
        const std::string error = RunError([&](uint32_t t) {
            ClickStock(game, t += 200, 0);
            ClickPane(game, t += 400, 0);
        });
        EXPECT_EQ(error, c.fails ? FailMessage() : "no error");
        EXPECT_EQ(Shop().Held(), c.handKeeps ? shells : nullptr);
        EXPECT_EQ(ShipItem(kPlainGroup, 1), other);
        if (c.field == kEmptyGun) {
            EXPECT_EQ(dynamic_cast<WeaponObject&>(*other).Ammo(), shells);
        }
        DropHeld();
        for (int32_t i : {0, 1}) {
            if (OptionObject* left = Ship().SlotAt(kPlainGroup, i)->SetObject(nullptr)) DestroyObject(left);
        }
    }
}

// The stock takes only what nobody holds: an item in the customer's ship stays there.
TEST_F(ShopTest, TheStockRefusesAnItemTheShipHolds) {
    Begin();
    OptionObject& battery = OptionObject::Of(game.New(kBatteryClass).release());
    Ship().SlotAt(kPlainGroup, 0)->SetObject(&battery);
    EXPECT_EQ(ErrorMessage([&] { game.CallMethod(shopObject.get(), 19, {battery.Address()}); }),
              "The shop cannot take an item that an owner holds already");
    EXPECT_EQ(Shop().StockCount(), 0u);
    EXPECT_EQ(ShipItem(kPlainGroup, 0), &battery);
}

// A weapon bought from the stock with its ammunition loaded costs both prices, and the question
// names the sum.
TEST_F(ShopTest, AWeaponIsBoughtTogetherWithItsLoadedAmmunition) {
    Begin();
    auto& gun = dynamic_cast<WeaponObject&>(Stock(kGunClass));
    auto& shells = dynamic_cast<AmmoObject&>(OptionObject::Of(game.New(kPricedShellsClass).release()));
    gun.SetAmmo(&shells);
    const int32_t gunPrice = Price(11, gun);
    const int32_t shellsPrice = Price(11, shells);
    ASSERT_GT(shellsPrice, 0);
    Run([&](uint32_t t) {
        ClickStock(game, t += 200, 0);
        ClickAt(game, t += 600, kYesX, kAnswerY);
    });
    EXPECT_EQ(Shop().Held(), &gun);
    EXPECT_EQ(customer->MoneyTenths(), 5000 - 10 * (gunPrice + shellsPrice));
    DropHeld();
}

TEST_F(ShopTest, TheAllItemsShopStocksTheListAndGivesForNothing) {
    Begin("AllItemsShop");
    Run([&](uint32_t t) {
        ClickStock(game, t += 200, 2);
        ClickPane(game, t += 400, 0);
        ClickStock(game, t += 400, 0);
        ClickPane(game, t += 400, 1);
    });
    ASSERT_EQ(Shop().StockCount(), 3u);
    const std::vector<std::string> classes = {kBatteryClass, kBatteryClass, kGunClass};
    for (uint32_t k = 0; k < 3; ++k) EXPECT_EQ(ClassOf(Shop().StockAt(k)->First()), classes[k]);
    ASSERT_NE(ShipItem(kPlainGroup, 0), nullptr);
    ASSERT_NE(ShipItem(kPlainGroup, 1), nullptr);
    EXPECT_EQ(ClassOf(ShipItem(kPlainGroup, 0)), kGunClass);
    EXPECT_EQ(ClassOf(ShipItem(kPlainGroup, 1)), kBatteryClass);
    EXPECT_EQ(customer->MoneyTenths(), 5000);
    auto& shop = AllItemsShopObject::Of(shopObject.get());
    EXPECT_EQ(shop.FieldText(kStarSystemFieldId), "Star system");
    EXPECT_EQ(shop.FieldText(kStartValueFieldId), "100");
    // Typed into, the names take 30 characters and the numbers 9.
    const std::pair<int32_t, size_t> limits[] = {
        {kStarSystemFieldId, 30}, {kPlanetFieldId, 30}, {kPlayerCountFieldId, 9}, {kStartValueFieldId, 9}};
    for (const auto& [id, limit] : limits) {
        auto* field = dynamic_cast<EditControlObject*>(Shop().Window().FindControl(id));
        ASSERT_NE(field, nullptr) << id;
        for (int i = 0; i < 40; ++i) field->AddChar('7');
        EXPECT_EQ(shop.FieldText(id).size(), limit) << id;
    }
}

TEST_F(ShopTest, TheCarriedItemsPaneNeverOwnsThePlayersItems) {
    Begin();
    GameObject kept = game.New(kBatteryClass);
    GameObject taken = game.New(kBatteryClass);
    customer->AddItem(kept.release());
    customer->AddItem(taken.get());
    Shop().SetPage(1);
    Run([&](uint32_t t) { ClickPane(game, t += 200, 1); });
    // The item taken into the hand is no longer carried; the shop goes with it in hand.
    EXPECT_EQ(Shop().Held(), taken.get());
    EXPECT_EQ(customer->Items().size(), 1u);
    taken.release();
    shopObject.reset();
    ASSERT_EQ(customer->Items().size(), 1u);
    EXPECT_EQ(ClassOf(customer->Items()[0]), kBatteryClass);
}

TEST_F(ShopTest, ClosingStowsTheHandOrStaysOpenWithoutRoom) {
    Begin();
    Stock(kBatteryClass);
    struct Case {
        const char* name;
        int filled;  // slots of the ship's last group taken beforehand
        bool closed;
    };
    const Case cases[] = {{"room", 1, true}, {"no room", 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 2; ++i) {
            SlotObject& slot = *Ship().SlotAt(kPlainGroup, i);
            if (OptionObject* old = slot.SetObject(nullptr)) DestroyObject(old);
            if (i < c.filled) slot.SetObject(&OptionObject::Of(game.New(kBatteryClass).release()));
        }
        const int32_t result = Run(
            [&](uint32_t t) {
                ClickStock(game, t + 200, 0);
                ClickAt(game, t + 800, kYesX, kAnswerY);
                ClickAt(game, t + 1400, kShopButtonX, ShopButtonY(3));  // close
                if (!c.closed) ClickAt(game, t + 2000, kOkX, kAnswerY);
            },
            3000, 7);
        EXPECT_EQ(result, c.closed ? 1 : 7);
        EXPECT_EQ(Shop().Held() == nullptr, c.closed);
        if (c.closed) {
            EXPECT_NE(ShipItem(kPlainGroup, 1), nullptr);
        }
        DropHeld();
    }
}

TEST_F(ShopTest, LayoutReferencesWrittenOutOfRangeBuildInBounds) {
    Begin();
    for (int k = 0; k < 3; ++k) Stock(kBatteryClass);
    struct Case {
        uint32_t method;
        int32_t value;
    };
    // Grid corner, columns and rows through the references of natives 20-23.
    const Case cases[] = {{20, INT32_MAX}, {21, INT32_MIN}, {22, -5}, {23, INT32_MAX}, {22, INT32_MAX}};
    for (const Case& c : cases) {
        const uint32_t field = game.CallMethod(shopObject.get(), c.method).at(0);
        *FromScript<int32_t>(field) = c.value;
        EXPECT_EQ(ErrorMessage([&] { game.CallVirtual(shopObject.get(), kShopBuildVirtual); }), "no error")
            << c.method << " " << c.value;
        EXPECT_LE(Shop().Window().ControlCount(), 40u) << c.method << " " << c.value;
    }
}

TEST_F(ShopTest, TheShipWindowTakesTheHandAndGivesItBack) {
    Begin();
    OptionObject& battery = Stock(kBatteryClass);
    bool shipWindowOpen = false;
    Run([&](uint32_t t) {
        ClickStock(game, t += 200, 0);
        ClickAt(game, t += 600, kYesX, kAnswerY);
        // Below the tools, the two pages and the one customer.
        ClickAt(game, t += 600, kShopButtonX, 175);
        game.At(t += 400, [&] { shipWindowOpen = Shop().Window().ChildOpen() && Shop().Held() == nullptr; });
        game.At(t += 100, [this] { game.TypeChar(0x1b); });
    });
    EXPECT_TRUE(shipWindowOpen);
    EXPECT_EQ(Shop().Held(), &battery);
    EXPECT_FALSE(Shop().Window().ChildOpen());
}

// Whatever changes the hand, the pointer follows: the held item's picture while an item is in hand,
// else the tool's pointer (the selling tool's, or the plain one).
TEST_F(ShopTest, ThePointerFollowsTheHandWhateverChangesIt) {
    struct Case {
        const char* what;
        std::vector<const char*> ship;  // items in the slots of the ship's last group
        std::vector<Step> steps;
        int32_t pointer;
        int32_t shots = 0;  // of the ammunition in the ship's second slot afterwards, loaded or not
    };
    const Case cases[] = {
        {"bought from a stock row", {}, {{kStockRow, 0}, {kAnswer, kYesX}}, kHeldItem},
        {"bought with the selling tool on",
         {},
         {{kButtonRow, 0}, {kStockRow, 0}, {kAnswer, kYesX}},
         kHeldItem},
        {"a purchase declined with the selling tool on",
         {},
         {{kButtonRow, 0}, {kStockRow, 0}, {kAnswer, kNoX}},
         kPlain},
        {"the selling tool taken up", {}, {{kButtonRow, 0}}, kSelling},
        {"taken from the ship", {kBatteryClass}, {{kPaneSlot, 0}}, kHeldItem},
        {"sold into an empty stock row",
         {kBatteryClass},
         {{kPaneSlot, 0}, {kStockRow, 1}, {kAnswer, kYesX}},
         kPlain},
        {"a sale into the stock declined",
         {kBatteryClass},
         {{kPaneSlot, 0}, {kStockRow, 1}, {kAnswer, kNoX}},
         kHeldItem},
        {"sold with the sell button",
         {kBatteryClass},
         {{kPaneSlot, 0}, {kButtonRow, 0}, {kAnswer, kYesX}},
         kPlain},
        {"put into an empty slot of the ship", {kBatteryClass}, {{kPaneSlot, 0}, {kPaneSlot, 1}}, kPlain},
        {"exchanged with an item of the ship",
         {kBatteryClass, kBatteryClass},
         {{kPaneSlot, 0}, {kPaneSlot, 1}},
         kHeldItem},
        {"joined to a stack in the ship",
         {kShellsClass, kShellsClass},
         {{kPaneSlot, 0}, {kPaneSlot, 1}},
         kPlain,
         60},
        {"loaded into a weapon", {kShellsClass, kGunClass}, {{kPaneSlot, 0}, {kPaneSlot, 1}}, kPlain, 30},
        {"back from the ship window", {kBatteryClass}, {{kPaneSlot, 0}, {kShipWindowAndBack, 0}}, kHeldItem},
    };
    AddPointerPictures();
    Begin();
    Stock(kBatteryClass);
    Shop().AddStockSlot(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        customer->SetMoneyTenths(5000);
        Shop().SetToolMode(kShopToolNormal);
        DropHeld();
        if (OptionObject* sold = Shop().StockAt(1)->SetObject(nullptr)) DestroyObject(sold);
        Pictured(*Shop().StockAt(0)->First());
        for (int32_t i = 0; i < 2; ++i) {
            SlotObject& slot = *Ship().SlotAt(kPlainGroup, i);
            if (OptionObject* old = slot.SetObject(nullptr)) DestroyObject(old);
            if (i < static_cast<int32_t>(c.ship.size()))
                slot.SetObject(&Pictured(OptionObject::Of(game.New(c.ship[i]).release())));
        }
        Play(c.steps);
        EXPECT_EQ(Shop().Held() != nullptr, c.pointer == kHeldItem);
        ASSERT_NE(ExpectedPointer(c.pointer), nullptr);
        EXPECT_EQ(Shop().Window().Cursor(), ExpectedPointer(c.pointer));
        if (c.shots != 0) {
            OptionObject* second = ShipItem(kPlainGroup, 1);
            auto* weapon = dynamic_cast<WeaponObject*>(second);
            auto* ammo = dynamic_cast<AmmoObject*>(weapon != nullptr ? weapon->Ammo() : second);
            ASSERT_NE(ammo, nullptr);
            EXPECT_EQ(ammo->ShotsLeft(), c.shots);
        }
    }
}

// Closing puts the hand into the ship; a second ship the player keeps keeps the shop open, with an
// empty hand and the plain pointer.
TEST_F(ShopTest, ThePointerFollowsTheHandStowedByAClosingThatDoesNotClose) {
    AddPointerPictures();
    Begin();
    ScriptObject* secondShip = game.New(kFreighterClass).release();
    ShipObject::Of(secondShip)
        .SlotAt(kPlainGroup, 0)
        ->SetObject(&OptionObject::Of(game.New(kBatteryClass).release()));
    dynamic_cast<ObjectManager&>(*game.Object(kShipListId)).AppendObject(secondShip);
    customer->AttachReserveShip(secondShip);
    OptionObject& battery = Pictured(OptionObject::Of(game.New(kBatteryClass).release()));
    Ship().SlotAt(kPlainGroup, 0)->SetObject(&battery);
    Play({{kPaneSlot, 0}, {kButtonRow, 3}, {kAnswer, kNoX}});
    EXPECT_EQ(ShipItem(kPlainGroup, 0), &battery);
    EXPECT_EQ(customer->ReserveShip(), secondShip);
    EXPECT_EQ(Shop().Window().Cursor(), ExpectedPointer(kPlain));
}

// The all-items shop keeps the shop's hand and pointer.
TEST_F(ShopTest, TheAllItemsShopsPointerFollowsTheHand) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int32_t pointer;
    };
    const Case cases[] = {
        {"bought", {{kStockRow, 0}}, kHeldItem},
        {"bought and sold into an empty stock row", {{kStockRow, 0}, {kStockRow, 3}}, kPlain},
        {"bought and put into the ship", {{kStockRow, 0}, {kPaneSlot, 0}}, kPlain},
    };
    AddPointerPictures();
    Begin("AllItemsShop");
    game.CallVirtual(shopObject.get(), kShopBuildVirtual);  // fills the stock
    Shop().AddStockSlot(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DropHeld();
        for (SlotObject* slot : {Shop().StockAt(3), Ship().SlotAt(kPlainGroup, 0)}) {
            if (OptionObject* left = slot->SetObject(nullptr)) DestroyObject(left);
        }
        Pictured(*Shop().StockAt(0)->First());
        Play(c.steps);
        EXPECT_EQ(Shop().Held() != nullptr, c.pointer == kHeldItem);
        EXPECT_EQ(Shop().Window().Cursor(), ExpectedPointer(c.pointer));
    }
}

// The copy left in the stock runs its own restore: when that deletes the copy (and fails, or not),
// the engine error reaches the shop's caller, the bought item stays in its row and the copy is
// destroyed once.
TEST_F(ShopTest, ABoughtItemWhoseCopyDoesNotOutliveItsRestoreStaysInStock) {
    struct Case {
        const char* cls;
        std::string error;
    };
    const Case cases[] = {{kCopyDeletesBattery, "where item copy expected"},
                          {kCopyDeletesAndFailsBattery, FailMessage()}};
    Begin();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        gone.Clear();
        OptionObject& item = Stock(c.cls);
        const uint32_t row = Shop().StockCount() - 1;
        const std::string error = RunError([&](uint32_t t) {
            ClickStock(game, t += 200, static_cast<int32_t>(row));
            ClickAt(game, t += 600, kYesX, kAnswerY);
        });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(Shop().Held(), nullptr);
        EXPECT_EQ(Shop().StockAt(row)->First(), &item);
        EXPECT_EQ(gone.Entries(), std::vector<uint32_t>{1}) << "the copy, once";
    }
}

// Every part of a shop goes when it is destroyed, whatever a script destructor of another part
// does: the stock's rows with their items, the carried items' rows (never the player's items) and
// the hand. The first error reaches whoever destroyed the shop.
TEST_F(ShopTest, DestroyingTheShopLetsEveryPartGoAndPassesTheFirstErrorOn) {
    Begin();
    Stock(kFailingBattery);
    Stock(kLoggedBattery);
    Stock(kLoggedBattery);
    GameObject carried = game.New(kBatteryClass);
    customer->AddItem(carried.get());
    Shop().SetHeld(&OptionObject::Of(game.New(kLoggedBattery).release()));
    Shop().SetPage(1);
    game.CallVirtual(shopObject.get(), kShopBuildVirtual);
    std::vector<WeakObject> rows;
    for (uint32_t k = 0; k < Shop().StockCount(); ++k) rows.emplace_back(Shop().StockAt(k));
    ScriptObject* shop = shopObject.release();
    EXPECT_EQ(ErrorMessage([shop] { DestroyObject(shop); }), FailMessage());
    EXPECT_EQ(gone.Entries(), (std::vector<uint32_t>{2, 2, 2})) << "two stock items and the hand, once each";
    for (const WeakObject& row : rows) EXPECT_EQ(row.Get(), nullptr);
    EXPECT_NE(WeakObject(carried.get()).Get(), nullptr);
    EXPECT_EQ(customer->Items(), std::vector<ScriptObject*>{carried.get()});
}

// A script deletes the shop while its ship window runs: nothing goes into the hand of a shop that
// is gone; what the window's hand holds goes with the window, once.
TEST_F(ShopTest, AShopDeletedWhileItsShipWindowRunsTakesNothingBack) {
    Begin();
    Shop().SetHeld(&OptionObject::Of(game.New(kLoggedBattery).release()));
    const uint32_t t = game.Now();
    // Below the tools, the two pages and the one customer.
    ClickAt(game, t + 200, kShopButtonX, 175);
    game.At(t + 600, [this] { DestroyObject(shopObject.release()); });
    game.At(t + 700, [this] { game.TypeChar(0x1b); });
    ShopDialogObject& shop = Shop();
    const ReleaseHold hold;
    ErrorMessage([&] { shop.Run(*customer); });
    EXPECT_EQ(gone.Entries(), std::vector<uint32_t>{2}) << "the hand, once";
}

}  // namespace
