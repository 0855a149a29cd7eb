// Sound output: sound files are handed over whole from memory and become samples (decoded once,
// several playbacks at a time), streams (decoded while playing) or music modules. Any number of
// samples, one stream and one module sound together. Every object is
// known by a 32-bit handle; a handle that is unknown or already freed is refused, never trusted.
// All operations are safe to call from any thread.
#pragma once

#include <cstdint>
#include <span>

using AudioHandle = uint32_t;  // 0 = none; never above 0x7FFFFFFF, so scripts see it positive

// What a file's first bytes say it is: PCM WAVE, compressed sampled sound (Ogg Vorbis, MPEG audio,
// FLAC), or a music module as the module library knows them.
enum class AudioFormat { Unknown, Wave, Compressed, Module };
AudioFormat DetectAudioFormat(std::span<const uint8_t> data);
// Sampled sound, which samples and streams are made from; modules are not.
bool IsSampledSound(AudioFormat format);
// The sample rates sampled sound may have. Far below any rate in use, the conversion to the
// device's rate is thousands of times the file (4 KB at 1 Hz took 350 MB); above the highest no
// device plays.
inline constexpr uint32_t kLowestSoundRate = 1000;
inline constexpr uint32_t kHighestSoundRate = 384000;

// Numbered as the sound records keep their kind.
enum class AudioKind : uint32_t { None = 0, Music = 1, Sample = 2, Stream = 3 };

struct LoadedAudio {
    AudioKind kind = AudioKind::None;
    AudioHandle handle = 0;
};

class Audio {
  public:
    static constexpr int kMaxSamplePlaybacks = 5;

    virtual ~Audio() = default;

    // Opens the output device. When there is none, falls back to running without sound and returns
    // false; then loads are refused and plays do nothing, and every other call is still safe.
    virtual bool Init() = 0;
    // Frees every object and closes the output; Init may be called again.
    virtual void Shutdown() = 0;

    // Each returns 0 when it refuses the data. Streams and modules keep a copy of the data.
    virtual AudioHandle LoadSample(std::span<const uint8_t> data, int maxPlaybacks) = 0;
    virtual AudioHandle LoadStream(std::span<const uint8_t> data) = 0;
    virtual AudioHandle LoadMusic(std::span<const uint8_t> data) = 0;
    // Sample (at most kMaxSamplePlaybacks at once), then stream, then music: the first taker wins.
    // Nothing loaded (kind None) when every loader refuses the data.
    LoadedAudio Load(std::span<const uint8_t> data);
    virtual void Free(AudioHandle handle) = 0;

    // A sample starts one more playback (refused when all of its playbacks are busy); a stream or
    // module restarts from its beginning, ending the stream or module of its kind that was playing.
    virtual bool PlayOnce(AudioHandle handle) = 0;
    virtual bool PlayLooped(AudioHandle handle) = 0;
    // Stops every playback of the handle; false for an unknown handle.
    virtual bool Stop(AudioHandle handle) = 0;
    // Ends everything that is playing; output stays open for what is played next.
    virtual void StopAll() = 0;
    // Master volume 0 to 100; values outside are clamped.
    virtual void SetVolume(int percent) = 0;

    // There is no CD drive to play from: kept so callers need not know that.
    virtual void PlayCD(int track, bool loop) = 0;
    virtual void StopCD() = 0;
};
