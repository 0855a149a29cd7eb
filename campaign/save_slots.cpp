// The rows of the save, load and scenario lists, the folder scans that fill them and the remembered
// list position.
#include "campaign/save_slots.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "campaign/player_files.h"
#include "campaign/save_file_reader.h"
#include "campaign/save_game.h"
#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "foundation/trace_flag.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "world/slot_blocks.h"

namespace {

constexpr uint32_t kSlotsDirect = 12;
constexpr uint32_t kSlotsPage = 12;
constexpr uint32_t kStemDigits = 8;
constexpr uint32_t kLargestStem = 99999999;
constexpr uint32_t kScenarioDescriptionVirtual = 4;
constexpr uint32_t kScenarioNameVirtual = 3;

char Folded(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters compare without case; other bytes as unsigned values.
int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Folded(a[i]));
        const auto y = static_cast<unsigned char>(Folded(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EndsWithNoCase(std::string_view name, std::string_view ending) {
    return name.size() > ending.size() &&
           CompareNoCase(name.substr(name.size() - ending.size()), ending) == 0;
}

// Stops before the first row whose text compares greater, so equal texts keep their scan order;
// the rows from there to the next empty index move up one.
void InsertSorted(std::unique_ptr<SaveHeader> header, uint32_t textNumber) {
    SlotArray& slots = SaveSlots();
    const std::string_view text = header->Text(textNumber);
    uint32_t stop = slots.End();
    for (uint32_t i = 0; i < slots.End(); ++i) {
        const SaveHeader* row = SlotHeader(i);
        if (row != nullptr && CompareNoCase(row->Text(textNumber), text) > 0) {
            stop = i;
            break;
        }
    }
    uint32_t empty = stop;
    while (empty < slots.End() && slots.Get(empty) != nullptr) ++empty;
    for (uint32_t k = empty; k > stop; --k) slots.Swap(k, k - 1);
    slots.Set(stop, std::unique_ptr<DataBlock>(std::move(header)));
}

// Regular files of a content folder ("Saves\") whose names end with ext, without case, sorted.
std::vector<std::string> FilesIn(std::string_view folder, std::string_view ext) {
    std::vector<std::string> names;
    const std::string_view bare = folder.substr(0, folder.find_last_not_of("\\/") + 1);
    if (!IsDiskFolder(bare)) return names;
    const std::string path = DiskPathForCreate(bare);
    if (path.empty()) return names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        std::error_code kind;
        if (!entry.is_regular_file(kind)) continue;
        std::string name = entry.path().filename().string();
        if (EndsWithNoCase(name, ext)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The row of a save file; null when its first block is no readable "SAVE" header, which keeps the
// file out of the list.
std::unique_ptr<SaveHeader> SaveRow(const std::string& name) {
    const std::string stem = name.substr(0, name.size() - std::string_view(kSaveExtension).size());
    try {
        std::unique_ptr<SaveHeader> row = ReadSaveHeader(kSavesFolder + name);
        // What a file says its stem is counts for nothing: it is the file's own name that is
        // loaded and overwritten.
        if (row->Text(1) != stem) {
            SaveTexts texts = row->Texts();
            texts[0] = stem;
            row->Fill(texts);
        }
        return row;
    } catch (const DExep&) {
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

bool IsNumericStem(std::string_view text) {
    return !text.empty() && text.size() <= kStemDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string PaddedStem(uint32_t number) {
    char text[kStemDigits + 1];
    std::snprintf(text, sizeof text, "%08u", number);
    return text;
}

std::unique_ptr<SaveHeader> ScenarioRow(Processor& processor, const std::string& name) {
    const String path = String((kAddFolder + name).c_str());
    const auto [className, playerFile] = ReadScenarioFile(path);
    const uint32_t players = CountPlayers(processor, playerFile);
    if (players == 0) return nullptr;
    CheckBlockClass(processor, className.View(), "Scenario", path);
    MadeObject scenario(processor.NewObjectByName(className));
    SaveTexts texts;
    texts[0] = std::string(path.View());
    texts[1] = std::string(className.View());
    texts[2] = AskScriptText(processor, scenario.get(), kScenarioNameVirtual);
    texts[3] = std::to_string(players);
    texts[5] = AskScriptText(processor, scenario.get(), kScenarioNameVirtual);
    texts[6] = AskScriptText(processor, scenario.get(), kScenarioDescriptionVirtual);
    auto row = std::make_unique<SaveHeader>();
    row->Fill(texts);
    // Destroyed here rather than by the deleter, so that an error of its script destructor counts
    // as one of the file's; its own methods may have deleted it already.
    ScriptObject* made = scenario.release();
    if (made->Alive()) DestroyObject(made);
    return row;
}

}  // namespace

ScenarioFile ReadScenarioFile(const String& path) {
    ScenarioFile file;
    FileBlockReader reader;
    reader.Open(path);
    reader >> QuotedText{file.className};
    reader >> QuotedText{file.playerFile};
    return file;
}

SlotArray& SaveSlots() {
    static SlotArray slots(kSlotsDirect, kSlotsPage, true);
    return slots;
}

uint32_t& SelectedSlot() {
    static uint32_t selected = 0;
    return selected;
}

uint32_t& FirstVisibleSlot() {
    static uint32_t first = 0;
    return first;
}

SaveHeader* SlotHeader(uint32_t i) {
    return dynamic_cast<SaveHeader*>(SaveSlots().Get(i));
}

std::unique_ptr<SaveHeader> ReadSaveHeader(const std::string& name) {
    FileBlockReader reader(1024, 1024, 128);
    reader.Open(String(name.c_str()));
    auto header = std::make_unique<SaveHeader>();
    ReadHeaderFrom(reader, *header);
    return header;
}

void SaveSlotList() {
    SaveSlots().Clear();
    for (const std::string& name : FilesIn(kSavesFolder, kSaveExtension)) {
        if (std::unique_ptr<SaveHeader> row = SaveRow(name)) InsertSorted(std::move(row), 1);
    }
    FirstVisibleSlot() = 0;
}

void ScenarioList(Processor& processor) {
    SaveSlots().Clear();
    // The data-file readers look in "Saves\" first for the length of the scan, then in no folder.
    FD::File* archive = processor.Archive();
    struct FolderForScan {
        FD::File* archive;
        explicit FolderForScan(FD::File* a) : archive(a) {
            if (archive != nullptr) archive->SetDirectory(String(kSavesFolder));
        }
        ~FolderForScan() {
            if (archive != nullptr) archive->SetDirectory(String(""));
        }
        FolderForScan(const FolderForScan&) = delete;
        FolderForScan& operator=(const FolderForScan&) = delete;
    } folder(archive);
    for (const std::string& name : FilesIn(kAddFolder, kScenarioExtension)) {
        // A file that fails is left out and the scan goes on from where the processor stood.
        const RunnerState before = processor.SaveState(true);
        try {
            if (std::unique_ptr<SaveHeader> row = ScenarioRow(processor, name))
                InsertSorted(std::move(row), 3);
        } catch (const DExep&) {
            if (TraceFlag()) throw;
            processor.RestoreState(before);
        }
    }
    FirstVisibleSlot() = 0;
}

std::string NextSaveStem() {
    uint32_t largest = 0;
    for (uint32_t i = 0; i < SaveSlots().End(); ++i) {
        const SaveHeader* row = SlotHeader(i);
        if (row == nullptr || !IsNumericStem(row->Text(1))) continue;
        largest = std::max<uint32_t>(largest, static_cast<uint32_t>(std::stoul(std::string(row->Text(1)))));
    }
    for (uint64_t number = uint64_t{largest} + 1; number <= kLargestStem; ++number) {
        std::string stem = PaddedStem(static_cast<uint32_t>(number));
        if (!FindDiskFile(SaveFileName(stem).View())) return stem;
    }
    ThrowFatal("No save name is left in \"%s\"", kSavesFolder);
}

void LoadSavePos() {
    try {
        FileBlockReader reader;
        reader.Open(kSavePosName);
        uint8_t mark[8];
        if (reader.PeekAt(mark, sizeof mark, 0) < sizeof mark || std::memcmp(mark, "SESVPS", 6) != 0 ||
            LoadU16(mark + 6) != kSavePosHeaderSize)
            return;
        DataBlock position(kSavePosHeaderSize, false);
        reader >> position;
        const uint32_t rows = SaveSlots().End();
        SelectedSlot() = std::min(LoadU32(position.Header() + 10), rows);
        FirstVisibleSlot() = std::min(LoadU32(position.Header() + 14), rows);
    } catch (const DExep&) {
    }
}

void SaveSavePos() {
    DataBlock position(kSavePosHeaderSize, false);
    position.SetSignature("SVPS");
    position.SetPayloadSize(0);
    StoreU32(position.Header() + 10, SelectedSlot());
    StoreU32(position.Header() + 14, FirstVisibleSlot());
    MakeFolderOf(kSavePosName);
    FW out;
    out.Create(kSavePosName);
    out << position;
    out.Close();
}
