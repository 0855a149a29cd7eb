// Asking for a language from "Language.lng" in the working folder: the installer's first question
// and the language selector's only one.
#pragma once

#include <cstdint>
#include <optional>

class CodePageConverter;
class SetupUi;

// The chosen language's number (the first line with the chosen name decides); nothing when the
// user cancels. The list's FatalExep when "Language.lng" cannot be read.
std::optional<int32_t> AskLanguage(SetupUi& ui, CodePageConverter& converter);
