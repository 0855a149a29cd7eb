// A demo recording over arbitrary content, replayed poll by poll by a device with the mouse in use
// and one without. A damaged recording must end the replay or give an engine error, never a crash
// or an overrun.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/exceptions.h"
#include "fuzz/memory_file.h"
#include "shell/input_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    for (const bool mouse : {false, true}) {
        const auto reader = std::make_shared<FileBlockReader>();
        if (!OpenInReader(file, *reader)) return 0;
        InputDevice device;
        device.Actions().SetCodes({0x25, 0x27, 0x20, 0x0D});
        device.SetMouseEnabled(mouse);
        device.SetPlaybackSource(reader);
        try {
            for (int poll = 0; poll < 4096 && !device.PlaybackEnded(); ++poll) {
                device.Poll();
                device.SetWheel(0);
            }
        } catch (const DExep&) {
        }
        device.SetPlaybackSource(nullptr);
    }
    return 0;
}
