// Builds a compiled class library as bytes: one "SC" class block (20-byte class header) whose
// sub-blocks are the chunks NAME, GLCU, GLM, GLVM, GLMB and the debug chunks GLSI, GLMF, GLVF,
// GLDI, GLML, GLVL. Absent parts are left out; stored counts can be falsified and further chunks
// (repeated, unknown or damaged) appended, for reader tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ClassLibraryBuilder {
    std::optional<std::string> name;  // NAME
    std::vector<std::string> uses;    // GLCU, the class itself first; none when empty
    uint32_t instanceFields = 0;
    uint16_t baseIndex = 0;
    uint32_t classFields = 0;
    std::optional<std::vector<uint32_t>> methods;         // GLM offsets
    std::optional<std::vector<uint32_t>> virtualMethods;  // GLVM offsets, 0 = not defined here
    std::optional<std::vector<uint32_t>> code;            // GLMB words

    std::optional<std::vector<std::string>> sourceNames;  // GLSI
    std::optional<std::vector<uint16_t>> methodSources;   // GLMF
    std::optional<std::vector<uint16_t>> virtualSources;  // GLVF
    std::optional<std::vector<uint32_t>> debugInfo;       // GLDI, one word per code word
    std::optional<std::vector<uint32_t>> methodLines;     // GLML
    std::optional<std::vector<uint32_t>> virtualLines;    // GLVL

    // Stored counts in place of the real ones.
    std::optional<uint16_t> usesCount;
    std::optional<uint16_t> methodCount;
    std::optional<uint16_t> virtualMethodCount;
    // Raw GLSI payload in place of sourceNames (e.g. without the last terminator).
    std::optional<std::string> sourceNamesPayload;
    // Complete chunks appended after the others.
    std::vector<std::string> extraChunks;

    // A class with the usual parts: NAME and GLCU {name, used...}.
    static ClassLibraryBuilder Named(const std::string& className, std::vector<std::string> used = {});
    // Fills all six debug chunks consistently: one source file, line i + 1 per code word.
    ClassLibraryBuilder& WithDebugInfo(const std::string& sourceName = "main.zs");

    std::vector<std::string> Chunks() const;
    std::string Build() const;

    // Chunk builders.
    static std::string NameChunk(const std::string& text);
    static std::string UsesChunk(const std::vector<std::string>& names, std::optional<uint16_t> count = {});
    // Table chunk with a 12-byte header (u16 count at 10) and u32 values.
    static std::string WordsChunk(const std::string& tag, const std::vector<uint32_t>& values,
                                  std::optional<uint16_t> count = {});
    static std::string HalfWordsChunk(const std::string& tag, const std::vector<uint16_t>& values);
    static std::string CodeChunk(const std::vector<uint32_t>& words);
    static std::string SourceNamesChunk(const std::string& payload);
    static std::string SourceNamesPayload(const std::vector<std::string>& names);
};
