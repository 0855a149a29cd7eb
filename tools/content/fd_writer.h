// Builds FD archives as bytes: a directory block ("SM" or "SC") holding groups of "FDN", "FDO",
// "FDS" and "FDB" sub-blocks, entries optionally SEPK-packed. The sub-block builders let tests put
// together damaged directories.
#pragma once

#include <string>
#include <vector>

// SEPK header and LZW code stream of plain.
std::string SepkPacked(const std::string& plain);

struct FdEntry {
    std::string name;
    std::string data;
    bool packed = false;
};

struct FdWriter {
    std::vector<std::vector<FdEntry>> groups;
    char layout = 'M';  // 'M' for "SM", 'C' for "SC"

    FdWriter& Group(std::vector<FdEntry> entries);
    // The four sub-blocks of one group, in the order FDN, FDO, FDS, FDB.
    static std::vector<std::string> GroupBlocks(const std::vector<FdEntry>& entries);
    // The whole archive file.
    std::string Build() const;

    // Sub-block builders: names (each with its NUL), u32 lists, the data block.
    static std::string NamesBlock(const std::vector<std::string>& names);
    static std::string U32Block(const std::string& tag, const std::vector<uint32_t>& values);
    static std::string DataBlockBytes(const std::string& data);
    // A directory block of the layout holding the given sub-blocks.
    static std::string Directory(char layout, const std::vector<std::string>& subBlocks);
};
