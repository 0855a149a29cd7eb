// Sound output without a device, for tests: knows sampled sound by its first bytes and modules by
// the module library, keeps playback counts instead of mixing (any number of samples, one stream and
// one module at a time, as the real output), and records every call as one line
// "Name args -> result".
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.h"

class HeadlessAudio final : public Audio {
  public:
    // deviceAvailable false makes Init take the no-sound fallback.
    explicit HeadlessAudio(bool deviceAvailable = true);

    bool Init() override;
    void Shutdown() override;
    // Samples and streams: WAVE, Ogg, MPEG and FLAC. Music: what the module library reads.
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

    // The sample loader refuses everything from now on, as a decoder short of memory would, so
    // that sampled sound goes on to the stream loader.
    void RefuseSamples(bool refuse);
    // While held, a play waits before it starts, holding nothing that other calls need, so that a
    // test can keep the sound thread at one request while the game goes on.
    void HoldPlays(bool hold);

    std::vector<std::string> Calls() const;
    void ClearCalls();
    bool IsOpen() const;
    int Volume() const;
    int Playbacks(AudioHandle handle) const;  // playbacks running now; 0 for an unknown handle
    int Objects() const;                      // loaded objects not yet freed

  private:
    struct Entry {
        AudioKind kind;
        int maxPlaybacks;
        int playbacks = 0;
    };
    AudioHandle Add(AudioKind kind, int maxPlaybacks);
    bool Play(std::unique_lock<std::mutex>& lock, AudioHandle handle);
    void Record(std::string line);

    mutable std::mutex mutex_;
    bool deviceAvailable_;
    bool open_ = false;
    bool refuseSamples_ = false;
    bool playsHeld_ = false;
    std::condition_variable playsReleased_;
    int volume_ = 100;
    AudioHandle lastHandle_ = 0;
    std::map<AudioHandle, Entry> entries_;
    std::vector<std::string> calls_;
};
