// The "SAVE" header block, the save writer and the save loader.
#include "campaign/save_game.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "campaign/game_manager.h"
#include "campaign/save_file_reader.h"
#include "campaign/screen_hooks.h"
#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/packed_stream.h"
#include "foundation/packed_strings.h"
#include "script/cleanup_steps.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/sspl_block.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/gtime.h"
#include "world/player.h"
#include "world/player_config.h"
#include "world/scenario.h"

namespace {

constexpr uint32_t kScenarioNameVirtual = 3;
constexpr int32_t kDefaultMajor = 151;
constexpr int32_t kDefaultMinor = 72;

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The entries of a list (none without one), without moving its cursor.
std::vector<ScriptObject*> EntriesOf(ObjectManager* list) {
    return list != nullptr ? ObjectWalk<>::ItemsOf(list->ObjectList()) : std::vector<ScriptObject*>{};
}

// Destroys each of the objects that is still alive, whatever the destruction of another does;
// destroying takes it out of its list. The first error passes on once all went, or with kLog
// (another error on its way) every error is logged.
void DestroyAll(Processor& processor, const std::vector<ScriptObject*>& objects,
                CleanupSteps::FirstError errors) {
    CleanupSteps steps(processor, errors);
    for (ScriptObject* object : objects) {
        steps.Run([object] {
            if (object->Alive()) DestroyObject(object);
        });
    }
    steps.Finish();
}

// What the lists hold now that they did not hold before.
std::vector<ScriptObject*> AddedSince(const std::vector<ScriptObject*>& before, ObjectManager* players,
                                      ObjectManager* ships) {
    std::vector<ScriptObject*> added;
    for (ObjectManager* list : {players, ships}) {
        for (ScriptObject* object : EntriesOf(list)) {
            if (std::find(before.begin(), before.end(), object) == before.end()) added.push_back(object);
        }
    }
    return added;
}

// Builds the new players, ships and scenario next to the old ones; on any error the new ones go
// and the old stay. Only when all is made are the old ones destroyed. The lists are looked up at
// each use: the scripts the players run when they are made may delete or replace them.
MadeObject ReplaceGame(Processor& processor, SaveFileContent& content) {
    ObjectManager& objects = processor.Objects();
    if (objects.ListAt(kPlayerListId) == nullptr)
        ThrowFatal("No player list to load \"%s\" into", content.source.Text());
    std::vector<ScriptObject*> old = EntriesOf(objects.ListAt(kPlayerListId));
    const std::vector<ScriptObject*> oldShips = EntriesOf(objects.ListAt(kShipListId));
    old.insert(old.end(), oldShips.begin(), oldShips.end());
    // No memory is given back while this runs: an object made now never takes the place of an old
    // one, and the old are still there to ask.
    const ReleaseHold hold;
    MadeObject scenario;
    try {
        for (auto& config : content.players) Player::CreateFromConfig(processor, *config);
        scenario.reset(processor.NewObjectByName(String(std::string(content.header.Text(2)).c_str())));
    } catch (...) {
        // The error that stopped the load is the one reported.
        scenario.reset();
        DestroyAll(processor, AddedSince(old, objects.ListAt(kPlayerListId), objects.ListAt(kShipListId)),
                   CleanupSteps::FirstError::kLog);
        throw;
    }
    DestroyAll(processor, old, CleanupSteps::FirstError::kPassOn);
    return scenario;
}

}  // namespace

SaveHeader::SaveHeader() : DataBlock(kSaveHeaderSize, true) {
    SetSignature("SAVE");
    SetPayloadSize(0);
    StoreU32(Header() + 10, 0);
    StoreU32(Header() + 14, 0);
}

void SaveHeader::Fill(const SaveTexts& texts) {
    uint64_t size = 0;
    for (const std::string& text : texts) size += UpToNul(text).size() + 1;
    if (size > kMaxSavePayload) ThrowFatal("Save texts too long: %u bytes", static_cast<unsigned>(size));
    PayloadPtr payload = NewPayload(size);
    uint8_t* at = payload.get();
    for (const std::string& text : texts) {
        const std::string_view stored = UpToNul(text);
        std::memcpy(at, stored.data(), stored.size());
        at += stored.size() + 1;  // the NUL is there from the zero fill
    }
    SetPayloadSize(static_cast<uint32_t>(size));
    SetPayload(std::move(payload));
}

std::string_view SaveHeader::Text(uint32_t n) const {
    if (n == 0 || n > kSaveTextCount) return {};
    return PackedStrings::Text(*this, n);
}

SaveTexts SaveHeader::Texts() const {
    SaveTexts texts;
    for (uint32_t n = 1; n <= kSaveTextCount; ++n) texts[n - 1] = std::string(Text(n));
    return texts;
}

bool SaveHeader::HoldsTexts() const {
    return PayloadSize() <= kMaxSavePayload && PackedStrings::Holds(*this, kSaveTextCount);
}

void SaveHeader::AfterRead(BlockReader& reader) {
    if (!HasTag("SAVE") || !HoldsTexts()) ThrowFatal("Damaged save header in \"%s\"", reader.Name().Text());
}

namespace SaveBlock {

void StoreStamp(DataBlock& block, const GTime& time) {
    if (block.HeaderSize() < kSaveHeaderSize) ThrowFatal("Save header too small for its stamp");
    StoreU32(block.Header() + 10, static_cast<uint32_t>(time.Time()));
    StoreU32(block.Header() + 14, static_cast<uint32_t>(time.Date()));
}

void LoadStamp(const DataBlock& block, GTime& time) {
    if (block.HeaderSize() < kSaveHeaderSize) ThrowFatal("Save header too small for its stamp");
    time = GTime(static_cast<int32_t>(LoadU32(block.Header() + 14)),
                 static_cast<int32_t>(LoadU32(block.Header() + 10)));
}

}  // namespace SaveBlock

SaveLocationSource& SaveLocationHook() {
    static SaveLocationSource hook;
    return hook;
}

SaveTexts CurrentGameTexts(Processor& processor, std::string_view stem, std::string_view title) {
    SaveTexts texts;
    texts[0] = std::string(stem);
    texts[1] = texts[2] = kNoScenario;
    if (ScriptObject* scenario = processor.Objects().GetObject(kScenarioId);
        scenario != nullptr && scenario->Class() != nullptr) {
        texts[1] = std::string(scenario->Class()->ClassName().View());
        texts[2] = AskScriptText(processor, scenario, kScenarioNameVirtual);
    }
    SaveLocationTexts location;
    if (const SaveLocationSource& source = SaveLocationHook(); source && source(processor, location)) {
        texts[3] = location.systemDisplayName;
        texts[4] = location.planetHint;
        texts[6] = location.planetName;
        texts[7] = location.systemName;
    }
    texts[5] = std::string(title);
    return texts;
}

String SaveFileName(std::string_view stem) {
    return String((std::string(kSavesFolder) + std::string(stem) + kSaveExtension).c_str());
}

void WriteSaveGame(Processor& processor, const SaveHeader& header, const String& fileName) {
    WritePlayersFile(processor, header, fileName);
}

void WritePlayersFile(Processor& processor, const DataBlock& header, const String& fileName) {
    if (fileName.View().empty()) return;
    std::vector<std::unique_ptr<PlayerConfig>> configs;
    // The players present now, each once and in list order: their script save methods run here, and
    // may delete players, add to the list or move its cursor. A player gone before its turn, or
    // deleted by its own save, is not written.
    std::vector<PlayerObject*> stored;
    const ObjectWalk<PlayerObject> walk(PlayersIn(processor.Objects().ListAt(kPlayerListId)));
    walk.ForEachAlive([&](PlayerObject& player) {
        auto config = std::make_unique<PlayerConfig>();
        // Before the file is touched.
        Player::StoreToConfig(*config, player);
        configs.push_back(std::move(config));
        stored.push_back(&player);
    });
    for (size_t i = configs.size(); i-- > 0;) {
        if (!stored[i]->Alive()) configs.erase(configs.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (configs.empty()) ThrowFatal("Save game has no players: \"%s\" not written", fileName.Text());
    MakeFolderOf(fileName);
    PackedStream out;
    out.Create(fileName);
    out << header;
    for (const auto& config : configs) config->Store(out);
    out.Close();
}

namespace SaveGameFile {

void Load(Processor& processor, GTime& gameTime, const String& fileName) {
    // Each start again destroys the players, ships and scenario the round before made: given back at
    // the next turn. Nothing a round made is kept across it.
    ReleaseLoop release;
    for (;;) {
        release.Turn();
        // A folder a script gave the data-file readers (GameManager method 20) ends with its game.
        if (FD::File* archive = processor.Archive()) archive->SetDirectory(String(""));
        ShowLoadingScreen(processor, 0);
        SaveFileContent content = ReadSaveFile(processor, fileName);
        MadeObject scenario = ReplaceGame(processor, content);
        processor.Objects().SetObject(new SSPLBlock(content.players.back()->Location()), kCurrentLocationId);
        processor.Objects().SetObject(scenario.release(), kScenarioId);
        SaveBlock::LoadStamp(content.header, gameTime);
        if (gameTime.Date() / 1000 == 0) gameTime.Set(kDefaultMajor, kDefaultMinor, 0, 0, 0);
        if (!Scenario::RunStart(processor.Objects().GetObject(kScenarioId))) return;
    }
}

void Load(Processor& processor, const String& fileName) {
    Load(processor, GameManagerObject::Get(processor).GameTime(), fileName);
}

}  // namespace SaveGameFile
