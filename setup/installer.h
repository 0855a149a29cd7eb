// The installer: language, licence and folder, then the archive "data.fd" of the working folder
// extracted on a worker while a progress bar moves, the install recorded, the menu entries made and
// the language written into the install folder's "Language.LCFG".
#pragma once

#include <cstdint>
#include <string>

#include "foundation/engine_string.h"
#include "setup/install_job.h"

class Desktop;
class InstallStore;
class SetupUi;

struct SetupServices {
    SetupUi& ui;
    InstallStore& store;
    Desktop& desktop;
    std::string defaultFolder;  // offered for the install, "<data home>/Vondrel"
    WorkerHook afterEntry{};    // handed to the worker (tests)
    std::string homeFolder{};   // never taken for an install folder
};

// The exit status: 0 after a completed install, recorded so that its uninstaller can remove it; 1
// when the game was not installed: a question refused or left without an answer, an unknown
// language asked for, an install standing in another folder, the user's files of the game's names
// in the folder and no yes to replace them, the install cancelled or interrupted, or an error (the
// record or "Language.LCFG" that cannot be written among them). What it wrote is then deleted.
int RunSetup(SetupServices& services);

// The install folder for a typed path, ending with '/', with every missing folder along it made,
// outermost first. A path that is not absolute (or holds a control character) throws WarnExep
// notAbsolute; a folder that cannot be made, or a file in its place, throws FatalExep
// cannotCreate + its path (the folders made before it stay).
String PrepareInstallFolder(const std::string& typed, const String& notAbsolute, const String& cannotCreate);
