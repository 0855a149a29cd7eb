#include "tests/support/save_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/game_harness.h"
#include "tests/support/pilot_fixture.h"
#include "tools/content/block_writer.h"

namespace {

std::filesystem::path OnDisk(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

}  // namespace

void AddSaveClasses(GameHarness& game) {
    AddPilotClasses(game);
    game.AddClass({.name = kTestScenarioClass,
                   .base = "Scenario",
                   .virtuals = {{2, PushIntWords(0)},
                                {3, PushTextWords(kTestScenarioName)},
                                {4, PushTextWords(kTestScenarioText)}}});
    game.AddClass({.name = kAgainScenarioClass, .base = "Scenario", .virtuals = {{2, PushIntWords(1)}}});
    // Method 999 of the base does not exist: the save fails halfway.
    game.AddClass({.name = kBombClass,
                   .base = "QuestItem",
                   .virtuals = {{5, {BaseCallWord(999)}}},
                   .createValues = {0}});
}

std::string SaveHeaderBytes(int32_t time, int32_t date, const std::vector<std::string>& texts) {
    std::string payload;
    for (const std::string& text : texts) payload += text + '\0';
    return SEBlock("SAVE", payload, LeU32(static_cast<uint32_t>(time)) + LeU32(static_cast<uint32_t>(date)));
}

std::vector<std::string> SaveTextsFor(const std::string& stem, const std::string& scenario) {
    return {stem, scenario, kTestScenarioName, "", "", "New", "", ""};
}

std::string SavePosBytes(uint32_t selected, uint32_t firstVisible) {
    return SEBlock("SVPS", "", LeU32(selected) + LeU32(firstVisible));
}

void WriteGameFile(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = OnDisk(name);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadGameFile(const std::string& name) {
    std::ifstream in(OnDisk(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
