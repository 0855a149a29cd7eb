#include "tests/support/test_archive.h"

TestArchive::TestArchive(const std::vector<FdEntry>& entries) {
    FdWriter writer;
    // An archive needs one group even when it has no entries.
    writer.Group(entries);
    const auto path = dir_.Write("test.FD", writer.Build());
    reader_.Open(String(path.string().c_str()));
    archive_ = std::make_unique<FD::File>(&reader_, 2);
}
