// Moving a pilot between its running object and its stored block.
#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "world/equipment_config.h"
#include "world/option.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/skills.h"

namespace {

String Copy(std::string_view text) {
    return String::FromBytes(text.data(), text.size());
}

// A new object of a class the record names, checked to inherit from base before it is made.
ScriptObject* NewOfKind(Processor& processor, std::string_view className, const char* base,
                        const String& source) {
    CheckBlockClass(processor, className, base, source);
    return processor.NewObjectByName(Copy(className));
}

void StoreEvents(PlayerConfig& config, PlayerObject& player) {
    config.Events().clear();
    PlayerEventTable& events = player.Events();
    for (PlayerEvent* event = events.First(); event != nullptr; event = events.Next()) {
        const String* key = events.CurrentKey();
        if (key == nullptr || event->kind == kUnstoredEventKind) continue;
        config.Events().push_back(
            std::make_unique<PevnBlock>(key->View(), event->kind, event->text.View(), event->value));
    }
}

void StoreSkills(PlayerConfig& config, PlayerObject& player) {
    config.Skills().clear();
    for (int32_t slot = 0; slot < player.SkillCount(); ++slot) {
        const SkillObject* skill = player.SkillAt(slot);
        if (skill == nullptr || skill->Class() == nullptr) continue;
        config.Skills().push_back(
            std::make_unique<PsklBlock>(slot, skill->Level(), skill->Class()->ClassName().View()));
    }
}

// Each item's save runs script code, which may delete items: the walk goes over the items carried
// when it began, and an item gone by its turn, or by the end of its own save, is stored as nothing.
void StoreItems(PlayerConfig& config, PlayerObject& player) {
    config.Items().clear();
    const ObjectWalk<> walk(player.Items());
    walk.ForEachAlive([&config](ScriptObject& item) {
        auto* option = dynamic_cast<OptionObject*>(&item);
        if (option == nullptr || option->Class() == nullptr) return;
        auto record =
            std::make_unique<SsltBlock>(option->ItemKind(), 0, 0, option->Class()->ClassName().View());
        const std::vector<uint32_t> words = SaveObjectState(option);
        if (!option->Alive()) return;
        if (!words.empty()) record->SetState(std::make_unique<SslcBlock>(words));
        config.Items().push_back(std::move(record));
    });
}

void LoadEvents(PlayerObject& player, const PlayerConfig& config) {
    for (const auto& record : config.Events()) {
        auto event = std::make_unique<PlayerEvent>();
        event->kind = record->Kind();
        event->text = Copy(record->Text());
        event->value = record->Value();
        // The table keeps a present record and deletes the offered one.
        player.Events().FindOrAdd(Copy(record->Key()), event.release());
    }
}

void LoadSkills(Processor& processor, PlayerObject& player, const PlayerConfig& config) {
    for (const auto& record : config.Skills()) {
        std::unique_ptr<ScriptObject, ObjectDiscarder> made(
            NewOfKind(processor, record->ClassName(), "Skill", record->Source()));
        auto* skill = dynamic_cast<SkillObject*>(made.get());
        if (skill == nullptr)
            ThrowFatal("Class \"%s\" in \"%s\" makes no skill", Copy(record->ClassName()).Text(),
                       record->Source().Text());
        skill->SetLevel(std::max(record->Level(), 1));
        // A taken slot destroys the offered skill; a refused one stays this load's to destroy.
        player.PlaceSkill(made.get(), record->Slot());
        made.release();
    }
}

void LoadItems(Processor& processor, PlayerObject& player, const PlayerConfig& config) {
    for (const auto& record : config.Items()) {
        std::unique_ptr<ScriptObject, ObjectDiscarder> made(
            NewOfKind(processor, record->ClassName(), "Option", record->Source()));
        if (dynamic_cast<OptionObject*>(made.get()) == nullptr)
            ThrowFatal("Class \"%s\" in \"%s\" makes no item", Copy(record->ClassName()).Text(),
                       record->Source().Text());
        ScriptObject* item = made.get();
        player.AddItem(item);
        made.release();
        if (const SslcBlock* state = record->State()) RestoreObjectState(item, state->Words());
    }
}

}  // namespace

void Player::StoreToConfig(PlayerConfig& config, PlayerObject& player) {
    config.SetFields(StoredMoney(player.MoneyTenths()), player.Experience(), player.Level(),
                     player.SkillPoints());
    config.SetName(player.Name().View());
    if (const InputDevice* input = player.Input()) config.SetInput(PlayerObject::CopyInput(*input));
    StoreEvents(config, player);
    StoreSkills(config, player);
    StoreItems(config, player);
    // The items' saves ran script code: a pilot that went meanwhile is no pilot to store, and its
    // callers leave it out.
    if (!player.Alive()) return;
    String system;
    String planet;
    if (const PlayerLocationSource& location = PlayerLocationHook(); location && location(system, planet))
        config.SetLocation(system.View(), planet.View());
    config.SetShip(nullptr);
    if (auto* ship = dynamic_cast<ShipObject*>(player.Ship())) {
        auto stored = std::make_unique<ShipConfig>();
        SaveToConfig(*ship, *stored);
        config.SetShip(std::move(stored));
    }
}

PlayerObject* Player::CreateFromConfig(Processor& processor, PlayerConfig& config) {
    if (config.Level() < 0)
        ThrowFatal("Negative player level %d in \"%s\"", config.Level(), config.Source().Text());
    std::unique_ptr<ScriptObject, ObjectDiscarder> made(processor.NewObjectByName(String("Player")));
    auto* player = dynamic_cast<PlayerObject*>(made.get());
    if (player == nullptr) ThrowFatal("Class \"Player\" makes no player");

    player->SetMoneyTenths(LoadedMoney(config.Money()));
    player->SetLevel(config.Level());
    player->SetExperience(config.Experience());
    player->SetSkillPoints(config.SkillPoints());
    player->RestoreName(Copy(config.Name()));
    std::unique_ptr<InputDevice> input = PlayerObject::CopyInput(config.Input());
    input->CheckJoystick();
    player->SetInput(std::move(input));

    LoadEvents(*player, config);
    LoadSkills(processor, *player, config);
    LoadItems(processor, *player, config);
    // Making and restoring them ran script code: a pilot that went meanwhile is none to hand back.
    player->CheckAlive("player");
    // Until the lists hold them, the ship and the pilot are this load's.
    std::unique_ptr<ShipObject, ObjectDiscarder> ship;
    if (const ShipConfig* stored = config.Ship()) {
        ship.reset(LoadFromConfig(processor, *stored));
        player->CheckAlive("player");
    }
    // Only the lists own pilots and ships: without them (a script deleted one) nothing would.
    auto* players = processor.Objects().ListAt(kPlayerListId);
    if (players == nullptr) ThrowFatal("No player list to hold the pilot %s", player->Name().Text());
    if (ship != nullptr) {
        auto* actors = processor.Objects().ListAt(kShipListId);
        if (actors == nullptr) ThrowFatal("No ship list to hold the ship of %s", player->Name().Text());
        actors->AppendObject(ship.get());
        player->AttachShip(ship.release());
    }
    players->AppendObject(player);
    made.release();
    return player;
}
