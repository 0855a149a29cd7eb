// The uninstaller: finds the install through its record, asks in the language of the install's
// "Language.LCFG" (texts of "uninstall.mes" in its "main.fd"), then deletes the menu entries,
// every listed file, emptied sub-folders, the game's own files, the list, "main.fd", the
// uninstaller and last the record. The install folder itself stays, with "Language.LCFG" and the
// player's files. It is the working folder while the uninstaller works in it; the old one is
// restored after.
#pragma once

#include <optional>
#include <string>

class Desktop;
class InstallStore;
class SetupUi;

struct UninstallServices {
    SetupUi& ui;
    InstallStore& store;
    Desktop& desktop;
    std::string homeFolder;  // never taken for an install folder
};

// The exit status: 0 after an uninstall; 1 when the user did not answer yes, nothing is installed,
// the recorded folder is refused, an engine error stopped it, the list cannot be read, or anything
// of the install that is there could not be deleted (the record then stays, with what is left, for
// another run, unless nothing is left that another run could find: the uninstaller or the record
// itself).
int RunUninstall(UninstallServices& services);

// The recorded folder when it can be uninstalled, ending with '/': an absolute path to an existing
// folder that is neither "/" nor the home folder (links resolved) and holds "uninst.lst" or
// "main.fd". Nothing otherwise.
std::optional<std::string> CheckedInstallFolder(const std::string& recorded, const std::string& homeFolder);
