// The process-wide rows of the save, load and scenario lists and the remembered list position
// ("Saves\SavePos.SVP"). Every opening of one of those screens rebuilds the rows from disk.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "campaign/slot_array.h"
#include "foundation/engine_string.h"
class Processor;
class SaveHeader;

constexpr uint32_t kSavePosHeaderSize = 18;
constexpr const char* kSavePosName = "Saves\\SavePos.SVP";

// Owned "SAVE" header blocks, one a row.
SlotArray& SaveSlots();
// The row chosen and the first row shown.
uint32_t& SelectedSlot();
uint32_t& FirstVisibleSlot();
// Row i's header, or null.
SaveHeader* SlotHeader(uint32_t i);

// Rebuilds the rows from the ".gsf" files of "Saves\", sorted without case on text 1, which is
// the file's own stem whatever the file says. A file whose first block is no readable "SAVE" header
// is left out (and stays on disk as it is). FirstVisibleSlot becomes 0.
void SaveSlotList();
// Rebuilds the rows from the ".scn" files of "Add\", sorted without case on the display name; a
// scenario that cannot be read or made is left out. FirstVisibleSlot becomes 0.
void ScenarioList(Processor& processor);
// The stem for a new save after SaveSlotList: eight digits, the largest numeric stem + 1, moved on
// past names that exist. FatalExep when no eight-digit stem is left.
std::string NextSaveStem();
// The "SAVE" header block a ".gsf" file begins with; FatalExep naming the file when it does not
// begin with one that can be read.
std::unique_ptr<SaveHeader> ReadSaveHeader(const std::string& name);

// A scenario file ("Add\" + name): its scenario class, then its players file.
struct ScenarioFile {
    String className;
    String playerFile;
};
// The reader's engine error when the file cannot be read.
ScenarioFile ReadScenarioFile(const String& path);

// Reads the position, each index lowered to the row count; a missing or damaged file leaves both.
void LoadSavePos();
// Writes the position, whole or not at all.
void SaveSavePos();
