#include "tools/content/block_writer.h"

std::string LeU16(uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string LeU32(uint32_t value) {
    return LeU16(static_cast<uint16_t>(value)) + LeU16(static_cast<uint16_t>(value >> 16));
}

std::string BlockTag(const std::string& tag) {
    std::string t = tag.substr(0, 4);
    t.resize(4, '\0');
    return t;
}

std::string BlockWriter::Header() const {
    auto size = static_cast<uint16_t>(10 + headerFields.size());
    return BlockTag(tag) + LeU16(storedHeaderSize.value_or(size)) +
           LeU32(storedPayloadSize.value_or(static_cast<uint32_t>(payload.size()))) + headerFields;
}

std::string BlockWriter::SE() const {
    return "SE" + Header() + payload;
}

namespace {

std::string Joined(const std::vector<std::string>& parts) {
    std::string all;
    for (const auto& p : parts) all += p;
    return all;
}

// Extra prefix bytes so that the prefix reaches its stated length.
std::string Fill(const std::string& fill, size_t wanted) {
    std::string f = fill;
    f.resize(wanted, '\0');
    return f;
}

}  // namespace

std::string BlockWriter::SC() const {
    uint16_t p = prefix != 0 ? prefix : 6;
    std::string rest = Fill(prefixFill, p >= 6 ? p - 6u : 0u) + Header() + payload + Joined(subBlocks);
    uint32_t size = static_cast<uint32_t>(2 + 4 + 2 + rest.size());
    return "SC" + LeU16(p) + LeU32(storedBlockSize.value_or(size)) +
           LeU16(storedCount.value_or(static_cast<uint16_t>(subBlocks.size()))) + rest;
}

std::string BlockWriter::SM() const {
    uint16_t q = prefix != 0 ? prefix : 10;
    std::string rest = Fill(prefixFill, q >= 10 ? q - 10u : 0u) + Joined(subBlocks);
    uint32_t size = static_cast<uint32_t>(2 + 4 + 4 + 2 + rest.size());
    return "SM" + LeU16(q) + LeU32(storedBlockSize.value_or(size)) + BlockTag(tag) +
           LeU16(storedCount.value_or(static_cast<uint16_t>(subBlocks.size()))) + rest;
}

std::string SEBlock(const std::string& tag, const std::string& payload, const std::string& headerFields) {
    BlockWriter b;
    b.tag = tag;
    b.payload = payload;
    b.headerFields = headerFields;
    return b.SE();
}

std::string SCBlock(const std::string& tag, const std::string& payload,
                    const std::vector<std::string>& subBlocks) {
    return SCBlock(tag, payload, "", subBlocks);
}

std::string SCBlock(const std::string& tag, const std::string& payload, const std::string& headerFields,
                    const std::vector<std::string>& subBlocks) {
    BlockWriter b;
    b.tag = tag;
    b.payload = payload;
    b.headerFields = headerFields;
    b.subBlocks = subBlocks;
    return b.SC();
}

std::string SMBlock(const std::string& tag, const std::vector<std::string>& subBlocks) {
    BlockWriter b;
    b.tag = tag;
    b.subBlocks = subBlocks;
    return b.SM();
}
