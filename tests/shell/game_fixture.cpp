#include "tests/shell/game_fixture.h"

#include <fstream>
#include <regex>

#include "shell/win_main.h"

int GameFixture::Run(const char* commandLine) {
    return WinMain(Services(), commandLine);
}

std::vector<std::string> GameFixture::LogTexts() {
    std::ifstream in(dir.Absolute() / "vondrel.log", std::ios::binary);
    std::vector<std::string> texts;
    static const std::regex line(R"(<\d\d/\d\d/\d\d \d\d:\d\d:\d\d> \[v 1\.11\.00b/[^\]]*\] : ([\s\S]*))");
    for (std::string text; std::getline(in, text);) {
        if (text.empty()) continue;  // the blank line after a text that ends in a line feed
        std::smatch match;
        EXPECT_TRUE(std::regex_match(text, match, line)) << text;
        texts.push_back(match.size() > 1 ? match[1].str() : text);
    }
    return texts;
}
