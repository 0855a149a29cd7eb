// Names of files on disk. Content names use backslashes and ignore letter case; on disk each
// component is matched without case, relative to the game folder (the working folder). A name with
// a ".." component (from a script, a file or the player) could reach files outside the game: it
// is never found and cannot be created.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The path of an existing regular file for name, or nothing. '\' and '/' both separate components;
// each component matches its exact spelling first, else the first entry (by sorted name) that
// equals it without regard to ASCII case.
std::optional<std::string> FindDiskFile(std::string_view name);

// True when name resolves as above to an existing folder (so it is there, but no file).
bool IsDiskFolder(std::string_view name);

// The path to create name at: existing folders are matched as above, an existing file of the same
// name without case is replaced, otherwise the last component is kept as given. Empty for a name
// that would leave the game folder.
std::string DiskPathForCreate(std::string_view name);

// The name of folder's entry called component: itself when it exists (a link is not followed),
// else the first entry (by sorted name) that equals it without regard to ASCII case; empty when
// none. An empty folder means the working folder.
std::string MatchInFolder(const std::string& folder, const std::string& component);
