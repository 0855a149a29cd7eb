// Writes a setup folder ("data.fd", "Language.lng", "License.txt") for running the installer on it:
//     make_setup_folder DIR
#include <cstdio>

#include "tests/support/setup_folder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    try {
        WriteSetupFolder(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_setup_folder: %s\n", e.what());
        return 1;
    }
    return 0;
}
