#include "setup/kept_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <set>

#include "setup/entry_name.h"
#include "setup/install_folder.h"

namespace {

const char* const kKeptSuffix = ":setup-kept";

}  // namespace

std::string KeptPath(const std::string& path) {
    return path + kKeptSuffix;
}

bool KeepAside(const std::string& path) {
    const std::string kept = KeptPath(path);
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: the check and the rename are apart, but only setup writes here.
    struct stat st;
    if (lstat(kept.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(path.c_str(), kept.c_str()) == 0;
}

bool PutBack(const std::string& path) {
    const std::string kept = KeptPath(path);
    return rename(kept.c_str(), path.c_str()) == 0 || errno == ENOENT;
}

std::vector<std::string> PutBackKeptFiles(const std::string& root, const std::vector<std::string>& names) {
    std::set<std::string> seen;
    std::vector<std::string> stays;
    for (const std::string& name : names) {
        auto parts = EntryComponents(name);
        if (!parts) continue;
        parts->back() += kKeptSuffix;
        const PlacedPath kept = PlaceFile(root, *parts, false);
        if (kept.state != PathState::Found || !seen.insert(kept.path).second) continue;
        const std::string path = kept.path.substr(0, kept.path.size() - std::string(kKeptSuffix).size());
        if (!PutBack(path)) stays.push_back(kept.path.substr(root.size()));
    }
    return stays;
}
