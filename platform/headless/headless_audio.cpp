#include "platform/headless/headless_audio.h"

#include <algorithm>

#include "platform/module_decoder.h"

namespace {

std::string Line(const char* name, long long arg, long long result) {
    return std::string(name) + " " + std::to_string(arg) + " -> " + std::to_string(result);
}

}  // namespace

HeadlessAudio::HeadlessAudio(bool deviceAvailable) : deviceAvailable_(deviceAvailable) {}

bool HeadlessAudio::Init() {
    std::lock_guard lock(mutex_);
    open_ = deviceAvailable_;
    Record(std::string("Init -> ") + (open_ ? "1" : "0"));
    return open_;
}

void HeadlessAudio::Shutdown() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    open_ = false;
    Record("Shutdown");
}

AudioHandle HeadlessAudio::Add(AudioKind kind, int maxPlaybacks) {
    if (!open_) return 0;
    do {
        lastHandle_ = lastHandle_ >= 0x7FFFFFFF ? 1 : lastHandle_ + 1;
    } while (entries_.contains(lastHandle_));
    entries_.emplace(lastHandle_, Entry{kind, maxPlaybacks});
    return lastHandle_;
}

AudioHandle HeadlessAudio::LoadSample(std::span<const uint8_t> data, int maxPlaybacks) {
    std::lock_guard lock(mutex_);
    AudioHandle h = 0;
    if (!refuseSamples_ && IsSampledSound(DetectAudioFormat(data)))
        h = Add(AudioKind::Sample, std::max(maxPlaybacks, 1));
    Record(Line("LoadSample", static_cast<long long>(data.size()), h));
    return h;
}

AudioHandle HeadlessAudio::LoadStream(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    AudioHandle h = 0;
    if (IsSampledSound(DetectAudioFormat(data))) h = Add(AudioKind::Stream, 1);
    Record(Line("LoadStream", static_cast<long long>(data.size()), h));
    return h;
}

AudioHandle HeadlessAudio::LoadMusic(std::span<const uint8_t> data) {
    std::lock_guard lock(mutex_);
    AudioHandle h = 0;
    if (ModuleDecoder::Open(data)) h = Add(AudioKind::Music, 1);
    Record(Line("LoadMusic", static_cast<long long>(data.size()), h));
    return h;
}

void HeadlessAudio::Free(AudioHandle handle) {
    std::lock_guard lock(mutex_);
    entries_.erase(handle);
    Record("Free " + std::to_string(handle));
}

bool HeadlessAudio::Play(std::unique_lock<std::mutex>& lock, AudioHandle handle) {
    playsReleased_.wait(lock, [this] { return !playsHeld_; });
    auto it = entries_.find(handle);
    if (!open_ || it == entries_.end()) return false;
    Entry& e = it->second;
    if (e.kind != AudioKind::Sample) {
        // One voice each for the stream and the module: a new one ends the one of its kind.
        for (auto& [h, other] : entries_)
            if (other.kind == e.kind) other.playbacks = 0;
        e.playbacks = 1;
        return true;
    }
    if (e.playbacks >= e.maxPlaybacks) return false;
    ++e.playbacks;
    return true;
}

bool HeadlessAudio::PlayOnce(AudioHandle handle) {
    std::unique_lock lock(mutex_);
    const bool ok = Play(lock, handle);
    Record(Line("PlayOnce", handle, ok));
    return ok;
}

bool HeadlessAudio::PlayLooped(AudioHandle handle) {
    std::unique_lock lock(mutex_);
    const bool ok = Play(lock, handle);
    Record(Line("PlayLooped", handle, ok));
    return ok;
}

bool HeadlessAudio::Stop(AudioHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    const bool known = it != entries_.end();
    if (known) it->second.playbacks = 0;
    Record(Line("Stop", handle, known));
    return known;
}

void HeadlessAudio::StopAll() {
    std::lock_guard lock(mutex_);
    for (auto& [h, e] : entries_) e.playbacks = 0;
    Record("StopAll");
}

void HeadlessAudio::SetVolume(int percent) {
    std::lock_guard lock(mutex_);
    volume_ = std::clamp(percent, 0, 100);
    Record("SetVolume " + std::to_string(percent));
}

void HeadlessAudio::PlayCD(int track, bool loop) {
    std::lock_guard lock(mutex_);
    Record("PlayCD " + std::to_string(track) + " " + (loop ? "1" : "0"));
}

void HeadlessAudio::StopCD() {
    std::lock_guard lock(mutex_);
    Record("StopCD");
}

void HeadlessAudio::RefuseSamples(bool refuse) {
    std::lock_guard lock(mutex_);
    refuseSamples_ = refuse;
}

void HeadlessAudio::HoldPlays(bool hold) {
    {
        std::lock_guard lock(mutex_);
        playsHeld_ = hold;
    }
    playsReleased_.notify_all();
}

std::vector<std::string> HeadlessAudio::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void HeadlessAudio::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

bool HeadlessAudio::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

int HeadlessAudio::Volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

int HeadlessAudio::Playbacks(AudioHandle handle) const {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    return it == entries_.end() ? 0 : it->second.playbacks;
}

int HeadlessAudio::Objects() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(entries_.size());
}

void HeadlessAudio::Record(std::string line) {
    calls_.push_back(std::move(line));
}
