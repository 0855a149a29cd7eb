// Files and folders below an install folder, reached without following links: a link planted in
// the folder (or a file where a folder should be) makes a name refused, never a way out.
#pragma once

#include <string>
#include <vector>

// What a name meets on disk. The path of a PlacedPath names the file found, where a missing one
// would be, or what stands in the way or could not be made.
enum class PathState {
    Found,         // a regular file (or, for folders, a folder) of that name exists
    Missing,       // nothing of that name
    Refused,       // a link stands on the way, or something other than a file where a file goes
    NotAFolder,    // something other than a folder or a link stands where a folder goes
    CannotCreate,  // a missing folder could not be made
};

struct PlacedPath {
    PathState state;
    std::string path;
};

// Root is an existing folder path ending with '/', or "" for the working folder. Each folder
// component is matched as the disk name rules do (exact, else without case); with createFolders,
// missing folders are made, and each one made is added to made (when given), outermost first. The
// last component must be a regular file when it exists.
PlacedPath PlaceFile(const std::string& root, const std::vector<std::string>& parts, bool createFolders,
                     std::vector<std::string>* made = nullptr);

// Deletes the file that name (an install-list line) stands for. False only when that file is there
// and could not be deleted: a refused name, or a file already gone, is nothing to delete.
bool DeleteListedFile(const std::string& root, const std::string& name);

// Removes the folders that hold the named files below root, deepest first, each only when it is
// empty; root itself stays. Folders reached through links are left alone. Returns the folders that
// are empty and still could not be removed, each as its path below root ending with '/'.
std::vector<std::string> RemoveListedFolders(const std::string& root, const std::vector<std::string>& names);
