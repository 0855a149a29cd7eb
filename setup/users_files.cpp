#include "setup/users_files.h"

#include <optional>
#include <set>

#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/install_list.h"

namespace {

// The file a name stands for in the folder, when there is one.
std::optional<std::string> FoundFile(const std::string& folder, const std::string& name) {
    auto parts = EntryComponents(name);
    if (!parts) return std::nullopt;  // never written: the extraction refuses such a name
    PlacedPath place = PlaceFile(folder, *parts, false);
    if (place.state != PathState::Found) return std::nullopt;
    return place.path;
}

}  // namespace

std::vector<std::string> UsersFilesInTheWay(const std::string& folder,
                                            const std::vector<std::string>& names) {
    std::set<std::string> listed;
    // A list that cannot be read names nothing: every file of the game's names is then asked about.
    for (const std::string& line : ReadInstallList(folder).value_or(std::vector<std::string>{})) {
        if (auto path = FoundFile(folder, line)) listed.insert(*path);
    }
    std::vector<std::string> users;
    for (const std::string& name : names) {
        auto path = FoundFile(folder, name);
        if (path && listed.count(*path) == 0) users.push_back(path->substr(folder.size()));
    }
    return users;
}
