// One sound file held in memory: samples, streams and music modules alike, read whole from the
// archive and handed to the audio output on first play. Scripts hold records as objects (a script
// object without a class); the sound cache keeps them until a scene reset gives them up.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/engine_string.h"
#include "platform/audio.h"
#include "script/script_object.h"

class BlockReader;

// The shell numbers its script object kinds from 64.
constexpr uint32_t kSoundRecordKind = 64;

// What the sound thread plays from: a record's bytes and the audio object made from them. The record
// and every request posted for it share one, so the sound thread never reads a record, whose memory
// goes by the rules of script objects; the audio object goes when the last of them lets go.
class SoundBody {
  public:
    SoundBody() = default;
    explicit SoundBody(std::vector<uint8_t> data) : data_(std::move(data)) {}
    SoundBody(const SoundBody&) = delete;
    SoundBody& operator=(const SoundBody&) = delete;
    // Frees the audio object, whatever its kind. The audio output must still exist.
    ~SoundBody();

    AudioKind Type() const { return static_cast<AudioKind>(type_.load(std::memory_order_acquire)); }
    AudioHandle Handle() const { return handle_.load(std::memory_order_acquire); }
    const std::vector<uint8_t>& Data() const { return data_; }

    // For a record that goes, or gets other contents: no request plays this any more, and what plays
    // of it stops.
    void GiveUp();

  private:
    friend class SoundSystem;

    // Taken by the sound system around loading and playing, and here around giving up: no playback
    // starts once the body was given up, and no two threads load it at once.
    std::mutex mutex_;
    bool givenUp_ = false;
    std::atomic<uint32_t> type_{0};
    std::atomic<AudioHandle> handle_{0};
    const std::vector<uint8_t> data_{};
    Audio* audio_ = nullptr;  // the output that holds the loaded object
};

class SoundRecord : public ScriptObject {
  public:
    SoundRecord();
    SoundRecord(const SoundRecord&) = delete;
    SoundRecord& operator=(const SoundRecord&) = delete;
    // Requests still waiting for the record play nothing; its audio object goes with the last of them.
    ~SoundRecord() override;

    // Replaces the contents with the rest of the reader's content, and the name with the reader's;
    // what was loaded is let go as the destructor does. Content above 64 MiB or shorter than its size
    // says throws FatalExep naming the file, leaving the record empty.
    virtual void ReadData(BlockReader& reader);

    // None until loaded; then Music, Sample or Stream.
    AudioKind Type() const { return body_->Type(); }
    AudioHandle Handle() const { return body_->Handle(); }
    uint32_t DataSize() const { return static_cast<uint32_t>(body_->Data().size()); }
    const std::vector<uint8_t>& Data() const { return body_->Data(); }
    // The file the data was read from, for error messages.
    const String& Name() const { return name_; }
    // What a request posted for the record holds.
    const std::shared_ptr<SoundBody>& Body() const { return body_; }

    // The record at a script value: null for 0, else checked to be a live record.
    static SoundRecord* FromAddress(uint32_t address);

  protected:
    // Scripts know a record by its audio handle too: a retired record plays no more.
    void RetireParts() override;

  private:
    void LetGoOfBody();

    std::shared_ptr<SoundBody> body_;
    String name_;
};
