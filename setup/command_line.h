// The setup tools' command line: unattended answers and help.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SetupOptions {
    std::optional<int32_t> language;    // --lang N: the language numbered N in "Language.lng"
    std::optional<std::string> folder;  // --dir PATH
    bool acceptLicense = false;         // --accept-license
    bool yes = false;                   // --yes: every question answered with its default
    bool help = false;                  // --help
};

// The options, or the message for a word that is not one.
struct ParsedOptions {
    SetupOptions options;
    std::string error;
};

// A decimal whole number that fits 32 bits, the whole text; nothing otherwise.
std::optional<int32_t> WholeNumber(const std::string& text);

// allowed: the flags this program takes, from "lang", "dir", "accept-license", "yes" ("help" always).
ParsedOptions ParseSetupOptions(const std::vector<std::string>& words,
                                const std::vector<std::string>& allowed);

// The exit status when the program ends here: 2 after printing the error and usage to stderr, 0
// after printing the usage for --help; nothing when it goes on.
std::optional<int> EndsAtOptions(const ParsedOptions& parsed, const char* program, const char* usage);
