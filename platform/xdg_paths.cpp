#include "platform/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// The base-directory rules ignore a relative value.
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

std::string UnderHome(const char* variable, const char* fallback) {
    std::string value = AbsoluteVariable(variable);
    if (!value.empty()) return value;
    std::string home = HomeFolder();
    return home.empty() ? std::string() : home + fallback;
}

}  // namespace

std::string HomeFolder() {
    std::string home = AbsoluteVariable("HOME");
    if (!home.empty()) return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? std::string(entry->pw_dir) : std::string();
}

std::string DataHome() {
    return UnderHome("XDG_DATA_HOME", "/.local/share");
}

std::string ConfigHome() {
    return UnderHome("XDG_CONFIG_HOME", "/.config");
}
