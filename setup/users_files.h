// Files of the game's names that the user made: an install would replace them and its uninstaller
// delete them, so the installer asks first. Files an earlier install listed in the folder's
// "uninst.lst" are the game's own.
#pragma once

#include <string>
#include <vector>

// folder ends with '/'; names are archive entry names. The files of those names (matched as the
// extraction matches them) that are in the folder and that its install list does not name, each
// as its path below the folder, in the order of names.
std::vector<std::string> UsersFilesInTheWay(const std::string& folder, const std::vector<std::string>& names);
