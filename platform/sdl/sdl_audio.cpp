#include "platform/sdl/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/sdl/flac_check.h"
#include "platform/wave_check.h"

namespace {

constexpr int kFirstChannels = 16;
constexpr int kMostChannels = 256;
// Decoders for samples and the stream besides WAVE; one the mixer lacks refuses its files at load.
constexpr int kDecoders = MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC;

// Sampled sound the mixer may be handed: a WAVE or FLAC file must first pass its check, as their
// decoders trust what the file's header says.
bool Decodable(std::span<const uint8_t> data) {
    const AudioFormat format = DetectAudioFormat(data);
    if (format == AudioFormat::Wave) return CheckWave(data) == WaveFault::None;
    if (data.size() >= 4 && std::memcmp(data.data(), "fLaC", 4) == 0) return FlacIsPlayable(data);
    return IsSampledSound(format);
}

int16_t Saturated(int32_t value) {
    return static_cast<int16_t>(
        std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

}  // namespace

void SdlAudio::ChunkDeleter::operator()(Mix_Chunk* c) const {
    Mix_FreeChunk(c);
}
void SdlAudio::MusicDeleter::operator()(_Mix_Music* m) const {
    Mix_FreeMusic(m);
}
void SdlAudio::ReaderDeleter::operator()(SDL_RWops* rw) const {
    SDL_RWclose(rw);
}

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
    Mix_Init(kDecoders);
    Uint16 format = 0;
    Mix_QuerySpec(&outputRate_, &format, &outputChannels_);
    moduleScratch_.assign(2 * 8192, 0);  // grown on the audio thread only for an unusually long buffer
    // The hook adds 16-bit samples; the mixer converts to the device's format after it.
    if (format == AUDIO_S16SYS && outputChannels_ > 0) Mix_SetPostMix(&SdlAudio::MixModule, this);
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
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
    }
    SetPlayingModule(nullptr, false);
    entries_.clear();  // frees chunks and music while the mixer is still open
    channelOwner_.clear();
    currentMusic_ = 0;
    currentModule_ = 0;
    if (open_) {
        Mix_CloseAudio();
        Mix_Quit();
    }
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
    // Modules are refused here whatever the mixer could make of them: they play on their own voice.
    if (!open_ || !Decodable(data) || data.size() > INT32_MAX) return 0;
    // The chunk is decoded into the mixer's own memory, so neither the data nor the reader need be
    // kept; the reader is closed here, since the mixer does not free it on every failure.
    std::unique_ptr<SDL_RWops, ReaderDeleter> reader(
        SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())));
    Entry e;
    e.kind = AudioKind::Sample;
    e.maxPlaybacks = std::max(maxPlaybacks, 1);
    e.chunk.reset(reader ? Mix_LoadWAV_RW(reader.get(), 0) : nullptr);
    return e.chunk ? Add(std::move(e)) : 0;
}

AudioHandle SdlAudio::LoadStream(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    if (!open_ || !Decodable(data) || data.size() > INT32_MAX) return 0;
    Entry e;
    e.kind = AudioKind::Stream;
    e.data.assign(data.begin(), data.end());
    e.reader.reset(SDL_RWFromConstMem(e.data.data(), static_cast<int>(e.data.size())));
    e.music.reset(e.reader ? Mix_LoadMUS_RW(e.reader.get(), 0) : nullptr);
    return e.music ? Add(std::move(e)) : 0;  // moving the vector keeps its buffer where it is
}

AudioHandle SdlAudio::LoadMusic(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    if (!open_) return 0;
    Entry e;
    e.kind = AudioKind::Music;
    e.module = ModuleDecoder::Open(data);
    return e.module ? Add(std::move(e)) : 0;
}

void SdlAudio::Free(AudioHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return;
    HaltSample(handle);
    if (currentMusic_ == handle) currentMusic_ = 0;
    if (currentModule_ == handle) {
        SetPlayingModule(nullptr, false);
        currentModule_ = 0;
    }
    entries_.erase(it);  // the mixer halts a chunk or music that is still playing before freeing it
}

int SdlAudio::PlayChannel(Mix_Chunk* chunk, int loops) {
    int channel = Mix_PlayChannel(-1, chunk, loops);
    // All channels busy: add more, up to a bound, so the per-sample limit is what refuses a play.
    if (channel < 0 && static_cast<int>(channelOwner_.size()) < kMostChannels) {
        const int n =
            Mix_AllocateChannels(std::min(static_cast<int>(channelOwner_.size()) * 2, kMostChannels));
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
    if (e.kind == AudioKind::Music) {
        SetPlayingModule(e.module.get(), looped);
        currentModule_ = handle;
        return true;
    }
    // The stream has the music slot to itself: a new stream ends the one before.
    if (Mix_PlayMusic(e.music.get(), looped ? -1 : 0) != 0) return false;
    currentMusic_ = handle;
    return true;
}

bool SdlAudio::PlayOnce(AudioHandle handle) {
    return Play(handle, false);
}
bool SdlAudio::PlayLooped(AudioHandle handle) {
    return Play(handle, true);
}

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
    if (currentModule_ == handle) {
        SetPlayingModule(nullptr, false);
        currentModule_ = 0;
    }
    return true;
}

void SdlAudio::StopAll() {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    SetPlayingModule(nullptr, false);
    std::fill(channelOwner_.begin(), channelOwner_.end(), 0);
    currentMusic_ = 0;
    currentModule_ = 0;
}

void SdlAudio::SetVolume(int percent) {
    std::lock_guard lock(mutex_);
    volume_ = std::clamp(percent, 0, 100);
    ApplyVolume();
}

void SdlAudio::ApplyVolume() {
    moduleVolume_.store(volume_);
    if (!open_) return;
    const int level = volume_ * MIX_MAX_VOLUME / 100;
    Mix_Volume(-1, level);  // channels added later start at full volume, so this is applied again then
    Mix_VolumeMusic(level);
}

void SdlAudio::PlayCD(int, bool) {}
void SdlAudio::StopCD() {}

void SdlAudio::SetPlayingModule(ModuleDecoder* module, bool looped) {
    std::lock_guard lock(moduleMutex_);
    if (module != nullptr) module->Restart(looped);
    playingModule_ = module;
}

void SdlAudio::MixModule(void* self, uint8_t* stream, int length) {
    auto* audio = static_cast<SdlAudio*>(self);
    if (stream == nullptr || length <= 0) return;
    std::lock_guard lock(audio->moduleMutex_);
    if (audio->playingModule_ == nullptr) return;
    // Samples of 16 bits; a stray odd byte is left alone.
    audio->MixModuleLocked(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / 2);
}

void SdlAudio::MixModuleLocked(int16_t* out, size_t samples) {
    const auto channels = static_cast<size_t>(outputChannels_);
    const size_t frames = samples / channels;
    if (moduleScratch_.size() < 2 * frames) moduleScratch_.resize(2 * frames);
    const size_t rendered = playingModule_->Render(outputRate_, moduleScratch_.data(), frames);
    if (rendered < frames) playingModule_ = nullptr;  // a module played once has ended
    const int32_t volume = moduleVolume_.load();
    for (size_t f = 0; f < rendered; ++f) {
        const int32_t left = moduleScratch_[2 * f] * volume / 100;
        const int32_t right = moduleScratch_[2 * f + 1] * volume / 100;
        int16_t* frame = out + f * channels;
        if (channels == 1) {
            frame[0] = Saturated(frame[0] + (left + right) / 2);
        } else {
            // Front left and right; further channels keep what the mixer put there.
            frame[0] = Saturated(frame[0] + left);
            frame[1] = Saturated(frame[1] + right);
        }
    }
}
