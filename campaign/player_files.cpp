#include "campaign/player_files.h"

#include <cstring>

#include "campaign/screen_hooks.h"
#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/scenario.h"

namespace {

FD::File& ArchiveOf(Processor& processor, const String& file) {
    FD::File* archive = processor.Archive();
    if (archive == nullptr) ThrowFatal("No archive to read \"%s\" from", file.Text());
    return *archive;
}

// The tag of the block at the reader's position: after the mark for a plain block, after the
// container head for a container. False at the end.
bool PeekTag(BlockReader& reader, char (&tag)[5]) {
    uint8_t head[14] = {};
    const uint32_t n = reader.PeekAt(head, sizeof head, 0);
    if (n < 6) return false;
    const bool container = head[0] == 'S' && (head[1] == 'C' || head[1] == 'M');
    const uint32_t at = container ? 10 : 2;
    if (n < at + 4) return false;
    std::memcpy(tag, head + at, 4);
    tag[4] = 0;
    return true;
}

}  // namespace

std::vector<std::unique_ptr<PlayerConfig>> ReadPlayerFile(Processor& processor, const String& playerFile,
                                                          int32_t limit) {
    FD::File& archive = ArchiveOf(processor, playerFile);
    EntryBlockReader players(&archive, 1024, 1024, 128);
    EntryBlockReader keys(&archive, 1024, 1024, 128);
    players.Open(playerFile);
    keys.Open(String("Keys.INPD"));
    std::vector<std::unique_ptr<PlayerConfig>> configs;
    while (limit <= 0 || configs.size() < static_cast<size_t>(limit)) {
        char tag[5];
        if (players.AtEnd() || !PeekTag(players, tag)) break;
        if (std::strcmp(tag, "PCFG") != 0) {
            DataBlock other(0, false);
            players >> other;
            continue;
        }
        auto config = std::make_unique<PlayerConfig>();
        players >> *config;
        keys >> config->Input();
        configs.push_back(std::move(config));
    }
    if (configs.empty()) ThrowFatal("Wrong player confiruration file :%s", playerFile.Text());
    return configs;
}

uint32_t CountPlayers(Processor& processor, const String& playerFile) {
    EntryBlockReader players(&ArchiveOf(processor, playerFile), 1024, 1024, 128);
    players.Open(playerFile);
    uint32_t count = 0;
    char tag[5];
    while (!players.AtEnd() && PeekTag(players, tag)) {
        DataBlock skipped(0, false);
        players >> skipped;
        if (std::strcmp(tag, "PCFG") == 0) ++count;
    }
    return count;
}

std::vector<PlayerObject*> ReplacePlayers(Processor& processor,
                                          const std::vector<std::unique_ptr<PlayerConfig>>& configs) {
    ObjectManager& objects = processor.Objects();
    if (ObjectManager* list = processor.Objects().ListAt(kPlayerListId)) list->ClearList();
    if (ObjectManager* list = processor.Objects().ListAt(kShipListId)) list->ClearList();
    std::vector<PlayerObject*> made;
    for (const auto& config : configs) made.push_back(Player::CreateFromConfig(processor, *config));
    if (!configs.empty())
        objects.SetObject(std::make_unique<SSPLBlock>(configs.back()->Location()).release(),
                          kCurrentLocationId);
    // Making a player runs scripts, which may have deleted one made before.
    std::erase_if(made, [](const PlayerObject* player) { return !player->Alive(); });
    return made;
}

void LoadPlayerFile(Processor& processor, const String& playerFile, const String& scenarioClass,
                    int32_t limit) {
    bool again = true;
    // Each start again destroys the players and scenario the round before made: given back at the
    // next turn. Nothing a round made is kept across it.
    ReleaseLoop release;
    while (again) {
        release.Turn();
        ArchiveOf(processor, playerFile).SetDirectory(String(""));
        ShowLoadingScreen(processor, 0);
        const std::vector<std::unique_ptr<PlayerConfig>> configs =
            ReadPlayerFile(processor, playerFile, limit);
        ReplacePlayers(processor, configs);
        processor.Objects().SetObject(processor.NewObjectByName(scenarioClass), kScenarioId);
        // The scenario it replaced had script destructors, which may have deleted the new one.
        again = Scenario::RunStart(processor.Objects().GetObject(kScenarioId));
    }
}
