// The texts the setup tools ship with: the messages of "setup.mes" and "uninstall.mes" in English
// and Deutsch, the language list "Language.lng", the game's read-me and what's-new documents in
// both languages, and the licence text. Message files and the language list are in the game's
// code page (Windows-1252); the documents are UTF-8, for the desktop's text viewer.
//
// Where each file goes in a release:
//   beside setup:           "Language.lng", the licence (setup.mes 22: "License.txt")
//   in "data.fd":           "setup.mes", "Language.lng" (for Tonvik), the documents (setup.mes 20,
//                           21 and 27 in each language), and the game archive "main.fd"
//   in the game's "main.fd": "uninstall.mes"
#pragma once

#include <string>
#include <vector>

struct ContentFile {
    std::string name;
    std::string bytes;
};

// The licence's file name, beside setup (setup.mes 22) and in the install folder (setup.mes 27).
inline constexpr const char* kLicenseFile = "License.txt";

// "1 English" and "2 Deutsch": the numbers of the message files' language sections.
std::string LanguageListText();
std::string SetupMessagesText();
std::string UninstallMessagesText();
// Stands in for the project's licence file, which the project does not have yet.
std::string LicenseText();
// The read-me and what's-new documents of both languages and the licence, under the names
// "setup.mes" gives them.
std::vector<ContentFile> GameDocuments();
// Every file above, each once, by name.
std::vector<ContentFile> SetupTextFiles();

// Writes SetupTextFiles() into folder (made when missing), each file whole or not at all;
// FatalExep naming a file that cannot be written.
void WriteSetupTexts(const std::string& folder);
