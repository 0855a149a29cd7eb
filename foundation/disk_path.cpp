#include "foundation/disk_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::vector<std::string> SplitComponents(std::string_view name) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : name) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

std::string Join(const std::string& folder, const std::string& component) {
    if (folder.empty()) return component;
    if (folder.back() == '/') return folder + component;
    return folder + "/" + component;
}

}  // namespace

std::string MatchInFolder(const std::string& folder, const std::string& component) {
    std::string exact = Join(folder, component);
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) return component;
    if (component == "." || component == "..") return {};
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return {};
    std::vector<std::string> matches;
    while (dirent* entry = readdir(dir)) {
        if (EqualNoCase(entry->d_name, component)) matches.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (matches.empty()) return {};
    std::sort(matches.begin(), matches.end());
    return matches.front();
}

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A name that starts at a root or a drive ("/etc", "\\etc", "C:x") or has a ".." component could
// reach outside the game folder.
bool LeavesGameFolder(std::string_view name, const std::vector<std::string>& parts) {
    if (!name.empty() && (name.front() == '/' || name.front() == '\\')) return true;
    const bool driveLetter = name.size() >= 2 && name[1] == ':' &&
                             ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return driveLetter || std::find(parts.begin(), parts.end(), "..") != parts.end();
}

// Resolves every component but the last; false when a folder is missing or the name would leave
// the game folder.
bool ResolveFolders(std::string_view name, std::string& folder, std::string& last) {
    std::vector<std::string> parts = SplitComponents(name);
    if (parts.empty() || LeavesGameFolder(name, parts)) return false;
    folder.clear();
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        std::string match = MatchInFolder(folder, parts[i]);
        if (match.empty()) return false;
        folder = Join(folder, match);
        if (!IsFolder(folder)) return false;
    }
    last = parts.back();
    return true;
}

}  // namespace

std::optional<std::string> FindDiskFile(std::string_view name) {
    std::string folder, last;
    if (!ResolveFolders(name, folder, last)) return std::nullopt;
    std::string match = MatchInFolder(folder, last);
    if (match.empty()) return std::nullopt;
    std::string path = Join(folder, match);
    if (!IsRegularFile(path)) return std::nullopt;
    return path;
}

bool IsDiskFolder(std::string_view name) {
    std::string folder, last;
    if (!ResolveFolders(name, folder, last)) return false;
    std::string match = MatchInFolder(folder, last);
    return !match.empty() && IsFolder(Join(folder, match));
}

std::string DiskPathForCreate(std::string_view name) {
    std::string folder, last;
    if (LeavesGameFolder(name, SplitComponents(name))) return {};
    if (!ResolveFolders(name, folder, last)) {
        // A missing folder: creating there fails, with the name as given.
        std::string plain(name);
        std::replace(plain.begin(), plain.end(), '\\', '/');
        return plain;
    }
    std::string match = MatchInFolder(folder, last);
    return Join(folder, match.empty() ? last : match);
}
