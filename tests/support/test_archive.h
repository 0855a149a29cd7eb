// An FD archive written to a temporary folder and opened, for code that reads through the archive.
// Entries only (search mode 2), so files in the working folder never stand in for them.
#pragma once

#include <memory>
#include <vector>

#include "foundation/block_reader.h"
#include "foundation/fd_file.h"
#include "tests/support/temp_dir.h"
#include "tools/content/fd_writer.h"

class TestArchive {
  public:
    explicit TestArchive(const std::vector<FdEntry>& entries);
    FD::File* File() { return archive_.get(); }

  private:
    TempDir dir_;
    FileBlockReader reader_;
    std::unique_ptr<FD::File> archive_;
};
