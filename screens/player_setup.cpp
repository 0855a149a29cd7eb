#include "screens/player_setup.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "campaign/player_files.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/saturating.h"
#include "screens/all_items_shop.h"
#include "screens/screen_helpers.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "ui/message_box.h"
#include "ui/window_services.h"
#include "world/event_manager.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

constexpr const char* kDefaultPlayers = "DefPlCfg.PCFG";
constexpr const char* kWrittenPlayers = "Players.PCFG";
constexpr const char* kNoTipsEvent = "DONTSHOWTIPS";
constexpr uint32_t kWriteQuestion = 511;
constexpr int32_t kYes = 2;

std::unique_ptr<AllItemsShopObject, ObjectDiscarder> MakeShop(Processor& processor, PlayerObject& player) {
    processor.DataStack().Push(player.Address());
    std::unique_ptr<ScriptObject, ObjectDiscarder> made(processor.NewObjectByName(String("AllItemsShop")));
    auto* shop = dynamic_cast<AllItemsShopObject*>(made.get());
    if (shop == nullptr) ThrowFatal("Class \"AllItemsShop\" makes no all-items shop");
    made.release();
    return std::unique_ptr<AllItemsShopObject, ObjectDiscarder>(shop);
}

// Every record is made before the file is touched: storing runs the items' scripts.
void WritePlayers(Processor& processor, const AllItemsShopObject& shop) {
    const int32_t count = TypedNumber(shop.FieldText(kPlayerCountFieldId));
    const int32_t startValue = StartingValue(shop.FieldText(kStartValueFieldId));
    const std::string system = shop.FieldText(kStarSystemFieldId);
    const std::string planet = shop.FieldText(kPlanetFieldId);
    std::vector<std::unique_ptr<PlayerConfig>> records;
    auto* list = PlayerList(processor);
    // Storing a player runs its items' scripts, which may change the list: the walk goes over the
    // players there when it began, skipping those gone.
    const ObjectWalk<> walk(list != nullptr ? ObjectWalk<>::ItemsOf(list->ObjectList())
                                            : std::vector<ScriptObject*>());
    walk.ForEachAlive([&](ScriptObject& entry) {
        auto* player = dynamic_cast<PlayerObject*>(&entry);
        if (player == nullptr || static_cast<int64_t>(records.size()) >= count) return;
        auto record = std::make_unique<PlayerConfig>();
        Player::StoreToConfig(*record, *player);
        // Deleted by its own items' saves: not written.
        if (!player->Alive()) return;
        record->SetLocation(system, planet);
        record->SetFields(startValue, record->Experience(), record->Level(), record->SkillPoints());
        records.push_back(std::move(record));
    });
    FW file;
    file.Create(String(kWrittenPlayers));
    for (const auto& record : records) record->Store(file);
    file.Close();
}

}  // namespace

int32_t TypedNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
    value = negative ? -value : value;
    return SaturateInt32(value);
}

int32_t StartingValue(std::string_view text) {
    return SaturateInt32(int64_t{TypedNumber(text)} * 10);
}

void PlayerSetup(Processor& processor) {
    const std::vector<PlayerObject*> players =
        ReplacePlayers(processor, ReadPlayerFile(processor, String(kDefaultPlayers), 0));
    const WeakObject first(players.front());
    std::unique_ptr<AllItemsShopObject, ObjectDiscarder> shop = MakeShop(processor, *players.front());
    EventManager::RecordEventAll(processor, String(kNoTipsEvent), 0, String(""), 0);
    // Making the shop ran scripts: the first player is asked for again, before and after the run.
    shop->Run(*first.Check(0, "player"));
    auto* asker = first.As<PlayerObject>();
    InputDevice* input = asker != nullptr ? asker->Input() : nullptr;
    if (input == nullptr) ThrowFatal("The first player of \"%s\" has no key mapping", kDefaultPlayers);
    const int32_t answer = MessageBoxNoWindow(processor, *input, SystemMessage(processor, kWriteQuestion),
                                              kMessageBoxThird | kMessageBoxFourth, nullptr, 0);
    if (answer == kYes) {
        EventManager::RemoveEventAll(processor, String(kNoTipsEvent));
        // The texts typed are the shop's: one that scripts deleted has none to give.
        shop->CheckAlive("all-items shop");
        WritePlayers(processor, *shop);
    }
    // Destroyed here rather than by the holder, so that errors of its script destructors are heard.
    if (AllItemsShopObject* done = IfAlive(shop.release())) DestroyObject(done);
}
