#include "shell/sound_record.h"

#include <algorithm>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"

namespace {

// Read in pieces, so that a size the content does not live up to never decides an allocation.
constexpr uint32_t kReadPiece = 64 * 1024;
// Far above any sound the game ships; a packed file may declare up to 255 times its code stream.
constexpr uint32_t kMaxSoundBytes = 64u << 20;

}  // namespace

SoundBody::~SoundBody() {
    // Every kind, streams included, goes back through the output's own release.
    const AudioHandle handle = Handle();
    if (Type() != AudioKind::None && audio_ != nullptr && handle != 0) audio_->Free(handle);
}

void SoundBody::GiveUp() {
    std::lock_guard lock(mutex_);
    givenUp_ = true;
    if (Type() != AudioKind::None && audio_ != nullptr) audio_->Stop(Handle());
}

SoundRecord::SoundRecord() : ScriptObject(nullptr), body_(std::make_shared<SoundBody>()) {
    SetKind(kSoundRecordKind);
}

SoundRecord::~SoundRecord() {
    LetGoOfBody();
}

void SoundRecord::LetGoOfBody() {
    // Held alone, the body's release below halts what plays of it.
    if (body_.use_count() > 1) body_->GiveUp();
    body_.reset();
}

void SoundRecord::RetireParts() {
    body_->GiveUp();
}

void SoundRecord::ReadData(BlockReader& reader) {
    LetGoOfBody();
    body_ = std::make_shared<SoundBody>();
    const uint32_t size = reader.Size();
    const uint32_t start = std::min(reader.Tell(), size);
    const uint32_t wanted = size - start;
    if (wanted > kMaxSoundBytes) ThrowFatal("Sound file \"%s\" is too large", reader.Name().Text());
    std::vector<uint8_t> bytes;
    while (bytes.size() < wanted) {
        const uint32_t piece = std::min<uint32_t>(kReadPiece, wanted - static_cast<uint32_t>(bytes.size()));
        const size_t at = bytes.size();
        bytes.resize(at + piece);
        const uint32_t got = reader.Read(bytes.data() + at, piece);
        if (got != piece) ThrowFatal("Sound file \"%s\" ends early", reader.Name().Text());
    }
    body_ = std::make_shared<SoundBody>(std::move(bytes));
    name_ = reader.Name();
}

SoundRecord* SoundRecord::FromAddress(uint32_t address) {
    if (address == 0) return nullptr;
    return static_cast<SoundRecord*>(ScriptObject::FromAddress(address, kSoundRecordKind, "sound record"));
}
