// Names of installed files as the archive and "uninst.lst" store them: relative, backslash-separated
// ("Misc\Colors.dpf"). Every name from either source is checked before it touches the disk.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// True when text holds a byte below 0x20 or DEL: such a byte would break a line of the install
// list or of the install record.
bool HasControlCharacter(std::string_view text);

// The components of a name that stays inside the install folder; nothing for a name that is empty,
// absolute, has a drive part (any ':'), an empty, "." or ".." component, or a control character
// (a line end would split the install list).
std::optional<std::vector<std::string>> EntryComponents(std::string_view name);
