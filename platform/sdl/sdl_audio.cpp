#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kFirstChannels = 16;
constexpr int kMostChannels = 256;

}  // namespace

void SdlAudio::ChunkDeleter::operator()(Mix_Chunk* c) const { Mix_FreeChunk(c); }
void SdlAudio::MusicDeleter::operator()(_Mix_Music* m) const { Mix_FreeMusic(m); }

SdlAudio::~SdlAudio() {
    std::lock_guard lock(mutex_);
    CloseLocked();
}

bool SdlAudio::Init() {
    std::lock_guard lock(mutex_);
    CloseLocked();
    subsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    // Without a device the system runs silent: loads are refused and plays do nothing.
    if (!subsystem_ || Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) return false;
    open_ = true;
    channelOwner_.assign(static_cast<size_t>(Mix_AllocateChannels(kFirstChannels)), 0);
    ApplyVolume();
    return true;
}

void SdlAudio::Shutdown() {
    std::lock_guard lock(mutex_);
    CloseLocked();
}

void SdlAudio::CloseLocked() {
    if (open_) {
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
    }
    entries_.clear();  // frees chunks and music while the mixer is still open
    channelOwner_.clear();
    currentMusic_ = 0;
    if (open_) Mix_CloseAudio();
    open_ = false;
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
}

AudioHandle SdlAudio::Add(Entry entry) {
    do {
        lastHandle_ = lastHandle_ >= 0x7FFFFFFF ? 1 : lastHandle_ + 1;
    } while (entries_.contains(lastHandle_));
    entries_.emplace(lastHandle_, std::move(entry));
    return lastHandle_;
}

AudioHandle SdlAudio::LoadSample(std::span<const uint8_t> data, int maxPlaybacks) {
    std::lock_guard lock(mutex_);
    if (!open_ || DetectAudioFormat(data) != AudioFormat::Wave || data.size() > INT32_MAX) return 0;
    // The chunk is decoded into the mixer's own memory, so the data need not be kept.
    SDL_RWops* rw = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
    Entry e;
    e.kind = AudioKind::Sample;
    e.maxPlaybacks = std::max(maxPlaybacks, 1);
    e.chunk.reset(rw ? Mix_LoadWAV_RW(rw, 1) : nullptr);
    return e.chunk ? Add(std::move(e)) : 0;
}

AudioHandle SdlAudio::LoadMusicEntry(std::span<const uint8_t> data, AudioKind kind) {
    if (!open_ || data.size() > INT32_MAX) return 0;
    Entry e;
    e.kind = kind;
    e.data.assign(data.begin(), data.end());
    SDL_RWops* rw = SDL_RWFromConstMem(e.data.data(), static_cast<int>(e.data.size()));
    e.music.reset(rw ? Mix_LoadMUS_RW(rw, 1) : nullptr);
    return e.music ? Add(std::move(e)) : 0;  // moving the vector keeps its buffer where it is
}

AudioHandle SdlAudio::LoadStream(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    const AudioFormat f = DetectAudioFormat(data);
    return f == AudioFormat::Stream || f == AudioFormat::Wave ? LoadMusicEntry(data, AudioKind::Stream) : 0;
}

AudioHandle SdlAudio::LoadMusic(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    return DetectAudioFormat(data) == AudioFormat::Module ? LoadMusicEntry(data, AudioKind::Music) : 0;
}

void SdlAudio::Free(AudioHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return;
    HaltSample(handle);
    if (currentMusic_ == handle) currentMusic_ = 0;
    entries_.erase(it);  // the mixer halts a chunk or music that is still playing before freeing it
}

int SdlAudio::PlayChannel(Mix_Chunk* chunk, int loops) {
    int channel = Mix_PlayChannel(-1, chunk, loops);
    // All channels busy: add more, up to a bound, so the per-sample limit is what refuses a play.
    if (channel < 0 && static_cast<int>(channelOwner_.size()) < kMostChannels) {
        const int n = Mix_AllocateChannels(std::min(static_cast<int>(channelOwner_.size()) * 2, kMostChannels));
        channelOwner_.resize(static_cast<size_t>(n), 0);
        ApplyVolume();
        channel = Mix_PlayChannel(-1, chunk, loops);
    }
    return channel;
}

bool SdlAudio::Play(AudioHandle handle, bool looped) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (!open_ || it == entries_.end()) return false;
    Entry& e = it->second;
    if (e.kind == AudioKind::Sample) {
        int busy = 0;
        for (size_t c = 0; c < channelOwner_.size(); ++c) {
            if (channelOwner_[c] == handle && Mix_Playing(static_cast<int>(c))) ++busy;
        }
        if (busy >= e.maxPlaybacks) return false;
        const int channel = PlayChannel(e.chunk.get(), looped ? -1 : 0);
        if (channel < 0 || static_cast<size_t>(channel) >= channelOwner_.size()) return false;
        channelOwner_[static_cast<size_t>(channel)] = handle;
        return true;
    }
    // The mixer has a single music slot: starting a stream or module halts whichever stream or
    // module was playing, so two of them never sound together (a sample and music do).
    if (Mix_PlayMusic(e.music.get(), looped ? -1 : 0) != 0) return false;
    currentMusic_ = handle;
    return true;
}

bool SdlAudio::PlayOnce(AudioHandle handle) { return Play(handle, false); }
bool SdlAudio::PlayLooped(AudioHandle handle) { return Play(handle, true); }

void SdlAudio::HaltSample(AudioHandle handle) {
    for (size_t c = 0; c < channelOwner_.size(); ++c) {
        if (channelOwner_[c] != handle) continue;
        Mix_HaltChannel(static_cast<int>(c));
        channelOwner_[c] = 0;
    }
}

bool SdlAudio::Stop(AudioHandle handle) {
    std::lock_guard lock(mutex_);
    if (!entries_.contains(handle)) return false;
    if (!open_) return true;
    HaltSample(handle);
    if (currentMusic_ == handle) {
        Mix_HaltMusic();
        currentMusic_ = 0;
    }
    return true;
}

void SdlAudio::StopAll() {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    std::fill(channelOwner_.begin(), channelOwner_.end(), 0);
    currentMusic_ = 0;
}

void SdlAudio::SetVolume(int percent) {
    std::lock_guard lock(mutex_);
    volume_ = std::clamp(percent, 0, 100);
    ApplyVolume();
}

void SdlAudio::ApplyVolume() {
    if (!open_) return;
    const int level = volume_ * MIX_MAX_VOLUME / 100;
    Mix_Volume(-1, level);  // channels added later start at full volume, so this is applied again then
    Mix_VolumeMusic(level);
}

void SdlAudio::PlayCD(int, bool) {}
void SdlAudio::StopCD() {}
