#include "setup/install_list.h"

#include <fstream>

#include "setup/install_folder.h"

namespace {

// A list names a few thousand files at most.
constexpr std::streamsize kMaxListBytes = 16 << 20;

}  // namespace

std::vector<std::string> InstallListLines(std::string_view content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadInstallList(const std::string& folder) {
    PlacedPath list = PlaceFile(folder, {"uninst.lst"}, false);
    if (list.state == PathState::Missing) return std::vector<std::string>{};
    if (list.state != PathState::Found) return std::nullopt;
    std::ifstream in(list.path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content(static_cast<size_t>(kMaxListBytes) + 1, '\0');
    in.read(content.data(), kMaxListBytes + 1);
    if (in.bad() || in.gcount() > kMaxListBytes) return std::nullopt;
    content.resize(static_cast<size_t>(in.gcount()));
    return InstallListLines(content);
}
