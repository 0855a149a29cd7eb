// The setup tools' texts: numbered messages of "setup.mes" or "uninstall.mes" in the chosen
// language, turned from the game's code page into UTF-8 for the terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
    // Any game text (an engine error's message, a language name) as UTF-8.
    std::string Utf8(std::string_view text);

  private:
    MessageManager& messages_;
    String fileName_;
    CodePageConverter converter_;
};
