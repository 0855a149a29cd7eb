#include "setup/language_selector.h"

#include "foundation/exceptions.h"
#include "platform/code_page.h"
#include "setup/language_choice.h"
#include "setup/language_file.h"
#include "setup/setup_texts.h"
#include "setup/setup_ui.h"

int RunLanguageSelector(SetupUi& ui) {
    CodePageConverter converter;
    // Every end without a language written says so on its last line.
    const auto unchanged = [&] {
        ui.Tell("Set language", "The language was not changed.");
        return 1;
    };
    std::optional<int32_t> language;
    try {
        language = AskLanguage(ui, converter);
    } catch (const DExep& e) {
        ui.ShowError("Error", ErrorText(converter, e.message.View()));
        return unchanged();
    }
    if (!language) return unchanged();
    try {
        WriteLanguageFile("Language.LCFG", *language);
    } catch (const DExep&) {
        ui.ShowError("Error", "Cannot open file for writting.");
        return unchanged();
    }
    return 0;
}
