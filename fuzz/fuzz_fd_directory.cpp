// Archive over arbitrary file content: the directory is read, then a few entries are looked up,
// opened (packed ones unpacked) and read. Damaged input must end in an engine error.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "fuzz/memory_file.h"

namespace {

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
