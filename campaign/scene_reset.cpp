#include "campaign/scene_reset.h"

#include <exception>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "campaign/game_manager.h"
#include "campaign/save_game.h"
#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "foundation/named_cache.h"
#include "foundation/packed_stream.h"
#include "graphics/font_manager.h"
#include "graphics/image_manager.h"
#include "script/class_manager.h"
#include "script/cleanup_steps.h"
#include "script/message_manager.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

template <class Manager>
Manager* ManagerAt(Processor& processor, uint32_t id) {
    return dynamic_cast<Manager*>(processor.Objects().GetObject(id));
}

template <class T>
std::set<T*> CachedValues(NamedCache<T>& cache) {
    std::set<T*> values;
    for (T* value = cache.First(); value != nullptr; value = cache.Next()) values.insert(value);
    return values;
}

// The cache's entries never own what they hold, and aliases share it: what no remaining entry holds
// is retired, once: no table or handle finds it again, and its memory goes when no native frame can
// still hold it.
template <class T>
void UnloadTo(NamedCache<T>& cache, uint32_t mark) {
    if (cache.Count() <= mark) return;
    std::set<T*> before = CachedValues(cache);
    cache.TruncateTo(mark);
    const std::set<T*> after = CachedValues(cache);
    for (T* value : before) {
        if (after.count(value) == 0) RetireObject(value);
    }
}

struct SnapshotEntry {
    std::unique_ptr<PlayerConfig> config;
    std::unique_ptr<InputDevice> input;
};

// A star-system window closed for the reset, to be opened again on the same system and planet.
struct SystemView {
    bool open = false;
    String system;
    String planet;
};

SystemView CloseSystemView(ScriptObject* window) {
    SystemView view;
    // One a script deleted is gone already: nothing to close, nothing to open again.
    if (window == nullptr || !window->Alive()) return view;
    const SystemViewHooks& hooks = SystemViewHook();
    if (!hooks.describe || !hooks.open) return view;
    view.open = true;
    hooks.describe(*window, view.system, view.planet);
    // The planet's name is script code, which may have deleted the window meanwhile.
    if (window->Alive()) DestroyObject(window);
    return view;
}

void CloseSystemViews(Processor& processor, SystemView& current, SystemView& last, bool& same) {
    ObjectManager& objects = processor.Objects();
    ScriptObject* current17 = objects.GetObject(kStarSystemWindowId);
    ScriptObject* last20 = objects.GetObject(kStarSystemViewId);
    same = current17 != nullptr && current17 == last20;
    current = CloseSystemView(current17);
    last = same ? current : CloseSystemView(last20);
}

void ReopenSystemViews(Processor& processor, const SystemView& current, const SystemView& last, bool same) {
    const SystemViewHooks& hooks = SystemViewHook();
    ObjectManager& objects = processor.Objects();
    ScriptObject* opened = nullptr;
    if (current.open) {
        opened = hooks.open(processor, current.system, current.planet);
        // A window opens as the one last opened (object 20); it moves to 17, else opening the
        // last one next would destroy it there.
        if (opened != nullptr) {
            objects.Forget(opened);
            objects.SetObject(opened, kStarSystemWindowId);
        }
    }
    if (same) {
        // Storing it as 17 destroyed what that slot held, which may have deleted it.
        if (opened != nullptr && opened->Alive()) objects.SetObject(opened, kStarSystemViewId);
        return;
    }
    if (last.open) {
        if (ScriptObject* window = hooks.open(processor, last.system, last.planet)) {
            objects.SetObject(window, kStarSystemViewId);
        }
    }
}

void DeleteShips(Processor& processor) {
    if (auto* ships = ManagerAt<ObjectManager>(processor, kShipListId)) ships->ClearList();
}

void UnloadResources(Processor& processor, const ResourceMarks& marks) {
    if (auto* classes = ManagerAt<ClassManager>(processor, kClassManagerId)) classes->UnloadTo(marks.classes);
    if (auto* images = ManagerAt<ImageManager>(processor, kImageManagerId))
        UnloadTo(images->Pictures(), marks.images);
    if (auto* fonts = ManagerAt<FontManager>(processor, kFontManagerId))
        UnloadTo(fonts->Fonts(), marks.fonts);
    if (auto* messages = ManagerAt<MessageManager>(processor, kMessageManagerId)) {
        messages->UnloadFilesTo(marks.messages);
    }
    if (!marks.hasSounds) return;
    if (auto* sounds = ManagerAt<SoundManager>(processor, kSoundManagerId))
        UnloadTo(sounds->Sounds(), marks.sounds);
}

// Every player of the snapshot is made again, whatever making another one does; the first error
// passes on once all were made (with errors, when another one is on its way, only logged).
void RebuildPlayers(Processor& processor, std::vector<SnapshotEntry>& snapshot,
                    CleanupSteps::FirstError errors) {
    CleanupSteps steps(processor, errors);
    for (SnapshotEntry& entry : snapshot) {
        steps.Run([&processor, &entry] {
            PlayerObject* player = Player::CreateFromConfig(processor, *entry.config);
            // Its own making may have deleted it: its device goes with the snapshot.
            if (player->Alive() && entry.input != nullptr) player->SetInput(std::move(entry.input));
        });
    }
    snapshot.clear();
    steps.Finish();
}

// The stored form of the players present when the reset began, each stored once and in list
// order. Storing runs the players' script save methods, which may delete players, add to the list
// or move its cursor: a player deleted before its turn, or by its own save, is not made again.
std::vector<SnapshotEntry> SnapshotPlayers(ObjectManager* list) {
    std::vector<SnapshotEntry> snapshot;
    std::vector<PlayerObject*> stored;
    const ObjectWalk<PlayerObject> walk(PlayersIn(list));
    walk.ForEachAlive([&](PlayerObject& player) {
        auto config = std::make_unique<PlayerConfig>();
        Player::StoreToConfig(*config, player);
        snapshot.push_back({std::move(config), nullptr});
        stored.push_back(&player);
    });
    std::vector<SnapshotEntry> kept;
    for (size_t i = 0; i < snapshot.size(); ++i) {
        if (!stored[i]->Alive()) continue;
        snapshot[i].input = stored[i]->TakeInput();
        kept.push_back(std::move(snapshot[i]));
    }
    return kept;
}

}  // namespace

ResourceMarks SaveResourceMarks(Processor& processor) {
    ResourceMarks marks;
    if (auto* classes = ManagerAt<ClassManager>(processor, kClassManagerId))
        marks.classes = classes->Classes().Count();
    if (auto* images = ManagerAt<ImageManager>(processor, kImageManagerId))
        marks.images = images->Pictures().Count();
    if (auto* fonts = ManagerAt<FontManager>(processor, kFontManagerId)) marks.fonts = fonts->Fonts().Count();
    if (auto* messages = ManagerAt<MessageManager>(processor, kMessageManagerId)) {
        marks.messages = messages->FileCount();
    }
    if (auto* sounds = ManagerAt<SoundManager>(processor, kSoundManagerId)) {
        marks.hasSounds = true;
        marks.sounds = sounds->Sounds().Count();
    }
    return marks;
}

void ResetScene(Processor& processor, const ResourceMarks& marks, bool rebuildSystemView) {
    // Served after every request asked before it; what the reset's scripts play of the sounds it
    // gives up stops when their records are retired below.
    if (auto* sound = ManagerAt<SoundSystem>(processor, kSoundSystemId)) sound->StopAll();

    // The players go before anything else is torn down and are rebuilt even when that fails, so
    // that the game never loses them nor keeps two sets.
    std::vector<SnapshotEntry> snapshot = SnapshotPlayers(ManagerAt<ObjectManager>(processor, kPlayerListId));

    SystemView current;
    SystemView last;
    bool same = false;
    std::exception_ptr failure;
    try {
        // Looked up again: the save methods may have deleted or replaced the list.
        if (auto* players = ManagerAt<ObjectManager>(processor, kPlayerListId)) players->ClearList();
        if (rebuildSystemView) CloseSystemViews(processor, current, last, same);
        DeleteShips(processor);
        UnloadResources(processor, marks);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The first error is the one reported.
        RebuildPlayers(processor, snapshot, CleanupSteps::FirstError::kLog);
        std::rethrow_exception(failure);
    }
    RebuildPlayers(processor, snapshot, CleanupSteps::FirstError::kPassOn);
    if (rebuildSystemView) ReopenSystemViews(processor, current, last, same);
}

SystemViewHooks& SystemViewHook() {
    static SystemViewHooks hooks;
    return hooks;
}

void WritePlayersConfig(Processor& processor, DataBlock& saveBlock, const String& fileName) {
    SaveBlock::StoreStamp(saveBlock, GameManagerObject::Get(processor).GameTime());
    WritePlayersFile(processor, saveBlock, fileName);
}
