#include "tools/content/fd_writer.h"

#include <cstdint>

#include "foundation/sepk_lzw.h"
#include "tools/content/block_writer.h"
#include "tools/content/memory_bytes.h"

std::string SepkPacked(const std::string& plain) {
    MemoryByteSink sink;
    LzwPacker packer(sink);
    packer.Write(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
    packer.Finish();
    SepkHeader header;
    header.codeStreamSize = packer.CodeStreamBytes();
    header.unpackedSize = packer.InputBytes();
    uint8_t bytes[kSepkHeaderSize];
    WriteSepkHeader(bytes, header);
    std::string out(reinterpret_cast<const char*>(bytes), sizeof bytes);
    out.append(reinterpret_cast<const char*>(sink.Bytes().data()), sink.Bytes().size());
    return out;
}

FdWriter& FdWriter::Group(std::vector<FdEntry> entries) {
    groups.push_back(std::move(entries));
    return *this;
}

std::string FdWriter::NamesBlock(const std::vector<std::string>& names) {
    std::string payload;
    for (const auto& n : names) payload += n + std::string(1, '\0');
    return SEBlock("FDN", payload);
}

std::string FdWriter::U32Block(const std::string& tag, const std::vector<uint32_t>& values) {
    std::string payload;
    for (uint32_t v : values) payload += LeU32(v);
    return SEBlock(tag, payload);
}

std::string FdWriter::DataBlockBytes(const std::string& data) {
    return SEBlock("FDB", data);
}

std::vector<std::string> FdWriter::GroupBlocks(const std::vector<FdEntry>& entries) {
    std::vector<std::string> names;
    std::vector<uint32_t> offsets, sizes;
    std::string data;
    for (const auto& e : entries) {
        std::string stored = e.packed ? SepkPacked(e.data) : e.data;
        names.push_back(e.name);
        offsets.push_back(static_cast<uint32_t>(data.size()));
        sizes.push_back(static_cast<uint32_t>(stored.size()));
        data += stored;
    }
    return {NamesBlock(names), U32Block("FDO", offsets), U32Block("FDS", sizes), DataBlockBytes(data)};
}

std::string FdWriter::Directory(char layout, const std::vector<std::string>& subBlocks) {
    BlockWriter b;
    b.tag = "FD";
    b.subBlocks = subBlocks;
    if (layout == 'C') {
        b.headerFields = std::string(4, '\0');  // the 14-byte directory header
        return b.SC();
    }
    return b.SM();
}

std::string FdWriter::Build() const {
    std::vector<std::string> blocks;
    for (const auto& g : groups) {
        for (auto& b : GroupBlocks(g)) blocks.push_back(std::move(b));
    }
    return Directory(layout, blocks);
}
