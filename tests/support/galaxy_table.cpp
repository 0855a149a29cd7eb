#include "tests/support/galaxy_table.h"

#include "tests/support/block_writer.h"

std::string StarSystemBlock(const StarSystemFacts& facts) {
    std::vector<std::string> children;
    if (facts.name) children.push_back(SEBlock("NAME", *facts.name + std::string(1, '\0')));
    BlockWriter block;
    block.tag = "SSYF";
    block.payload = facts.description + std::string(1, '\0');
    block.headerFields = LeU32(static_cast<uint32_t>(facts.x)) + LeU32(static_cast<uint32_t>(facts.y));
    block.subBlocks = children;
    return block.SC();
}

std::string StarSystemTable(const std::vector<std::string>& children) {
    return SCBlock("GLXY", "", children);
}

std::string StarSystemTable(const std::vector<StarSystemFacts>& systems) {
    std::vector<std::string> children;
    for (const StarSystemFacts& facts : systems) children.push_back(StarSystemBlock(facts));
    return StarSystemTable(children);
}

std::string StarSystemDescription(const std::string& windowClass, const std::string& messageFile) {
    return windowClass + "\r\nStandard\r\n" + messageFile + "\r\n";
}
