// The language selector. Run it in the game folder: it lists "Language.lng" and writes the choice
// into "Language.LCFG".
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "setup/command_line.h"
#include "setup/interrupt_watch.h"
#include "setup/language_selector.h"
#include "setup/terminal_ui.h"

namespace {

const char* const kUsage =
    "usage: Tonvik [--lang N] [--yes]\n"
    "Chooses the language of Vondrel in the working folder.\n"
    "  --lang N   the language numbered N in Language.lng\n"
    "  --yes      take the default: the first name the list shows, in sorted order\n"
    "Exits with 0 once Language.LCFG is written, 1 when it was not (not chosen,\n"
    "interrupted with Ctrl-C, failed), 2 for a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed =
        ParseSetupOptions(std::vector<std::string>(argv + 1, argv + argc), {"lang", "yes"});
    if (auto status = EndsAtOptions(parsed, "Tonvik", kUsage)) return *status;
    try {
        // Ctrl-C at the question leaves it unanswered, and the language stays as it was.
        InterruptWatch& interrupts = ProgramInterruptWatch();
        TerminalUi ui(parsed.options, std::cin, std::cout, std::cerr, STDIN_FILENO, interrupts.Fd());
        return RunLanguageSelector(ui);
    } catch (const DExep& e) {
        std::cerr << "Tonvik: " << e.message.Text() << "\n";
        return 1;
    }
}
