// Small text files the platform layer writes for the setup tools (install record, menu entries):
// replaced whole or not at all.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// Creates the folders of path's parent as needed, writes bytes to a fresh file beside path,
// syncs it, gives it mode and renames it over path (a link at path is replaced, not followed).
// False on any failure, with path unchanged.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode);
