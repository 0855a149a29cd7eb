#include "setup/language_choice.h"

#include "foundation/exceptions.h"
#include "platform/code_page.h"
#include "setup/language_list.h"
#include "setup/setup_ui.h"

std::optional<int32_t> AskLanguage(SetupUi& ui, CodePageConverter& converter) {
    const LanguageList list = LanguageList::ReadFile("Language.lng");
    if (list.Shown().empty()) throw FatalExep(String("Language.lng lists no language"));
    std::vector<ShownLanguage> shown;
    // Each name is shown with the number choosing it gives, so that a name listed twice shows the
    // number of its first line.
    for (const LanguageChoice& choice : list.Shown())
        shown.push_back({converter.ToUtf8(choice.name), *list.Find(choice.name)});
    auto index = ui.ChooseLanguage("Set language", "Select your language", shown, 0);
    if (!index || *index >= shown.size()) return std::nullopt;
    return shown[*index].number;
}
