#include "setup/uninstaller.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/install_store.h"
#include "script/message_manager.h"
#include "setup/entered_folder.h"
#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/install_list.h"
#include "setup/kept_files.h"
#include "setup/language_file.h"
#include "setup/menu_entries.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"

namespace {

const char* const kListName = "uninst.lst";
// What the game writes into the folder besides the listed files. The language chosen,
// "Language.LCFG", stays with the player's own files.
const char* const kOwnFiles[] = {"fps.txt", "vondrel.log", "Screen.SCRS", "Sound.SNDS"};

std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

// What stays of the install when a deletion stops: the record stays with it, so that the
// uninstaller can finish once the names can be deleted.
std::string StaysText(const std::string& folder, const std::vector<std::string>& names) {
    return "In " + folder + " these could not be deleted: " + JoinNames(names) +
           ". The rest of the install stays recorded: run " + folder + "uninstall again once they can be.";
}

// The deletions but the last ones, in an order that keeps what is left an install another run can
// remove: the menu entries; the listed files but the uninstaller and the archive it takes its texts
// from (the caller deletes those last); the emptied folders and the game's own files; the list. A
// file already gone is skipped. What could not be deleted stops the deletion after its step, with
// the list, the uninstaller, the archive and the record kept; the message for it is returned
// (UTF-8). A list that cannot be read stops it before anything is removed.
std::optional<std::string> DeleteInstall(const std::string& folder, const std::string& archivePath,
                                         UninstallServices& services) {
    const std::optional<std::vector<std::string>> list = ReadInstallList(folder);
    if (!list) {
        return "The list of the installed files " + folder + kListName +
               " cannot be read, so nothing was removed. Vondrel stays installed: run " + folder +
               "uninstall again once the list can be read.";
    }
    const std::vector<std::string>& listed = *list;
    std::vector<std::string> stays;
    for (const std::string& entry : MenuEntryFileNames()) {
        if (!services.desktop.Remove(entry)) stays.push_back(entry);
    }
    if (!stays.empty()) {
        return "The menu entries " + JoinNames(stays) + " in " + services.desktop.Location() +
               " could not be removed, so nothing was removed.";
    }
    // A setup killed while it replaced files left them kept aside: back in their places, they go
    // with the rest.
    stays = PutBackKeptFiles(folder, listed);
    const std::string uninstaller = PlaceFile(folder, {"uninstall"}, false).path;
    for (const std::string& name : listed) {
        const auto parts = EntryComponents(name);
        const std::string path = parts ? PlaceFile(folder, *parts, false).path : std::string();
        if (path == archivePath || path == uninstaller) continue;
        if (!DeleteListedFile(folder, name)) stays.push_back(name);
    }
    if (!stays.empty()) return StaysText(folder, stays);
    stays = RemoveListedFolders(folder, listed);
    for (const char* name : kOwnFiles) {
        if (!DeleteListedFile(folder, name)) stays.push_back(name);
    }
    if (!stays.empty()) return StaysText(folder, stays);
    if (!DeleteListedFile(folder, kListName)) return StaysText(folder, {kListName});
    return std::nullopt;
}

// The last deletions, once the archive is closed: the archive, then the uninstaller and the
// record. The message for what could not be deleted is returned (UTF-8). When the archive stays,
// the uninstaller and the record stay with it for another run; past it nothing is left that
// another run could find, so the record goes whatever stays.
std::optional<std::string> DeleteLast(const std::string& folder, const std::string& archiveName,
                                      InstallStore& store) {
    if (!DeleteListedFile(folder, archiveName)) return StaysText(folder, {archiveName});
    std::string text;
    if (!DeleteListedFile(folder, "uninstall")) {
        text = "Vondrel is removed, but its uninstaller " + folder +
               "uninstall could not be deleted: delete it yourself.";
    }
    if (!store.Remove()) {
        text += std::string(text.empty() ? "Vondrel is removed, but" : " And") + " its install record \"" +
                store.Location() + "\" could not be deleted: delete it yourself.";
    }
    if (text.empty()) return std::nullopt;
    return text;
}

int Uninstall(UninstallServices& services, const std::string& folder, CodePageConverter& converter) {
    SetupUi& ui = services.ui;
    // Every end before the deletion begins says so on its last line.
    const auto keep = [&] {
        ui.Tell("Uninstall", "Nothing was removed; Vondrel stays installed in " + folder + ".");
        return 1;
    };
    std::optional<EnteredFolder> inFolder;
    try {
        inFolder.emplace(folder);
    } catch (const DExep&) {
        ui.ShowError("Error", "Cannot enter the install folder " + folder);
        return keep();
    }
    // From here the engine reads the install's files by their names in the install folder.
    PlacedPath archivePath = PlaceFile(folder, {"main.fd"}, false);
    try {
        LanguageBlock language;
        language.SetLanguage(static_cast<uint32_t>(ReadLanguageFile("Language.LCFG", 1)));
        FileBlockReader reader;
        reader.Open(archivePath.path.substr(folder.size()).c_str());
        FD::File archive(&reader, 0, 10);
        MessageManager messages(nullptr, &archive, &language);
        SetupTexts texts(messages, "uninstall.mes");
        if (ui.Ask(texts.Get(10), texts.Get(28), {"remove Vondrel", "keep it"}) != Answer::Yes) return keep();
        // Every text still to come is fetched first: a message file that lacks one stops the
        // uninstall before anything is deleted.
        const std::string workingCaption = texts.Get(31), workingText = texts.Get(30);
        const std::string doneCaption = texts.Get(1), doneText = texts.Get(29);
        const std::string errorCaption = texts.Get(5);
        ui.Tell(workingCaption, workingText);
        std::optional<std::string> stays = DeleteInstall(folder, archivePath.path, services);
        if (!stays) {
            reader.Close();
            stays = DeleteLast(folder, archivePath.path.substr(folder.size()), services.store);
        }
        if (stays) {
            ui.ShowError(errorCaption, *stays);
            return 1;
        }
        ui.Tell(doneCaption, doneText);
        return 0;
    } catch (const DExep& e) {
        ui.ShowError("Error", ErrorText(converter, e.message.View()));
        return keep();
    }
}

}  // namespace

std::optional<std::string> CheckedInstallFolder(const std::string& recorded, const std::string& homeFolder) {
    if (recorded.empty() || recorded[0] != '/') return std::nullopt;
    const std::string real = RealPath(recorded);
    if (real.empty() || real == "/") return std::nullopt;
    if (!homeFolder.empty() && real == RealPath(homeFolder)) return std::nullopt;
    std::string folder = recorded;
    if (folder.back() != '/') folder.push_back('/');
    const bool holdsList = PlaceFile(folder, {kListName}, false).state == PathState::Found;
    const bool holdsArchive = PlaceFile(folder, {"main.fd"}, false).state == PathState::Found;
    if (!holdsList && !holdsArchive) return std::nullopt;
    return folder;
}

int RunUninstall(UninstallServices& services) {
    CodePageConverter converter;
    const std::optional<InstallRecord> record = services.store.Read();
    if (!record || record->path.empty()) {
        services.ui.ShowError("Error", "Vondrel not installed on your computer");
        return 1;
    }
    const std::optional<std::string> folder = CheckedInstallFolder(record->path, services.homeFolder);
    if (!folder) {
        services.ui.ShowError("Error", "The recorded install folder \"" + record->path +
                                           "\" does not hold an install of Vondrel; nothing was deleted");
        return 1;
    }
    return Uninstall(services, *folder, converter);
}
