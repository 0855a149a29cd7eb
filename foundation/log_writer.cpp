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
    std::FILE* f = std::fopen(fileName, "a");
    if (f == nullptr) return;
    std::tm t = LogClock() ? LogClock()() : LocalNow();
    VersionWords p = ProgramVersionWords();
    VersionWords d = DataVersionWords();
    std::fprintf(f, "<%02i/%02i/%02i %02i:%02i:%02i> [v %i.%02i.%02i%c/%i.%02i.%02i%c] : %s\n", t.tm_mday,
                 t.tm_mon + 1, t.tm_year % 100, t.tm_hour, t.tm_min, t.tm_sec, p.major, p.minor, p.build,
                 static_cast<char>(p.letter), d.major, d.minor, d.build, static_cast<char>(d.letter), text);
    std::fclose(f);
}
