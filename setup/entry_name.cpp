#include "setup/entry_name.h"

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

std::optional<std::vector<std::string>> EntryComponents(std::string_view name) {
    if (name.empty() || HasControlCharacter(name)) return std::nullopt;
    std::vector<std::string> parts(1);
    for (char c : name) {
        if (c == ':') return std::nullopt;
        if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back().push_back(c);
        }
    }
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..") return std::nullopt;
    }
    return parts;
}
