// The high-score tables: one table of the ten best scores for each scenario class, kept by the
// HighScoreManager (object 36) for the whole run, read from "HighScores.HISC" once at start-up and
// written whole at the end of every game. The file is outside data: names longer than the name
// field are cut, every count and text is bounded by its block, and a damaged file keeps the tables
// before the damage, with a line in the log and a copy of itself kept beside the new file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/hash_table.h"
#include "script/script_object.h"

class BlockReader;
class FW;
class InputDevice;
class Processor;
class ZEMAClass;
struct NativeClassRow;

constexpr const char* kHighScoreFile = "HighScores.HISC";
constexpr const char* kHighScoreDamagedFile = "HighScores.HISC.bad";
constexpr uint32_t kHighScoreBuckets = 26;
constexpr size_t kHighScoreTableSize = 10;
// The name field holds 23 characters and the terminator; longer names are cut.
constexpr size_t kHighScoreNameCapacity = 24;
constexpr size_t kHighScoreNameMax = kHighScoreNameCapacity - 1;
// What the name entry lets the player type.
constexpr uint32_t kHighScoreTypedName = 20;

struct HighScoreEntry {
    String name;
    int32_t score = 0;
    bool isNew = false;  // entered by the running AddHighScore, shown marked
};

// One row of the table chooser.
struct HighScoreChoice {
    String key;
    String title;
};

class HighScoreTable {
  public:
    String key;    // the scenario's class name
    String title;  // the scenario's name, shown by the list window

    // Best first, never more than kHighScoreTableSize after an insertion.
    const std::vector<HighScoreEntry>& Entries() const { return entries_; }
    // Appends a new-marked entry (the name cut to the field), sorts, and drops the lowest past ten.
    void Insert(std::string_view name, int32_t score);
    // Best score first; equal scores keep their order, so a newer entry goes below older equals.
    void SortDescending();
    // True for an empty table, else for a score above the lowest entry's.
    bool Qualifies(int32_t score) const;
    void ClearNewMarks();
    void Clear() { entries_.clear(); }

  private:
    std::vector<HighScoreEntry> entries_;
};

// A name as the name field keeps it: up to the first NUL, at most kHighScoreNameMax characters.
String HighScoreName(std::string_view name);

// Writes the table as one "HISC" block.
FW& HighScoreRecordWrite(FW& writer, const HighScoreTable& table);
// Reads the next block into the table when it is a "HISC" block (key, title, entries inserted as
// Insert does, not marked new) and gives true; a block of another tag is skipped, leaving the table
// as it was, and gives false. The reader's errors pass on; FatalExep naming the file for a "HISC"
// block whose header, counts or texts do not fit its payload.
bool HighScoreRecordRead(BlockReader& reader, HighScoreTable& table, const char* file);
// Appends every "HISC" table of the reader's content to tables in file order, duplicates included;
// errors as above, with the tables read before the error left in tables.
void ReadHighScoreTables(BlockReader& reader, const char* file,
                         std::vector<std::unique_ptr<HighScoreTable>>& tables);

// The native object behind the script's HighScoreManager: the tables by key, and the chooser's
// state, which persists between openings so that the chooser reopens on the page it was left on.
class HighScoreManager : public ScriptObject {
  public:
    explicit HighScoreManager(ZEMAClass* cls);
    // The manager at a native's receiver; FatalExep for another kind of object.
    static HighScoreManager& Of(ScriptObject* receiver);
    // The manager of the running game (object 36); FatalExep when there is none.
    static HighScoreManager& OfGame(Processor& processor);
    // The ZEMAClass binding, then natives 0 (create) and 4 (AddHighScore).
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    HighScoreTable* Find(const String& key);
    // Adds the table unless its key is present (then the offered one is dropped); gives the held one.
    HighScoreTable& Add(std::unique_ptr<HighScoreTable> table);
    // Every table in bucket order, and within a bucket in the order of adding.
    std::vector<HighScoreTable*> Tables();
    void Clear();

    // Reads kHighScoreFile from the game folder. A missing file leaves the tables empty without a
    // word; a damaged one keeps the tables before its first damaged block and says so in the log.
    void Load();
    // Writes every table to kHighScoreFile, whole or not at all; the writer's errors pass on. A file
    // found damaged by Load is first copied whole to kHighScoreDamagedFile, so that the scores it
    // holds past the damage are not lost with it.
    void Save();
    // The end of a game: asks each qualifying player for a name, enters the scores, saves and shows
    // the scenario's table.
    void AddHighScore(Processor& processor);

    Processor& GetProcessor() const;

    // The chooser's state (high_score_window.cpp).
    std::vector<HighScoreChoice> rows;
    int32_t firstRow = 0;
    int32_t selectedRow = 0;

  private:
    HashTable<HighScoreTable> tables_{kHighScoreBuckets, false, true};
    bool damagedFile_ = false;  // Load found the file damaged and it has not been replaced yet
};

// The name entry window: the prompt, an edit field over the candidate's name (at most
// kHighScoreTypedName characters typed) and the OK button. The name is what the field holds when the
// window ends; the score is always entered.
void RunHighScoreNameEntry(Processor& processor, InputDevice& input, HighScoreEntry& candidate);

// Start-up's Hooks().loadHighScores: Load on the manager object; nothing for another object.
void LoadHighScores(ScriptObject& manager);
