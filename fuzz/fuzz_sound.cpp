// A sound file over arbitrary content, read as the sound cache reads it (packed or not), its format
// told from its first bytes and handed to the audio output, which decodes it: the SDL backend on
// its dummy driver where it is built. Damaged input must be refused or give an engine error, never
// a crash, an overrun or an allocation sized by the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "platform/headless/headless_audio.h"
#include "shell/sound_record.h"
#ifdef VONDREL_FUZZ_SDL_AUDIO
#include "platform/sdl/sdl_audio.h"
#endif

namespace {

Audio& Output() {
    static std::unique_ptr<Audio> audio = [] {
        std::unique_ptr<Audio> made;
#ifdef VONDREL_FUZZ_SDL_AUDIO
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        made = std::make_unique<SdlAudio>();
#else
        made = std::make_unique<HeadlessAudio>(true);
#endif
        made->Init();
        return made;
    }();
    return *audio;
}

}  // namespace

// A decoder's allocation that cannot be made fails as it does outside the fuzzer: the decoder is
// given null and refuses the file.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    auto record = std::make_unique<SoundRecord>();
    try {
        record->ReadData(reader);
    } catch (const DExep&) {
        return 0;
    }
    DetectAudioFormat(record->Data());
    Audio& audio = Output();
    const LoadedAudio loaded = audio.Load(record->Data());
    if (loaded.handle != 0) audio.Free(loaded.handle);
    return 0;
}
