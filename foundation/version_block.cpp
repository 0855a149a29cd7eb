#include "foundation/version_block.h"

#include "foundation/byte_order.h"

namespace {

constexpr uint32_t kMajor = 10, kMinor = 12, kBuild = 14, kLetter = 16;

}  // namespace

VersionBlock::VersionBlock(uint32_t headerSize, bool loadPayload) : DataBlock(headerSize, loadPayload) {
    SetSignature("VERS");
}

VersionWords VersionBlock::Words() const {
    // A header read from a short stored block may lack the words: they read as 0.
    const uint8_t* h = Header();
    uint32_t size = HeaderSize();
    auto word = [&](uint32_t at) { return at + 2 <= size ? LoadU16(h + at) : uint16_t{0}; };
    return {word(kMajor), word(kMinor), word(kBuild), word(kLetter)};
}

void VersionBlock::SetWords(const VersionWords& words) {
    uint8_t* h = Header();
    if (HeaderSize() < kLetter + 2) return;
    StoreU16(h + kMajor, words.major);
    StoreU16(h + kMinor, words.minor);
    StoreU16(h + kBuild, words.build);
    StoreU16(h + kLetter, words.letter);
}

VersionBlock& ProgramVersion() {
    static VersionBlock block;
    return block;
}

VersionBlock& DataVersion() {
    static VersionBlock block;
    return block;
}

VersionWords ProgramVersionWords() {
    return ProgramVersion().Words();
}
VersionWords DataVersionWords() {
    return DataVersion().Words();
}
