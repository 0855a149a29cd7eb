// All sound of the game: one SoundSystem over the audio output. Sound records are loaded into the
// output on first use and played by a thread of the system's own, which serves play and stop
// requests from one queue in the order they were asked for. It is a script class: scripts play,
// stop and loop sounds through its native methods, engine code through its operations.
//
// A request holds what it plays (the record's SoundBody), never the record: a record may go while
// requests for it wait, and they play nothing then. Shutdown ends the thread before the sound
// records go all the same, and the audio output outlives both.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/audio.h"
#include "script/zema_class.h"
#include "shell/sound_record.h"

class SoundSettingsBlock;

class SoundSystem : public ZEMAClass {
  public:
    // The request kinds the sound thread serves.
    enum class Request : uint32_t {
        PlayOnce = 1025,
        PlayLooped = 1026,
        Stop = 1027,
        StopAll = 1028,
        Quit = 0
    };

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
    // record's handle, or -1 when nothing was posted (no record, one a scene reset gave up, not
    // initialised, sound switched off, no sound thread) or no loader takes the record.
    virtual int32_t PostPlay(SoundRecord* record);
    virtual int32_t PostPlayLooped(SoundRecord* record);
    // Stops every playback of a handle; an unknown handle is ignored. Served after every play asked
    // for before it (at once when there is no sound thread, which leaves nothing waiting).
    virtual void Stop(int32_t handle);
    // Ends everything that plays, in the same order; output goes on.
    virtual void StopAll();
    // Master volume 0 to 10; values outside are clamped.
    virtual void SetVolume(int32_t level);

    // Turns a record's bytes into an audio object: sample, then stream, then music. A record no
    // loader takes stays unloaded: it plays nothing.
    void Load(SoundRecord* record);

    // Lets the sound thread finish the requests posted so far, then ends and joins it. Later play
    // requests give -1. Safe without a thread and twice.
    void StopThread();
    bool ThreadRunning() const;
    bool Initialised() const { return initialised_; }
    bool SoundOn() const;

  private:
    struct Message {
        Request request;
        std::shared_ptr<SoundBody> body;  // what a play plays
        AudioHandle handle = 0;           // what a stop stops
    };

    int32_t Post(SoundRecord* record, Request request);
    // Queues the message for the sound thread; false when there is none.
    bool Send(Message message);
    void ThreadBody();
    void Serve(const Message& message);
    // Sound thread: loads the body if it is not loaded yet and starts it, unless it was given up.
    void Play(SoundBody& body, bool looped);
    // With the body's lock held.
    void LoadLocked(SoundBody& body);

    const SoundSettingsBlock* settings_;
    Audio& audio_;
    bool initialised_ = false;

    // The request queue exists before the thread, so no request is lost while it starts.
    mutable std::mutex queueMutex_;
    std::condition_variable queueCondition_;
    std::deque<Message> queue_;
    bool running_ = false;  // the thread is started and takes requests
    std::thread thread_;
};

// Binds SoundSystem's native methods (4 to 8) into target, after the ZEMAClass ones.
void BindSoundSystemMethods(ZEMAClass& target);
