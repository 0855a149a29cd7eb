// The fuzz input as a file without a name on disk, so that readers that open files by name can be
// fed from memory and nothing is left behind. Readers take only names inside the game folder, so
// each fuzz process works in a folder of its own (where logs also go) holding "input", a link to
// the process's descriptors: the input is then "input/<descriptor>".
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/engine_string.h"
#include "foundation/exceptions.h"

// Enters the process's fuzz folder on first use; it is removed at a normal exit.
inline void EnterFuzzFolder() {
    static char folder[] = "/tmp/vondrel_fuzz.XXXXXX";
    static const bool entered = [] {
        if (mkdtemp(folder) == nullptr || chdir(folder) != 0 || symlink("/proc/self/fd", "input") != 0)
            std::abort();
        // libFuzzer writes crash files into the working folder; a crash leaves the folder behind.
        std::fprintf(stderr, "INFO: working folder %s\n", folder);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return true;
    }();
    (void)entered;
}

class MemoryFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) : fd_((EnterFuzzFolder(), memfd_create("fuzz", 0))) {
        for (size_t done = 0; fd_ >= 0 && done < size;) {
            ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
    }
    explicit MemoryFile(const std::string& bytes)
        : MemoryFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool Valid() const { return fd_ >= 0; }
    String Path() const { return String(("input/" + std::to_string(fd_)).c_str()); }

  private:
    int fd_;
};

// Opens the file in reader; false when the reader refuses it (an engine error).
inline bool OpenInReader(const MemoryFile& file, FileBlockReader& reader) {
    try {
        reader.Open(file.Path());
    } catch (const DExep&) {
        return false;
    }
    return true;
}

// Reads Blocks from the input until its end, handing each to use. Reading on, even asking for the
// end, unpacks, so a damaged stream may fail at any step: an engine error ends the reading.
template <class Block, class Use>
void ReadEachBlock(const uint8_t* data, size_t size, Use use) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return;
    try {
        while (!reader.AtEnd()) {
            auto block = std::make_unique<Block>();
            reader >> *block;
            use(*block);
        }
    } catch (const DExep&) {
    }
}
