// Archive over arbitrary file content: the directory is read, then a few entries are looked up,
// opened (packed ones unpacked) and read. Damaged input must end in an engine error.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"

namespace {

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("fuzz", 0)) {
        if (fd_ < 0) return;
        for (size_t done = 0; done < size;) {
            ssize_t n = write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    String Path() const { return String(("/proc/self/fd/" + std::to_string(fd_)).c_str()); }

private:
    int fd_;
};

// Reads an entry through an entry reader, at most 1 MiB of it.
void ReadEntry(FD::File& archive, const String& name) {
    EntryBlockReader reader(&archive);
    reader.Open(name);
    uint8_t buffer[4096];
    uint32_t total = 0;
    while (total < (1u << 20)) {
        uint32_t n = reader.Read(buffer, sizeof buffer);
        if (n == 0) break;
        total += n;
    }
    reader.Seek(0, 0);
    reader.Read(buffer, 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    try {
        reader.Open(file.Path());
        // Entries only: loose files in the working folder stay out of it.
        FD::File archive(&reader, 2, 10);
        const uint32_t count = std::min(archive.EntryCount(), 3u);
        for (uint32_t i = 0; i < count; ++i) {
            String name(archive.EntryAt(i).name);
            if (archive.FindEntry(name) == nullptr) __builtin_trap();  // every entry must be found
            try {
                ReadEntry(archive, name);
            } catch (const DExep&) {
            }
            int handle = archive.Open(name);
            uint8_t buffer[32];
            archive.Seek(handle, -4, 2);
            archive.Read(handle, buffer, sizeof buffer);
            archive.Close(handle);
        }
        try {
            archive.Open("Misc\\Default.col");
        } catch (const DExep&) {
        }
    } catch (const DExep&) {
    }
    return 0;
}
