// A setup folder built in code: "data.fd" with the game's files, "setup.mes", "Language.lng", the
// documents and a "main.fd" holding "uninstall.mes"; beside it "Language.lng" and the licence text.
// Texts exist in language 1 (English) and 2 (Deutsch).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

struct SetupFolderOptions {
    std::vector<FdEntry> extra{};     // further archive entries
    std::vector<std::string> omit{};  // archive entries left out
    std::string license = "Licence text\nline 2\n";
    std::string languages = "1 English\n2 Deutsch\n";
    std::string gameArchive{};  // the "main.fd" to install; a small one holding "uninstall.mes" when empty
    // "setup.mes" and the small "main.fd"'s "uninstall.mes"; the numbered texts below when empty.
    std::string setupMessages{};
    std::string uninstallMessages{};
};

// "setup.mes" and "uninstall.mes": every number the tools use, the text naming its number and
// language ("setup 7 en").
std::string SetupMessageFile();
std::string UninstallMessageFile();
// The game archive's entries (the nested "main.fd" included), in the order given to the writer.
std::vector<FdEntry> SetupArchiveEntries(const SetupFolderOptions& options = {});
// Writes "data.fd", "Language.lng" and "License.txt" into folder (made when missing).
void WriteSetupFolder(const std::filesystem::path& folder, const SetupFolderOptions& options = {});
