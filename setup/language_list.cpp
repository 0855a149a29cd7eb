#include "setup/language_list.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "foundation/exceptions.h"
#include "foundation/fd_file.h"

namespace {

constexpr size_t kMaxNameBytes = 99;
// Real lists hold a handful of lines; a larger file is not a language list.
constexpr std::streamsize kMaxListBytes = 1 << 20;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == 'x' ||
           c == 'X' || c == '+' || c == '-';
}

// "%i" at pos: the value, with pos moved past what it used; nothing (pos after the white space)
// when no number stands there.
std::optional<int32_t> ReadNumber(std::string_view text, size_t& pos) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    size_t end = pos;
    while (end < text.size() && IsNumberCharacter(text[end])) ++end;
    const std::string candidate(text.substr(pos, end - pos));
    char* stop = nullptr;
    const long long value = std::strtoll(candidate.c_str(), &stop, 0);
    if (stop == candidate.c_str()) return std::nullopt;
    pos += static_cast<size_t>(stop - candidate.c_str());
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

LanguageList LanguageList::Parse(std::string_view text) {
    LanguageList list;
    int32_t number = 1;
    size_t pos = 0;
    while (pos < text.size()) {
        if (auto read = ReadNumber(text, pos)) number = *read;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view name = text.substr(pos, end - pos);
        pos = end + 1;
        if (!name.empty() && name.back() == '\r') name.remove_suffix(1);
        name = name.substr(0, kMaxNameBytes);
        if (name.empty()) continue;
        list.lines_.push_back({std::string(name), number});
    }
    list.shown_ = list.lines_;
    std::stable_sort(list.shown_.begin(), list.shown_.end(), [](const auto& a, const auto& b) {
        return FD::CompareNames(a.name.c_str(), b.name.c_str()) < 0;
    });
    return list;
}

LanguageList LanguageList::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FatalExep(String("Unable to open file \"Language.lng\""));
    std::string content(static_cast<size_t>(kMaxListBytes) + 1, '\0');
    in.read(content.data(), kMaxListBytes + 1);
    if (in.gcount() > kMaxListBytes)
        throw FatalExep(String("Language.lng is too large to be a language list"));
    content.resize(static_cast<size_t>(in.gcount()));
    return Parse(content);
}

std::optional<int32_t> LanguageList::Find(std::string_view name) const {
    for (const LanguageChoice& line : lines_) {
        if (line.name == name) return line.number;
    }
    return std::nullopt;
}

std::optional<size_t> LanguageList::IndexOfNumber(int32_t number) const {
    for (size_t i = 0; i < shown_.size(); ++i) {
        if (shown_[i].number == number) return i;
    }
    return std::nullopt;
}
