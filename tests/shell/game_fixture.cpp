#include "tests/shell/game_fixture.h"

#include <cctype>
#include <fstream>
#include <optional>

#include "shell/win_main.h"

int GameFixture::Run(const char* commandLine) {
    return WinMain(Services(), commandLine);
}

namespace {

// The text of a log line "<dd/dd/dd dd:dd:dd> [v 1.11.00b/...] : text", or nothing when the line
// has another form.
std::optional<std::string> LogLineText(const std::string& line) {
    static const std::string stamp = "<00/00/00 00:00:00> ";
    if (line.size() < stamp.size()) return std::nullopt;
    for (size_t i = 0; i < stamp.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(line[i])) != 0;
        if (stamp[i] == '0' ? !digit : line[i] != stamp[i]) return std::nullopt;
    }
    static const std::string version = "[v 1.11.00b/";
    if (line.compare(stamp.size(), version.size(), version) != 0) return std::nullopt;
    const size_t end = line.find("] : ", stamp.size() + version.size());
    if (end == std::string::npos) return std::nullopt;
    return line.substr(end + 4);
}

}  // namespace

std::vector<std::string> GameFixture::LogTexts() {
    std::ifstream in(dir.Absolute() / "vondrel.log", std::ios::binary);
    std::vector<std::string> texts;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;  // the blank line after a text that ends in a line feed
        const std::optional<std::string> text = LogLineText(line);
        EXPECT_TRUE(text.has_value()) << line;
        texts.push_back(text.value_or(line));
    }
    return texts;
}
