// Names of installed files as the archive and "uninst.lst" store them: relative, backslash-separated
// ("Misc\Colors.dpf"). Every name from either source is checked before it touches the disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The components of a name that stays inside the install folder; nothing for a name that is empty,
// absolute, has a drive part (any ':'), an empty, "." or ".." component, or a control character
// (a line end would split the install list).
std::optional<std::vector<std::string>> EntryComponents(std::string_view name);
