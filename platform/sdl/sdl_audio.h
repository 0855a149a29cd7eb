// Sound output through SDL2_mixer, on three kinds of voice that sound together:
// - samples (WAVE, Ogg Vorbis, MPEG audio, FLAC) are decoded whole into mixer chunks and played on
//   mixer channels, as many at a time as there are channels;
// - the stream is the mixer's music, decoded while it plays;
// - the module is rendered by the module library into the mixer's output after everything else is
//   mixed (the mixer's post-mix hook), so it never takes the music slot from the stream.
// One instance at a time: the mixer is process-wide.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio.h"
#include "platform/module_decoder.h"

struct Mix_Chunk;
struct _Mix_Music;
struct SDL_RWops;

class SdlAudio final : public Audio {
  public:
    SdlAudio() = default;
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    bool Init() override;
    void Shutdown() override;
    // Samples and streams take sampled sound (a WAVE file only when CheckWave passes it), music what
    // the module library reads: the same split as the headless backend.
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
    struct ReaderDeleter {
        void operator()(SDL_RWops* rw) const;
    };
    struct Entry {
        // Declared first so it is released last: the mixer reads music from it while playing.
        std::vector<uint8_t> data;
        AudioKind kind = AudioKind::None;
        int maxPlaybacks = 1;
        std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk;
        // The reader the mixer takes music from; ours to close (after the music), since the mixer
        // does not free it on every failure.
        std::unique_ptr<SDL_RWops, ReaderDeleter> reader;
        std::unique_ptr<_Mix_Music, MusicDeleter> music;
        std::unique_ptr<ModuleDecoder> module;
    };

    AudioHandle Add(Entry entry);
    // The module voice: what plays on it, set and read under moduleMutex_.
    void SetPlayingModule(ModuleDecoder* module, bool looped);
    // The post-mix hook, on the audio thread: adds the module's sound to the mixed output.
    static void MixModule(void* self, uint8_t* stream, int length);
    void MixModuleLocked(int16_t* out, size_t samples);
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
    AudioHandle currentMusic_ = 0;   // the stream on the mixer's music slot
    AudioHandle currentModule_ = 0;  // the module on the module voice
    std::map<AudioHandle, Entry> entries_;
    std::vector<AudioHandle> channelOwner_;  // sample handle last played on each mixer channel

    // Shared with the audio thread. Never held while calling the mixer, which takes its own lock
    // before calling the hook.
    std::mutex moduleMutex_;
    ModuleDecoder* playingModule_ = nullptr;
    std::vector<int16_t> moduleScratch_;
    int outputRate_ = 44100;
    int outputChannels_ = 2;
    std::atomic<int> moduleVolume_{100};
};
