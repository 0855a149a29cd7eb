// The installer: language, licence and folder, then the archive "data.fd" of the working folder
// extracted on a worker while a progress bar moves, the install recorded, the menu entries made and
// the language written into the install folder's "Language.LCFG".
#pragma once

#include <string>

#include "foundation/engine_string.h"
#include "setup/extraction.h"

class Desktop;
class InstallStore;
class SetupUi;

struct SetupServices {
    SetupUi& ui;
    InstallStore& store;
    Desktop& desktop;
    std::string defaultFolder;  // offered for the install, "<data home>/Vondrel"
    EntryHook afterEntry{};     // handed to the worker (tests)
};

// The exit status: 0 after a completed install, a refused licence or a cancel; 1 when the install
// failed or could not start.
int RunSetup(SetupServices& services);

// The install folder for a typed path, ending with '/', with every missing folder along it made.
// A path that is not absolute (or holds a control character) throws WarnExep notAbsolute; a
// folder that cannot be made, or a file in its place, throws FatalExep cannotCreate + its path.
String PrepareInstallFolder(const std::string& typed, const String& notAbsolute, const String& cannotCreate);
