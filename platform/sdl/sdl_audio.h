// Sound output through SDL2_mixer. Samples are decoded chunks played on mixer channels; streams and
// modules are mixer music. One instance at a time: the mixer is process-wide.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio.h"

struct Mix_Chunk;
struct _Mix_Music;

class SdlAudio final : public Audio {
public:
    SdlAudio() = default;
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    bool Init() override;
    void Shutdown() override;
    // Samples take WAVE data only, streams Ogg, MPEG or WAVE, music the modules: the same split as
    // the headless backend, so long music is never decoded whole into memory.
    AudioHandle LoadSample(std::span<const uint8_t> data, int maxPlaybacks) override;
    AudioHandle LoadStream(std::span<const uint8_t> data) override;
    AudioHandle LoadMusic(std::span<const uint8_t> data) override;
    void Free(AudioHandle handle) override;
    bool PlayOnce(AudioHandle handle) override;
    bool PlayLooped(AudioHandle handle) override;
    bool Stop(AudioHandle handle) override;
    void StopAll() override;
    void SetVolume(int percent) override;
    void PlayCD(int track, bool loop) override;
    void StopCD() override;

private:
    struct ChunkDeleter {
        void operator()(Mix_Chunk* c) const;
    };
    struct MusicDeleter {
        void operator()(_Mix_Music* m) const;
    };
    struct Entry {
        // Declared first so it is released last: the mixer reads music from it while playing.
        std::vector<uint8_t> data;
        AudioKind kind = AudioKind::None;
        int maxPlaybacks = 1;
        std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk;
        std::unique_ptr<_Mix_Music, MusicDeleter> music;
    };

    AudioHandle Add(Entry entry);
    AudioHandle LoadMusicEntry(std::span<const uint8_t> data, AudioKind kind);
    bool Play(AudioHandle handle, bool looped);
    int PlayChannel(Mix_Chunk* chunk, int loops);
    void HaltSample(AudioHandle handle);
    void ApplyVolume();
    void CloseLocked();

    std::mutex mutex_;
    bool subsystem_ = false;  // the SDL audio subsystem is held
    bool open_ = false;       // the mixer is open on a device
    int volume_ = 100;
    AudioHandle lastHandle_ = 0;
    AudioHandle currentMusic_ = 0;  // the mixer plays one music at a time
    std::map<AudioHandle, Entry> entries_;
    std::vector<AudioHandle> channelOwner_;  // sample handle last played on each mixer channel
};
