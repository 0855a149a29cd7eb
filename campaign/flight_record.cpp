#include "campaign/flight_record.h"

#include <cstdio>

#include "foundation/exceptions.h"
#include "foundation/fw.h"

namespace {

constexpr uint8_t kAppendText = 3;  // FW flags: append, text

}  // namespace

std::string FpsRecord(uint32_t elapsedMs, int32_t frames) {
    const double seconds = static_cast<double>(elapsedMs / 1000);
    const double rate = elapsedMs == 0 || frames <= 0 ? 0.0 : frames * 1000.0 / elapsedMs;
    char line[128];
    std::snprintf(line, sizeof line, "Time=%f\nFPS=%f\n", seconds, rate);
    return line;
}

void AppendFpsRecord(uint32_t elapsedMs, int32_t frames) {
    const std::string line = FpsRecord(elapsedMs, frames);
    try {
        FW file;
        file.Create(String("fps.txt"), kAppendText);
        file.RawWrite(line.data(), static_cast<uint32_t>(line.size()));
        file.Close();
    } catch (const DExep&) {
        // The record is a courtesy to whoever measures the game; it never stops it.
    }
}
