// The uninstaller: removes the install of the current user that the installer recorded.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "platform/desktop.h"
#include "platform/install_store.h"
#include "platform/xdg_paths.h"
#include "setup/command_line.h"
#include "setup/interrupt_watch.h"
#include "setup/terminal_ui.h"
#include "setup/uninstaller.h"

namespace {

const char* const kUsage =
    "usage: uninstall [--yes]\n"
    "Removes Vondrel as the installer recorded it.\n"
    "  --yes   answer the question with yes\n"
    "Exits with 0 once the game is removed, 1 when it was not (not confirmed,\n"
    "interrupted with Ctrl-C, failed), 2 for a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseSetupOptions(std::vector<std::string>(argv + 1, argv + argc), {"yes"});
    if (auto status = EndsAtOptions(parsed, "uninstall", kUsage)) return *status;
    try {
        // Ctrl-C at the question leaves it unanswered, and nothing is removed.
        InterruptWatch& interrupts = ProgramInterruptWatch();
        TerminalUi ui(parsed.options, std::cin, std::cout, std::cerr, STDIN_FILENO, interrupts.Fd());
        IniInstallStore store(ConfigHome());
        XdgDesktop desktop(DataHome() + "/applications");
        UninstallServices services{ui, store, desktop, HomeFolder()};
        return RunUninstall(services);
    } catch (const DExep& e) {
        std::cerr << "uninstall: " << e.message.Text() << "\n";
        return 1;
    }
}
