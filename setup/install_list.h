// Reading "uninst.lst", the list of installed files the installer appends to: one archive entry
// name a line, "\n" after each.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The lines of a list, each whole, without its "\n" or one "\r" before it; an empty last line is
// not one. Lines are not checked here: every use checks the name (EntryComponents).
std::vector<std::string> InstallListLines(std::string_view content);

// The lines of folder's "uninst.lst" (folder ends with '/'); none when it is missing. Nothing when
// it is there and cannot be read whole as a list: it cannot be opened or read, is a link or
// something other than a file, or is too large to be a list.
std::optional<std::vector<std::string>> ReadInstallList(const std::string& folder);
