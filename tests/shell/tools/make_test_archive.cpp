// Writes the test "main.FD" into a folder, for running the real program on it up to its main screen:
//     make_test_archive DIR [test-run]
// With "test-run" the folder also holds what the test levels of start modes 'f' and 'e' read.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/main_screen_content.h"
#include "tests/support/test_run_folder.h"
#include "tools/content/startup_archive.h"

int main(int argc, char** argv) {
    const bool testRun = argc == 3 && std::string(argv[2]) == "test-run";
    if (argc != 2 && !testRun) {
        std::fprintf(stderr, "usage: %s DIR [test-run]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    StartupArchiveOptions options;
    options.extra = MainScreenArchiveEntries();
    if (testRun) {
        const std::vector<FdEntry> more = TestRunEntries();
        options.extra.insert(options.extra.end(), more.begin(), more.end());
    }
    options.omit = MainScreenArchiveReplaced();
    const std::string bytes = StartupArchive(options);
    std::ofstream out(folder / "main.FD", std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || (testRun && !WriteTestRunFiles(folder))) {
        std::fprintf(stderr, "make_test_archive: cannot write into %s\n", folder.string().c_str());
        return 1;
    }
    return 0;
}
