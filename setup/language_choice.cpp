#include "setup/language_choice.h"

#include <cstdlib>
#include <cstring>

#include "foundation/exceptions.h"
#include "platform/code_page.h"
#include "setup/language_list.h"
#include "setup/setup_ui.h"

namespace {

std::optional<size_t> IndexOf(const std::vector<ShownLanguage>& shown, int32_t number) {
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].number == number) return i;
    }
    return std::nullopt;
}

}  // namespace

int32_t LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || value[0] == '\0') continue;
        return std::strncmp(value, "de", 2) == 0 ? kDeutsch : kEnglish;
    }
    return kEnglish;
}

int32_t LocaleLanguage() {
    return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::optional<int32_t> AskLanguage(SetupUi& ui, CodePageConverter& converter, int32_t preferred) {
    const LanguageList list = LanguageList::ReadFile("Language.lng");
    if (list.Shown().empty()) throw FatalExep(String("Language.lng lists no language"));
    std::vector<ShownLanguage> shown;
    // Each name is shown with the number choosing it gives, so that a name listed twice shows the
    // number of its first line.
    for (const LanguageChoice& choice : list.Shown())
        shown.push_back({converter.ToUtf8(choice.name), *list.Find(choice.name)});
    const size_t offered = IndexOf(shown, preferred).value_or(IndexOf(shown, kEnglish).value_or(0));
    auto index = ui.ChooseLanguage("Set language", "Select your language", shown, offered);
    if (!index || *index >= shown.size()) return std::nullopt;
    return shown[*index].number;
}
