#include "setup/extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/named_write.h"

namespace {

constexpr uint32_t kCopyBlock = 1024;
const char* const kListName = "uninst.lst";
// Files are placed from the working folder, the install folder: the engine takes relative names.
const std::string kHere;
// The programs of the game folder; the archive keeps no file modes.
const char* const kPrograms[] = {"Vondrel", "Tonvik", "uninstall"};

bool IsProgram(const std::vector<std::string>& parts) {
    if (parts.size() != 1) return false;
    for (const char* program : kPrograms) {
        if (FD::CompareNames(parts[0].c_str(), program) == 0) return true;
    }
    return false;
}

[[noreturn]] void ThrowPlacement(const std::string& folder, const PlacedPath& place,
                                 const ExtractionTexts& texts) {
    const std::string path = folder + place.path;
    // A folder that is there as something else cannot be made either.
    if (place.state == PathState::CannotCreate || place.state == PathState::NotAFolder)
        throw FatalExep(texts.folderError + path.c_str());
    ThrowFatal("Refused to write through \"%s\": a link or another kind of file stands in the install folder",
               path.c_str());
}

// Every entry's components, or the engine error for the first name that leaves the folder.
std::vector<std::vector<std::string>> CheckedEntries(const FD::File& archive, const String& archivePath) {
    std::vector<std::vector<std::string>> entries;
    for (uint32_t i = 0; i < archive.EntryCount(); ++i) {
        const char* name = archive.EntryAt(i).name;
        auto parts = EntryComponents(name);
        if (!parts) {
            ThrowFatal("Archive %s holds the entry \"%.260s\", which does not stay inside the install folder",
                       archivePath.Text(), name);
        }
        entries.push_back(std::move(*parts));
    }
    return entries;
}

// shownPath: the file's full path, for the writer's errors. The archive's own errors pass as they are.
void CopyEntry(FD::File& archive, const char* name, const std::string& path, const std::string& shownPath,
               bool program) {
    EntryBlockReader entry(&archive);
    entry.Open(name);
    FW out;
    NamingFile(shownPath, [&] { out.Create(path.c_str()); });
    uint8_t block[kCopyBlock];
    for (uint32_t n = entry.Read(block, kCopyBlock); n != 0; n = entry.Read(block, kCopyBlock)) {
        NamingFile(shownPath, [&] { out.Write(block, n); });
    }
    NamingFile(shownPath, [&] { out.Close(); });
    if (program) chmod(path.c_str(), 0755);
}

class Extraction {
  public:
    Extraction(const String& folder, InstallControl& control) : folder_(folder.Text()), control_(control) {}

    bool Run(BlockReader& reader, const ExtractionTexts& texts, const EntryHook& afterEntry,
             const CommitStep& commit) {
        FD::File archive(&reader, 2, 10);
        const auto entries = CheckedEntries(archive, reader.Name());
        OpenList(texts);
        const auto count = static_cast<uint32_t>(entries.size());
        for (uint32_t i = 0; i < count; ++i) {
            const char* name = archive.EntryAt(i).name;
            control_.BeginEntry(name);
            PlacedPath place = PlaceFile(kHere, entries[i], true);
            if (place.state != PathState::Found && place.state != PathState::Missing) {
                ThrowPlacement(folder_, place, texts);
            }
            written_.emplace_back(name);
            CopyEntry(archive, name, place.path, folder_ + place.path, IsProgram(entries[i]));
            control_.SetPercent(static_cast<int32_t>(uint64_t{i} * 100 / count));
            NamingFile(listPath_, [&] {
                list_.Write(name, static_cast<uint32_t>(written_.back().size()));
                list_.Write("\n", 1);
            });
            if (afterEntry) afterEntry(i);
            if (control_.AbortRequested()) return false;
        }
        NamingFile(listPath_, [&] { list_.Close(); });
        if (commit) commit();
        return true;
    }

    // Deletes what this run wrote; the list keeps lines this run added to an older one.
    void RollBack() {
        for (const std::string& name : written_) DeleteListedFile(kHere, name);
        RemoveListedFolders(kHere, written_);
        try {
            list_.Close();
        } catch (const DExep&) {
            // The list is deleted below or keeps what reached it.
        }
        if (listCreated_) DeleteListedFile(kHere, kListName);
    }

  private:
    void OpenList(const ExtractionTexts& texts) {
        PlacedPath place = PlaceFile(kHere, {kListName}, false);
        if (place.state != PathState::Found && place.state != PathState::Missing)
            throw FatalExep(texts.listError);
        listCreated_ = place.state == PathState::Missing;
        listPath_ = folder_ + place.path;
        try {
            list_.Create(place.path.c_str(), 1 | 2);
        } catch (const DExep&) {
            throw FatalExep(texts.listError);
        }
    }

    std::string folder_;
    InstallControl& control_;
    FW list_;
    std::string listPath_;
    bool listCreated_ = false;
    std::vector<std::string> written_;
};

}  // namespace

bool ExtractArchive(const String& folder, BlockReader& archive, InstallControl& control,
                    const ExtractionTexts& texts, const EntryHook& afterEntry, const CommitStep& commit) {
    Extraction extraction(folder, control);
    bool done = false;
    try {
        done = extraction.Run(archive, texts, afterEntry, commit);
    } catch (...) {
        extraction.RollBack();
        throw;
    }
    if (!done) extraction.RollBack();
    return done;
}
