#include "tests/shell/game_fixture.h"

#include <fstream>
#include <regex>
#include <sstream>

#include "foundation/trace_flag.h"
#include "shell/game_hooks.h"
#include "shell/game_shutdown.h"
#include "shell/game_startup.h"
#include "shell/input_queue.h"
#include "shell/win_main.h"

GameFixture::GameFixture() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.Absolute());
    NewPlatform();
    KeyQueue().Drain();
    CharQueue().Drain();
}

GameFixture::~GameFixture() {
    GameShutdown();
    Game().services = {};
    Hooks() = GameHooks{};
    SetTraceFlag(false);
    std::filesystem::current_path(previous_);
}

void GameFixture::WriteArchive(const StartupArchiveOptions& options) {
    dir.Write("main.FD", StartupArchive(options));
}

void GameFixture::NewPlatform() {
    platform = std::make_unique<HeadlessPlatform>();
    audio = std::make_unique<HeadlessAudio>();
}

ShellServices GameFixture::Services() {
    return {&platform->GetApp(), &platform->GetVideo(), &platform->GetInput(), &timer, audio.get()};
}

int GameFixture::Run(const char* commandLine) {
    return WinMain(Services(), commandLine);
}

void GameFixture::Startup() {
    Game().services = Services();
    GameStartup();
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
