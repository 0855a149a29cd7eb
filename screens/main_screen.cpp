#include "screens/main_screen.h"

#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/version_block.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/screen_surface.h"
#include "graphics/text_layout.h"
#include "screens/main_menu.h"
#include "screens/menu_columns.h"
#include "screens/screen_helpers.h"
#include "script/message_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/world_picture.h"

namespace {

constexpr int32_t kEdge = 5;
constexpr uint32_t kStars = 200;

// A label in the "Copyright" font anchored by its lower corner. The label keeps a copy of the text.
void AddLabel(DialogWindow& window, Font* font, int32_t x, int32_t y, std::string_view text, int32_t across) {
    MadeControl<StaticTextObject> shown = NewTextControl(*window.GetProcessor(), "StaticText", x, y, text, 0);
    shown->SetInt(kTextHorizontalAlign, across);
    shown->SetInt(kTextVerticalAlign, 2);
    shown->SetFont(font);
    AddOwned(window, std::move(shown));
}

}  // namespace

String FormatVersion(const VersionWords& version) {
    char text[64];
    if (version.build != 0)
        std::snprintf(text, sizeof text, "%i.%02i.%02i%c", version.major, version.minor, version.build,
                      static_cast<char>(version.letter));
    else
        std::snprintf(text, sizeof text, "%i.%02i%c", version.major, version.minor,
                      static_cast<char>(version.letter));
    return String(text);
}

int32_t VersionNumber(const VersionWords& version) {
    return version.major * 10000 + version.minor * 100 + version.build;
}

void BuildMainScreen(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    const ScreenSurface& surface = *window.GetDisplay()->Surface();
    const int32_t width = surface.Width();
    const int32_t height = surface.Height();
    // Loaded now, so that a missing menu font fails before anything is shown.
    NamedFont(processor, "BigMenu");
    Font* small = NamedFont(processor, "Copyright");

    AddOwned(window, MakeControl(processor, "HeavenControl", {kStars, 0}));
    const uint32_t ship = CachedPictureAddress(processor, "Misc\\MainShip.dpf");
    AddOwned(window, MakeControl(processor, "Control", {ship, Word(width / 2), Word(height / 2), 0}));

    auto* messages = dynamic_cast<MessageManager*>(processor.Objects().GetObject(kMessageManagerId));
    if (messages == nullptr) ThrowFatal("No message manager (object %u)", kMessageManagerId);
    AddLabel(window, small, kEdge, height - kEdge, messages->GetMessage(String("Copyright.mes"), 1), 0);

    const VersionWords program = ProgramVersion().Words();
    const VersionWords data = DataVersion().Words();
    AddLabel(window, small, width - kEdge, height - kEdge, FormatVersion(program).View(), 2);
    if (VersionNumber(data) != VersionNumber(program)) {
        const int32_t lineAbove = static_cast<int32_t>(small->LineGap()) + TextHeight(*small, "A");
        AddLabel(window, small, width - kEdge, height - lineAbove - kEdge, FormatVersion(data).View(), 2);
    }
    BuildMainMenu(window);
}

void MainScreen() {
    Processor* processor = Game().processor;
    if (processor == nullptr) ThrowFatal("The main screen needs a started game");
    auto window = std::make_unique<DialogWindow>(processor, &GameDisplay(), EngineCursor(*processor));
    window->SetCallback(MenuHandler);
    ResetMenuState();
    BuildMainScreen(*window);
    window->Run(GameKeys());
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
}
