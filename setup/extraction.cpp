#include "setup/extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/kept_files.h"
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
            PlacedPath place = PlaceFile(kHere, entries[i], true, &madeFolders_);
            if (place.state != PathState::Found && place.state != PathState::Missing) {
                ThrowPlacement(folder_, place, texts);
            }
            TakeOver(place);
            CopyEntry(archive, name, place.path, folder_ + place.path, IsProgram(entries[i]));
            control_.SetPercent(static_cast<int32_t>(uint64_t{i} * 100 / count));
            NamingFile(listPath_, [&] {
                list_.Write(name, static_cast<uint32_t>(std::strlen(name)));
                list_.Write("\n", 1);
            });
            if (afterEntry) afterEntry(i);
            if (control_.AbortRequested()) return false;
        }
        NamingFile(listPath_, [&] { list_.Close(); });
        if (commit) commit();
        // Recorded: the files replaced are no longer needed.
        for (const Written& file : written_) {
            if (file.kept) unlink(KeptPath(file.path).c_str());
        }
        return true;
    }

    // Leaves the folder as this run found it: the files it wrote deleted and the ones they replaced
    // put back, the folders it made removed, an older list cut back to what it held.
    void RollBack() {
        for (auto file = written_.rbegin(); file != written_.rend(); ++file) {
            if (file->kept) {
                PutBack(file->path);
            } else {
                unlink(file->path.c_str());
            }
        }
        // Innermost first; a folder only goes when it is empty.
        for (auto made = madeFolders_.rbegin(); made != madeFolders_.rend(); ++made) rmdir(made->c_str());
        try {
            list_.Close();
        } catch (const DExep&) {
            // The list is deleted or cut back below.
        }
        if (listFile_.empty()) return;
        if (listCreated_) {
            unlink(listFile_.c_str());
        } else if (truncate(listFile_.c_str(), listSize_) != 0) {
            // The lines this run added stay: they name files of the game, which an uninstall skips.
        }
    }

  private:
    struct Written {
        std::string path;  // from the working folder
        bool kept;         // a file was there, and is kept aside until the install is recorded
    };

    // Makes the file at place this run's: a file that is there is kept aside. One this run wrote
    // already (the archive names it twice, in another case) is written again.
    void TakeOver(const PlacedPath& place) {
        if (!ours_.insert(place.path).second) return;
        const bool kept = place.state == PathState::Found;
        if (kept && !KeepAside(place.path)) {
            const int error = errno;
            ThrowFatal("Unable to replace file \"%s\": %s", (folder_ + place.path).c_str(),
                       std::strerror(error));
        }
        written_.push_back({place.path, kept});
    }

    void OpenList(const ExtractionTexts& texts) {
        PlacedPath place = PlaceFile(kHere, {kListName}, false);
        if (place.state != PathState::Found && place.state != PathState::Missing)
            throw FatalExep(texts.listError);
        listCreated_ = place.state == PathState::Missing;
        struct stat st;
        if (!listCreated_ && stat(place.path.c_str(), &st) == 0) listSize_ = st.st_size;
        listPath_ = folder_ + place.path;
        try {
            list_.Create(place.path.c_str(), 1 | 2);
        } catch (const DExep&) {
            throw FatalExep(texts.listError);
        }
        listFile_ = place.path;
    }

    std::string folder_;
    InstallControl& control_;
    FW list_;
    std::string listFile_;  // from the working folder, once opened
    std::string listPath_;
    bool listCreated_ = false;
    off_t listSize_ = 0;  // of an older list
    std::vector<Written> written_;
    std::set<std::string> ours_;            // the paths of written_
    std::vector<std::string> madeFolders_;  // outermost first
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
