#include "setup/language_choice.h"

#include "platform/code_page.h"
#include "setup/language_list.h"
#include "setup/setup_ui.h"

std::optional<int32_t> AskLanguage(SetupUi& ui, CodePageConverter& converter) {
    const LanguageList list = LanguageList::ReadFile("Language.lng");
    std::vector<ShownLanguage> shown;
    for (const LanguageChoice& choice : list.Shown())
        shown.push_back({converter.ToUtf8(choice.name), choice.number});
    auto index = ui.ChooseLanguage("Set language", "Select your language", shown);
    if (!index || *index >= shown.size()) return std::nullopt;
    return list.Find(list.Shown()[*index].name);
}
