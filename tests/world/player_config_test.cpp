#include "world/player_config.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/block_writer.h"
#include "world/option.h"
#include "world/player.h"
#include "world/ship.h"
#include "world/skills.h"
#include "world/slot.h"
#include "world/weapon.h"

namespace {

std::string Text(const std::string& text) {
    return text + std::string(1, '\0');
}

std::string I32(int32_t value) {
    return LeU32(static_cast<uint32_t>(value));
}

struct ConfigGame {
    ConfigGame() {
        AddPilotClasses(game);
        game.Start();
    }
    Processor& Cpu() { return game.Cpu(); }

    // A pilot with money, events, a skill, an item and a key mapping; no ship.
    PlayerObject& NewPilot(GameObject& holder) {
        holder = game.New("Player");
        PlayerObject& player = PlayerObject::Of(holder.get());
        player.SetName("Ann");
        player.SetMoneyTenths(12345);
        player.SetExperience(50);
        player.SetLevel(3);
        player.SetSkillPoints(2);
        player.Events().FindOrAdd("DONE", new PlayerEvent{1, "yes", 5});
        player.Events().FindOrAdd("TEMP", new PlayerEvent{kUnstoredEventKind, "gone", 0});
        GameObject skill = game.New("CommerceSkill");
        SkillObject::Of(skill.get()).SetLevel(2);
        player.PlaceSkill(skill.release(), 3);
        player.AddItem(game.New(kCharmClass).release());
        auto input = std::make_unique<InputDevice>();
        input->Actions().SetCodes({37, 39});
        player.SetInput(std::move(input));
        return player;
    }

    PlayerObject* Reload(const std::string& bytes, PlayerConfig& config) {
        ReadStored(config, bytes);
        return Player::CreateFromConfig(Cpu(), config);
    }

    GameHarness game;
};

// The same pilot's block, put together from the layouts alone.
std::string ExpectedPilotBlock() {
    const std::string inpd =
        SCBlock("INPD", "", I32(0) + I32(0), {SEBlock("KEYS", I32(37) + I32(39), LeU16(2))});
    const std::string sspl = SEBlock("SSPL", "");
    const std::string pevn = SEBlock("PEVN", Text("DONE") + Text("yes"), I32(1) + I32(5));
    const std::string pskl = SEBlock("PSKL", Text("CommerceSkill"), I32(3) + I32(2));
    const std::string sslt = SCBlock("SSLT", Text(kCharmClass), I32(kItemQuest) + I32(0) + I32(0),
                                     {SEBlock("SSLC", I32(7) + I32(9))});
    return SCBlock("PCFG", Text("Ann"), I32(12340) + I32(50) + I32(3) + I32(2),
                   {inpd, sspl, pevn, pskl, sslt});
}

TEST(PlayerConfigTest, PilotIsStoredByteForByteAndReadBackEqual) {
    ConfigGame t;
    GameObject holder;
    PlayerObject& pilot = t.NewPilot(holder);
    PlayerConfig config;
    Player::StoreToConfig(config, pilot);
    const std::string bytes = StoredBytes(config);
    EXPECT_EQ(bytes, ExpectedPilotBlock());
    EXPECT_EQ(config.ChunkSize(), bytes.size());
    pilot.Input()->Actions().SetCodes({1});
    EXPECT_EQ(config.Input().Actions().Code(1), 39u) << "the block holds a copy of the mapping";

    PlayerConfig read;
    PlayerObject* copy = t.Reload(bytes, read);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Name(), "Ann");
    EXPECT_EQ(copy->MoneyTenths(), 12340);
    EXPECT_EQ(copy->Experience(), 50);
    EXPECT_EQ(copy->Level(), 3);
    EXPECT_EQ(copy->Threshold(), 3640);
    EXPECT_EQ(copy->SkillPoints(), 2);
    ASSERT_NE(copy->SkillAt(3), nullptr);
    EXPECT_EQ(copy->SkillAt(3)->Level(), 2);
    EXPECT_EQ(copy->SkillAt(3)->Owner(), copy);
    ASSERT_EQ(copy->Items().size(), 1u);
    ASSERT_NE(copy->Input(), nullptr);
    EXPECT_EQ(copy->Input()->Actions().Code(1), 39u);
    ASSERT_NE(copy->Events().Find("DONE"), nullptr);
    EXPECT_EQ(copy->Events().Find("DONE")->text, "yes");
    EXPECT_EQ(copy->Events().Find("TEMP"), nullptr) << "kind 4 records never reach the file";
    EXPECT_EQ(copy->Ship(), nullptr);

    PlayerConfig again;
    Player::StoreToConfig(again, *copy);
    EXPECT_EQ(StoredBytes(again), bytes) << "save, load and save again keeps every byte";
}

TEST(PlayerConfigTest, MoneyIsWrittenInWholeUnitsAndOldAmountsGrowOnLoad) {
    // tenths held -> stored, and stored -> loaded
    const std::vector<std::pair<int32_t, int32_t>> stored = {
        {12345, 12340}, {1230, 1230}, {-15, -20}, {9, 0}, {INT32_MAX, 2147483640}, {INT32_MIN, -2147483640}};
    for (const auto& [tenths, written] : stored) {
        EXPECT_EQ(StoredMoney(tenths), written) << tenths;
        EXPECT_EQ(LoadedMoney(written), written) << "no written amount grows on load: " << written;
    }
    const std::vector<std::pair<int32_t, int32_t>> loaded = {
        {1234, 12340}, {1230, 1230}, {-15, -150}, {0, 0}, {INT32_MAX, INT32_MAX}, {INT32_MIN + 1, INT32_MIN}};
    for (const auto& [file, money] : loaded) EXPECT_EQ(LoadedMoney(file), money) << file;
}

TEST(PlayerConfigTest, ShipWithItemsAndDirectionsRoundTrips) {
    ConfigGame t;
    GameObject holder;
    PlayerObject& pilot = t.NewPilot(holder);
    ShipObject* ship = &ShipObject::Of(t.game.New(kShipClass).release());
    pilot.SetShip(ship, 0);
    OptionObject* cell = &OptionObject::Of(t.game.New(kCellClass).release());
    ship->SlotAt(kEnergyGroup, 0)->SetObject(cell);
    ship->SlotAt(kEnergyGroup, 0)->SetFirstEnabled(1);
    AkbObject::Of(cell).SetCharge(123);
    SlotObject& weapons = *ship->SlotAt(kWeaponGroup, 1);
    weapons.SetObject(&OptionObject::Of(t.game.New(kCharmClass).release()));
    weapons.SetFirstEnabled(1);
    weapons.SetObjectB(&OptionObject::Of(t.game.New(kCharmClass).release()));
    weapons.SetDirection(2, {38, -92, false});
    weapons.SetCustomised(true);
    ship->SelectDirections(4, false);

    PlayerConfig config;
    Player::StoreToConfig(config, pilot);
    ASSERT_NE(config.Ship(), nullptr);
    EXPECT_EQ(config.Ship()->ClassName(), kShipClass);
    EXPECT_EQ(config.Ship()->SelectedDirection(), 4u);
    const std::string bytes = StoredBytes(config);

    PlayerConfig read;
    PlayerObject* copy = t.Reload(bytes, read);
    auto* loaded = dynamic_cast<ShipObject*>(copy->Ship());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Owner(), copy);
    auto* loadedCell = dynamic_cast<AkbObject*>(loaded->SlotAt(kEnergyGroup, 0)->First());
    ASSERT_NE(loadedCell, nullptr);
    EXPECT_EQ(loadedCell->Charge(), 123);
    SlotObject& loadedWeapons = *loaded->SlotAt(kWeaponGroup, 1);
    EXPECT_NE(loadedWeapons.First(), nullptr);
    EXPECT_TRUE(loadedWeapons.FirstEnabled());
    EXPECT_NE(loadedWeapons.Second(), nullptr);
    EXPECT_FALSE(loadedWeapons.SecondEnabled());
    EXPECT_TRUE(loadedWeapons.Customised());
    EXPECT_EQ(loadedWeapons.Direction(2).x, 38);
    EXPECT_FALSE(loadedWeapons.Direction(2).enabled);
    EXPECT_EQ(loaded->SlotAt(kWeaponGroup, 0)->SelectedIndex(), 4u);
    EXPECT_FALSE(loaded->SlotAt(kWeaponGroup, 0)->Customised()) << "an unedited slot writes no directions";

    PlayerConfig again;
    Player::StoreToConfig(again, *copy);
    EXPECT_EQ(StoredBytes(again), bytes);
}

// Pilots and ships are their lists': without the list a load is refused, leaving no pilot, ship or
// slot owned by nobody.
TEST(PlayerConfigTest, APilotOrShipWithoutItsListToHoldItIsRefused) {
    struct Case {
        uint32_t missing;
        const char* error;
    };
    for (const Case c : {Case{kShipListId, "No ship list to hold the ship of Ann"},
                         Case{kPlayerListId, "No player list to hold the pilot Ann"}}) {
        SCOPED_TRACE(c.error);
        ConfigGame t;
        GameObject holder;
        PlayerObject& pilot = t.NewPilot(holder);
        pilot.SetShip(&ShipObject::Of(t.game.New(kShipClass).release()), 0);
        PlayerConfig config;
        Player::StoreToConfig(config, pilot);
        const std::string bytes = StoredBytes(config);
        std::vector<ZEMAClass*> counted{t.game.Class("Slot"), t.game.Class(kShipClass),
                                        t.game.Class("Player")};
        t.game.Objects().SetObject(nullptr, c.missing);
        std::vector<uint32_t> before;
        for (ZEMAClass* cls : counted) before.push_back(cls->InstanceCount());
        PlayerConfig read;
        EXPECT_EQ(ErrorMessage([&] { t.Reload(bytes, read); }), c.error);
        for (size_t i = 0; i < counted.size(); ++i) EXPECT_EQ(counted[i]->InstanceCount(), before[i]);
    }
}

TEST(PlayerConfigTest, LoadedAmmunitionIsStoredAfterItsWeaponAndLoadedAgain) {
    ConfigGame t;
    GameObject holder;
    PlayerObject& pilot = t.NewPilot(holder);
    ShipObject& ship = ShipObject::Of(t.game.New(kShipClass).release());
    pilot.SetShip(&ship, 0);
    auto& gun = WeaponObject::Of(t.game.New(kGunClass).release());
    ship.SlotAt(kWeaponGroup, 1)->SetObject(&gun);
    ASSERT_EQ(Weapon::CallOfferAmmo(&gun, t.game.New(kShellsClass).release()->Address()), 0u);
    ASSERT_NE(gun.Ammo(), nullptr);
    gun.Ammo()->SetShotsLeft(17);

    PlayerConfig config;
    Player::StoreToConfig(config, pilot);
    const auto& records = config.Ship()->Slots().Items();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->ClassName(), kGunClass);
    EXPECT_EQ(records[1]->ClassName(), kShellsClass);
    EXPECT_EQ(records[1]->Index(), 1u);
    EXPECT_EQ(records[1]->Enabled(), 0u);

    PlayerConfig read;
    PlayerObject* copy = t.Reload(StoredBytes(config), read);
    auto* loaded = dynamic_cast<WeaponObject*>(ShipObject::Of(copy->Ship()).SlotAt(kWeaponGroup, 1)->First());
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->Ammo(), nullptr);
    EXPECT_EQ(loaded->Ammo()->ShotsLeft(), 17);
}

TEST(PlayerConfigTest, TheLocationComesFromTheCampaignWhenItKnowsOne) {
    ConfigGame t;
    GameObject holder;
    PlayerObject& pilot = t.NewPilot(holder);
    PlayerConfig config;
    config.SetLocation("Old", "Place");
    const struct Row {
        bool known;
        std::string payload;
    } rows[] = {{false, Text("Old") + Text("Place")}, {true, Text("Sol") + Text("Earth")}};
    for (const Row& row : rows) {
        PlayerLocationHook() = [&](String& system, String& planet) {
            system = "Sol";
            planet = "Earth";
            return row.known;
        };
        Player::StoreToConfig(config, pilot);
        const SSPLBlock& location = config.Location();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(location.Payload()), location.PayloadSize()),
                  row.payload);
    }
    PlayerLocationHook() = nullptr;
}

// The first item's save deletes the second: the store goes over the items carried when it began
// and stores only what is still there.
TEST(PlayerConfigTest, AnItemAnEarlierSaveDeletedIsNotStored) {
    GameHarness game;
    AddPilotClasses(game);
    game.AddClass({.name = "Eraser",
                   .base = "QuestItem",
                   .instanceFields = 1,
                   .virtuals = {{kSaveStateVirtual, CodeWords({DeleteFieldWords(0), PushIntWords(0)})}}});
    game.Start();
    GameObject holder = game.New("Player");
    PlayerObject& player = PlayerObject::Of(holder.get());
    ScriptObject& eraser = *game.New("Eraser", {0}).release();
    ScriptObject& charm = *game.New(kCharmClass).release();
    player.AddItem(&eraser);
    player.AddItem(&charm);
    eraser.Field(0) = charm.Address();
    const ReleaseHold hold;
    PlayerConfig config;
    EXPECT_EQ(ErrorMessage([&] { Player::StoreToConfig(config, player); }), "no error");
    ASSERT_EQ(config.Items().size(), 1u);
    EXPECT_EQ(config.Items()[0]->ClassName(), "Eraser");
    EXPECT_FALSE(charm.Alive());
}

TEST(PlayerConfigTest, LevelsBelowOneLoadAsOne) {
    ConfigGame t;
    for (int32_t level : {0, 1}) {
        const std::string bytes = SCBlock("PCFG", Text("Bo"), I32(0) + I32(0) + I32(level) + I32(0),
                                          {SEBlock("PSKL", Text("SwitchSkill"), I32(52) + I32(0))});
        PlayerConfig config;
        PlayerObject* player = t.Reload(bytes, config);
        EXPECT_EQ(player->Level(), 1) << level;
        EXPECT_EQ(player->Threshold(), 1000);
        ASSERT_NE(player->SkillAt(52), nullptr);
        EXPECT_EQ(player->SkillAt(52)->Level(), 1);
    }
}

TEST(PlayerConfigTest, HostileBlocksAreRefusedNamingTheFile) {
    ConfigGame t;
    auto pilot = [](int32_t level, const std::string& name, const std::vector<std::string>& children) {
        return SCBlock("PCFG", name, I32(0) + I32(0) + I32(level) + I32(0), children);
    };
    auto item = [](const std::string& className) {
        return SEBlock("SSLT", Text(className), I32(0) + I32(0) + I32(0));
    };
    const std::string file = "\"read.PCFG\"";
    struct Row {
        const char* what;
        std::string bytes;
        std::string error;  // the start of the message; every one names the file
    };
    const std::vector<Row> rows = {
        {"event without its text",
         pilot(1, Text("A"), {SEBlock("PEVN", Text("KEY") + "text", I32(0) + I32(0))}),
         "Event record without its key and text"},
        {"event with no terminator", pilot(1, Text("A"), {SEBlock("PEVN", "KEY", I32(0) + I32(0))}),
         "Event record without its key and text"},
        {"skill slot below 0", pilot(1, Text("A"), {SEBlock("PSKL", Text("SwitchSkill"), I32(-1) + I32(1))}),
         "Skill slot -1 out of range"},
        {"skill slot far out",
         pilot(1, Text("A"), {SEBlock("PSKL", Text("SwitchSkill"), I32(INT32_MAX) + I32(1))}),
         "Skill slot 2147483647 out of range"},
        {"negative skill level",
         pilot(1, Text("A"), {SEBlock("PSKL", Text("SwitchSkill"), I32(1) + I32(-4))}),
         "Negative skill level -4"},
        {"skill of no skill class",
         pilot(1, Text("A"), {SEBlock("PSKL", Text(kCharmClass), I32(1) + I32(1))}), ""},
        {"negative pilot level", pilot(-2, Text("A"), {}), "Negative player level -2"},
        {"name without its end", pilot(1, "Ann", {}), "Player name without its end"},
        {"item of no item class", pilot(1, Text("A"), {item("SwitchSkill")}), ""},
        {"item of an unknown class", pilot(1, Text("A"), {item("NoSuchThing")}), ""},
        {"ship of no ship class", pilot(1, Text("A"), {SEBlock("SCFG", Text(kCharmClass), I32(0))}), ""},
    };
    for (const Row& row : rows) {
        PlayerConfig config;
        const std::string error = ErrorMessage([&] { t.Reload(row.bytes, config); });
        EXPECT_NE(error, "no error") << row.what;
        EXPECT_EQ(error.rfind(row.error, 0), 0u) << row.what << ": " << error;
        EXPECT_NE(error.find(file), std::string::npos) << row.what << ": " << error;
    }
}

}  // namespace
