#include "screens/menu_columns.h"

#include <utility>
#include <vector>

#include "campaign/in_game_menu.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "screens/main_menu.h"
#include "screens/screen_helpers.h"
#include "script/object_lifetime.h"
#include "script/processor.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"

namespace {

struct Entry {
    int32_t id;
    uint32_t caption;  // text of "system.mes"
};

constexpr int32_t kRightMargin = 20;
constexpr int32_t kTop = 15;
constexpr int32_t kSpacing = 50;

void BuildColumn(DialogWindow& window, const std::vector<Entry>& entries) {
    Processor& processor = *window.GetProcessor();
    Font* font = NamedFont(processor, "BigMenu");
    const int32_t width = window.GetDisplay()->Surface()->Width();
    window.SetSkipDraw();
    for (int32_t id = kFirstMenuId; id <= kLastMenuId; ++id) window.RemoveControl(id);
    int32_t y = kTop;
    for (const Entry& entry : entries) {
        MadeControl<> button =
            MakeControl(processor, "TextButton",
                        {static_cast<uint32_t>(width - kRightMargin), static_cast<uint32_t>(y),
                         SystemMessageAddress(processor, entry.caption), static_cast<uint32_t>(entry.id)});
        auto& text = StaticTextObject::Of(button.get());
        text.SetInt(kTextHorizontalAlign, 2);
        text.SetInt(kTextVerticalAlign, 0);
        text.SetFont(font);
        AddOwned(window, std::move(button));
        y += kSpacing;
    }
}

}  // namespace

void BuildMainMenu(DialogWindow& window) {
    BuildColumn(window, {{kMenuNewGame, 195},
                         {kMenuLoadGame, 196},
                         {kMenuHighScores, 521},
                         {kMenuDemo, 198},
                         {kMenuCredits, 197},
                         {kMenuOptions, 193},
                         {kMenuQuit, 192}});
    // A load asked for during a game is served once that game is over, which is when the menu
    // builds its main column again. The game loaded destroys the one before: given back at the next
    // turn.
    ReleaseLoop release;
    while (LoadRequested()) {
        release.Turn();
        SetLoadRequested(false);
        LoadChosenGame(window);
    }
}

void ShowNewGameMenu(DialogWindow& window) {
    BuildColumn(window, {{kMenuCampaign, 199}, {kMenuArcade, 300}, {kMenuScenario, 510}, {kMenuBack, 185}});
}

void ShowOptionsMenu(DialogWindow& window) {
    BuildColumn(window, {{kMenuInputSettings, 314}, {kMenuScreenOptions, 315}, {kMenuBack, 185}});
}

void ShowPlayerCountMenu(DialogWindow& window, int32_t players) {
    constexpr uint32_t kCaptions[] = {348, 349, 506, 507};
    std::vector<Entry> entries{{kMenuOnePlayer, kCaptions[0]}};
    for (int32_t n = 2; n <= 4 && n <= players; ++n)
        entries.push_back({kMenuOnePlayer + n - 1, kCaptions[n - 1]});
    entries.push_back({kMenuBack, 185});
    BuildColumn(window, entries);
}
