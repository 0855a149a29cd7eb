// A ship in the started game: steered by its pilot's actions, kept on the scene while the
// view follows it, pushed and damaged by collisions, drawn by sideways speed, opening the slot
// window and changing weapon directions on its actions.
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "platform/key_table.h"
#include "script/processor.h"
#include "tests/support/error_message.h"
#include "tests/world/ship_fixture.h"
#include "world/level.h"

namespace {

class ShipTest : public ShipFixture {
  protected:
    ShipTest() : ShipFixture({Gun(), Wide()}) { Scene(640); }

    static ScriptSubclass Gun() {
        ScriptSubclass gun{.name = "TestGun", .base = "Weapon"};
        gun.virtuals[18] = {};
        return gun;
    }
    // A class whose creation values give group 3 one slot past the limit.
    static ScriptSubclass Wide() {
        std::vector<int32_t> values = {0, 0, 0, 0, 0, 0, 0, 0, ShipObject::kMaxSlotsPerGroup + 1,
                                       0, 0, 0, 0, 0};
        return {.name = "TestWideShip", .base = "Ship", .createValues = values};
    }

    // A ship in the middle of the screen, with no grace left.
    GameObject Flying(int32_t maxSpeed = 1000) {
        GameObject ship = NewShip({2, 1, 0, 0, 0, 0});
        ShipObject& s = Of(ship);
        s.SetInt(kVisualX, 32000);
        s.SetInt(kVisualY, 24000);
        s.SetInt(kShipMaxSpeed, maxSpeed);
        s.SetGrace(0);
        return ship;
    }

    // One frame: the pilot's device reads the keys, then the ship updates.
    void Frame(ShipObject& ship, TestPilot* pilot) {
        if (pilot != nullptr) pilot->device.Poll();
        game.CallVirtual(&ship, kStepVirtual, {7});
    }

    void SetSpeed(ShipObject& ship, int32_t x, int32_t y) {
        ship.SetInt(kActorSpeedX, x);
        ship.SetInt(kActorSpeedY, y);
    }
    static std::pair<int32_t, int32_t> Speed(const ShipObject& ship) {
        return {ship.SpeedX(), ship.SpeedY()};
    }
};

TEST_F(ShipTest, KeysAccelerateUpToTheLimitAndReleasedSpeedRunsBackToZero) {
    struct Case {
        const char* name;
        std::vector<int32_t> held;
        int frames;
        int32_t maxSpeed;
        std::pair<int32_t, int32_t> start;
        std::pair<int32_t, int32_t> end;
    } cases[] = {
        {"right held three frames", {VK_RIGHT}, 3, 1000, {0, 0}, {300, 0}},
        {"left and up together", {VK_LEFT, VK_UP}, 2, 1000, {0, 0}, {-200, -200}},
        {"releasing left at -50 stops, never turns", {}, 1, 1000, {-50, 0}, {0, 0}},
        {"released speed runs back by 100 a frame", {}, 1, 1000, {250, -250}, {150, -150}},
        {"the limit is the maximum speed", {VK_RIGHT}, 1, 1000, {950, 0}, {1000, 0}},
        {"and never above 1500", {VK_RIGHT}, 1, 5000, {1450, 0}, {1500, 0}},
        {"a push beyond the limit is brought back to it", {VK_DOWN}, 1, 1000, {0, 3000}, {0, 1000}},
        {"both keys of an axis cancel the acceleration", {VK_LEFT, VK_RIGHT}, 1, 1000, {300, 0}, {300, 0}},
        {"the limit holds to the left", {VK_LEFT}, 1, 1000, {-950, 0}, {-1000, 0}},
        {"and upward", {VK_UP}, 1, 1000, {0, -950}, {0, -1000}},
        {"never beyond -1500 either", {VK_LEFT, VK_UP}, 1, 5000, {-1450, -1490}, {-1500, -1500}},
        {"below 100 against the key held: stops, then turns",
         {VK_RIGHT, VK_DOWN},
         1,
         1000,
         {-50, -99},
         {100, 100}},
        {"a key held pushes at once, nothing runs back after it",
         {VK_LEFT, VK_UP},
         1,
         1000,
         {50, 99},
         {-50, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject ship = Flying(c.maxSpeed);
        TestPilot& pilot = Fly(Of(ship));
        SetSpeed(Of(ship), c.start.first, c.start.second);
        for (int32_t key : c.held) game.PressKey(key);
        for (int i = 0; i < c.frames; ++i) Frame(Of(ship), &pilot);
        for (int32_t key : c.held) game.ReleaseKey(key);
        EXPECT_EQ(Speed(Of(ship)), c.end);
    }
    // Nobody steers a ship without pilot: it keeps its speed.
    GameObject drifting = Flying(1000);
    SetSpeed(Of(drifting), -50, 70);
    Frame(Of(drifting), nullptr);
    EXPECT_EQ(Speed(Of(drifting)), std::make_pair(-50, 70));
}

TEST_F(ShipTest, TheShipStaysOnTheSceneAndTheViewFollowsIt) {
    struct Case {
        const char* name;
        int32_t sceneWidth;
        int32_t viewX;
        int32_t spread;
        int32_t x;
        int32_t speedX;
        int32_t endX;
        int32_t endViewX;
        int32_t scrolled;
    } cases[] = {
        {"past the left end: held at 0", 640, 0, 0, 100, -500, 0, 0, 0},
        {"past the scene's right end: held at it", 640, 0, 0, 63900, 500, 64000, 0, 0},
        {"near the right edge: the view scrolls", 1280, 0, 0, 50000, 1000, 51000, -10, 10},
        {"near the left edge: it scrolls back", 1280, -100, 0, 20000, -1000, 19000, -90, -10},
        {"never past the scene's start", 1280, -5, 0, 10000, -1000, 9000, 0, -5},
        {"at the scene's end there is nothing left to scroll", 1280, -640, 0, 125000, 1000, 126000, -640, 0},
        {"ships spread too far: held inside the view", 1280, -100, 400, 9500, -500, 10000, -100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelObject& level = Scene(c.sceneWidth);
        level.SetViewX(c.viewX);
        level.SetShipSpread(c.spread);
        GameObject ship = Flying(0);
        Of(ship).SetInt(kVisualX, c.x);
        SetSpeed(Of(ship), c.speedX, 0);
        Frame(Of(ship), nullptr);
        EXPECT_EQ(Of(ship).X(), c.endX);
        EXPECT_EQ(level.ViewX(), c.endViewX);
        EXPECT_EQ(Of(ship).Int(kShipScrollAmount), c.scrolled);
        if (c.scrolled != 0) {
            EXPECT_EQ(game.Buffer().OriginX(), c.endViewX);
        }
    }
    GameObject low = Flying(0);
    Of(low).SetInt(kVisualY, 47900);
    SetSpeed(Of(low), 0, 500);
    Frame(Of(low), nullptr);
    EXPECT_EQ(Of(low).Y(), 48000);
}

TEST_F(ShipTest, CollisionsDrainEnergyAboveProtectionAndPushTheShip) {
    struct Case {
        const char* name;
        int32_t grace;
        bool invulnerable;
        uint32_t attack;  // damage kind 0; the ship's protection is 5
        std::pair<int32_t, int32_t> theirs;
        int32_t balance;
        int32_t state;
        std::pair<int32_t, int32_t> speed;  // the ship's own is (100, 100)
    } cases[] = {
        {"in its grace frames nothing happens", 10, false, 50, {50, 50}, 1000, kActorAlive, {100, 100}},
        {"the flight's invulnerability likewise", 0, true, 50, {50, 50}, 1000, kActorAlive, {100, 100}},
        {"attack equal to protection does no damage", 0, false, 5, {50, 50}, 1000, kActorAlive, {50, 50}},
        {"5 above protection drains 500", 0, false, 10, {-50, 200}, 500, kActorAlive, {50, 300}},
        {"draining the balance destroys the ship", 0, false, 15, {0, 0}, 0, kActorDestroyed, {100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject ship = NewShip({0, 1, 0, 0, 0, 0}, 1, 0, {5});
        ShipObject& s = Of(ship);
        Fit(s, kEnergyGroup, 0, Akb(1000));
        s.Recharge(0);
        s.SetGrace(c.grace);
        SetSpeed(s, 100, 100);
        PublishedFlight().hiddenMode = c.invulnerable;
        GameObject other = game.New("Actor", {0, 0, static_cast<uint32_t>(c.theirs.second),
                                              static_cast<uint32_t>(c.theirs.first), 0, 0, 100, 0});
        game.CallVirtual(&s, kHitVirtual, {0, other->Address(), Table({c.attack})});
        PublishedFlight().hiddenMode = false;
        EXPECT_EQ(s.Balance(), c.balance);
        EXPECT_EQ(s.State(), c.state);
        EXPECT_EQ(Speed(s), c.speed);
    }
}

// The grace frames run down one an update to 0 and stay there; collisions hurt only once they are
// gone.
TEST_F(ShipTest, TheGraceTimeRunsOutOneFrameAtATime) {
    GameObject ship = NewShip({0, 1, 0, 0, 0, 0});
    ShipObject& s = Of(ship);
    Fit(s, kEnergyGroup, 0, Akb(1000));
    s.Recharge(0);
    s.SetGrace(2);
    GameObject other = game.New("Actor", {0, 0, 0, 0, 0, 0, 100, 0});
    std::vector<std::pair<int32_t, int32_t>> seen;  // grace and balance after each frame and hit
    for (int frame = 0; frame < 3; ++frame) {
        Frame(s, nullptr);
        game.CallVirtual(&s, kHitVirtual, {0, other->Address(), Table({1})});
        seen.emplace_back(s.Grace(), s.Balance());
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{1, 1000}, {0, 900}, {0, 800}}));
}

// Each warning sounds when its flag is set and its countdown is 0, then again once the countdown
// has run down: "EnergyLack" every 211 updates, "EquipmentDetached" every 176.
TEST_F(ShipTest, WarningSoundsComeBackWhenTheirCountdownRunsOut) {
    struct Case {
        uint32_t flag;
        const char* sound;
        int period;
    } cases[] = {{kShipEnergyLack, "EnergyLack", 210}, {kShipEquipmentDetached, "EquipmentDetached", 175}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sound);
        GameObject ship = Flying(0);
        Of(ship).SetInt(c.flag, 1);
        std::vector<int> plays;  // after the first update, just before the period is over, at its end
        for (int frame = 1; frame <= c.period + 2; ++frame) {
            Frame(Of(ship), nullptr);
            if (frame == 1 || frame == c.period + 1 || frame == c.period + 2) {
                game.SettleSound();
                plays.push_back(game.Plays(c.sound));
            }
        }
        EXPECT_EQ(plays, (std::vector<int>{plays[0], plays[0], plays[0] + 1}));
        EXPECT_GE(plays[0], 1);
    }
}

TEST_F(ShipTest, ThePictureEntryFollowsTheSidewaysSpeed) {
    struct Case {
        int32_t speedX;
        int32_t entry;
    } cases[] = {{0, 0},    {200, 0},  {201, 1},   {1000, 1}, {1001, 3},
                 {-200, 0}, {-201, 2}, {-1000, 2}, {-1001, 4}};
    GameObject ship = Flying();
    Image* picture = game.Picture("Test\\Ship.dpf");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speedX);
        Of(ship).SetInt(kActorSpeedX, c.speedX);
        const std::vector<uint32_t> drawn = game.CallVirtual(ship.get(), kPictureVirtual, {0});
        EXPECT_EQ(drawn, (std::vector<uint32_t>{0, 24000, 32000,
                                                picture->EntryAt(c.entry)->GetFrame(0)->Address()}));
    }
    Of(ship).Own(kVisualPicture) = game.Picture("Test\\Flat.dpf")->Address();
    Of(ship).SetInt(kActorSpeedX, 1001);
    EXPECT_EQ(ErrorMessage([&] { game.CallVirtual(ship.get(), kPictureVirtual, {0}); }), "Wrong ship image.");
    Of(ship).Own(kVisualPicture) = 0;
    EXPECT_EQ(ErrorMessage([&] { game.CallVirtual(ship.get(), kPictureVirtual, {0}); }), "Wrong ship image.");
}

TEST_F(ShipTest, ActionSixOpensTheSlotWindowOnlyWhenOneIsInstalled) {
    GameObject ship = Flying();
    TestPilot& pilot = Fly(Of(ship));
    LevelObject& level = Scene(1280);
    level.SetViewX(-40);
    game.Buffer().SetOrigin(-40, 0);
    game.PressKey('W');
    Frame(Of(ship), &pilot);  // nothing installed: nothing happens

    std::vector<int32_t> originsSeen;
    ShipSlotWindowHook() = [&](ShipObject& shown) {
        EXPECT_EQ(&shown, &Of(ship));
        originsSeen.push_back(game.Buffer().OriginX());
    };
    game.ReleaseKey('W');
    Frame(Of(ship), &pilot);
    game.PressKey('W');
    Frame(Of(ship), &pilot);
    Frame(Of(ship), &pilot);  // still held: pressed only once
    game.ReleaseKey('W');
    ShipSlotWindowHook() = nullptr;
    EXPECT_EQ(originsSeen, std::vector<int32_t>{0});
    EXPECT_EQ(game.Buffer().OriginX(), -40);
    EXPECT_EQ(pilot.device.MouseX(), Of(ship).X() / 100 - 40);
}

TEST_F(ShipTest, ActionSevenAndTheWheelStepTheWeaponDirections) {
    struct Case {
        const char* name;
        bool key;
        int32_t wheel;
        uint32_t selected;
        int32_t wheelLeft;
    } cases[] = {
        {"action 7 steps forward", true, 0, 1, 0},
        {"120 wheel steps: two forward", false, 120, 2, 0},
        {"-60: one back, round to the last", false, -60, 8, 0},
        {"less than 60 waits for more", false, 59, 0, 59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject ship = Flying();
        TestPilot& pilot = Fly(Of(ship));
        pilot.device.Poll();
        if (c.key) game.PressKey('D');
        pilot.device.Poll();
        pilot.device.SetWheel(c.wheel);
        game.CallVirtual(ship.get(), kStepVirtual, {7});
        if (c.key) game.ReleaseKey('D');
        EXPECT_EQ(Of(ship).SlotAt(kWeaponGroup, 0)->SelectedIndex(), c.selected);
        EXPECT_EQ(Of(ship).SlotAt(kWeaponGroup, 1)->SelectedIndex(), c.selected);
        EXPECT_EQ(pilot.device.Wheel(), c.wheelLeft);
    }
}

TEST_F(ShipTest, FiringTriggersTheReadyWeaponsOfTheGroupWithTheFrameNumber) {
    // Its trigger leaves the time it was given on the stack, where the test finds it.
    game.Cpu().SetFrameNumber(77);
    GameObject ship = NewShip({4, 0, 0, 0, 0, 0});
    ShipObject& s = Of(ship);
    const auto gun = [&] {
        return GameObject(std::make_unique<OptionObject>(game.Class("TestGun"), OptionInit{}).release());
    };
    Fit(s, kWeaponGroup, 0, gun(), SlotPlace::kFirst, 1);
    Fit(s, kWeaponGroup, 1, gun(), SlotPlace::kFirst, 2);
    Fit(s, kWeaponGroup, 2, gun(), SlotPlace::kFirst, 1);
    Fit(s, kWeaponGroup, 3, Plain(0), SlotPlace::kFirst, 1);  // no weapon: never triggered
    s.Recharge(0);
    s.SlotAt(kWeaponGroup, 2)->SetDelay(3);
    EXPECT_EQ(game.CallMethod(ship.get(), 41, {1}), std::vector<uint32_t>{77});
    EXPECT_EQ(game.CallMethod(ship.get(), 41, {2}), std::vector<uint32_t>{77});
    s.ResetDelays();
    EXPECT_EQ(game.CallMethod(ship.get(), 41, {1}), (std::vector<uint32_t>{77, 77}));
}

TEST_F(ShipTest, SlotNativesGiveNullForBadIndexesAndBadSlotCountsAreRefused) {
    GameObject ship = NewShip({2, 1, 1, 1, 1, 1});
    ShipObject& s = Of(ship);
    struct Case {
        uint32_t method;
        int32_t index;
        uint32_t group;
    } cases[] = {{35, 1, kWeaponGroup}, {36, 0, kEnergyGroup},  {40, 0, kPlainGroup},
                 {35, 2, kWeaponGroup}, {37, -1, kEngineGroup}, {39, 1000000, kGrabberGroup}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        SlotObject* slot = s.SlotAt(c.group, c.index);
        EXPECT_EQ(game.CallMethod(ship.get(), c.method, {static_cast<uint32_t>(c.index)}),
                  std::vector<uint32_t>{slot != nullptr ? slot->Address() : 0});
        if (slot != nullptr) {
            EXPECT_EQ(slot->Kind(), static_cast<int32_t>(SlotKindOfGroup(c.group)));
        }
    }
    EXPECT_EQ(ErrorMessage([&] { NewShip({0, 0, -1, 0, 0, 0}); }), "Wrong slot count -1 for ship group 2");
    NewShip({0, 0, ShipObject::kMaxSlotsPerGroup, 0, 0, 0});
    // A class library's ship names its library.
    EXPECT_EQ(ErrorMessage([&] { game.New("TestWideShip"); }),
              "Wrong slot count " + std::to_string(ShipObject::kMaxSlotsPerGroup + 1) +
                  " for ship group 3 in \"TestWideShip.glc\"");
}

}  // namespace
