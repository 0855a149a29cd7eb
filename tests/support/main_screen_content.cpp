#include "tests/support/main_screen_content.h"

#include <string>

#include "tests/support/game_harness.h"
#include "tools/content/font_builder.h"

namespace {

const char* const kExtraFonts[] = {"BigMenu", "Copyright", "QuestionFont", "AnswerFont"};
const char* const kShipPicture = "Misc\\MainShip.dpf";
const PictureShape kShip{.width = 40, .height = 20};
const std::vector<MessageText> kNotice{{1, "(c) Dorn"}};

}  // namespace

const std::vector<MessageText>& MainScreenMessages() {
    static const std::vector<MessageText> messages{
        {117, "OK"},        {119, "Cancel"},   {120, "Yes"},      {121, "No"},        {185, "Back"},
        {192, "Quit"},      {193, "Options"},  {195, "New game"}, {196, "Load game"}, {197, "Credits"},
        {198, "Demo"},      {199, "Campaign"}, {300, "Arcade"},   {314, "Keys"},      {315, "Screen"},
        {328, "Keys set"},  {343, "Leave?"},   {348, "1 player"}, {349, "2 players"}, {506, "3 players"},
        {507, "4 players"}, {510, "Scenario"}, {521, "Scores"}};
    return messages;
}

void AddMainScreenContent(GameHarness& game) {
    for (const char* font : kExtraFonts) game.AddFont(font);
    game.AddMessages("system.mes", MainScreenMessages());
    game.AddMessages("Copyright.mes", kNotice);
    game.AddPicture(kShipPicture, kShip);
}

std::vector<FdEntry> MainScreenArchiveEntries() {
    std::vector<std::string> fonts = InterfaceFontNames();
    fonts.insert(fonts.end(), std::begin(kExtraFonts), std::end(kExtraFonts));
    std::vector<FdEntry> entries;
    std::string fontList;
    for (const std::string& name : fonts) {
        const std::string entry = "Fonts\\" + name + ".dff";
        fontList += name + " \"" + entry + "\"\n";
        entries.push_back({entry, FontBlock(UniformFont(96, 5, 7))});
    }
    entries.push_back({"Fonts.subs", fontList});
    entries.push_back({"system.mes", MessageFileText(MainScreenMessages())});
    entries.push_back({"Copyright.mes", MessageFileText(kNotice)});
    entries.push_back({kShipPicture, ShapedPicture(kShip)});
    entries.push_back(
        {"Misc\\Stars.dpf", ShapedPicture({.entries = 3, .frames = 1, .width = 1, .height = 1})});
    return entries;
}

std::vector<std::string> MainScreenArchiveReplaced() {
    return {"Fonts.subs", "Fonts\\Default.dff"};
}
