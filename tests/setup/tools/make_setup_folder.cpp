// Writes a setup folder ("data.fd", "Language.lng", "License.txt") for running the installer on it:
//     make_setup_folder DIR [demo]
// With "demo" the game it installs is the demo game.
#include <cstdio>
#include <string>

#include "foundation/exceptions.h"
#include "tests/support/setup_folder.h"
#include "tools/content/demo_content.h"

int main(int argc, char** argv) {
    const bool demo = argc == 3 && std::string(argv[2]) == "demo";
    if (argc != 2 && !demo) {
        std::fprintf(stderr, "usage: %s DIR [demo]\n", argv[0]);
        return 2;
    }
    try {
        SetupFolderOptions options;
        if (demo) {
            std::vector<FdEntry> game = DemoArchiveEntries();
            game.push_back({"uninstall.mes", UninstallMessageFile()});
            FdWriter archive;
            archive.Group(game);
            options.gameArchive = archive.Build();
        }
        WriteSetupFolder(argv[1], options);
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_setup_folder: %s\n", e.message.Text());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_setup_folder: %s\n", e.what());
        return 1;
    }
    return 0;
}
