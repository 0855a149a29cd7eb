// Asking for a language from "Language.lng" in the working folder: the installer's first question
// and the language selector's only one. A language is named by its number in the list everywhere:
// in the list shown, on the command line, in "Language.LCFG" and in the message files' sections.
#pragma once

#include <cstdint>
#include <optional>

class CodePageConverter;
class SetupUi;

// The numbers of the languages the game's own texts come in; messages missing in a language fall
// back to language 1.
constexpr int32_t kEnglish = 1;
constexpr int32_t kDeutsch = 2;

// The chosen language's number (the first line with the chosen name decides); nothing when the
// user cancels. The first name in shown (sorted) order is offered as the default. The list's
// FatalExep when "Language.lng" cannot be read, and a FatalExep when it lists no language.
std::optional<int32_t> AskLanguage(SetupUi& ui, CodePageConverter& converter);
