#include "tests/support/setup_folder.h"

#include <algorithm>
#include <fstream>

namespace {

std::string Messages(const char* file, const std::vector<int>& numbers) {
    std::string text;
    for (const char* language : {"en", "de"}) {
        text += std::string("Language ") + (language[0] == 'e' ? "1" : "2") + "\n";
        for (int n : numbers)
            text += std::to_string(n) + " " + file + " " + std::to_string(n) + " " + language + "@\n";
    }
    return text;
}

// Documents the messages name, with their archive names.
std::string SetupMessages() {
    std::string text = Messages(
        "setup", {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23, 24, 25, 26, 29});
    text += "Language 1\n20 WhatsNew.txt@\n21 ReadMe.txt@\n22 License.txt@\n27 Docs\\License.txt@\n";
    return text;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::string SetupMessageFile() {
    return SetupMessages();
}

std::string UninstallMessageFile() {
    return Messages("uninstall", {1, 5, 7, 8, 9, 10, 22, 28, 29, 30, 31, 32, 34});
}

std::vector<FdEntry> SetupArchiveEntries(const SetupFolderOptions& options) {
    FdWriter game;
    const std::string uninstallMessages =
        options.uninstallMessages.empty() ? UninstallMessageFile() : options.uninstallMessages;
    game.Group({{"uninstall.mes", uninstallMessages}, {"Misc\\Colors.dpf", "colours"}});
    std::vector<FdEntry> entries = {
        {"Vondrel", "#!/bin/sh\nexit 0\n"},
        {"Tonvik", "#!/bin/sh\nexit 0\n"},
        {"uninstall", "#!/bin/sh\nexit 0\n"},
        {"main.fd", options.gameArchive.empty() ? game.Build() : options.gameArchive},
        {"setup.mes", options.setupMessages.empty() ? SetupMessages() : options.setupMessages},
        {"Language.lng", options.languages},
        {"ReadMe.txt", "read me"},
        {"WhatsNew.txt", "new", true},
        {"Docs\\License.txt", options.license},
        {"Misc\\Sub\\File.dat", std::string(3000, 'x'), true},
    };
    std::erase_if(entries, [&](const FdEntry& e) {
        return std::find(options.omit.begin(), options.omit.end(), e.name) != options.omit.end();
    });
    entries.insert(entries.end(), options.extra.begin(), options.extra.end());
    return entries;
}

void WriteSetupFolder(const std::filesystem::path& folder, const SetupFolderOptions& options) {
    std::filesystem::create_directories(folder);
    FdWriter archive;
    archive.Group(SetupArchiveEntries(options));
    WriteFile(folder / "data.fd", archive.Build());
    WriteFile(folder / "Language.lng", options.languages);
    WriteFile(folder / "License.txt", options.license);
}
