#include "screens/main_menu.h"

#include <memory>
#include <string>
#include <vector>

#include "campaign/game_manager.h"
#include "campaign/load_and_fly.h"
#include "campaign/player_files.h"
#include "campaign/save_game.h"
#include "campaign/save_screens.h"
#include "campaign/save_slots.h"
#include "campaign/screen_hooks.h"
#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/fw.h"
#include "foundation/random.h"
#include "foundation/script_memory.h"
#include "screens/high_score_window.h"
#include "screens/main_screen.h"
#include "screens/menu_columns.h"
#include "script/message_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "ui/dialog_window.h"
#include "ui/message_box.h"
#include "ui/window_services.h"

namespace {

enum NewGameKind : int32_t { kCampaign = 0, kArcade = 1, kScenario = 2 };

constexpr uint32_t kQuitQuestion = 343;
constexpr uint32_t kKeySetName = 328;
constexpr int32_t kQuestionTypingSpeed = 200;
constexpr int32_t kYesAnswer = 2;
constexpr uint32_t kCreditsFlags = 1;
constexpr int32_t kArcadeAndCampaignPlayers = 2;

int32_t idleTicks = 0;
int32_t newGameKind = kCampaign;
String chosenScenarioFile;

void PlayDemo(Processor& processor, const char* demoFile, const char* level, const char* playerFile) {
    auto* manager = processor.Objects().GetObject(kGameManagerId);
    if (manager == nullptr) ThrowFatal("No GameManager to play the demo");
    // The texts stay in script memory for the whole flight: the flight keeps the level's name.
    const ScriptBuffer<char> texts[] = {CopyTextToScript(demoFile), CopyTextToScript(level),
                                        CopyTextToScript(playerFile)};
    for (const ScriptBuffer<char>& text : texts) processor.DataStack().Push(ToScript(text.get()));
    LoadAndFly(processor, *manager);
}

MainMenuGames DefaultGames() {
    MainMenuGames games;
    games.startGame = LoadPlayerFile;
    games.loadDialog = RunLoadGameDialog;
    games.scenarioDialog = RunScenarioDialog;
    games.loadSave = [](Processor& processor, const String& saveFile) {
        SaveGameFile::Load(processor, GameManagerObject::Get(processor).GameTime(), saveFile);
    };
    games.playDemo = PlayDemo;
    games.highScores = ShowHighScores;
    return games;
}

Processor& ProcessorOf(DialogWindow& window) {
    Processor* processor = window.GetProcessor();
    if (processor == nullptr) ThrowFatal("The main menu has no processor");
    return *processor;
}

// The device of the main screen's loop: the key mapping of "Keys.INPD".
InputDevice& KeysOf(DialogWindow& window) {
    InputDevice* input = window.Input();
    return input != nullptr ? *input : GameKeys();
}

void ChooseScenario(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    newGameKind = kScenario;
    chosenScenarioFile = MenuGames().scenarioDialog(processor, KeysOf(window));
    if (chosenScenarioFile.Empty()) {
        BuildMainMenu(window);
        return;
    }
    const ScenarioFile scenario = ReadScenarioFile(chosenScenarioFile);
    ShowPlayerCountMenu(window, static_cast<int32_t>(CountPlayers(processor, scenario.playerFile)));
}

void StartGame(DialogWindow& window, int32_t players) {
    Processor& processor = ProcessorOf(window);
    switch (newGameKind) {
        case kCampaign:
            MenuGames().startGame(processor,
                                  String(players == 1 ? "Levels\\Campaign\\Campaign1Player.PCFG"
                                                      : "Levels\\Campaign\\Campaign2Player.PCFG"),
                                  String("Campaign"), 0);
            break;
        case kArcade:
            MenuGames().startGame(processor, String("Levels\\Arcade\\ArcadePlayers.PCFG"),
                                  String("ArcadeScenario"), players);
            break;
        default: {
            const ScenarioFile scenario = ReadScenarioFile(chosenScenarioFile);
            MenuGames().startGame(processor, scenario.playerFile, scenario.className, players);
            break;
        }
    }
    BuildMainMenu(window);
}

void PlayRandomDemo(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    const int32_t demo = DemoForRandom(EngineRand());
    if (demo == 1)
        MenuGames().playDemo(processor, "Demo\\Demo 1\\Demo1.DEMO", "Level1", "Demo\\Demo 1\\Demo1.PCFG");
    else
        MenuGames().playDemo(processor, "Demo\\Demo 2\\Demo2.DEMO", "Level3", "Demo\\Demo 2\\Demo2.PCFG");
}

void AskToQuit(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    const int32_t answer =
        MessageBoxOverWindow(processor, window, SystemMessage(processor, kQuitQuestion),
                             kMessageBoxThird | kMessageBoxFourth, nullptr, kQuestionTypingSpeed);
    if (answer == kYesAnswer) window.SetResult(0);
}

void ShowCredits(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    auto* messages = dynamic_cast<MessageManager*>(processor.Objects().GetObject(kMessageManagerId));
    if (messages == nullptr) ThrowFatal("No message manager (object %u)", kMessageManagerId);
    const String text(messages->GetMessage(String("Misc\\Credits.mes"), 1));
    ShowStoryScreen(processor, text.View(), kCreditsFlags);
}

// The key mappings of "Keys.INPD", as far as they can be read.
std::vector<std::unique_ptr<InputDevice>> ReadKeyMappings(Processor& processor) {
    std::vector<std::unique_ptr<InputDevice>> mappings;
    FD::File* archive = processor.Archive();
    if (archive == nullptr) ThrowFatal("No archive to read \"Keys.INPD\" from");
    EntryBlockReader reader(archive, 1024, 1024, 128);
    reader.Open(String("Keys.INPD"));
    while (!reader.AtEnd()) {
        auto mapping = std::make_unique<InputDevice>();
        try {
            reader >> *mapping;
        } catch (const DExep&) {
            break;  // the mappings before a damaged one are still edited and written back
        }
        mappings.push_back(std::move(mapping));
    }
    return mappings;
}

void EditKeyMappings(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    const auto& settings = Screens().inputSettings;
    if (!settings) return;
    const std::vector<std::unique_ptr<InputDevice>> mappings = ReadKeyMappings(processor);
    if (mappings.empty()) return;
    std::vector<InputDevice*> editable;
    std::vector<String> names;
    const String setName = SystemMessage(processor, kKeySetName);
    for (size_t i = 0; i < mappings.size(); ++i) {
        editable.push_back(mappings[i].get());
        names.push_back(setName + " " + String(static_cast<int>(i + 1)));
    }
    if (!settings(processor, KeysOf(window), names, editable)) return;
    FW writer;
    writer.Create(String("Keys.INPD"));
    for (const auto& mapping : mappings) mapping->WriteKeysChunk(writer);
    writer.Close();
}

}  // namespace

MainMenuGames& MenuGames() {
    static MainMenuGames games = DefaultGames();
    return games;
}

void ResetMainMenuGames() {
    MenuGames() = DefaultGames();
}

int32_t DemoForRandom(int32_t r) {
    return (2 * r) / 32767 == 0 ? 1 : 2;
}

int32_t IdleTicks() {
    return idleTicks;
}

void ResetMenuState() {
    idleTicks = 0;
    newGameKind = kCampaign;
    chosenScenarioFile = String();
}

void LoadChosenGame(DialogWindow& window) {
    Processor& processor = ProcessorOf(window);
    const String file = MenuGames().loadDialog(processor, KeysOf(window));
    if (file.Empty()) return;
    MenuGames().loadSave(processor, file);
}

void MenuHandler(DialogWindow& window, int32_t event, int32_t /*position*/, int32_t p2) {
    if (event == kEventRest) {
        if (idleTicks++ >= kIdleDemoReports) {
            idleTicks = 0;
            event = kEventPrimary;
            p2 = kMenuDemo;
        }
    } else if (event != kEventBeforeDraw && event != kEventAfterDraw) {
        idleTicks = 0;
    }
    if (event != kEventPrimary || p2 < kFirstMenuId || p2 > kMenuScenario) return;

    Processor& processor = ProcessorOf(window);
    switch (p2) {
        case kMenuNewGame:
            ShowNewGameMenu(window);
            break;
        case kMenuOptions:
            ShowOptionsMenu(window);
            break;
        case kMenuBack:
            BuildMainMenu(window);
            break;
        case kMenuCampaign:
        case kMenuArcade:
            newGameKind = p2 == kMenuCampaign ? kCampaign : kArcade;
            ShowPlayerCountMenu(window, kArcadeAndCampaignPlayers);
            break;
        case kMenuScenario:
            ChooseScenario(window);
            break;
        case kMenuLoadGame:
            LoadChosenGame(window);
            BuildMainMenu(window);
            break;
        case kMenuQuit:
            AskToQuit(window);
            break;
        case kMenuCredits:
            ShowCredits(window);
            break;
        case kMenuDemo:
            PlayRandomDemo(window);
            break;
        case kMenuInputSettings:
            EditKeyMappings(window);
            break;
        case kMenuScreenOptions:
            if (Screens().screenOptions) Screens().screenOptions(processor, KeysOf(window), &window);
            break;
        case kMenuHighScores:
            MenuGames().highScores(processor, KeysOf(window));
            break;
        default:
            if (p2 >= kMenuOnePlayer && p2 <= kMenuFourPlayers) StartGame(window, p2 - kMenuOnePlayer + 1);
            break;
    }
}
