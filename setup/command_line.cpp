#include "setup/command_line.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iostream>

namespace {

bool Allowed(const std::vector<std::string>& allowed, const std::string& flag) {
    return std::find(allowed.begin(), allowed.end(), flag) != allowed.end();
}

}  // namespace

std::optional<int32_t> WholeNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

ParsedOptions ParseSetupOptions(const std::vector<std::string>& words,
                                const std::vector<std::string>& allowed) {
    ParsedOptions parsed;
    SetupOptions& o = parsed.options;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::string flag = word.rfind("--", 0) == 0 ? word.substr(2) : std::string();
        const bool takesValue = flag == "lang" || flag == "dir";
        if (flag == "help") {
            o.help = true;
            continue;
        }
        if (flag.empty() || !Allowed(allowed, flag)) {
            parsed.error = "unknown option: " + word;
            return parsed;
        }
        if (takesValue && i + 1 == words.size()) {
            parsed.error = word + " needs a value";
            return parsed;
        }
        if (flag == "lang") {
            o.language = WholeNumber(words[++i]);
            if (!o.language) {
                parsed.error = "--lang takes a whole number, not " + words[i];
                return parsed;
            }
        } else if (flag == "dir") {
            o.folder = words[++i];
        } else if (flag == "accept-license") {
            o.acceptLicense = true;
        } else if (flag == "yes") {
            o.yes = true;
        }
    }
    return parsed;
}

std::optional<int> EndsAtOptions(const ParsedOptions& parsed, const char* program, const char* usage) {
    if (!parsed.error.empty()) {
        std::cerr << program << ": " << parsed.error << "\n" << usage;
        return 2;
    }
    if (parsed.options.help) {
        std::cout << usage;
        return 0;
    }
    return std::nullopt;
}
