// An FD archive in memory holding given entries, for readers that take their files from the
// archive by name (settings, substitution lists, class libraries).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/fd_file.h"
#include "fuzz/memory_file.h"
#include "tools/content/fd_writer.h"

class MemoryArchive {
  public:
    explicit MemoryArchive(std::vector<FdEntry> entries) : file_(Build(std::move(entries))) {
        reader_.Open(file_.Path());
        archive_ = std::make_unique<FD::File>(&reader_, 2, 10);
    }
    FD::File& File() { return *archive_; }

  private:
    static std::string Build(std::vector<FdEntry> entries) {
        FdWriter writer;
        writer.Group(std::move(entries));
        return writer.Build();
    }

    MemoryFile file_;
    FileBlockReader reader_;
    std::unique_ptr<FD::File> archive_;
};

// The fuzz input as text.
inline std::string InputBytes(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
