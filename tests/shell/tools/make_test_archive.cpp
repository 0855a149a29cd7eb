// Writes the test "main.FD" into a folder, for running the real program on it up to its main screen:
//     make_test_archive DIR
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/main_screen_content.h"
#include "tests/support/startup_archive.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    StartupArchiveOptions options;
    options.extra = MainScreenArchiveEntries();
    options.omit = MainScreenArchiveReplaced();
    const std::string bytes = StartupArchive(options);
    std::ofstream out(folder / "main.FD", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_test_archive: cannot write %s\n", (folder / "main.FD").string().c_str());
        return 1;
    }
    return 0;
}
