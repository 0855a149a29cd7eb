#include "tests/support/galaxy_table.h"

#include "tests/support/block_writer.h"

std::string StarSystemBlock(const StarSystemSpec& spec) {
    std::vector<std::string> children;
    if (spec.name) children.push_back(SEBlock("NAME", *spec.name + std::string(1, '\0')));
    BlockWriter block;
    block.tag = "SSYF";
    block.payload = spec.description + std::string(1, '\0');
    block.headerFields = LeU32(static_cast<uint32_t>(spec.x)) + LeU32(static_cast<uint32_t>(spec.y));
    block.subBlocks = children;
    return block.SC();
}

std::string StarSystemTable(const std::vector<std::string>& children) {
    return SCBlock("GLXY", "", children);
}

std::string StarSystemTable(const std::vector<StarSystemSpec>& systems) {
    std::vector<std::string> children;
    for (const StarSystemSpec& spec : systems) children.push_back(StarSystemBlock(spec));
    return StarSystemTable(children);
}

std::string StarSystemDescription(const std::string& windowClass, const std::string& messageFile) {
    return windowClass + "\r\nStandard\r\n" + messageFile + "\r\n";
}
