// Writes the demo game's "main.FD" and the files beside it into a folder (made when missing), for playing and
// for the end-to-end runs:
//     make_demo_archive DIR
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "tools/content/demo_content.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::current_path(folder, error);
    if (error) {
        std::fprintf(stderr, "make_demo_archive: cannot enter %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    try {
        std::vector<FdEntry> files = DemoLooseFiles();
        files.push_back({"main.FD", DemoArchive()});
        // The player's own files stay as the games left them.
        for (FdEntry& file : DemoPlayerFiles())
            if (!std::filesystem::exists(file.name)) files.push_back(std::move(file));
        for (const FdEntry& file : files) {
            std::string path = file.name;
            std::replace(path.begin(), path.end(), '\\', '/');
            const std::filesystem::path parent = std::filesystem::path(path).parent_path();
            if (!parent.empty()) std::filesystem::create_directories(parent, error);
            FW fw;
            fw.Create(String(path.c_str()));
            fw.Write(file.data.data(), static_cast<uint32_t>(file.data.size()));
            fw.Close();
        }
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_demo_archive: %s\n", e.message.Text());
        return 1;
    }
    return 0;
}
