#include "screens/high_scores.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/log_writer.h"
#include "screens/high_score_window.h"
#include "screens/screen_helpers.h"
#include "screens/screen_kinds.h"
#include "script/create_native.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/weak_object.h"
#include "script/zema_class.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/visual.h"
#include "world/player.h"

namespace {

constexpr const char* kTag = "HISC";
constexpr uint32_t kHeaderSize = 14;
constexpr uint32_t kCountOffset = 10;

// Reads the texts and scores of one payload, never past its end.
class PayloadCursor {
  public:
    PayloadCursor(const uint8_t* data, uint32_t size, const char* file)
        : data_(data), size_(size), file_(file) {}

    std::string_view Text() {
        const void* end = data_ != nullptr ? std::memchr(data_ + at_, 0, size_ - at_) : nullptr;
        if (end == nullptr) ThrowFatal("\"%s\": a high-score text runs past its block", file_);
        const auto n = static_cast<uint32_t>(static_cast<const uint8_t*>(end) - (data_ + at_));
        const std::string_view text(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n + 1;
        return text;
    }
    int32_t Score() {
        if (size_ - at_ < 4) ThrowFatal("\"%s\": a high score runs past its block", file_);
        const auto score = static_cast<int32_t>(LoadU32(data_ + at_));
        at_ += 4;
        return score;
    }
    bool AtEnd() const { return at_ == size_; }

  private:
    const uint8_t* data_;
    uint32_t size_;
    uint32_t at_ = 0;
    const char* file_;
};

void Append(std::string& bytes, std::string_view text) {
    bytes.append(text);
    bytes.push_back('\0');
}

// Copies the damaged file whole to kHighScoreDamagedFile; the writer's errors pass on.
void KeepDamagedFile() {
    const std::optional<std::string> path = FindDiskFile(kHighScoreFile);
    if (!path) return;
    std::ifstream in(*path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) ThrowFatal("\"%s\" cannot be read to keep it", kHighScoreFile);
    FW copy;
    copy.Create(String(kHighScoreDamagedFile));
    copy.RawWrite(bytes.data(), static_cast<uint32_t>(bytes.size()));
    copy.Close();
}

Processor& ProcessorOfClass(const ScriptObject& object) {
    return ClassProcessor(object, "HighScoreManager without a processor");
}

void AddHighScoreNative(ScriptObject* receiver) {
    HighScoreManager& manager = HighScoreManager::Of(receiver);
    manager.AddHighScore(manager.GetProcessor());
}

}  // namespace

String HighScoreName(std::string_view name) {
    const size_t end = std::min({name.find('\0'), name.size(), kHighScoreNameMax});
    return String::FromBytes(name.data(), end);
}

// --- the table ---

void HighScoreTable::Insert(std::string_view name, int32_t score) {
    entries_.push_back({HighScoreName(name), score, true});
    SortDescending();
    if (entries_.size() > kHighScoreTableSize) entries_.resize(kHighScoreTableSize);
}

void HighScoreTable::SortDescending() {
    // Negative scores are ordered too: left in place below the others, a fresh entry could be the
    // one cut off a full table right after it qualified.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const HighScoreEntry& a, const HighScoreEntry& b) { return a.score > b.score; });
}

bool HighScoreTable::Qualifies(int32_t score) const {
    return entries_.empty() || score > entries_.back().score;
}

void HighScoreTable::ClearNewMarks() {
    for (HighScoreEntry& entry : entries_) entry.isNew = false;
}

// --- the HISC record ---

FW& HighScoreRecordWrite(FW& writer, const HighScoreTable& table) {
    std::string payload;
    Append(payload, table.key.View());
    Append(payload, table.title.View());
    const size_t count = std::min(table.Entries().size(), kHighScoreTableSize);
    for (size_t i = 0; i < count; ++i) {
        const HighScoreEntry& entry = table.Entries()[i];
        Append(payload, HighScoreName(entry.name.View()).View());
        uint8_t score[4];
        StoreU32(score, static_cast<uint32_t>(entry.score));
        payload.append(reinterpret_cast<const char*>(score), sizeof score);
    }
    DataBlock block(kHeaderSize, true);
    block.SetSignature(kTag);
    block.SetPayloadSize(static_cast<uint32_t>(payload.size()));
    StoreU32(block.Header() + kCountOffset, static_cast<uint32_t>(count));
    PayloadPtr bytes = block.NewPayload(payload.size());
    std::memcpy(bytes.get(), payload.data(), payload.size());
    block.SetPayload(std::move(bytes));
    return writer << block;
}

bool HighScoreRecordRead(BlockReader& reader, HighScoreTable& table, const char* file) {
    DataBlock block(0, true);
    reader >> block;
    if (!block.HasTag(kTag)) return false;
    if (block.HeaderSize() < kHeaderSize)
        ThrowFatal("\"%s\": a high-score block's header is too short", file);
    const auto count = static_cast<int32_t>(LoadU32(block.Header() + kCountOffset));
    if (count < 0 || count > static_cast<int32_t>(kHighScoreTableSize))
        ThrowFatal("\"%s\": a high-score table of %d entries", file, count);
    PayloadCursor payload(block.Payload(), block.PayloadSize(), file);
    HighScoreTable read;
    const std::string_view key = payload.Text();
    const std::string_view title = payload.Text();
    read.key = String::FromBytes(key.data(), key.size());
    read.title = String::FromBytes(title.data(), title.size());
    for (int32_t i = 0; i < count; ++i) {
        const std::string_view name = payload.Text();
        read.Insert(name, payload.Score());
    }
    if (!payload.AtEnd()) ThrowFatal("\"%s\": a high-score block holds more than its entries", file);
    read.ClearNewMarks();
    table = std::move(read);
    return true;
}

void ReadHighScoreTables(BlockReader& reader, const char* file,
                         std::vector<std::unique_ptr<HighScoreTable>>& tables) {
    while (!reader.AtEnd()) {
        auto table = std::make_unique<HighScoreTable>();
        if (HighScoreRecordRead(reader, *table, file)) tables.push_back(std::move(table));
    }
}

// --- the manager ---

HighScoreManager::HighScoreManager(ZEMAClass* cls) : ScriptObject(cls) {
    SetKind(kHighScoreManagerKind);
}

HighScoreManager& HighScoreManager::Of(ScriptObject* receiver) {
    return ReceiverOf<HighScoreManager>(receiver, "The object is not a HighScoreManager");
}

HighScoreManager& HighScoreManager::OfGame(Processor& processor) {
    auto* manager = dynamic_cast<HighScoreManager*>(processor.Objects().GetObject(kHighScoreManagerId));
    if (manager == nullptr) ThrowFatal("No HighScoreManager (object %u)", kHighScoreManagerId);
    return *manager;
}

void HighScoreManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<HighScoreManager, "HighScoreManager">, 0);
    target.SetMethod(AddHighScoreNative, 4);
}

Processor& HighScoreManager::GetProcessor() const {
    return ProcessorOfClass(*this);
}

HighScoreTable* HighScoreManager::Find(const String& key) {
    return tables_.Find(key);
}

HighScoreTable& HighScoreManager::Add(std::unique_ptr<HighScoreTable> table) {
    const String key = table->key;
    // The keyed table owns what it is offered and drops a table whose key it holds already.
    return *tables_.FindOrAdd(key, table.release());
}

std::vector<HighScoreTable*> HighScoreManager::Tables() {
    std::vector<HighScoreTable*> tables;
    for (HighScoreTable* table = tables_.First(); table != nullptr; table = tables_.Next())
        tables.push_back(table);
    return tables;
}

void HighScoreManager::Clear() {
    tables_.TruncateTo(0);
}

void HighScoreManager::Load() {
    Clear();
    damagedFile_ = false;
    if (!FindDiskFile(kHighScoreFile) && !IsDiskFolder(kHighScoreFile)) return;
    // A damaged block drops itself and what follows it; the whole tables before it stay.
    std::vector<std::unique_ptr<HighScoreTable>> tables;
    try {
        FileBlockReader reader(1024, 1024, 128);
        reader.Open(String(kHighScoreFile));
        ReadHighScoreTables(reader, kHighScoreFile, tables);
    } catch (const DExep& e) {
        damagedFile_ = FindDiskFile(kHighScoreFile).has_value();
        const std::string line =
            "\"" + std::string(kHighScoreFile) + "\" is damaged; the " + std::to_string(tables.size()) +
            " table(s) before the damage were kept" +
            (damagedFile_ ? ", the file is kept as \"" + std::string(kHighScoreDamagedFile) +
                                "\" when the scores are next saved"
                          : "") +
            ": " + std::string(e.message.View());
        WriteLog(kLogFile, line.c_str());
    }
    for (auto& table : tables) Add(std::move(table));
}

void HighScoreManager::Save() {
    if (damagedFile_) {
        damagedFile_ = false;
        // The copy is a courtesy to the player: one that cannot be written is logged, and the save
        // goes on.
        try {
            KeepDamagedFile();
        } catch (const DExep& e) {
            const std::string line = "\"" + std::string(kHighScoreFile) + "\" could not be kept as \"" +
                                     kHighScoreDamagedFile + "\": " + std::string(e.message.View());
            WriteLog(kLogFile, line.c_str());
        }
    }
    FW out;
    out.Create(String(kHighScoreFile));
    for (const HighScoreTable* table : Tables()) HighScoreRecordWrite(out, *table);
    out.Close();
}

void HighScoreManager::AddHighScore(Processor& processor) {
    ScriptObject* scenario = processor.Objects().GetObject(kScenarioId);
    if (scenario == nullptr || scenario->Class() == nullptr)
        ThrowFatal("No scenario (object %u) to keep the high score of", kScenarioId);
    const String key = scenario->Class()->ClassName();
    if (Find(key) == nullptr) {
        auto table = std::make_unique<HighScoreTable>();
        table->key = key;
        table->title = GTTClass::CallGetName(scenario);
        Add(std::move(table));
    }
    HighScoreTable& table = *Find(key);
    struct MarksGo {
        HighScoreTable& table;
        ~MarksGo() { table.ClearNewMarks(); }
    } marksGo{table};

    const std::vector<PlayerObject*> players = GamePlayers(processor);
    std::vector<HighScoreEntry> candidates;
    for (PlayerObject* player : players)
        candidates.push_back({HighScoreName(player->Name().View()), player->Experience()});
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const HighScoreEntry& a, const HighScoreEntry& b) { return a.score > b.score; });
    if (candidates.size() > kHighScoreTableSize) candidates.resize(kHighScoreTableSize);
    // Without a device to type with, the players' own names are entered and nothing is shown. The
    // device is the first player's, asked for at each use: the windows run scripts, which may delete
    // that player.
    const WeakObject typist(players.empty() ? nullptr : players.front());
    const auto input = [&typist]() -> InputDevice* {
        const auto* player = typist.As<PlayerObject>();
        return player != nullptr ? player->Input() : nullptr;
    };
    for (HighScoreEntry& candidate : candidates) {
        if (!table.Qualifies(candidate.score)) continue;
        if (InputDevice* device = input()) RunHighScoreNameEntry(processor, *device, candidate);
        table.Insert(candidate.name.View(), candidate.score);
    }
    // A manager the scripts deleted meanwhile has no tables to keep.
    if (!Alive()) return;
    Save();
    if (InputDevice* device = input()) ShowHighScoreMenu(*this, *device, &key);
}

void LoadHighScores(ScriptObject& manager) {
    // Start-up goes on whatever it made under the number; only a manager has tables to fill.
    if (auto* tables = dynamic_cast<HighScoreManager*>(&manager)) tables->Load();
}
