// "Language.lng": the languages a player can choose, one a line, a number then the name
// ("1 English"). Shared by the installer and the language selector.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LanguageChoice {
    std::string name;  // in the game's code page, exactly as the line holds it (leading blanks too)
    int32_t number;
};

class LanguageList {
  public:
    // Reads the list text. Each line: a whole number as C's "%i" reads it (white space, line ends
    // included, skipped before it; decimal, 0x hexadecimal or 0 octal; out-of-range values
    // clamped); a line without one keeps the number before it (1 at the start). The rest of the
    // line, without "\r", cut to 99 bytes, is the name; empty names are skipped.
    static LanguageList Parse(std::string_view text);
    // Reads the file; FatalExep "Unable to open file \"Language.lng\"" when it cannot be read, and
    // a FatalExep naming it when it is too large to be a list.
    static LanguageList ReadFile(const std::string& path);

    // Every name in shown order: sorted without ASCII case, duplicates kept.
    const std::vector<LanguageChoice>& Shown() const { return shown_; }
    // The number of the first line that has this name.
    std::optional<int32_t> Find(std::string_view name) const;
    // The first shown name with this number.
    std::optional<size_t> IndexOfNumber(int32_t number) const;

  private:
    std::vector<LanguageChoice> lines_;  // file order
    std::vector<LanguageChoice> shown_;
};
