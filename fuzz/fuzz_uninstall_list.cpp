// "uninst.lst" over arbitrary content, deleted as the uninstaller does, in a folder of our own: an
// install folder with a few files, a link out of it, and a file and folder outside it that no list
// may remove.

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "setup/entry_name.h"
#include "setup/install_folder.h"
#include "setup/install_list.h"

namespace {

char g_folder[] = "/tmp/fuzz_uninstall_list.XXXXXX";
std::string g_game;
std::string g_outside;

void RemoveFolder() {
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
}

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

// The install as the installer leaves it: files in the folder and a sub-folder, and a link that a
// hostile list might try to follow.
void MakeInstall() {
    std::filesystem::create_directories(g_game + "Misc/Sub");
    Touch(g_game + "a.txt");
    Touch(g_game + "Misc/b.dat");
    Touch(g_game + "Misc/Sub/c.dat");
    std::error_code ec;
    std::filesystem::create_directory_symlink(g_outside, g_game + "Link", ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (mkdtemp(g_folder) == nullptr) std::abort();
    std::atexit(RemoveFolder);
    g_game = std::string(g_folder) + "/game/";
    g_outside = std::string(g_folder) + "/outside";
    std::filesystem::create_directories(g_outside + "/Misc");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Touch(g_outside + "/a.txt");
    Touch(g_outside + "/Misc/b.dat");
    MakeInstall();
    const auto lines = InstallListLines(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos) __builtin_trap();
        DeleteListedFile(g_game, line);
    }
    RemoveListedFolders(g_game, lines);
    struct stat st;
    if (stat((g_outside + "/a.txt").c_str(), &st) != 0) __builtin_trap();
    if (stat((g_outside + "/Misc/b.dat").c_str(), &st) != 0) __builtin_trap();
    if (stat(g_game.c_str(), &st) != 0) __builtin_trap();
    return 0;
}
