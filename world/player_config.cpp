#include "world/player_config.h"

#include <cstring>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/container_writer.h"
#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "foundation/packed_strings.h"
#include "foundation/saturating.h"
#include "shell/input_device.h"
#include "world/player.h"

namespace {

int32_t HeaderInt(const DataBlock& block, uint32_t offset) {
    return static_cast<int32_t>(LoadU32(block.Header() + offset));
}

void SetHeaderInt(DataBlock& block, uint32_t offset, int32_t value) {
    StoreU32(block.Header() + offset, static_cast<uint32_t>(value));
}

// The payload as NUL-terminated texts, one after another.
void SetTexts(DataBlock& block, std::initializer_list<std::string_view> texts) {
    size_t size = 0;
    for (std::string_view text : texts) size += text.size() + 1;
    PayloadPtr payload = block.NewPayload(size);
    size_t at = 0;
    for (std::string_view text : texts) {
        std::memcpy(payload.get() + at, text.data(), text.size());
        at += text.size() + 1;
    }
    block.SetPayloadSize(static_cast<uint32_t>(size));
    block.SetPayload(std::move(payload));
}

}  // namespace

PlayerLocationSource& PlayerLocationHook() {
    static PlayerLocationSource source;
    return source;
}

int32_t StoredMoney(int32_t tenths) {
    int64_t whole = int64_t{tenths} - ((int64_t{tenths} % 10) + 10) % 10;
    // The lowest amount has no whole-unit amount below it inside 32 bits.
    if (whole < INT32_MIN) whole += 10;
    return static_cast<int32_t>(whole);
}

int32_t LoadedMoney(int32_t stored) {
    return stored % 10 != 0 ? SaturateInt32(int64_t{stored} * 10) : stored;
}

// --- PEVN ---

PevnBlock::PevnBlock() : DataBlock(kPevnHeaderSize, true) {
    SetSignature("PEVN");
}

PevnBlock::PevnBlock(std::string_view key, int32_t kind, std::string_view text, int32_t value) : PevnBlock() {
    SetHeaderInt(*this, 10, kind);
    SetHeaderInt(*this, 14, value);
    SetTexts(*this, {key, text});
}

int32_t PevnBlock::Kind() const {
    return HeaderInt(*this, 10);
}

int32_t PevnBlock::Value() const {
    return HeaderInt(*this, 14);
}

std::string_view PevnBlock::Key() const {
    return PackedStrings::Text(*this, 1);
}

std::string_view PevnBlock::Text() const {
    return PackedStrings::Second(*this);
}

void PevnBlock::AfterRead(BlockReader& reader) {
    if (!PackedStrings::Holds(*this, 2))
        ThrowFatal("Event record without its key and text in \"%s\"", reader.Name().Text());
}

// --- PSKL ---

PsklBlock::PsklBlock() : DataBlock(kPsklHeaderSize, true) {
    SetSignature("PSKL");
}

PsklBlock::PsklBlock(int32_t slot, int32_t level, std::string_view className) : PsklBlock() {
    SetHeaderInt(*this, 10, slot);
    SetHeaderInt(*this, 14, level);
    SetTexts(*this, {className});
}

int32_t PsklBlock::Slot() const {
    return HeaderInt(*this, 10);
}

int32_t PsklBlock::Level() const {
    return HeaderInt(*this, 14);
}

std::string_view PsklBlock::ClassName() const {
    return PackedStrings::Text(*this, 1);
}

void PsklBlock::AfterRead(BlockReader& reader) {
    source_ = reader.Name();
    if (Slot() < 0 || Slot() >= kPlayerSkillSlots)
        ThrowFatal("Skill slot %d out of range in \"%s\"", Slot(), source_.Text());
    if (Level() < 0) ThrowFatal("Negative skill level %d in \"%s\"", Level(), source_.Text());
    if (!PackedStrings::Holds(*this, 1) || ClassName().empty())
        ThrowFatal("Skill record without a class name in \"%s\"", source_.Text());
}

// --- PCFG ---

PlayerConfig::PlayerConfig() : DataBlock(kPcfgHeaderSize, true), input_(std::make_unique<InputDevice>()) {
    SetSignature("PCFG");
}

PlayerConfig::~PlayerConfig() = default;

int32_t PlayerConfig::Money() const {
    return HeaderInt(*this, 10);
}

int32_t PlayerConfig::Experience() const {
    return HeaderInt(*this, 14);
}

int32_t PlayerConfig::Level() const {
    return HeaderInt(*this, 18);
}

int32_t PlayerConfig::SkillPoints() const {
    return HeaderInt(*this, 22);
}

void PlayerConfig::SetFields(int32_t money, int32_t experience, int32_t level, int32_t skillPoints) {
    SetHeaderInt(*this, 10, money);
    SetHeaderInt(*this, 14, experience);
    SetHeaderInt(*this, 18, level);
    SetHeaderInt(*this, 22, skillPoints);
}

std::string_view PlayerConfig::Name() const {
    return PackedStrings::Text(*this, 1);
}

void PlayerConfig::SetName(std::string_view name) {
    SetTexts(*this, {name});
}

void PlayerConfig::SetLocation(std::string_view system, std::string_view planet) {
    SetTexts(location_, {system, planet});
}

void PlayerConfig::SetInput(std::unique_ptr<InputDevice> input) {
    input_ = std::move(input);
}

void PlayerConfig::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    source_ = reader.Name();
    const uint32_t tag = LoadU32(signature);
    if (tag == LoadU32("PEVN")) {
        auto record = std::make_unique<PevnBlock>();
        reader >> *record;
        events_.push_back(std::move(record));
    } else if (tag == LoadU32("SSLT")) {
        auto record = std::make_unique<SsltBlock>();
        reader >> *record;
        items_.push_back(std::move(record));
    } else if (tag == LoadU32("PSKL")) {
        auto record = std::make_unique<PsklBlock>();
        reader >> *record;
        skills_.push_back(std::move(record));
    } else if (tag == LoadU32("SCFG")) {
        auto ship = std::make_unique<ShipConfig>();
        reader >> *ship;
        ship_ = std::move(ship);
    } else if (tag == LoadU32("INPD")) {
        reader >> *input_;
    } else if (tag == LoadU32("SSPL")) {
        reader >> static_cast<DataBlock&>(location_);
    }
}

void PlayerConfig::AfterRead(BlockReader& reader) {
    source_ = reader.Name();
    if (PayloadSize() != 0 && !PackedStrings::Holds(*this, 1))
        ThrowFatal("Player name without its end in \"%s\"", source_.Text());
    if (Level() < 0) ThrowFatal("Negative player level %d in \"%s\"", Level(), source_.Text());
}

uint32_t PlayerConfig::ChildCount() const {
    return static_cast<uint32_t>(2 + (ship_ != nullptr ? 1 : 0) + events_.size() + skills_.size() +
                                 items_.size());
}

uint64_t PlayerConfig::ChildrenSize() const {
    uint64_t size = uint64_t{input_->ChunkSize()} + location_.DataBlock::ChunkSize();
    if (ship_ != nullptr) size += ship_->ChunkSize();
    for (const auto& record : events_) size += record->ChunkSize();
    for (const auto& record : skills_) size += record->ChunkSize();
    for (const auto& record : items_) size += record->ChunkSize();
    return size;
}

uint32_t PlayerConfig::ChunkSize() const {
    return ContainerStoredSize(*this, ChildrenSize());
}

void PlayerConfig::Store(FW& fw) const {
    WriteContainerHead(fw, *this, ChildCount(), ChildrenSize());
    input_->WriteKeysChunk(fw);
    fw << static_cast<const DataBlock&>(location_);
    if (ship_ != nullptr) ship_->Store(fw);
    for (const auto& record : events_) fw << *record;
    for (const auto& record : skills_) fw << *record;
    for (const auto& record : items_) record->Store(fw);
}
