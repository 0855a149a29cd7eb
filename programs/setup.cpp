// The installer. Run it in the folder that holds "data.fd", "Language.lng" and the licence text;
// it installs the game for the current user.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "platform/desktop.h"
#include "platform/install_store.h"
#include "platform/xdg_paths.h"
#include "setup/command_line.h"
#include "setup/installer.h"
#include "setup/interrupt_watch.h"
#include "setup/terminal_ui.h"

namespace {

const char* const kUsage =
    "usage: setup [--lang N] [--dir PATH] [--accept-license] [--yes]\n"
    "Installs Vondrel from data.fd in the working folder.\n"
    "  --lang N           the language numbered N in Language.lng (default: the first\n"
    "                     name the list shows, in sorted order)\n"
    "  --dir PATH         install into PATH (default: $XDG_DATA_HOME/Vondrel)\n"
    "  --accept-license   accept the licence without showing it\n"
    "  --yes              take every default and answer every question with yes\n"
    "Exits with 0 once the game is installed, 1 when it was not (refused, cancelled,\n"
    "interrupted with Ctrl-C, failed), 2 for a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseSetupOptions(std::vector<std::string>(argv + 1, argv + argc),
                                                   {"lang", "dir", "accept-license", "yes"});
    if (auto status = EndsAtOptions(parsed, "setup", kUsage)) return *status;
    const std::string dataHome = DataHome();
    if (dataHome.empty()) {
        std::cerr << "setup: no home folder is known (set HOME)\n";
        return 1;
    }
    try {
        // Ctrl-C while the archive is extracted rolls the install back before the program ends.
        InterruptWatch& interrupts = ProgramInterruptWatch();
        TerminalUi ui(parsed.options, std::cin, std::cout, std::cerr, STDIN_FILENO, interrupts.Fd());
        IniInstallStore store(ConfigHome());
        XdgDesktop desktop(dataHome + "/applications");
        SetupServices services{ui, store, desktop, dataHome + "/Vondrel", {}, HomeFolder()};
        return RunSetup(services);
    } catch (const DExep& e) {
        std::cerr << "setup: " << e.message.Text() << "\n";
        return 1;
    }
}
