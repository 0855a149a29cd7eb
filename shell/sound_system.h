// All sound of the game: one SoundSystem over the audio output. Sound records are loaded into the
// output on first use and played by a thread of the system's own, which takes play requests from a
// queue in the order they were posted. It is a script class: scripts play, stop and loop sounds
// through its native methods, engine code through its operations.
//
// Records must outlive the requests posted for them: shutdown calls StopThread before the sound
// records are freed, and the audio output outlives both.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/audio.h"
#include "script/zema_class.h"
#include "shell/sound_record.h"

class SoundSettingsBlock;

class SoundSystem : public ZEMAClass {
  public:
    // The request kinds the sound thread serves.
    enum class Request : uint32_t { PlayOnce = 1025, PlayLooped = 1026, Quit = 0 };

    // settings: "Sound.SNDS", read for its sound-on switch at every play request (not owned).
    SoundSystem(const SoundSettingsBlock* settings, MethodRunner* processor, Audio& audio);
    // Stops the sound thread, then closes the output.
    ~SoundSystem() override;

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;

    // Starts the sound thread if it is not running and opens the output. Without a device the
    // system stays uninitialised: play requests give -1 and CD requests do nothing.
    virtual void Init();
    virtual void PlayCD(int32_t track, int32_t loop);
    virtual void StopCD();
    // Asks the sound thread to play the record once / looped, loading it here first. Gives the
    // record's handle, or -1 when nothing was posted (no record, not initialised, sound switched
    // off, no sound thread). A record no loader takes is a FatalExep naming its file.
    virtual int32_t PostPlay(SoundRecord* record);
    virtual int32_t PostPlayLooped(SoundRecord* record);
    // Stops every playback of a handle; an unknown handle is ignored.
    virtual void Stop(int32_t handle);
    // Ends everything that plays; output goes on.
    virtual void StopAll();
    // Master volume 0 to 10; values outside are clamped.
    virtual void SetVolume(int32_t level);

    // Sound thread: loads the record if it is not loaded yet and starts it.
    void Play(SoundRecord* record, bool looped);
    // Turns a record's bytes into an audio object: sample, then stream, then music. A record no
    // loader takes stays unloaded: it plays nothing.
    void Load(SoundRecord* record);

    // Lets the sound thread finish the requests posted so far, then ends and joins it. Later play
    // requests give -1. Safe without a thread and twice.
    void StopThread();
    // Lets a running sound thread finish the requests posted so far and starts it afresh: no
    // request made before refers to a sound any more (before sounds are unloaded).
    void RestartThread();
    bool ThreadRunning() const;
    bool Initialised() const { return initialised_; }
    bool SoundOn() const;

  private:
    struct Message {
        Request request;
        SoundRecord* record;
    };

    int32_t Post(SoundRecord* record, Request request);
    void ThreadBody();

    const SoundSettingsBlock* settings_;
    Audio& audio_;
    bool initialised_ = false;

    // Serialises loading, so that the caller and the sound thread never load one record at once.
    std::mutex loadMutex_;

    // The request queue exists before the thread, so no request is lost while it starts.
    mutable std::mutex queueMutex_;
    std::condition_variable queueCondition_;
    std::deque<Message> queue_;
    bool running_ = false;  // the thread is started and takes requests
    std::thread thread_;
};

// Binds SoundSystem's native methods (4 to 8) into target, after the ZEMAClass ones.
void BindSoundSystemMethods(ZEMAClass& target);
