// HelpSystem (object 34): help and tip texts of the message files in a small modal window over the
// current one, a framed scrolling text with a typewriter reveal and a switch that turns the
// unasked tips off. The switch is stored as the event "DONTSHOWTIPS" of every player, so it is
// saved with the pilots. It lives with the campaign: it reads the players' event records of the
// world below, the controls and windows reach it only through HelpRequestHook(), and the galaxy
// screens are its script users.
#pragma once

#include <cstdint>
#include <string_view>

class DialogWindow;
class Processor;
class ZEMAClass;
struct NativeClassRow;

// Flags of ShowTips: an unasked tip, left out while tips are off.
constexpr uint32_t kHelpIsTip = 1;
// Control id of the tips switch in the help window.
constexpr int32_t kTipsSwitchId = 100;

struct HelpSystem {
    // The GTTClass binding, then natives 0 (create), 4 (help) and 5 (tip).
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // Shows message `number` of the message file `file` over `window` and returns once it is
    // closed. Without a window the help runs over the game's display with the first player's input
    // device, and shows nothing when there is no player with one.
    static void ShowTips(Processor& processor, DialogWindow* window, std::string_view file, int32_t number,
                         uint32_t flags);
    // The help window's callback.
    static void OnTipsEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2);
    // Whether tips were on when a help window last opened, as the switch left it.
    static bool TipsEnabled();

    // Makes F1 in a window and the second button on a control show their help here.
    static void InstallHelpRequest();
};
