#include "world/slot_blocks.h"

#include <cstring>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/container_writer.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "script/processor.h"
#include "script/zema_class.h"

namespace {

constexpr uint32_t kField10 = 10;
constexpr uint32_t kField14 = 14;
constexpr uint32_t kField18 = 18;
// Slot kind codes beyond this, and 2, belong to no place.
constexpr uint32_t kLastSlotKind = 7;
constexpr uint32_t kNoPlaceKind = 2;

[[noreturn]] void Refuse(const String& source, const char* block, const char* what) {
    ThrowFatal("Damaged \"%s\" block in \"%s\": %s", block, source.Text(), what);
}

bool Tagged(const uint8_t* signature, const char* tag) {
    return std::memcmp(signature, tag, 4) == 0;
}

// A payload of size bytes holding text and its terminator.
void SetTextPayload(DataBlock& block, std::string_view text) {
    const auto size = static_cast<uint32_t>(text.size() + 1);
    block.SetPayloadSize(size);
    block.AllocPayload();
    std::memcpy(block.Payload(), text.data(), text.size());
}

}  // namespace

// --- SSLC ---

SslcBlock::SslcBlock() : DataBlock(kSslcHeaderSize, true) {
    SetSignature("SSLC");
}

SslcBlock::SslcBlock(const std::vector<uint32_t>& words) : SslcBlock() {
    if (words.size() > UINT32_MAX / 4) ThrowFatal("Too many saved words to store: %zu", words.size());
    SetPayloadSize(static_cast<uint32_t>(words.size() * 4));
    AllocPayload();
    for (size_t i = 0; i < words.size(); ++i) StoreU32(Payload() + i * 4, words[i]);
}

uint32_t SslcBlock::Word(uint32_t i) const {
    if (i >= WordCount() || Payload() == nullptr)
        ThrowFatal("Saved word %u of %u is out of range", i, WordCount());
    return LoadU32(Payload() + uint64_t{i} * 4);
}

std::vector<uint32_t> SslcBlock::Words() const {
    std::vector<uint32_t> words;
    if (Payload() == nullptr) return words;
    words.reserve(WordCount());
    for (uint32_t i = 0; i < WordCount(); ++i) words.push_back(LoadU32(Payload() + uint64_t{i} * 4));
    return words;
}

void SslcBlock::AfterRead(BlockReader& reader) {
    if (PayloadSize() % 4 != 0) Refuse(reader.Name(), "SSLC", "the saved state is no whole number of words");
}

// --- SSLT ---

SsltBlock::SsltBlock() : DataBlock(kSsltHeaderSize, true) {
    SetSignature("SSLT");
}

SsltBlock::SsltBlock(int32_t kind, int32_t enabled, uint32_t index, std::string_view className)
    : SsltBlock() {
    StoreU32(Header() + kField10, static_cast<uint32_t>(kind));
    StoreU32(Header() + kField14, static_cast<uint32_t>(enabled));
    StoreU32(Header() + kField18, index);
    SetTextPayload(*this, className);
}

uint32_t SsltBlock::Kind() const {
    return LoadU32(Header() + kField10);
}

uint32_t SsltBlock::Enabled() const {
    return LoadU32(Header() + kField14);
}

uint32_t SsltBlock::Index() const {
    return LoadU32(Header() + kField18);
}

bool SsltBlock::KnownKind() const {
    return Kind() <= kLastSlotKind && Kind() != kNoPlaceKind;
}

std::string_view SsltBlock::ClassName() const {
    if (Payload() == nullptr) return {};
    const auto* text = reinterpret_cast<const char*>(Payload());
    return {text, strnlen(text, PayloadSize())};
}

void SsltBlock::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (!Tagged(signature, "SSLC")) return;
    if (state_ != nullptr) Refuse(reader.Name(), "SSLT", "more than one saved state");
    auto state = std::make_unique<SslcBlock>();
    reader >> *state;
    state_ = std::move(state);
}

void SsltBlock::AfterRead(BlockReader& reader) {
    source_ = reader.Name();
    if (Payload() == nullptr || PayloadSize() == 0) Refuse(source_, "SSLT", "no class name");
    if (std::memchr(Payload(), 0, PayloadSize()) == nullptr)
        Refuse(source_, "SSLT", "the class name is not terminated");
    if (Payload()[0] == 0) Refuse(source_, "SSLT", "an empty class name");
}

uint32_t SsltBlock::ChunkSize() const {
    const uint64_t own = DataBlock::ChunkSize();
    if (state_ == nullptr) return static_cast<uint32_t>(own);
    return ContainerStoredSize(*this, state_->ChunkSize());
}

void SsltBlock::Store(FW& fw) const {
    if (state_ == nullptr) {
        fw << *this;
        return;
    }
    WriteContainerHead(fw, *this, 1, state_->ChunkSize());
    fw << *state_;
}

// --- SSLD ---

SsldBlock::SsldBlock() : DataBlock(kSsldHeaderSize, true) {
    SetSignature("SSLD");
    StoreU32(Header() + kField10, 1);
    SetPayloadSize(kDirectionsBytes);
    AllocPayload();
}

SsldBlock::SsldBlock(uint32_t index, const uint8_t (&records)[kDirectionsBytes]) : SsldBlock() {
    StoreU32(Header() + kField14, index);
    std::memcpy(Payload(), records, kDirectionsBytes);
}

uint32_t SsldBlock::Index() const {
    return LoadU32(Header() + kField14);
}

const uint8_t (&SsldBlock::Records() const)[kDirectionsBytes] {
    return *reinterpret_cast<const uint8_t(*)[kDirectionsBytes]>(Payload());
}

void SsldBlock::AfterRead(BlockReader& reader) {
    source_ = reader.Name();
    if (PayloadSize() != kDirectionsBytes || Payload() == nullptr)
        Refuse(source_, "SSLD", "the direction records are not 108 bytes");
}

// --- the list ---

bool SlotBlockList::TakeChunk(BlockReader& reader, const uint8_t* signature) {
    if (Tagged(signature, "SSLT")) {
        auto item = std::make_unique<SsltBlock>();
        reader >> *item;
        items_.push_back(std::move(item));
    } else if (Tagged(signature, "SSLD")) {
        auto directions = std::make_unique<SsldBlock>();
        reader >> *directions;
        directions_.push_back(std::move(directions));
    } else if (Tagged(signature, "SSLC")) {
        if (shipState_ != nullptr) Refuse(reader.Name(), "SSLC", "more than one saved state of the ship");
        auto state = std::make_unique<SslcBlock>();
        reader >> *state;
        shipState_ = std::move(state);
    } else {
        return false;
    }
    return true;
}

void SlotBlockList::Clear() {
    directions_.clear();
    items_.clear();
    shipState_.reset();
}

uint32_t SlotBlockList::Count() const {
    return static_cast<uint32_t>(directions_.size() + items_.size() + (shipState_ != nullptr ? 1 : 0));
}

uint64_t SlotBlockList::StoredSize() const {
    uint64_t size = shipState_ != nullptr ? shipState_->ChunkSize() : 0;
    for (const auto& d : directions_) size += d->ChunkSize();
    for (const auto& t : items_) size += t->ChunkSize();
    return size;
}

void SlotBlockList::Store(FW& fw) const {
    for (const auto& d : directions_) fw << *d;
    for (const auto& t : items_) t->Store(fw);
    if (shipState_ != nullptr) fw << *shipState_;
}

// --- checks against the ship ---

ZEMAClass* CheckBlockClass(Processor& processor, std::string_view className, const char* base,
                           const String& source) {
    const std::string name(className);
    ZEMAClass* cls = nullptr;
    try {
        cls = processor.ClassByName(String(name.c_str()));
    } catch (const FatalExep& error) {
        ThrowFatal("Class \"%s\" named in \"%s\" cannot be made: %s", name.c_str(), source.Text(),
                   error.message.Text());
    }
    if (!cls->InheritsFrom(base))
        ThrowFatal("Class \"%s\" named in \"%s\" is not a %s", name.c_str(), source.Text(), base);
    return cls;
}

void CheckSlotIndex(uint32_t index, uint32_t slotCount, const String& source) {
    if (index >= slotCount)
        ThrowFatal("Slot %u named in \"%s\" is out of range: the group has %u", index, source.Text(),
                   slotCount);
}
