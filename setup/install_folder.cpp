#include "setup/install_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "foundation/disk_path.h"
#include "setup/entry_name.h"

namespace {

enum class Kind { None, Folder, File, Link, Other };

Kind KindOf(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return Kind::None;
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    if (S_ISREG(st.st_mode)) return Kind::File;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    return Kind::Other;
}

// The folders along parts (all but the last), each as a path from root; stops at the first one
// missing or refused.
PlacedPath WalkFolders(const std::string& root, const std::vector<std::string>& parts, size_t count,
                       bool createFolders, std::vector<std::string>* made) {
    std::string folder = root;
    for (size_t i = 0; i < count; ++i) {
        std::string match = MatchInFolder(folder, parts[i]);
        const std::string path = folder + (match.empty() ? parts[i] : match);
        if (match.empty()) {
            if (!createFolders) return {PathState::Missing, path};
            if (mkdir(path.c_str(), 0755) != 0) return {PathState::CannotCreate, path};
            if (made != nullptr) made->push_back(path);
        }
        switch (KindOf(path)) {
            case Kind::Folder:
                break;
            case Kind::Link:
                return {PathState::Refused, path};
            default:
                return {PathState::NotAFolder, path};
        }
        folder = path + "/";
    }
    return {PathState::Found, folder};
}

}  // namespace

PlacedPath PlaceFile(const std::string& root, const std::vector<std::string>& parts, bool createFolders,
                     std::vector<std::string>* made) {
    if (parts.empty()) return {PathState::Refused, root};
    PlacedPath folder = WalkFolders(root, parts, parts.size() - 1, createFolders, made);
    if (folder.state != PathState::Found) return folder;
    const std::string match = MatchInFolder(folder.path, parts.back());
    const std::string path = folder.path + (match.empty() ? parts.back() : match);
    switch (KindOf(path)) {
        case Kind::None:
            return {PathState::Missing, path};
        case Kind::File:
            return {PathState::Found, path};
        default:
            return {PathState::Refused, path};
    }
}

bool DeleteListedFile(const std::string& root, const std::string& name) {
    auto parts = EntryComponents(name);
    if (!parts) return true;
    PlacedPath file = PlaceFile(root, *parts, false);
    return file.state != PathState::Found || unlink(file.path.c_str()) == 0 || errno == ENOENT;
}

std::vector<std::string> RemoveListedFolders(const std::string& root, const std::vector<std::string>& names) {
    // Each folder once, by its components; deepest first so that a parent is tried after its
    // children have gone.
    std::set<std::vector<std::string>> folders;
    for (const std::string& name : names) {
        auto parts = EntryComponents(name);
        if (!parts) continue;
        for (size_t depth = 1; depth < parts->size(); ++depth) {
            folders.insert(std::vector<std::string>(parts->begin(), parts->begin() + depth));
        }
    }
    std::vector<std::vector<std::string>> ordered(folders.begin(), folders.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::vector<std::string> stays;
    for (const auto& parts : ordered) {
        PlacedPath folder = WalkFolders(root, parts, parts.size(), false, nullptr);
        if (folder.state != PathState::Found) continue;
        // Only an empty folder goes; one that holds files stays, as it should.
        if (rmdir(folder.path.substr(0, folder.path.size() - 1).c_str()) == 0 || errno == ENOTEMPTY ||
            errno == EEXIST || errno == ENOENT)
            continue;
        stays.push_back(folder.path.substr(root.size()));
    }
    return stays;
}
