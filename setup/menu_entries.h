// The desktop menu entries of an install: the game, its documents, the language selector and the
// uninstaller, under fixed file names; their shown names come from the message file.
#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"

class SetupTexts;

// Every file name the installer may create, for the uninstaller.
const std::vector<std::string>& MenuEntryFileNames();

// folder: the install folder, ending with '/'. A name the messages lack is a built-in one; a
// document the messages do not name, or whose name does not stay inside the folder, gets no entry.
// Only the message file's own errors (it cannot be read) pass.
std::vector<DesktopEntry> MenuEntries(const std::string& folder, SetupTexts& texts);
