#include "foundation/log_writer.h"

#include <cstdio>
#include <mutex>

#include "foundation/version_words.h"

namespace {

std::mutex& LogMutex() {
    static std::mutex m;
    return m;
}

std::function<std::tm()>& LogClock() {
    static std::function<std::tm()> clock;
    return clock;
}

std::tm LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

void SetLogClock(std::function<std::tm()> clock) {
    std::lock_guard<std::mutex> lock(LogMutex());
    LogClock() = std::move(clock);
}

void WriteLog(const char* fileName, const char* text) {
    std::lock_guard<std::mutex> lock(LogMutex());
    std::tm t = LogClock() ? LogClock()() : LocalNow();
    VersionWords p = ProgramVersionWords();
    VersionWords d = DataVersionWords();
    // The archive's version letter is unknown until its version block is read: no letter then.
    const char programLetter[2] = {static_cast<char>(p.letter), '\0'};
    const char dataLetter[2] = {static_cast<char>(d.letter), '\0'};
    char stamp[128];
    std::snprintf(stamp, sizeof stamp,
                  "<%02i/%02i/%02i %02i:%02i:%02i> [v %i.%02i.%02i%s/%i.%02i.%02i%s] : ", t.tm_mday,
                  t.tm_mon + 1, t.tm_year % 100, t.tm_hour, t.tm_min, t.tm_sec, p.major, p.minor, p.build,
                  programLetter, d.major, d.minor, d.build, dataLetter);
    std::FILE* f = std::fopen(fileName, "a");
    bool written = f != nullptr && std::fprintf(f, "%s%s\n", stamp, text) >= 0;
    if (f != nullptr) written = std::fclose(f) == 0 && written;
    // A line the file does not take still reaches whoever started the program.
    if (!written) std::fprintf(stderr, "%s: %s%s\n", fileName, stamp, text);
}
