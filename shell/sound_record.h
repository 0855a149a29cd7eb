// One sound file held in memory: samples, streams and music modules alike, read whole from the
// archive and handed to the audio output on first play. Scripts hold records as objects (a script
// object without a class); the sound cache keeps them for the whole run.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "foundation/engine_string.h"
#include "platform/audio.h"
#include "script/script_object.h"

class BlockReader;

// The shell numbers its script object kinds from 64.
constexpr uint32_t kSoundRecordKind = 64;

class SoundRecord : public ScriptObject {
  public:
    SoundRecord();
    SoundRecord(const SoundRecord&) = delete;
    SoundRecord& operator=(const SoundRecord&) = delete;
    // Frees the loaded audio object, whatever its kind. The audio output must still exist.
    ~SoundRecord() override;

    // Replaces the contents with the rest of the reader's content, and the name with the reader's;
    // what was loaded is freed. Content above 64 MiB or shorter than its size says throws
    // FatalExep naming the file.
    virtual void ReadData(BlockReader& reader);

    // None until loaded; then Music, Sample or Stream.
    AudioKind Type() const { return static_cast<AudioKind>(type_.load(std::memory_order_acquire)); }
    AudioHandle Handle() const { return handle_.load(std::memory_order_acquire); }
    uint32_t DataSize() const { return static_cast<uint32_t>(data_.size()); }
    const std::vector<uint8_t>& Data() const { return data_; }
    // The file the data was read from, for error messages.
    const String& Name() const { return name_; }

    // The record at a script value: null for 0, else checked to be a live record.
    static SoundRecord* FromAddress(uint32_t address);

  private:
    friend class SoundSystem;
    // Called by the sound system with its load lock held.
    void SetLoaded(Audio& audio, const LoadedAudio& loaded);
    void Release();

    std::atomic<uint32_t> type_{0};
    std::atomic<AudioHandle> handle_{0};
    std::vector<uint8_t> data_;
    String name_;
    Audio* audio_ = nullptr;  // the output that holds the loaded object
};
