#include "tests/support/read_bytes.h"

#include "tests/support/temp_dir.h"

void ReadFromBytes(const std::string& bytes, const std::function<void(BlockReader&)>& read,
                   const std::string& name) {
    TempDir dir;
    const auto path = dir.Write(name, bytes);
    FileBlockReader reader;
    reader.Open(String(path.c_str()));
    read(reader);
}
