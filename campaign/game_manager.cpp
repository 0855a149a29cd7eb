#include "campaign/game_manager.h"

#include <algorithm>
#include <array>

#include "campaign/flight_loop.h"
#include "campaign/screen_hooks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/saturating.h"
#include "script/cleanup_steps.h"
#include "script/message_manager.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/message_box.h"
#include "ui/script_dialog.h"
#include "ui/time_control.h"
#include "ui/ui_kinds.h"
#include "world/actor.h"
#include "world/level.h"
#include "world/player.h"
#include "world/ship.h"

namespace {

constexpr uint32_t kFirstOwnMethod = 4;
constexpr uint32_t kNoShipMessage = 309;
constexpr uint32_t kStartQuestionMessage = 395;
constexpr uint32_t kNoShipStyle = 1;
constexpr uint32_t kQuestionStyle = 12;
constexpr int32_t kPrefixedTypingSpeed = 300;
constexpr int32_t kYesAnswer = 2;
constexpr int32_t kColumnMargin = 10;

std::array<NativeHandler, kGameManagerMethodCount>& ForeignHandlers() {
    static std::array<NativeHandler, kGameManagerMethodCount> handlers{};
    return handlers;
}

Processor& ProcessorFor(ScriptObject* receiver) {
    return Actor::ProcessorOf(receiver);
}

std::vector<ShipObject*> Ships(Processor& processor) {
    std::vector<ShipObject*> ships;
    auto* list = processor.Objects().ListAt(kShipListId);
    if (list == nullptr) return ships;
    for (auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
        if (auto* ship = dynamic_cast<ShipObject*>(node->item)) ships.push_back(ship);
    }
    return ships;
}

String SystemMessage(Processor& processor, uint32_t number) {
    auto* messages = dynamic_cast<MessageManager*>(processor.Objects().GetObject(kMessageManagerId));
    if (messages == nullptr) ThrowFatal("No MessageManager for message %u", number);
    return String(messages->GetMessage(String("system.mes"), number));
}

// A message box over the dialog's window, or over nothing with the first player's input device.
int32_t Ask(Processor& processor, ScriptObject* dialog, const String& text, uint32_t style, int32_t speed) {
    if (dialog != nullptr) {
        return MessageBoxOverWindow(processor, ZEMADialogObject::Of(dialog).Window(), text, style, nullptr,
                                    speed);
    }
    std::vector<PlayerObject*> players = GamePlayers(processor);
    InputDevice* input = players.empty() ? nullptr : players.front()->Input();
    return MessageBox(processor, input, nullptr, text, style, nullptr, speed);
}

void Create(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("GameManager");
    ZEMAClass* gameTimeClass = ProcessorFor(receiver).ClassByName(String("GTime"));
    PushNewObject(runner, std::make_unique<GameManagerObject>(cls, gameTimeClass));
}

template <uint32_t N>
void Foreign(ScriptObject* receiver) {
    NativeHandler handler = ForeignHandlers()[N];
    if (handler == nullptr) ThrowFatal("GameManager method %u is not available", N);
    handler(receiver);
}

template <size_t... N>
void BindForeign(ZEMAClass& target, std::index_sequence<N...>) {
    (target.SetMethod(Foreign<kFirstOwnMethod + N>, kFirstOwnMethod + N), ...);
}

void StartQuestion(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    NativeArgs args(receiver);
    ScriptObject* dialog = args.ObjectOrNull(kZEMADialogKind, "GameManager dialog");
    args.Stack().Push(GameManager::AskStartFlight(ProcessorFor(receiver), dialog, nullptr) ? 1 : 0);
}

void PrefixedStartQuestion(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    NativeArgs args(receiver);
    const String prefix = args.TextCopy();
    ScriptObject* dialog = args.ObjectOrNull(kZEMADialogKind, "GameManager dialog");
    args.Stack().Push(GameManager::AskStartFlight(ProcessorFor(receiver), dialog, &prefix) ? 1 : 0);
}

void FrameNumber(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(ProcessorFor(receiver).FrameNumber()));
}

void LockExperience(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    const bool locked = NativeArgs(receiver).Word() != 0;
    for (PlayerObject* player : GamePlayers(ProcessorFor(receiver))) player->SetExperienceLocked(locked);
}

void HeadUpColumnNative(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    NativeArgs args(receiver);
    const GameManager::Column column = GameManager::HeadUpColumn(ProcessorFor(receiver), args.Int());
    args.Stack().Push(static_cast<uint32_t>(column.alignment));
    args.Stack().Push(static_cast<uint32_t>(column.x));
}

void SetAutoSave(ScriptObject* receiver) {
    GameManagerObject& manager = GameManagerObject::Of(receiver);
    manager.SetAutoSaveBeforeFlight(NativeArgs(receiver).Word() != 0);
}

void GameTimeReference(ScriptObject* receiver) {
    GameManagerObject& manager = GameManagerObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(manager.GameTimeObject().Address());
}

void ShareAmountNative(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    GameManager::ShareAmount(ProcessorFor(receiver), NativeArgs(receiver).Int());
}

// Method 20: the folder the processor's data-file readers try in front of every name.
void SetBlockFile(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    const String folder = NativeArgs(receiver).TextCopy();
    Processor& processor = ProcessorFor(receiver);
    if (processor.Archive() == nullptr) ThrowFatal("No data file to set the folder \"%s\" of", folder.Text());
    processor.Archive()->SetDirectory(folder);
}

void DefaultMenu(ScriptObject* receiver) {
    GameManagerObject::Of(receiver);
    Processor& processor = ProcessorFor(receiver);
    std::vector<PlayerObject*> players = GamePlayers(processor);
    InputDevice* input = players.empty() ? nullptr : players.front()->Input();
    if (input == nullptr) ThrowFatal("No player input device for the menu");
    const auto& menu = Screens().defaultMenu;
    const bool ended = menu && menu(processor, *input);
    NativeArgs(receiver).Stack().Push(ended ? 1 : 0);
}

void AddGroupEventNative(ScriptObject* receiver) {
    GameManagerObject& manager = GameManagerObject::Of(receiver);
    NativeArgs args(receiver);
    const String event = args.TextCopy();
    const String group = args.TextCopy();
    manager.AddGroupEvent(group.View(), event.View());
}

void SetGroupPeriodNative(ScriptObject* receiver) {
    GameManagerObject& manager = GameManagerObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t pick = args.Word();
    const int32_t period = args.Int();
    const String group = args.TextCopy();
    manager.SetGroupPeriod(group.View(), period, pick);
}

}  // namespace

GameManagerObject::GameManagerObject(ZEMAClass* cls, ZEMAClass* gameTimeClass)
    : ScriptObject(cls), gameTime_(new GTimeObject(gameTimeClass)) {
    gameTime_->KeepForEngine();
    dateStep_.Set(0, 0, 0, 0, 1);
}

GameManagerObject::~GameManagerObject() {
    ReleaseOwnedQuietly();
}

void GameManagerObject::ReleaseOwned() {
    CleanupSteps steps(this);
    steps.Run([this] {
        if (gameTime_->Alive()) DestroyObject(gameTime_);
    });
    steps.Finish();
    ScriptObject::ReleaseOwned();
}

GameManagerObject& GameManagerObject::Of(ScriptObject* receiver) {
    return ReceiverOf<GameManagerObject>(receiver, "GameManager expected");
}

GameManagerObject* GameManagerObject::Find(Processor& processor) {
    return dynamic_cast<GameManagerObject*>(processor.Objects().GetObject(kGameManagerId));
}

GameManagerObject& GameManagerObject::Get(Processor& processor) {
    GameManagerObject* manager = Find(processor);
    if (manager == nullptr) ThrowFatal("GameManager not found");
    return *manager;
}

void GameManagerObject::AddGroupEvent(std::string_view group, std::string_view event) {
    auto found =
        std::find_if(groups_.begin(), groups_.end(), [&](const EventGroup& g) { return g.name == group; });
    if (found == groups_.end()) found = groups_.insert(groups_.end(), EventGroup{std::string(group), {}});
    found->events.emplace_back(event);
}

void GameManagerObject::SetGroupPeriod(std::string_view group, int32_t period, uint32_t pick) {
    for (auto& [name, record] : periods_) {
        if (name == group) {
            record = {period, pick};
            return;
        }
    }
    periods_.emplace_back(std::string(group), EventPeriod{period, pick});
}

const EventPeriod* GameManagerObject::FindGroupPeriod(std::string_view group) const {
    for (const auto& [name, record] : periods_) {
        if (name == group) return &record;
    }
    return nullptr;
}

void GameManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
    BindForeign(target, std::make_index_sequence<kGameManagerMethodCount - kFirstOwnMethod>());
    target.SetMethod(FlightLoopNative, 4);
    target.SetMethod(StartQuestion, 11);
    target.SetMethod(FrameNumber, 13);
    target.SetMethod(LockExperience, 14);
    target.SetMethod(HeadUpColumnNative, 15);
    target.SetMethod(SetAutoSave, 16);
    target.SetMethod(GameTimeReference, 17);
    target.SetMethod(PrefixedStartQuestion, 18);
    if (ForeignHandlers()[19] == nullptr) target.SetMethod(ShareAmountNative, 19);
    target.SetMethod(SetBlockFile, 20);
    target.SetMethod(DefaultMenu, 21);
    target.SetMethod(AddGroupEventNative, 22);
    target.SetMethod(SetGroupPeriodNative, 23);
}

void GameManager::SetMethodHandler(uint32_t n, NativeHandler handler) {
    if (n < kFirstOwnMethod || n >= kGameManagerMethodCount) ThrowFatal("No GameManager method %u", n);
    ForeignHandlers()[n] = handler;
}

NativeHandler GameManager::MethodHandler(uint32_t n) {
    return n >= kFirstOwnMethod && n < kGameManagerMethodCount ? ForeignHandlers()[n] : nullptr;
}

bool GameManager::AskStartFlight(Processor& processor, ScriptObject* dialog, const String* prefix) {
    int32_t ready = 0;
    // Working out a ship's energy runs scripts, which may delete ships or the dialog: the ships
    // there were are counted, those deleted before or during their turn passed over.
    const ObjectWalk<ShipObject> walk(Ships(processor));
    walk.ForEachAlive([&ready](ShipObject& ship) {
        ship.SetState(0);
        ship.RecomputeEnergy();
        if (!ship.Alive()) return;
        if (ship.Energy() <= 0) {
            ship.SetState(1);
        } else if (ship.MaxSpeed() != 0) {
            ++ready;
        }
    });
    if (dialog != nullptr) dialog->CheckAlive("GameManager dialog");
    if (ready == 0) {
        Ask(processor, dialog, SystemMessage(processor, kNoShipMessage), kNoShipStyle, 0);
        return false;
    }
    const String question = SystemMessage(processor, kStartQuestionMessage);
    if (prefix == nullptr) return Ask(processor, dialog, question, kQuestionStyle, 0) == kYesAnswer;
    const String text = *prefix + "\n$h" + question + "$n";
    return Ask(processor, dialog, text, kQuestionStyle, kPrefixedTypingSpeed) == kYesAnswer;
}

GameManager::Column GameManager::HeadUpColumn(Processor& processor, int32_t player) {
    const auto count = static_cast<int32_t>(GamePlayers(processor).size());
    if (player < 0 || player >= count) {
        ThrowFatal("Player %d has no head-up column: there are %d players", player, count);
    }
    Column column;
    if (player == 0) {
        column = {kColumnMargin, 0};
    } else {
        const int32_t width = ScreenWidthFor(*GameManagerObject::Get(processor).Class());
        if (player == count - 1) {
            column = {width - kColumnMargin, 2};
        } else {
            column = {static_cast<int32_t>(static_cast<int64_t>(width) * player / (count - 1)), 1};
        }
    }
    if (auto* level = dynamic_cast<LevelObject*>(processor.Objects().GetObject(kLevelId))) {
        column.x = SaturateInt32(static_cast<int64_t>(column.x) - level->ViewX());
    }
    return column;
}

void GameManager::ShareAmount(Processor& processor, int32_t amount) {
    std::vector<PlayerObject*> players = GamePlayers(processor);
    if (players.empty()) return;
    const int64_t share = static_cast<int64_t>(amount) / static_cast<int64_t>(players.size());
    for (PlayerObject* player : players) player->AddMoneyTenths(share * 10);
}

void GameManager::InstallTimeLookup() {
    GameTimeLookupHook() = [](ScriptObject* manager) -> const GTime* {
        auto* game = dynamic_cast<GameManagerObject*>(manager);
        return game != nullptr ? &game->GameTime() : nullptr;
    };
}
