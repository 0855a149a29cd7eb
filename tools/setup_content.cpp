#include "tools/setup_content.h"

#include <cstdint>

#include "foundation/exceptions.h"
#include "platform/code_page.h"
#include "platform/file_replace.h"
#include "setup/language_choice.h"

namespace {

// Texts are written here in UTF-8 and turned into the game's code page when a file is built.
struct Message {
    uint32_t number;
    const char* english;
    const char* deutsch;
};

const char* const kReadMe[] = {"ReadMe.txt", "LiesMich.txt"};
const char* const kWhatsNew[] = {"WhatsNew.txt", "Neuigkeiten.txt"};

// Menu entry names, the same in both message files.
const Message kGameEntry = {7, "Vondrel", "Vondrel"};
const Message kReadMeEntry = {8, "Vondrel read-me", "Vondrel-Liesmich"};
const Message kWhatsNewEntry = {9, "What's new in Vondrel", "Neues in Vondrel"};
const Message kLicenseEntry = {29, "Vondrel licence", "Vondrel-Lizenz"};
const Message kLanguageEntry = {19, "Vondrel language", "Vondrel-Sprache"};

const Message kSetupMessages[] = {
    {1, "Vondrel setup", "Vondrel-Installation"},
    {2, "Vondrel has not been installed. You can run setup again at any time.",
     "Vondrel wurde nicht installiert. Sie können setup jederzeit erneut starten."},
    {3, "Vondrel is installed. Start it from the Games section of your applications menu.",
     "Vondrel ist installiert. Sie starten es im Bereich „Spiele“ Ihres Anwendungsmenüs."},
    {4, "Setup not completed", "Installation nicht abgeschlossen"},
    {5, "Setup error", "Fehler bei der Installation"},
    {6, "The folder for installed programs could not be found. Please type the install folder yourself.",
     "Der Ordner für installierte Programme wurde nicht gefunden. Bitte geben Sie den Installationsordner "
     "selbst ein."},
    kGameEntry,
    kReadMeEntry,
    kWhatsNewEntry,
    {10, "Cancel setup", "Installation abbrechen"},
    {11, "Stop installing Vondrel? Every file copied so far will be removed again.",
     "Die Installation von Vondrel abbrechen? Alle bisher kopierten Dateien werden wieder entfernt."},
    // The folder's path follows directly.
    {12, "Cannot create the folder ", "Der Ordner kann nicht angelegt werden: "},
    {13,
     "The install folder must be a full path that begins with \"/\", for example /home/you/Games/Vondrel.",
     "Der Installationsordner muss ein vollständiger Pfad sein, der mit „/“ beginnt, zum Beispiel "
     "/home/sie/Spiele/Vondrel."},
    {14, "Cannot write the list of installed files, \"uninst.lst\", in the install folder.",
     "Die Liste der installierten Dateien, „uninst.lst“, kann im Installationsordner nicht geschrieben "
     "werden."},
    {15, "Install", "Installieren"},
    {16, "Cancel", "Abbrechen"},
    {17, "Install Vondrel into this folder", "Vondrel in diesen Ordner installieren"},
    {18, "Where shall Vondrel go?", "Wohin soll Vondrel installiert werden?"},
    kLanguageEntry,
    {20, kWhatsNew[0], kWhatsNew[1]},
    {21, kReadMe[0], kReadMe[1]},
    {22, kLicenseFile, kLicenseFile},
    {23, "Vondrel licence agreement", "Lizenzvereinbarung für Vondrel"},
    {24, "I agree", "Ich stimme zu"},
    {25, "I disagree", "Ich lehne ab"},
    {26, "Uninstall Vondrel", "Vondrel deinstallieren"},
    {27, kLicenseFile, kLicenseFile},
    kLicenseEntry,
};

const Message kUninstallMessages[] = {
    {1, "Vondrel uninstall", "Vondrel deinstallieren"},
    {5, "Uninstall error", "Fehler beim Deinstallieren"},
    kGameEntry,
    kReadMeEntry,
    kWhatsNewEntry,
    {10, "Uninstall Vondrel", "Vondrel deinstallieren"},
    {22, "Vondrel's install record cannot be read, so nothing was removed.",
     "Der Installationseintrag von Vondrel kann nicht gelesen werden; es wurde nichts entfernt."},
    {28,
     "Remove Vondrel from this computer? Your saved games and any other files you added stay in the "
     "game folder.",
     "Vondrel von diesem Computer entfernen? Ihre gespeicherten Spiele und andere Dateien, die Sie "
     "hinzugefügt haben, bleiben im Spielordner."},
    {29, "Vondrel has been removed.", "Vondrel wurde entfernt."},
    {30, "Uninstalling", "Wird deinstalliert"},
    {31, "Removing Vondrel", "Vondrel wird entfernt"},
    {32, kLicenseEntry.english, kLicenseEntry.deutsch},
    {34, kLanguageEntry.english, kLanguageEntry.deutsch},
};

const char* const kReadMeEnglish = R"(Vondrel
=======

Vondrel is a two-dimensional space action and trading game. You fly a ship through
star systems, fight, trade and refit your ship in shops, follow a campaign or play an
arcade game alone or with a second player, and save and load your games.

Starting the game
  Choose "Vondrel" in the Games section of your applications menu, or run the
  program Vondrel in the install folder. The game needs a graphical desktop.

Playing
  The main screen's menu starts a campaign, an arcade game for one or two players
  or a scenario, loads a saved game, and opens the options, the input settings and
  the high scores. Your ship follows the mouse; the space bar fires. Left alone for
  about half a minute, the main screen plays a recorded demo.

Language
  "Vondrel language" in the applications menu (the program Tonvik in the install
  folder) switches between English and Deutsch: Tonvik --lang 1 chooses English,
  Tonvik --lang 2 Deutsch.

Your files
  Settings, saved games and the log vondrel.log are kept in the install folder.

Removing the game
  "Uninstall Vondrel" in the applications menu (the program uninstall in the install
  folder) removes the game, its menu entries and its install record. Your saved games
  and any other files you added stay.
)";

const char* const kReadMeDeutsch = R"(Vondrel
=======

Vondrel ist ein zweidimensionales Weltraum-Action- und Handelsspiel. Sie fliegen ein
Schiff durch Sternsysteme, kämpfen, handeln und rüsten Ihr Schiff in Läden um, folgen
einer Kampagne oder spielen ein Arcade-Spiel allein oder zu zweit, und Sie speichern
und laden Ihre Spiele.

Spiel starten
  Wählen Sie „Vondrel“ im Bereich „Spiele“ Ihres Anwendungsmenüs, oder starten Sie
  das Programm Vondrel im Installationsordner. Das Spiel braucht eine grafische
  Arbeitsumgebung.

Spielen
  Das Menü des Hauptbildschirms startet eine Kampagne, ein Arcade-Spiel für einen
  oder zwei Spieler oder ein Szenario, lädt ein gespeichertes Spiel und öffnet die
  Optionen, die Eingabe-Einstellungen und die Bestenliste. Ihr Schiff folgt der Maus,
  die Leertaste feuert. Bleibt der Hauptbildschirm etwa eine halbe Minute unberührt,
  spielt er eine aufgezeichnete Vorführung ab.

Sprache
  „Vondrel-Sprache“ im Anwendungsmenü (das Programm Tonvik im Installationsordner)
  wechselt zwischen Englisch und Deutsch: Tonvik --lang 1 wählt Englisch,
  Tonvik --lang 2 Deutsch.

Ihre Dateien
  Einstellungen, gespeicherte Spiele und das Protokoll vondrel.log liegen im
  Installationsordner.

Spiel entfernen
  „Vondrel deinstallieren“ im Anwendungsmenü (das Programm uninstall im
  Installationsordner) entfernt das Spiel, seine Menüeinträge und seinen
  Installationseintrag. Ihre gespeicherten Spiele und andere Dateien, die Sie
  hinzugefügt haben, bleiben erhalten.
)";

const char* const kWhatsNewEnglish = R"(What's new in Vondrel
=====================

First release for Linux
- The game runs on a 64-bit Linux desktop, in a window or full screen.
- A short campaign (a flight, a star system with two planets, a shop, saving and
  loading), an arcade game for one or two players and the scenario "Patrol".
- Texts in English and Deutsch; "Vondrel language" changes the language at any time.
- Installed for your user alone: setup puts the game into your data folder and its
  entries into your applications menu, and uninstall takes them away again. Ctrl-C
  during setup removes whatever had been copied.
)";

const char* const kWhatsNewDeutsch = R"(Neues in Vondrel
================

Erste Ausgabe für Linux
- Das Spiel läuft auf einem 64-Bit-Linux-Desktop, im Fenster oder im Vollbild.
- Eine kurze Kampagne (ein Flug, ein Sternsystem mit zwei Planeten, ein Laden,
  Speichern und Laden), ein Arcade-Spiel für einen oder zwei Spieler und das Szenario
  „Patrol“.
- Texte auf Englisch und Deutsch; „Vondrel-Sprache“ wechselt die Sprache jederzeit.
- Nur für Ihren Benutzer installiert: setup legt das Spiel in Ihren Datenordner und
  seine Einträge in Ihr Anwendungsmenü, uninstall nimmt sie wieder fort. Strg-C
  während setup entfernt, was bis dahin kopiert war.
)";

// ASCII only: setup shows it in the game's code page, the desktop's viewer opens it as UTF-8.
const char* const kLicensePlaceholder = R"(PLACEHOLDER - THIS IS NOT A LICENCE

The Vondrel project has no licence file yet. This text stands in its place
until there is one; a release then carries that file's text here.

PLATZHALTER - DIES IST KEINE LIZENZ

Das Projekt Vondrel hat noch keine Lizenzdatei. Dieser Text steht an ihrer
Stelle, bis es eine gibt; eine Ausgabe enthaelt dann hier deren Text.
)";

// A message file: one section a language, "<number> <text>@" a message.
std::string MessageFile(const Message* messages, size_t count) {
    CodePageConverter codePage;
    std::string file;
    for (int32_t language : {kEnglish, kDeutsch}) {
        file += "Language " + std::to_string(language) + "\n";
        for (size_t i = 0; i < count; ++i) {
            const char* text = language == kEnglish ? messages[i].english : messages[i].deutsch;
            file += std::to_string(messages[i].number) + " " + codePage.FromUtf8(text) + "@\n";
        }
    }
    return file;
}

}  // namespace

std::string LanguageListText() {
    return std::to_string(kEnglish) + " English\n" + std::to_string(kDeutsch) + " Deutsch\n";
}

std::string SetupMessagesText() {
    return MessageFile(kSetupMessages, std::size(kSetupMessages));
}

std::string UninstallMessagesText() {
    return MessageFile(kUninstallMessages, std::size(kUninstallMessages));
}

std::string LicenseText() {
    return kLicensePlaceholder;
}

std::vector<ContentFile> GameDocuments() {
    return {{kReadMe[0], kReadMeEnglish},
            {kReadMe[1], kReadMeDeutsch},
            {kWhatsNew[0], kWhatsNewEnglish},
            {kWhatsNew[1], kWhatsNewDeutsch},
            {kLicenseFile, LicenseText()}};
}

std::vector<ContentFile> SetupTextFiles() {
    std::vector<ContentFile> files = {{"Language.lng", LanguageListText()},
                                      {"setup.mes", SetupMessagesText()},
                                      {"uninstall.mes", UninstallMessagesText()}};
    for (ContentFile& document : GameDocuments()) files.push_back(std::move(document));
    return files;
}

void WriteSetupTexts(const std::string& folder) {
    for (const ContentFile& file : SetupTextFiles()) {
        const std::string path = folder + "/" + file.name;
        if (!ReplaceFile(path, file.bytes, 0644)) ThrowFatal("Cannot write %s", path.c_str());
    }
}
