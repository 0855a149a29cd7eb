#include "setup/language_selector.h"

#include "foundation/exceptions.h"
#include "platform/code_page.h"
#include "setup/language_choice.h"
#include "setup/language_file.h"
#include "setup/setup_ui.h"

int RunLanguageSelector(SetupUi& ui) {
    CodePageConverter converter;
    std::optional<int32_t> language;
    try {
        language = AskLanguage(ui, converter);
    } catch (const DExep& e) {
        ui.ShowError("Error", converter.ToUtf8(e.message.View()));
        return 1;
    }
    if (!language) return 1;
    try {
        WriteLanguageFile("Language.LCFG", *language);
    } catch (const DExep&) {
        ui.ShowError("Error", "Cannot open file for writting.");
        return 1;
    }
    return 0;
}
