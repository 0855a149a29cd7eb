#include "shell/sound_system.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/native_args.h"

namespace {

constexpr int32_t kNotPlayed = -1;

SoundSystem& SystemOf(ScriptObject* receiver) {
    auto* system = dynamic_cast<SoundSystem*>(receiver);
    if (system == nullptr) throw FatalExep(String("SoundSystem expected as receiver"));
    return *system;
}

// Method 4: pops a sound record; pushes its handle or -1.
void PostPlayHandler(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    SoundRecord* record = SoundRecord::FromAddress(args.Word());
    stack.Push(static_cast<uint32_t>(SystemOf(receiver).PostPlay(record)));
}

// Method 5: pops a handle.
void StopHandler(ScriptObject* receiver) {
    SystemOf(receiver).Stop(NativeArgs(receiver).Int());
}

// Method 6: pops the loop flag, then the track.
void PlayCDHandler(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const auto loop = args.Int();
    const auto track = args.Int();
    SystemOf(receiver).PlayCD(track, loop);
}

// Method 7.
void StopCDHandler(ScriptObject* receiver) {
    SystemOf(receiver).StopCD();
}

// Method 8: pops a sound record; pushes its handle or -1.
void PostPlayLoopedHandler(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    SoundRecord* record = SoundRecord::FromAddress(args.Word());
    stack.Push(static_cast<uint32_t>(SystemOf(receiver).PostPlayLooped(record)));
}

const String& SystemName() {
    static const String* name = new String("SoundSystem");
    return *name;
}

bool Loaded(AudioKind kind) {
    return kind != AudioKind::None;
}

}  // namespace

void BindSoundSystemMethods(ZEMAClass& target) {
    target.SetMethod(PostPlayHandler, 4);
    target.SetMethod(StopHandler, 5);
    target.SetMethod(PlayCDHandler, 6);
    target.SetMethod(StopCDHandler, 7);
    target.SetMethod(PostPlayLoopedHandler, 8);
}

SoundSystem::SoundSystem(const SoundSettingsBlock* settings, MethodRunner* processor, Audio& audio)
    : ZEMAClass(processor), settings_(settings), audio_(audio) {}

SoundSystem::~SoundSystem() {
    StopThread();
    if (initialised_) audio_.Shutdown();
}

bool SoundSystem::IsKindOf(const char* name) const {
    return std::strcmp(name, "SoundSystem") == 0 || std::strcmp(name, "ZEMAClass") == 0;
}

void SoundSystem::RegisterMethods(ZEMAClass& target) {
    BindZEMAClassMethods(target);
    BindSoundSystemMethods(target);
}

void SoundSystem::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(9, 2);
}

const String& SoundSystem::ClassName() const {
    return SystemName();
}

void SoundSystem::Init() {
    {
        std::lock_guard lock(queueMutex_);
        if (!running_) {
            thread_ = std::thread([this] { ThreadBody(); });
            running_ = true;
        }
    }
    initialised_ = audio_.Init();
}

bool SoundSystem::SoundOn() const {
    return settings_ != nullptr && settings_->SoundOn();
}

void SoundSystem::PlayCD(int32_t track, int32_t loop) {
    if (initialised_) audio_.PlayCD(track, (loop & 1) != 0);
}

void SoundSystem::StopCD() {
    audio_.StopCD();
}

int32_t SoundSystem::PostPlay(SoundRecord* record) {
    return Post(record, Request::PlayOnce);
}

int32_t SoundSystem::PostPlayLooped(SoundRecord* record) {
    return Post(record, Request::PlayLooped);
}

int32_t SoundSystem::Post(SoundRecord* record, Request request) {
    // A record a scene reset gave up is forgotten: a frame may still hold it, but it plays no more.
    if (record == nullptr || !record->Alive() || !initialised_ || !SoundOn()) return kNotPlayed;
    Load(record);
    const std::shared_ptr<SoundBody>& body = record->Body();
    if (!Send(Message{request, body})) return kNotPlayed;
    return Loaded(body->Type()) ? static_cast<int32_t>(body->Handle()) : kNotPlayed;
}

bool SoundSystem::Send(Message message) {
    {
        std::lock_guard lock(queueMutex_);
        if (!running_) return false;
        queue_.push_back(std::move(message));
    }
    queueCondition_.notify_one();
    return true;
}

void SoundSystem::Stop(int32_t handle) {
    const auto audioHandle = static_cast<AudioHandle>(handle);
    if (!Send(Message{Request::Stop, nullptr, audioHandle})) audio_.Stop(audioHandle);
}

void SoundSystem::StopAll() {
    if (!Send(Message{Request::StopAll, nullptr})) audio_.StopAll();
}

void SoundSystem::SetVolume(int32_t level) {
    audio_.SetVolume(std::clamp(level, 0, 10) * 10);
}

void SoundSystem::Load(SoundRecord* record) {
    SoundBody& body = *record->Body();
    std::lock_guard lock(body.mutex_);
    LoadLocked(body);
}

void SoundSystem::LoadLocked(SoundBody& body) {
    if (Loaded(body.Type())) return;
    const LoadedAudio loaded = audio_.Load(std::span<const uint8_t>(body.Data()));
    // A file no loader takes stays unloaded: it is tried again at its next play and plays nothing.
    if (!Loaded(loaded.kind)) return;
    body.audio_ = &audio_;
    body.handle_.store(loaded.handle, std::memory_order_release);
    body.type_.store(static_cast<uint32_t>(loaded.kind), std::memory_order_release);
}

void SoundSystem::Play(SoundBody& body, bool looped) {
    std::lock_guard lock(body.mutex_);
    if (body.givenUp_) return;
    LoadLocked(body);
    if (!Loaded(body.Type())) return;
    if (looped)
        audio_.PlayLooped(body.Handle());
    else
        audio_.PlayOnce(body.Handle());
}

void SoundSystem::Serve(const Message& message) {
    switch (message.request) {
        case Request::PlayOnce:
        case Request::PlayLooped:
            Play(*message.body, message.request == Request::PlayLooped);
            break;
        case Request::Stop:
            audio_.Stop(message.handle);
            break;
        case Request::StopAll:
            audio_.StopAll();
            break;
        case Request::Quit:
            break;
    }
}

void SoundSystem::ThreadBody() {
    for (;;) {
        Message message;
        {
            std::unique_lock lock(queueMutex_);
            queueCondition_.wait(lock, [this] { return !queue_.empty(); });
            message = std::move(queue_.front());
            queue_.pop_front();
        }
        if (message.request == Request::Quit) return;
        try {
            Serve(message);
        } catch (...) {
            // A sound that cannot play is not worth the game: the next request is served.
        }
        // The body goes here when its record went meanwhile, and its audio object with it.
    }
}

void SoundSystem::StopThread() {
    {
        std::lock_guard lock(queueMutex_);
        if (!running_) return;
        running_ = false;
        queue_.push_back(Message{Request::Quit, nullptr});
    }
    queueCondition_.notify_one();
    thread_.join();
}

bool SoundSystem::ThreadRunning() const {
    std::lock_guard lock(queueMutex_);
    return running_;
}
