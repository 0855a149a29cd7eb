// Builds tagged blocks as bytes ("SE", "SC", "SM"), including damaged variants, for reader tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

std::string LeU16(uint16_t value);
std::string LeU32(uint32_t value);
// The 4-byte signature: tag padded with NUL bytes.
std::string BlockTag(const std::string& tag);

struct BlockWriter {
    std::string tag;
    std::string payload;
    // Class fields after the common 10 header bytes; the stored header size is 10 + their length.
    std::string headerFields;
    // Complete blocks (or any bytes) following the payload of "SC" and "SM".
    std::vector<std::string> subBlocks;

    // Damaged variants: fields stored as given instead of computed.
    std::optional<uint16_t> storedHeaderSize;
    std::optional<uint32_t> storedPayloadSize;
    std::optional<uint32_t> storedBlockSize;  // "SC"/"SM" size after the mark
    std::optional<uint16_t> storedCount;      // "SC"/"SM" sub-block count
    uint16_t prefix = 0;                      // P of "SC" (6 when 0), Q of "SM" (10 when 0)
    std::string prefixFill;                   // bytes of the prefix beyond the minimum (filled to match)

    std::string Header() const;
    std::string SE() const;
    std::string SC() const;
    std::string SM() const;
};

// Shorthands for the common case.
std::string SEBlock(const std::string& tag, const std::string& payload, const std::string& headerFields = "");
std::string SCBlock(const std::string& tag, const std::string& payload,
                    const std::vector<std::string>& subBlocks);
std::string SCBlock(const std::string& tag, const std::string& payload, const std::string& headerFields,
                    const std::vector<std::string>& subBlocks);
std::string SMBlock(const std::string& tag, const std::vector<std::string>& subBlocks);
