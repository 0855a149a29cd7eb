// Writes the release folder, the folder a user runs setup in, from the built programs:
//     make_release DIR PROGRAMS
// PROGRAMS is the folder holding the built "setup", "uninstall", "Tonvik" and "Vondrel".
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/exceptions.h"
#include "tools/release_folder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR PROGRAMS\n", argv[0]);
        return 2;
    }
    std::error_code error;
    const std::filesystem::path programs = std::filesystem::absolute(argv[2], error);
    std::filesystem::create_directories(argv[1], error);
    // The content builders leave and remove scratch files in the working folder.
    if (!error) std::filesystem::current_path(argv[1], error);
    if (error) {
        std::fprintf(stderr, "make_release: cannot enter %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    try {
        WriteReleaseFolder(".", programs.string());
    } catch (const DExep& e) {
        std::fprintf(stderr, "make_release: %s\n", e.message.Text());
        return 1;
    }
    return 0;
}
