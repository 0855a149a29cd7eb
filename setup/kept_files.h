// While setup replaces a file that is there (an earlier install's, or the user's after a yes), the
// file is kept beside it, renamed, until the install is recorded: a setup that does not finish puts
// it back, and one that finishes deletes it. The kept name holds a ':', which no archive entry or
// install-list line may hold, so it never meets a file of the game. A setup killed on the way
// leaves its kept files; the next setup or uninstall puts them back before anything else.
#pragma once

#include <string>
#include <vector>

// Where the file at path is kept while it is replaced: beside it, in the same folder.
std::string KeptPath(const std::string& path);

// Renames the file at path to its kept path, never over something already there. False (errno
// set) when it could not.
bool KeepAside(const std::string& path);

// Renames the kept file back over path. False when there is a kept file that could not be put back.
bool PutBack(const std::string& path);

// root ends with '/' (or is "" for the working folder); names are archive entry names or
// install-list lines. Puts back each kept file of these names that is there (a name is matched as
// the extraction matches it); returns the kept files that could not be, as paths below root.
std::vector<std::string> PutBackKeptFiles(const std::string& root, const std::vector<std::string>& names);
