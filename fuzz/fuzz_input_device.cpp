// "Keys.INPD" and its "KEYS" block over arbitrary content, then a poll and the stored form written
// back. Damaged input must end in an engine error, never a crash or an overrun.

#include <cstddef>
#include <cstdint>

#include "foundation/exceptions.h"
#include "foundation/fw.h"
#include "fuzz/memory_file.h"
#include "shell/input_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile file(data, size);
    FileBlockReader reader;
    if (!OpenInReader(file, reader)) return 0;
    InputDevice device;
    try {
        reader >> device;
    } catch (const DExep&) {
        return 0;
    }
    device.Poll();
    device.PollWithMouse();
    try {
        for (uint32_t action = 0; action < 64; ++action) device.ActionSlot(action);
    } catch (const DExep&) {
    }
    try {
        FW writer;
        writer.Create(String("written.INPD"));
        device.WriteKeysChunk(writer);
        writer.Close();
    } catch (const DExep&) {
    }
    return 0;
}
