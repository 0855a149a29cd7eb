// Sound files as the audio output takes them: format detection, the headless loaders, and the
// module decoder opening and rendering a little of whatever it accepts. Damaged input must be
// refused or played, never crash.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/audio.h"
#include "platform/headless/headless_audio.h"
#include "platform/module_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    DetectAudioFormat(bytes);
    HeadlessAudio audio;
    audio.Init();
    const LoadedAudio loaded = audio.Load(bytes);
    audio.PlayOnce(loaded.handle);
    if (auto module = ModuleDecoder::Open(bytes)) {
        std::vector<int16_t> out(2 * 2048);
        module->Restart(true);
        module->Render(44100, out.data(), 2048);
    }
    return 0;
}
