#include "setup/menu_entries.h"

#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/setup_texts.h"

namespace {

// "setup.mes" numbers: the entry's shown name, and the document it opens (0: a program). The
// built-in name stands in for a name the message file lacks: the game is installed by then.
struct MenuItem {
    const char* fileName;
    uint32_t nameMessage;
    uint32_t documentMessage;
    const char* program;
    const char* comment;  // the description the entry carries
    const char* builtInName;
};

const MenuItem kItems[] = {
    {"vondrel.desktop", 7, 0, "Vondrel", "Vondrel", "Vondrel"},
    {"vondrel-release-notes.desktop", 8, 21, nullptr, "Release notes", "Vondrel release notes"},
    {"vondrel-whats-new.desktop", 9, 20, nullptr, "Whats new", "What's new in Vondrel"},
    {"vondrel-license.desktop", 29, 27, nullptr, "License agreement", "Vondrel licence agreement"},
    {"vondrel-language.desktop", 19, 0, "Tonvik", "Set Language", "Vondrel language"},
    {"vondrel-uninstall.desktop", 26, 0, "uninstall", "Uninstall", "Uninstall Vondrel"},
};

// The document's path in the folder (its spelling on disk when it exists); empty when the name
// would leave the folder.
std::string DocumentPath(const std::string& folder, const std::string& name) {
    auto parts = EntryComponents(name);
    if (!parts) return {};
    PlacedPath place = PlaceFile(folder, *parts, false);
    if (place.state == PathState::Found) return place.path;
    std::string path = folder;
    for (size_t i = 0; i < parts->size(); ++i) path += (i ? "/" : "") + (*parts)[i];
    return place.state == PathState::Missing ? path : std::string();
}

}  // namespace

const std::vector<std::string>& MenuEntryFileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const MenuItem& item : kItems) list.emplace_back(item.fileName);
        return list;
    }();
    return names;
}

std::vector<DesktopEntry> MenuEntries(const std::string& folder, SetupTexts& texts) {
    const std::string workingFolder = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    std::vector<DesktopEntry> entries;
    for (const MenuItem& item : kItems) {
        DesktopEntry entry;
        entry.fileName = item.fileName;
        const std::optional<String> name = texts.Find(item.nameMessage);
        entry.name = name ? texts.Utf8(name->View()) : item.builtInName;
        entry.comment = item.comment;
        entry.workingFolder = workingFolder;
        if (item.program != nullptr) {
            entry.command = {folder + item.program};
            entry.terminal = item.program != std::string("Vondrel");
        } else {
            const std::optional<String> named = texts.Find(item.documentMessage);
            const std::string document = named ? DocumentPath(folder, named->Text()) : std::string();
            if (document.empty()) continue;
            entry.command = {"xdg-open", document};
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}
