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

SoundRecord::SoundRecord() : ScriptObject(nullptr) {
    SetKind(kSoundRecordKind);
}

SoundRecord::~SoundRecord() {
    Release();
}

void SoundRecord::Release() {
    const auto type = static_cast<AudioKind>(type_.exchange(0, std::memory_order_acq_rel));
    const AudioHandle handle = handle_.exchange(0, std::memory_order_acq_rel);
    // Every kind, streams included, goes back through the output's own release.
    if (type != AudioKind::None && audio_ != nullptr && handle != 0) audio_->Free(handle);
    audio_ = nullptr;
}

void SoundRecord::ReadData(BlockReader& reader) {
    Release();
    data_.clear();
    data_.shrink_to_fit();
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
    data_ = std::move(bytes);
    name_ = reader.Name();
}

void SoundRecord::SetLoaded(Audio& audio, const LoadedAudio& loaded) {
    audio_ = &audio;
    handle_.store(loaded.handle, std::memory_order_release);
    type_.store(static_cast<uint32_t>(loaded.kind), std::memory_order_release);
}

SoundRecord* SoundRecord::FromAddress(uint32_t address) {
    if (address == 0) return nullptr;
    return static_cast<SoundRecord*>(ScriptObject::FromAddress(address, kSoundRecordKind, "sound record"));
}
