#include "tools/content/demo_content.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>

#include "campaign/planet.h"
#include "foundation/byte_order.h"
#include "shell/game_ids.h"
#include "tools/content/block_writer.h"
#include "tools/content/demo_font.h"
#include "tools/content/demo_galaxy.h"
#include "tools/content/demo_pictures.h"
#include "tools/content/demo_recording.h"
#include "tools/content/demo_script.h"
#include "tools/content/demo_sound.h"
#include "tools/content/demo_texts.h"
#include "tools/content/player_file.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/startup_archive.h"
#include "ui/script_dialog.h"
#include "ui/visual.h"
#include "world/actor.h"
#include "world/equipment_config.h"
#include "world/player_config.h"
#include "world/slot.h"

namespace {

using Words = std::vector<uint32_t>;
using Receiver = ScriptAssembler::Receiver;

constexpr const char* kItemTexts = "Demo\\Items.mes";
// Bits 2, 3 and 4 of the screen settings: the stars, the status and the sound effects shown.
constexpr uint16_t kDemoScreenSwitches = 0x1C;
// A full cell carries a ship across two trips between neighbouring systems (a trip costs 30000 a pixel
// of the systems' distance on the galaxy map), from one shop to the other.
constexpr int32_t kDemoCellCapacity = 12000000;

// --- script classes ---

Words Join(std::initializer_list<Words> pieces) {
    return CodeWords(pieces);
}

uint32_t Op(::Op operation) {
    return OpWord(operation);
}

// A table of the ten damage (or armour) values: the first kinds of them value, the others 0.
Words TablePush(int32_t value, uint32_t kinds = kDamageKinds) {
    std::string bytes(kDamageKinds * 4, '\0');
    for (uint32_t k = 0; k < kinds; ++k) StoreU32(reinterpret_cast<uint8_t*>(bytes.data()) + 4 * k, value);
    // The inline data is one word longer than the table: the words after the table stay 0.
    return PushTextWords(bytes);
}

// An object of the used class made from what lies on the stack, appended to the list of that ID.
void NewIntoList(ScriptAssembler& a, uint32_t cls, uint32_t objectManager, uint32_t listId) {
    a.Op(Op::PushInline, {cls});
    a.Op(Op::ClassOf);
    a.Op(Op::NewObject);
    a.Call(4, objectManager, Receiver::ObjectId, listId);
}

void PushWords(ScriptAssembler& a, const Words& words) {
    for (uint32_t w : words) a.Word(w);
}

// Step of an enemy (the frame number on the stack): moves as an actor does and every few steps
// drops a shot under itself into the list of shots that hit ships.
Words EnemyStep() {
    constexpr uint32_t kImages = 2, kLists = 3, kShot = 4;
    ScriptAssembler a;
    const auto skip = a.NewLabel();
    a.Op(Op::Dup);
    a.CallVirtual(2, 1);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoEnemyFirePeriod)});
    a.Op(Op::Mod);
    a.Jump(Op::JumpIfNonZero, skip);
    // Shot pops class, picture, energy, x, y, speed x and y, damage table, armour table.
    a.Op(Op::PushInline, {0});
    PushWords(a, TablePush(10, 1));
    a.Op(Op::PushInline, {400});
    a.Op(Op::PushInline, {0});
    a.Call(5, 1);
    a.Op(Op::Fetch);
    a.Op(Op::PushInline, {1200});
    a.Op(Op::Add);
    a.Call(4, 1);
    a.Op(Op::Fetch);
    a.Op(Op::PushInline, {1});
    PushWords(a, PushPictureWords("Demo\\EnemyShot.dpf", kImages));
    NewIntoList(a, kShot, kLists, kFlightList11Id);
    a.Bind(skip);
    return a.Finish();
}

// Step of the level (the frame number on the stack): the first step sets the scroll speed and sends
// the enemies and a bonus; once the progress passes the level's length the level is finished.
Words LevelStep() {
    constexpr uint32_t kImages = 2, kLists = 3, kEnemy = 4, kMoney = 5, kSounds = 6, kSoundSystem = 7,
                       kSky = 8;
    ScriptAssembler a;
    const auto started = a.NewLabel();
    const auto going = a.NewLabel();
    a.Op(Op::Dup);
    a.CallVirtual(2, 1);
    // The level's script value is 3 when it is made: the first step marks it.
    a.Call(16, 1);
    a.Op(Op::PushInline, {3});
    a.Op(Op::Equal);
    a.Jump(Op::JumpIfZero, started);
    a.Op(Op::PushInline, {4});
    a.Call(15, 1);
    a.Op(Op::PushInline, {100});
    a.Call(4, 1);
    a.Op(Op::Store);
    for (int32_t i = 0; i < kDemoEnemyCount; ++i) {
        // Actor pops class, picture, energy, x, y, speed x and y, damage table, armour table.
        a.Op(Op::PushInline, {0});
        PushWords(a, TablePush(50));
        a.Op(Op::PushInline, {60});
        a.Op(Op::PushInline, {static_cast<uint32_t>(i == 1 ? 0 : (i == 0 ? 40 : -40))});
        a.Op(Op::PushInline, {static_cast<uint32_t>(-2000 - 3000 * i)});
        a.Op(Op::PushInline, {static_cast<uint32_t>(16000 + 16000 * i)});
        a.Op(Op::PushInline, {30});
        PushWords(a, PushPictureWords("Demo\\Enemy.dpf", kImages));
        NewIntoList(a, kEnemy, kLists, kFlightActorListId);
    }
    // MoneyBonus pops class, amount, x, y, value.
    a.Op(Op::PushInline, {0});
    a.Op(Op::PushInline, {static_cast<uint32_t>(-6000)});
    a.Op(Op::PushInline, {32000});
    a.Op(Op::PushInline, {500});
    NewIntoList(a, kMoney, kLists, kFlightActorListId);
    // The stars behind it all (StarsSky pops class, picture, count and the width they spread over),
    // in the list stepped and drawn first.
    a.Op(Op::PushInline, {640});
    a.Op(Op::PushInline, {60});
    PushWords(a, PushPictureWords("Demo\\Sky.dpf", kImages));
    NewIntoList(a, kSky, kLists, kFlightList7Id);
    // The flight's music, looped (the sound system's method 8) until the flight's end stops it.
    PushWords(a, PushTextWords(kDemoFlightMusic));
    a.Call(4, kSounds, Receiver::ObjectId, kSoundManagerId);
    a.Call(8, kSoundSystem, Receiver::ObjectId, kSoundSystemId);
    a.Op(Op::Drop);
    a.Bind(started);
    a.Call(17, 1);
    a.Op(Op::PushInline, {static_cast<uint32_t>(kDemoLevelLength * 100)});
    a.Op(Op::Greater);
    a.Jump(Op::JumpIfZero, going);
    a.Call(13, 1);
    a.Bind(going);
    a.Op(Op::Drop);
    return a.Finish();
}

// A scenario's Start: flies the level (GameManager method 4), enters the pilots' scores in the
// scenario's high-score table (the HighScoreManager's method 4, used as class 3), then answers 0:
// the game is over.
Words ScenarioStart() {
    return Join({PushTextWords(kDemoLevelClass),
                 {ScriptAssembler::CallWord(4, 2, false, Receiver::ObjectId, kGameManagerId), Op(Op::Drop),
                  ScriptAssembler::CallWord(4, 3, false, Receiver::ObjectId, kHighScoreManagerId)},
                 PushIntWords(0)});
}

// The campaign's Start. A new game sets the game date, flies the first flight and comes to the first
// star system; a game that has flown it (a loaded save) goes on from where it was saved. Between
// flights the campaign runs in the galaxy (GameManager method 7) until the player leaves the game.
Words CampaignStart() {
    const UsedClasses used("Scenario", {"GameManager", "EventManager", "GTime"});
    DemoScript s(used);
    ScriptAssembler& a = s.Asm();
    const auto flown = a.NewLabel();
    s.Text(kDemoFlownEvent);
    s.Manager(4, "EventManager", kEventManagerId);
    a.Jump(Op::JumpIfNonZero, flown);
    // GTime method 10 pops second, minute, hour, day and year after the time itself.
    for (uint32_t value : {kDemoStartYear, kDemoStartDay, 0u, 0u, 0u}) s.Int(static_cast<int32_t>(value));
    s.Manager(17, "GameManager", kGameManagerId);
    s.Call(10, "GTime");
    // Noted first, so that the flight's own autosave goes on from the galaxy too. The event manager's
    // method 14 pops a value, a text, a kind and the event's name.
    s.Text(kDemoFlownEvent);
    s.Int(0);
    s.Text("");
    s.Int(0);
    s.Manager(14, "EventManager", kEventManagerId);
    s.Text(kDemoLevelClass);
    s.Manager(4, "GameManager", kGameManagerId);
    s.Op(Op::Drop);
    a.Bind(flown);
    s.Text(kDemoStarSystemTable);
    s.Manager(6, "GameManager", kGameManagerId);
    s.Manager(7, "GameManager", kGameManagerId);
    s.Int(0);
    return s.Finish();
}

// Name and description of an item (virtual methods 3 and 4) from the items' message file.
std::map<uint32_t, Words> ItemTexts(const UsedClasses& used, uint32_t number) {
    DemoScript name(used), description(used);
    name.Message(kItemTexts, number);
    description.Message(kItemTexts, number + 1);
    return {{3, name.Finish()}, {4, description.Finish()}};
}

std::vector<ScriptSubclass> Classes() {
    // EnergyWeapon pops picture, x, y, direction x and y, value D, consumption, alternative picture,
    // interval, value J, kind B, kind A, needs ammunition, value F, base value, energy per shot, shot
    // speed, shot energy, armour and damage tables, shot picture: pushed here the other way round.
    // The shot's speed is the firing direction (a unit vector times 100) times the shot speed, in
    // hundredths of a pixel a step: 10 flies 10 pixels a step, up the field in under two seconds.
    Words gun = Join({PushUnderClass(PushPictureWords("Demo\\Shot.dpf", 2)), PushUnderClass(TablePush(10)),
                      PushUnderClass(PushIntWords(0))});
    for (int32_t value : {1, kDemoShotSpeed, 2, 100, 0, 0, 0, 0, 0, 8, 0, 0, 0, -100, 0, 0, 0})
        gun = Join({gun, PushUnderClass(PushIntWords(value))});
    gun = Join({gun, PushUnderClass(PushPictureWords("Demo\\Gun.dpf", 2))});
    const std::vector<std::string> levelUses = {"ImageManager", "ObjectManager", kDemoEnemyClass,
                                                "MoneyBonus",   "SoundManager",  "SoundSystem",
                                                "StarsSky"};
    // The items take their pictures through class 2 and their texts through class 3.
    const UsedClasses itemUses("", {"ImageManager", "MessageManager"});
    return {
        // Ship pops picture, damage, protection, the slot counts from the last group to the first,
        // values A, B and C, mass, base consumption: one weapon, one energy source, one engine and a
        // hold of two. Its damage table is what it deals in a collision: an enemy shot that hits it
        // is used up at once instead of hitting it again on every step it takes through the hull.
        {.name = kDemoShipClass,
         .base = "Ship",
         .virtuals = ItemTexts(itemUses, 7),
         // The fire and equipment steps are called as the ship's own methods: they pass to the base's.
         .methods = {{41, {BaseCallWord(41)}}, {42, {BaseCallWord(42)}}},
         .uses = itemUses.Names(),
         .createValues = {0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 2, 0},
         .createCode =
             Join({PushUnderClass(TablePush(10, 1)), PushUnderClass(PushPictureWords("Demo\\Ship.dpf", 2))})},
        // Akb pops picture, capacity, value F, base value; Engine picture, thrust, consumption and two
        // values. The cell's charge is also the fuel of travel between the stars.
        {.name = "DemoCell",
         .base = "Akb",
         .virtuals = ItemTexts(itemUses, 1),
         .uses = itemUses.Names(),
         .createValues = {50, 0, kDemoCellCapacity},
         .createCode = PushUnderClass(PushPictureWords("Demo\\Cell.dpf", 2))},
        {.name = "DemoEngine",
         .base = "Engine",
         .virtuals = ItemTexts(itemUses, 3),
         .uses = itemUses.Names(),
         .createValues = {40, 0, 60, 3000},
         .createCode = PushUnderClass(PushPictureWords("Demo\\Engine.dpf", 2))},
        // The ship asks a weapon for its ammunition through the weapon's own method.
        {.name = "DemoGun",
         .base = "EnergyWeapon",
         .virtuals = ItemTexts(itemUses, 5),
         .methods = {{32, {BaseCallWord(32)}}},
         .uses = itemUses.Names(),
         .createCode = gun},
        {.name = kDemoEnemyClass,
         .base = "Actor",
         .virtuals = {{2, EnemyStep()}},
         .uses = {"ImageManager", "ObjectManager", "Shot"}},
        {.name = kDemoLevelClass, .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        // The main screen's idle demos fly levels of these names.
        {.name = kDemoIdleLevels[0], .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        {.name = kDemoIdleLevels[1], .base = "Level", .virtuals = {{2, LevelStep()}}, .uses = levelUses},
        {.name = kDemoArcadeScenario,
         .base = "Scenario",
         .virtuals = {{2, ScenarioStart()}, {3, PushTextWords("Demo arcade")}},
         .uses = {"GameManager", "HighScoreManager"}},
        {.name = kDemoScenarioClass,
         .base = "Scenario",
         .virtuals = {{2, ScenarioStart()},
                      {3, PushTextWords(kDemoScenarioName)},
                      {4, PushTextWords("One pilot against a raiding party. No shop, no second chance.")}},
         .uses = {"GameManager", "HighScoreManager"}},
        {.name = kDemoCampaignScenario,
         .base = "Scenario",
         .virtuals = {{2, CampaignStart()}, {3, PushTextWords("Demo campaign")}},
         .uses = {"GameManager", "EventManager", "GTime"}},
    };
}

// --- players ---

std::string Pilot(const std::string& name, const std::string& scratch) {
    PlayerConfig config;
    config.SetName(name);
    config.SetFields(10000, 0, 1, 0);
    config.SetLocation(kDemoStarSystemName, kDemoShopPlanetName);
    auto ship = std::make_unique<ShipConfig>();
    ship->SetClassName(kDemoShipClass);
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotWeapon, 1, 0, "DemoGun"));
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEnergy, 1, 0, "DemoCell"));
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotEngine, 1, 0, "DemoEngine"));
    // A spare cell in the hold, for the shop to buy.
    ship->Slots().Items().push_back(std::make_unique<SsltBlock>(kSlotHold, 1, 0, "DemoCell"));
    config.SetShip(std::move(ship));
    std::string bytes = StoredBytes(config, scratch);
    std::error_code ignored;
    std::filesystem::remove(scratch, ignored);
    return bytes;
}

// The idle demos' input, fire held down throughout: the ship leaves where the flight places it and
// weaves from side to side out of the enemies' line of fire, low in the field in the first demo,
// climbing to meet them and falling back in the second. The level ends the flight before the
// recording runs out.
std::vector<FdEntry> IdleDemos() {
    const auto steps = static_cast<uint32_t>(kDemoIdleDemoSteps);
    const auto actions = static_cast<uint32_t>(std::size(kDemoPlayerKeys));
    std::vector<DemoWaypoint> low = {{0, 320, 384}, {20, 320, 384}};
    std::vector<DemoWaypoint> climbing = low;
    for (uint32_t k = 0; 60 + 80 * k < steps; ++k) {
        low.push_back({60 + 80 * k, k % 2 == 0 ? 100 : 540, 400});
        climbing.push_back({60 + 70 * k, k % 2 == 0 ? 560 : 80, k % 4 < 2 ? 320 : 420});
    }
    return {
        {kDemoIdleDemos[0].demoFile, DemoRecording(actions, steps, low, 5, steps)},
        {kDemoIdleDemos[1].demoFile, DemoRecording(actions, steps, climbing, 15, steps)},
    };
}

std::vector<FdEntry> Players() {
    const std::string one = Pilot("Pilot", "demo-pilot-1.PCFG");
    const std::string two = one + Pilot("Wingman", "demo-pilot-2.PCFG");
    return {
        {kDemoArcadePlayers, two},
        {kDemoCampaignPlayers, one},
        {"Levels\\Campaign\\Campaign2Player.PCFG", two},
        {"DefPlCfg.PCFG", one},
        {"Players.PCFG", one},
        {kDemoIdleDemos[0].playerFile, Pilot("Demo pilot", "demo-pilot-3.PCFG")},
        {kDemoIdleDemos[1].playerFile, Pilot("Demo pilot", "demo-pilot-3.PCFG")},
        {"AllItems.lst", std::string(kDemoItemClasses[0]) + "\r\n" + kDemoItemClasses[1] + "\r\n" +
                             kDemoItemClasses[2] + "\r\n"},
    };
}

std::vector<FdEntry> ItemFiles() {
    return {
        {kItemTexts,
         TwoLanguageMessages({
             {1, "Energy cell", "Energiezelle"},
             {2,
              "Holds the energy of the guns and engines, and the fuel for travel between the stars. The "
              "shop on Kessa fills it.",
              "Speichert die Energie der Waffen und Antriebe und den Treibstoff für Reisen zwischen den "
              "Sternen. Der Laden auf Kessa füllt sie."},
             {3, "Ion engine", "Ionenantrieb"},
             {4, "Pushes the ship about the field: the stronger the engine, the faster the ship.",
              "Treibt das Schiff über das Feld: Je stärker der Antrieb, desto schneller das Schiff."},
             {5, "Pulse gun", "Impulskanone"},
             {6, "A light gun that fires bolts of charged plasma, paid for from the ship's cells.",
              "Eine leichte Kanone, die Blitze aus geladenem Plasma feuert, bezahlt aus den Zellen des "
              "Schiffs."},
             {7, "Tern", "Seeschwalbe"},
             {8, "A light courier with room for one gun, one cell, one engine and two items in its hold.",
              "Ein leichter Kurier mit Platz für eine Kanone, eine Zelle, einen Antrieb und zwei Dinge im "
              "Laderaum."},
         })}};
}

// High-score tables of the campaign and the scenario, so that the list has something to show before
// the first game; the arcade game's table is made by the first arcade game that ends.
std::string HighScores() {
    const auto table = [](const std::string& key, const std::string& title,
                          const std::vector<std::pair<std::string, int32_t>>& entries) {
        std::string payload = key + '\0' + title + '\0';
        for (const auto& [name, score] : entries)
            payload += CodePageText(name) + '\0' + LeU32(static_cast<uint32_t>(score));
        return SEBlock("HISC", payload, LeU32(static_cast<uint32_t>(entries.size())));
    };
    return table(kDemoCampaignScenario, "Demo campaign",
                 {{"Hale", 2400}, {"Jörg Weiss", 1800}, {"Ilse Marten", 1200}}) +
           table(kDemoScenarioClass, kDemoScenarioName, {{"Scout", 900}, {"Wingman", 500}});
}

}  // namespace

std::vector<FdEntry> DemoArchiveEntries() {
    const Words first(std::begin(kDemoPlayerKeys), std::end(kDemoPlayerKeys));
    StartupArchiveOptions options;
    // The settings a player finds at first: stars, sound effects and the status shown, both volumes
    // full.
    options.screenFlags = kDemoScreenSwitches;
    options.effectsVolume = 10;
    options.musicVolume = 10;
    // The first player's mapping takes the mouse too: the menus run on it.
    options.extra = {{"Keys.INPD", InputDeviceFile(first, true) +
                                       InputDeviceFile({'A', 'D', 'W', 'S', 'Q', 'E', 'R', 'F'})}};
    for (auto* part : {&DemoPictures, &DemoFonts, &DemoMessageFiles, &DemoSounds, &Players, &IdleDemos,
                       &DemoGalaxyFiles, &ItemFiles})
        for (FdEntry& e : part()) options.extra.push_back(std::move(e));
    std::vector<ScriptSubclass> classes = Classes();
    for (ScriptSubclass& cls : DemoGalaxyClasses()) classes.push_back(std::move(cls));
    for (const ScriptSubclass& cls : classes)
        options.extra.push_back({cls.name + ".glc", cls.Library().Build()});
    for (const FdEntry& e : options.extra) {
        for (const std::string& name : StartupEntryNames())
            if (name == e.name) options.omit.push_back(name);
    }
    options.omit.emplace_back("Fonts\\Default.dff");
    options.omit.emplace_back("Misc\\Silence.wav");
    return StartupArchiveEntries(options);
}

std::string DemoArchive() {
    FdWriter writer;
    writer.Group(DemoArchiveEntries());
    return writer.Build();
}

std::vector<FdEntry> DemoLooseFiles() {
    return {
        {kDemoScenarioFile, std::string(kDemoScenarioClass) + " \"" + kDemoScenarioPlayers + "\"\r\n"},
        {kDemoScenarioPlayers, Pilot("Scout", "demo-pilot-4.PCFG")},
    };
}

std::vector<FdEntry> DemoPlayerFiles() {
    return {{"HighScores.HISC", HighScores()}};
}
