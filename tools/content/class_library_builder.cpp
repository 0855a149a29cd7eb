#include "tools/content/class_library_builder.h"

#include "tools/content/block_writer.h"

namespace {

std::string Words(const std::vector<uint32_t>& values) {
    std::string bytes;
    for (uint32_t v : values) bytes += LeU32(v);
    return bytes;
}

std::string Chunk12(const std::string& tag, const std::string& payload, uint16_t count) {
    return SEBlock(tag, payload, LeU16(count));
}

}  // namespace

ClassLibraryBuilder ClassLibraryBuilder::Named(const std::string& className, std::vector<std::string> used) {
    ClassLibraryBuilder b;
    b.name = className;
    b.uses.push_back(className);
    b.uses.insert(b.uses.end(), used.begin(), used.end());
    return b;
}

ClassLibraryBuilder& ClassLibraryBuilder::WithDebugInfo(const std::string& sourceName) {
    const size_t words = code ? code->size() : 0;
    const size_t m = methods ? methods->size() : 0;
    const size_t v = virtualMethods ? virtualMethods->size() : 0;
    if (!methods) methods = std::vector<uint32_t>{};
    if (!virtualMethods) virtualMethods = std::vector<uint32_t>{};
    sourceNames = std::vector<std::string>{sourceName};
    methodSources = std::vector<uint16_t>(m, 0);
    virtualSources = std::vector<uint16_t>(v, 0);
    debugInfo = std::vector<uint32_t>(words);
    for (size_t i = 0; i < words; ++i) (*debugInfo)[i] = static_cast<uint32_t>(i + 1);
    methodLines = std::vector<uint32_t>(m);
    for (size_t i = 0; i < m; ++i) (*methodLines)[i] = static_cast<uint32_t>(100 + i);
    virtualLines = std::vector<uint32_t>(v);
    for (size_t i = 0; i < v; ++i) (*virtualLines)[i] = static_cast<uint32_t>(200 + i);
    return *this;
}

std::string ClassLibraryBuilder::NameChunk(const std::string& text) {
    return SEBlock("NAME", text);
}

std::string ClassLibraryBuilder::UsesChunk(const std::vector<std::string>& names,
                                           std::optional<uint16_t> count) {
    std::string payload;
    for (const auto& n : names) payload += n + std::string(1, '\0');
    return Chunk12("GLCU", payload, count.value_or(static_cast<uint16_t>(names.size())));
}

std::string ClassLibraryBuilder::WordsChunk(const std::string& tag, const std::vector<uint32_t>& values,
                                            std::optional<uint16_t> count) {
    return Chunk12(tag, Words(values), count.value_or(static_cast<uint16_t>(values.size())));
}

std::string ClassLibraryBuilder::HalfWordsChunk(const std::string& tag, const std::vector<uint16_t>& values) {
    std::string payload;
    for (uint16_t v : values) payload += LeU16(v);
    return Chunk12(tag, payload, static_cast<uint16_t>(values.size()));
}

std::string ClassLibraryBuilder::CodeChunk(const std::vector<uint32_t>& words) {
    return SEBlock("GLMB", Words(words));
}

std::string ClassLibraryBuilder::SourceNamesPayload(const std::vector<std::string>& names) {
    std::string payload;
    for (const auto& n : names) payload += n + std::string(1, '\0');
    return payload;
}

std::string ClassLibraryBuilder::SourceNamesChunk(const std::string& payload) {
    return Chunk12("GLSI", payload, 0);
}

std::vector<std::string> ClassLibraryBuilder::Chunks() const {
    std::vector<std::string> chunks;
    if (name) chunks.push_back(NameChunk(*name));
    if (!uses.empty() || usesCount) chunks.push_back(UsesChunk(uses, usesCount));
    if (methods) chunks.push_back(WordsChunk("GLM", *methods, methodCount));
    if (virtualMethods) chunks.push_back(WordsChunk("GLVM", *virtualMethods, virtualMethodCount));
    if (code) chunks.push_back(CodeChunk(*code));
    if (sourceNamesPayload) {
        chunks.push_back(SourceNamesChunk(*sourceNamesPayload));
    } else if (sourceNames) {
        chunks.push_back(SourceNamesChunk(SourceNamesPayload(*sourceNames)));
    }
    if (methodSources) chunks.push_back(HalfWordsChunk("GLMF", *methodSources));
    if (virtualSources) chunks.push_back(HalfWordsChunk("GLVF", *virtualSources));
    if (debugInfo) chunks.push_back(WordsChunk("GLDI", *debugInfo));
    if (methodLines) chunks.push_back(WordsChunk("GLML", *methodLines));
    if (virtualLines) chunks.push_back(WordsChunk("GLVL", *virtualLines));
    chunks.insert(chunks.end(), extraChunks.begin(), extraChunks.end());
    return chunks;
}

std::string ClassLibraryBuilder::Build() const {
    BlockWriter block;
    block.tag = "GLC";
    block.headerFields = LeU32(instanceFields) + LeU16(baseIndex) + LeU32(classFields);
    block.subBlocks = Chunks();
    return block.SC();
}
