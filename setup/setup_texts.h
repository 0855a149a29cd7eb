// The setup tools' texts: numbered messages of "setup.mes" or "uninstall.mes" in the chosen
// language, turned from the game's code page into UTF-8 for the terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "platform/code_page.h"

class MessageManager;

class SetupTexts {
  public:
    // The manager is not owned; fileName is "setup.mes" or "uninstall.mes".
    SetupTexts(MessageManager& messages, const char* fileName);

    // Message number as UTF-8; the manager's errors pass.
    std::string Get(uint32_t number);
    // Message number in the code page, for names and paths on disk.
    String Raw(uint32_t number);
    // Message number in the code page; nothing when the file lacks it. Other errors pass.
    std::optional<String> Find(uint32_t number);
    // Any game text (a language name, a licence) as UTF-8.
    std::string Utf8(std::string_view text);
    // An engine error's message as UTF-8 (ErrorText).
    std::string Error(std::string_view message);

  private:
    MessageManager& messages_;
    String fileName_;
    CodePageConverter converter_;
};

// An engine error's message as UTF-8. The messages put the system's paths, which are UTF-8
// already, beside the game's texts: a message that is valid UTF-8 as a whole is taken as it is
// (the game's texts are ASCII there), any other is turned from the code page.
std::string ErrorText(CodePageConverter& converter, std::string_view message);

// Names for a message: "a, b, c".
std::string JoinNames(const std::vector<std::string>& names);
