// Save games: the "SAVE" header block (game-time stamp and eight packed texts) that heads every
// ".gsf" file and is the row record of the save, load and scenario lists; the writer of a save file
// and its loader. Save files are outside data: the loader reads and checks a whole file before it
// touches the running game.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
class BlockReader;
class GTime;
class Processor;

constexpr uint32_t kSaveHeaderSize = 18;
constexpr uint32_t kSaveTextCount = 8;
// No header of ours comes near this; a larger payload size is a damaged or hostile file.
constexpr uint32_t kMaxSavePayload = 16 * 1024;

constexpr const char* kSavesFolder = "Saves\\";
constexpr const char* kAddFolder = "Add\\";
constexpr const char* kSaveExtension = ".gsf";
constexpr const char* kScenarioExtension = ".scn";
constexpr const char* kAutoSaveStem = "-AutoSav";
constexpr const char* kAutoSaveTitle = "AutoSave";
constexpr const char* kNewSaveTitle = "New";
constexpr const char* kNoScenario = "no scenario";

// The eight texts of a header, text 1 first (index 0).
using SaveTexts = std::array<std::string, kSaveTextCount>;

// The "SAVE" block. A block read from a file is refused (FatalExep naming the file) when its
// payload is larger than kMaxSavePayload or does not hold eight NUL-terminated texts.
class SaveHeader : public DataBlock {
  public:
    SaveHeader();
    // The packed texts: payload size = sum of (length + 1). Texts are cut at an embedded NUL.
    void Fill(const SaveTexts& texts);
    // Text n (1-8); empty when the payload does not hold it.
    std::string_view Text(uint32_t n) const;
    SaveTexts Texts() const;
    // Eight NUL-terminated texts lie inside the payload.
    bool HoldsTexts() const;
    void AfterRead(BlockReader& reader) override;
};

namespace SaveBlock {
// Time of day to header offset 10, date to offset 14.
void StoreStamp(DataBlock& block, const GTime& time);
void LoadStamp(const DataBlock& block, GTime& time);
}  // namespace SaveBlock

// Texts 4, 5, 7 and 8 of a save: the current star system's display name, the selected planet's
// hint, the planet's name and the system's name. Installed by the galaxy at start-up; without it,
// or when it answers false, the four texts are empty.
struct SaveLocationTexts {
    std::string systemDisplayName, planetHint, planetName, systemName;
};
using SaveLocationSource = std::function<bool(Processor& processor, SaveLocationTexts& texts)>;
SaveLocationSource& SaveLocationHook();

// The texts of the running game for a save under stem with title: the scenario (object 27) gives
// texts 2 and 3 ("no scenario" without one), the location hook texts 4, 5, 7 and 8.
SaveTexts CurrentGameTexts(Processor& processor, std::string_view stem, std::string_view title);

// "Saves\" + stem + ".gsf".
String SaveFileName(std::string_view stem);

// Writes a save: the header then a "PCFG" for each player of the player list (object 23), packed.
// Every block is built first (the players' script save methods run then), and only then is the file
// written, through the atomic writer: an error at any point leaves the file as it was. FatalExep
// "Save game has no players" when the list is empty; "Saves\" is made when missing. An empty name
// writes nothing.
void WriteSaveGame(Processor& processor, const SaveHeader& header, const String& fileName);
// The same for any header block (the players file of the scene reset).
void WritePlayersFile(Processor& processor, const DataBlock& header, const String& fileName);

namespace SaveGameFile {
// Loads a save into the running game: reads the whole file, requires the "SAVE" header first, at
// least one "PCFG" and a scenario class that inherits from "Scenario"; only then are the player and
// ship lists replaced, the location stored as object 26, the scenario as object 27 and gameTime
// set from the stamp (a date before year 1 becomes 151/72 0:0:0). A scenario whose Start answers
// non-zero loads the file again. A file that fails a check: FatalExep "Wrong save game file" with
// the game untouched.
void Load(Processor& processor, GTime& gameTime, const String& fileName);
// The same into the GameManager's (object 22) game time.
void Load(Processor& processor, const String& fileName);
}  // namespace SaveGameFile
