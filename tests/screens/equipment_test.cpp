// The item window's lines for each kind and its follow-up for a weapon's ammunition, the slot
// layout of a ship with all six lists, the equipment window's pages and their tips once per game,
// and the refit delays charged for changed equipment.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/image.h"
#include "platform/key_table.h"
#include "screens/equipment_window.h"
#include "screens/item_window.h"
#include "screens/slot_control.h"
#include "screens/slot_layout.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/pilot_fixture.h"
#include "tests/support/slot_screen_fixture.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "world/event_manager.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

constexpr int32_t kWorth = 70;

class EquipmentTest : public ::testing::Test {
  protected:
    // An item of the kind with room for every kind's fields, set as given.
    GameObject Item(int32_t kind, std::vector<std::pair<uint32_t, int32_t>> fields, int32_t lowest = 0,
                    int32_t highest = 1000) {
        OptionInit init;
        init.itemKind = kind;
        init.valueF = lowest;
        init.consumption = 199;
        init.baseValue = kWorth;
        auto item = std::make_unique<OptionObject>(fixture.game.Class("Option"), init, 30);
        item->SetInt(kOptionValueG, highest);
        for (const auto& [field, value] : fields) item->SetInt(field, value);
        return GameObject(item.release());
    }
    std::string Lines(ScriptObject* item) {
        return std::string(ItemCharacteristics(fixture.game.Cpu(), OptionObject::Of(item)).View());
    }
    // Runs a window whose start runs `start`, which ends it.
    void RunWindow(DialogWindow& window, const std::function<void()>& start) {
        window.SetCallback([&](DialogWindow& w, int32_t event, int32_t, int32_t) {
            if (event != kEventStart) return;
            start();
            w.SetResult(1);
        });
        window.Run(*fixture.pilot->Input());
    }
    int SlotControls(DialogWindow& window) {
        int n = 0;
        for (uint32_t i = 0; i < window.ControlCount(); ++i)
            if (SlotControlObject::As(window.ControlAt(i)) != nullptr) ++n;
        return n;
    }

    SlotScreenGame fixture;
};

TEST_F(EquipmentTest, TheItemWindowShowsTheLinesOfEachKind) {
    struct Case {
        int32_t kind;
        int32_t highest;
        std::string lines;  // before the worth, which every item shows last
        std::vector<std::pair<uint32_t, int32_t>> fields;
    };
    const std::string worth = "\nm301 = 70";
    const std::string plain = "m302 = 0 +\nm171 = 1\n";
    const Case cases[] = {
        {kItemWeapon,
         1000,
         "m471 = m422\n" + plain + "m304 = 45/100\nm174 = m201\nm175 = 6\nm177 = 9\n",
         {{kWeaponSkillIndex, 2},
          {kWeaponEnergyPerShot, 45},
          {kWeaponNeedsAmmo, 1},
          {kWeaponKindA, 1},
          {kWeaponValueJ, 6},
          {kWeaponInterval, 9}}},
        {kItemWeapon,
         999,
         "m471 = m420\nm302 = 0 - 999\nm171 = 1\nm304 = 0/100\nm177 = 9\nm176 :\n  m107 = 8\n",
         {{kWeaponInterval, 9}, {kWeaponReserved + 0, 8}}},
        {kItemAmmo,
         1000,
         "m174 = m202\nm175 = 30\nm176 :\n  m108 = 4\n",
         {{kAmmoKindA, 2}, {kAmmoShots, 30}, {kAmmoDamage + 1, 4}}},
        {kItemShield, 1000, plain, {}},
        {kItemShield, 1000, plain + "m106 :   \n  m109 = 5\n", {{kShieldProtection + 2, 5}}},
        {kItemEngine, 1000, plain + "m355 = 12\n", {{kEngineThrust, 1234}}},
        {kItemAkb, 999, "m302 = 0 - 999\nm172 = 5\nm173 = -2\n", {{kAkbCapacity, 500}, {kAkbCharge, -250}}},
        {kItemGuide, 1000, plain, {}},
        {kItemGrabber, 1000, plain, {}},
        {kItemCargo, 1000, "", {}},
        {kItemQuest, 1000, "", {}},
        {8, 1000, "", {}},
    };
    for (const Case& c : cases) {
        GameObject item = Item(c.kind, c.fields, 0, c.highest);
        EXPECT_EQ(Lines(item.get()), c.lines + worth) << c.kind;
    }
    // A ship offer shows its ship's class and values; one whose ship is gone only its worth.
    GameObject rig = fixture.Rig();
    GameObject hull = fixture.game.New("Hull", {kWorth, 0, rig->Address()});
    EXPECT_EQ(Lines(hull.get()), "m302 = 3\nm303 = 0\nm171 = 0\n" + worth);
    rig.reset();
    EXPECT_EQ(Lines(hull.get()), worth);
}

// ALT+Z on a weapon's ammunition button, or ALT+O on an offer's, opens that item's window over the
// item window; ALT+C closes what is open.
TEST_F(EquipmentTest, TheAmmunitionAndOfferButtonsOpenTheirWindowsInTurn) {
    struct Case {
        const char* cls;
        uint8_t key;             // opens the window over it at 300, 0 for none
        bool escape;             // Escape closes that window at 700
        uint32_t closeAt;        // ALT+C
        uint32_t after, before;  // the window closes after the first time and before the second
    };
    const Case cases[] = {{kGunClass, 'Z', false, 1000, 800, 1200},
                          {kGunClass, 0, false, 300, 200, 600},
                          {kOfferClass, 'O', true, 1000, 999, 1400}};
    for (const Case& c : cases) {
        GameObject item = fixture.game.New(c.cls);
        if (std::string_view(c.cls) == kGunClass) {
            GameObject shells = fixture.game.New(kNamedShellsClass);
            WeaponObject::Of(item.get()).SetAmmo(&AmmoObject::Of(shells.release()));
        }
        std::unique_ptr<DialogWindow> window = fixture.Window();
        const uint32_t start = fixture.game.Now();
        bool overOpen = false;
        if (c.key != 0) {
            fixture.game.At(start + 300, [&] { fixture.game.PressKey(c.key, true); });
            fixture.game.At(start + 350, [&] { fixture.game.ReleaseKey(c.key); });
            fixture.game.At(start + 600, [&] { overOpen = window->ChildOpen(); });
        }
        if (c.escape) fixture.TypeAt(start + 700, VK_ESCAPE);
        fixture.game.At(start + c.closeAt, [&] { fixture.game.PressKey('C', true); });
        RunWindow(*window, [&] { ShowItemInfo(*window, OptionObject::Of(item.get())); });
        fixture.game.ReleaseKey('C');
        const uint32_t took = fixture.game.Now() - start;
        SCOPED_TRACE(testing::Message() << c.cls << " " << c.closeAt);
        EXPECT_GT(took, c.after);
        EXPECT_LT(took, c.before);
        EXPECT_EQ(overOpen, c.key != 0);
        EXPECT_FALSE(window->ChildOpen());
    }
}

// Each offer opens its window anew over the item window: what the ones before destroyed is given
// back at the next offer, not when the item window closes.
TEST_F(EquipmentTest, ManyOffersOfAnItemHoldNoMoreThanAFew) {
    GameObject item = fixture.game.New(kOfferClass);
    std::unique_ptr<DialogWindow> window = fixture.Window();
    const ReleaseHold opener;  // the window or script that opened the item window
    std::vector<size_t> waiting;
    uint32_t t = fixture.game.Now();
    for (int i = 0; i < 12; ++i) {
        fixture.game.At(t += 300, [&] {
            waiting.push_back(DestroyedAwaitingRelease());
            fixture.game.PressKey('O', true);
        });
        fixture.game.At(t += 50, [&] { fixture.game.ReleaseKey('O'); });
        fixture.TypeAt(t += 300, VK_ESCAPE);
    }
    fixture.game.At(t += 300, [&] { fixture.game.PressKey('C', true); });
    RunWindow(*window, [&] { ShowItemInfo(*window, OptionObject::Of(item.get())); });
    fixture.game.ReleaseKey('C');
    ASSERT_EQ(waiting.size(), 12u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

TEST_F(EquipmentTest, TheSlotLayoutShowsThePagesListsAndTheBottomRow) {
    struct Case {
        int32_t page;
        int32_t view;
        int stock;  // items the player carries
        int controls;
        int32_t help;
    };
    // The rig has 2 weapon places, one place in each of groups 1-4 and 2 cargo places.
    const Case cases[] = {{kShipPage, kCargoView, 0, 4, 4},
                          {kEquipmentPage, kCargoView, 0, 6, 10},
                          {kGuidePage, kCargoView, 0, 4, 8},
                          {kShipPage, kStockView, 3, 5, 4},
                          {kEquipmentPage, kStockView, 0, 4, 10}};
    for (const Case& c : cases) {
        GameObject rig = fixture.Rig();
        auto& ship = ShipObject::Of(rig.get());
        ship.SetOwner(fixture.pilot);
        for (int i = 0; i < c.stock; ++i) fixture.pilot->AddItem(fixture.Item(kItemCargo).release());
        std::unique_ptr<DialogWindow> window = fixture.Window();
        ShipWindowState state;
        state.ship = WeakObject(&ship);
        state.page = c.page;
        state.slotView = c.view;
        state.slotPictures = WeakObject(fixture.SlotPictures());
        PlaceSlotControls(*window, state);
        SCOPED_TRACE(testing::Message() << c.page << "/" << c.view);
        EXPECT_EQ(SlotControls(*window), c.controls);
        EXPECT_EQ(window->HelpNumber(), c.help);
        EXPECT_EQ(state.stockSlots.Count(), static_cast<size_t>(c.stock));
        // The bottom row comes first: from the left edge, a slot and a gap apart.
        auto* first = SlotControlObject::As(window->FindControl(kFirstSlotControlId));
        ASSERT_NE(first, nullptr);
        if (c.view == kCargoView || c.stock > 0) {
            EXPECT_EQ(first->Int(kVisualY), 480 - kSlotPictureHeight / 2 - 10);
        }
        if (c.view == kCargoView) {
            EXPECT_EQ(first->Slot(), ship.SlotAt(kPlainGroup, 0));
        }
        // Only the guide page ends with the guide places.
        auto* last = SlotControlObject::As(window->ControlAt(window->ControlCount() - 1));
        EXPECT_EQ(last->GuidePlace(), c.page == kGuidePage);
        // The stock slots give the player's items back and never destroy them.
        window->ClearControls();
        state.stockSlots.Clear();
        EXPECT_EQ(fixture.pilot->Items().size(), static_cast<size_t>(c.stock));
        for (ScriptObject* item : fixture.pilot->Items()) EXPECT_EQ(OptionObject::Of(item).Slot(), nullptr);
        while (ScriptObject* item = fixture.pilot->FirstItem()) DestroyObject(item);
    }
    // A ship that is gone places nothing, on any page.
    std::unique_ptr<DialogWindow> window = fixture.Window();
    ShipWindowState state;
    state.slotPictures = WeakObject(fixture.SlotPictures());
    for (int32_t page : {kShipPage, kEquipmentPage, kGuidePage}) {
        state.page = page;
        PlaceSlotControls(*window, state);
        EXPECT_EQ(SlotControls(*window), 0);
    }
}

TEST_F(EquipmentTest, EachPageShowsItsLabelsAndItsTipsOncePerGame) {
    struct Case {
        int32_t page;
        int32_t plainId;  // the current page's label, plain text
        int32_t equipmentY;
        bool groups;
    };
    const Case cases[] = {{kEquipmentPage, kEquipmentPageId, 60, false},
                          {kShipPage, kShipPageId, 60, false},
                          {kGuidePage, kGuidePageId, 85, true},
                          {kEquipmentPage, kEquipmentPageId, 60, false},
                          {kShipPage, kShipPageId, 60, false}};
    GameObject rig = fixture.Rig();
    ShipObject::Of(rig.get()).SetOwner(fixture.pilot);
    std::unique_ptr<DialogWindow> window = fixture.Window();
    // Closes every tips window that opens over the ship window, counting them.
    int tips = 0;
    const uint32_t start = fixture.game.Now();
    for (uint32_t t = 100; t < 20000; t += 100) {
        fixture.game.At(start + t, [&] {
            // A tips window takes its Escape within a frame, long before the next look.
            if (!window->ChildOpen()) return;
            ++tips;
            fixture.game.TypeChar(VK_ESCAPE);
        });
    }
    ShipWindowState state;
    state.ship = WeakObject(rig.get());
    state.slotPictures = WeakObject(fixture.SlotPictures());
    for (const Case& c : cases) {
        state.page = c.page;
        RunWindow(*window, [&] { BuildEquipmentWindow(*window, state); });
        SCOPED_TRACE(c.page);
        for (int32_t id : {kShipPageId, kEquipmentPageId, kGuidePageId})
            EXPECT_EQ(dynamic_cast<TextButtonObject*>(window->FindControl(id)) == nullptr, id == c.plainId)
                << id;
        ASSERT_NE(window->FindControl(kEquipmentPageId), nullptr);
        EXPECT_EQ(window->FindControl(kEquipmentPageId)->Int(kVisualY), c.equipmentY);
        EXPECT_EQ(window->FindControl(kFirstGroupId + 8) != nullptr, c.groups);
        for (int32_t id : {kShipCloseId, kSplitToolId, kDiscardToolId, kConfigureToolId, kShipNameId,
                           kCargoViewId, kStockViewId, kFirstShipId, kSecondShipId, kFirstPlayerId})
            EXPECT_NE(window->FindControl(id), nullptr) << id;
        EXPECT_EQ(window->FindControl(kFirstPlayerId + 1), nullptr);
    }
    EXPECT_EQ(tips, 3);
    for (const char* key : {"HELP_SHIP_WINDOW", "HELP_EQUIP_WINDOW", "HELP_GUIDE"})
        EXPECT_TRUE(EventManager::HasEvent(fixture.pilot, String(key))) << key;
    window->ClearControls();
    ReleaseShipWindowBackground();
}

TEST_F(EquipmentTest, RefitDelaysChargeAddedAndReplacedItemsOnly) {
    struct Case {
        bool add;       // an engine put into the empty engine place
        bool replace;   // the energy source exchanged for one of another class
        int32_t delay;  // the largest, in price factors
    };
    const Case cases[] = {{false, false, 0}, {true, false, 1}, {false, true, 2}, {true, true, 2}};
    auto& ships = dynamic_cast<ObjectManager&>(*fixture.game.Object(kShipListId));
    for (const Case& c : cases) {
        GameObject rig = fixture.Rig();
        auto& ship = ShipObject::Of(rig.get());
        ship.SetOwner(fixture.pilot);
        ships.AppendObject(&ship);
        ship.SlotAt(kEnergyGroup, 0)->SetObject(&OptionObject::Of(fixture.game.New(kCellClass).release()));
        ShipWindowState state;
        state.ship = WeakObject(&ship);
        TakeSnapshots(fixture.game.Cpu(), state);
        ASSERT_EQ(state.snapshots.size(), 1u);
        GameObject removed;
        if (c.add)
            ship.SlotAt(kEngineGroup, 0)
                ->SetObject(&OptionObject::Of(fixture.game.New(kCharmClass).release()));
        if (c.replace)
            removed.reset(ship.SlotAt(kEnergyGroup, 0)
                              ->SetObject(&OptionObject::Of(fixture.game.New(kCharmClass).release())));
        ApplyRefitDelays(fixture.game.Cpu(), state);
        const int32_t factor = fixture.pilot->PricePercent90();
        int32_t largest = 0;
        for (uint32_t group = 0; group < kShipGroups; ++group)
            for (uint32_t i = 0; i < ship.SlotCount(group); ++i)
                largest = std::max(largest, ship.SlotAt(group, static_cast<int32_t>(i))->Delay());
        EXPECT_EQ(largest, c.delay * factor) << c.add << c.replace;
        ships.Forget(&ship);
    }
}

// A ship that leaves the ship list during the run takes its snapshot with it: the ships after it
// are measured against their own, so an unchanged ship is charged nothing.
TEST_F(EquipmentTest, RefitDelaysPairEachShipWithItsOwnSnapshot) {
    auto& ships = dynamic_cast<ObjectManager&>(*fixture.game.Object(kShipListId));
    GameObject leaving = fixture.Rig();
    GameObject staying = fixture.Rig();
    auto& ship = ShipObject::Of(staying.get());
    ship.SetOwner(fixture.pilot);
    ship.SlotAt(kEnergyGroup, 0)->SetObject(&OptionObject::Of(fixture.game.New(kCellClass).release()));
    ships.AppendObject(leaving.get());
    ships.AppendObject(&ship);
    ShipWindowState state;
    state.ship = WeakObject(&ship);
    TakeSnapshots(fixture.game.Cpu(), state);
    ASSERT_EQ(state.snapshots.size(), 2u);
    leaving.reset();
    ApplyRefitDelays(fixture.game.Cpu(), state);
    for (uint32_t group = 0; group < kShipGroups; ++group)
        for (uint32_t i = 0; i < ship.SlotCount(group); ++i)
            EXPECT_EQ(ship.SlotAt(group, static_cast<int32_t>(i))->Delay(), 0) << group << " " << i;
    ships.Forget(&ship);
}

}  // namespace
