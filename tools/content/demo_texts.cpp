#include "tools/content/demo_texts.h"

#include <algorithm>
#include <stdexcept>

#include "tools/content/game_content.h"

namespace {

// Every caption, question and label the screens take from "system.mes" by number. A question the
// engine fills with values (screens/formatted_messages.h) has a place for each, in the order given.
std::vector<DemoText> SystemTexts() {
    return {
        // Galaxy, planet and star system
        {100, "Galaxy", "Galaxie"},
        {190, "Galaxy map", "Sternkarte"},
        {350, "Game menu", "Spielmenü"},
        {351, "Not enough fuel to fly there", "Zu wenig Treibstoff für den Flug"},
        {481, "Fly to this place?", "Dorthin fliegen?"},
        {392, "Sign the contract with %s?", "Den Vertrag mit %s schließen?"},
        {395, "Start the flight?", "Den Flug beginnen?"},
        {490, "Minute", "Minute"},
        {491, "Hour", "Stunde"},
        {492, "Two hours", "Zwei Stunden"},
        {493, "Day", "Tag"},
        // Ship window and equipment
        {101, "Ship", "Schiff"},
        {102, "Close", "Schließen"},
        {103, "Equipment", "Ausrüstung"},
        {104, "Information", "Information"},
        {105, "Energy balance", "Energiebilanz"},
        {106, "Protection", "Schutz"},
        {118, "Discard", "Wegwerfen"},
        {122, "Throw this item away?", "Diesen Gegenstand wegwerfen?"},
        {123, "Start a new game?", "Ein neues Spiel beginnen?"},
        {150, "Weapon", "Waffe"},
        {151, "Energy", "Energie"},
        {152, "Engine", "Antrieb"},
        {153, "Shield", "Schild"},
        {154, "Grabber", "Greifer"},
        {170, "Top speed", "Höchstgeschwindigkeit"},
        {171, "Consumption", "Verbrauch"},
        {172, "Capacity", "Kapazität"},
        {173, "Charge", "Ladung"},
        {174, "Ammunition", "Munition"},
        {175, "Shots", "Schuss"},
        {176, "Damage", "Schaden"},
        {177, "Fire interval", "Schussabstand"},
        {178, "Split", "Teilen"},
        {180, "Guides", "Lenkung"},
        {183, "Your ship", "Dein Schiff"},
        {189, "Second ship", "Zweites Schiff"},
        {354, "This item does not fit this place", "Dieser Gegenstand passt hier nicht"},
        {360, "Circle", "Kreis"},
        {361, "Angle", "Winkel"},
        {362, "Self-guided", "Selbstgelenkt"},
        {476, "Refitting", "Umrüstung"},
        {307, "Energy source lost", "Energiequelle verloren"},
        {308, "Not enough energy", "Zu wenig Energie"},
        // Damage kinds, item kinds and skills
        {107, "Impact", "Aufprall"},
        {108, "Laser", "Laser"},
        {109, "Plasma", "Plasma"},
        {110, "Heat", "Hitze"},
        {111, "Cold", "Kälte"},
        {112, "Ion", "Ionen"},
        {113, "Blast", "Explosion"},
        {114, "Acid", "Säure"},
        {115, "Radiation", "Strahlung"},
        {116, "Gravity", "Schwerkraft"},
        {200, "Energy", "Energie"},
        {201, "Shells", "Granaten"},
        {202, "Rockets", "Raketen"},
        {203, "Mines", "Minen"},
        {420, "Gunnery", "Geschütz"},
        {421, "Rocketry", "Raketen"},
        {422, "Piloting", "Fliegen"},
        {423, "Trading", "Handel"},
        {471, "Skill", "Fähigkeit"},
        {301, "Worth", "Wert"},
        {302, "Class", "Klasse"},
        {303, "Cargo room", "Laderaum"},
        {304, "Energy per shot", "Energie je Schuss"},
        {355, "Thrust", "Schub"},
        {359, "Offer", "Anbieten"},
        // Shop
        {182, "Sell", "Verkaufen"},
        {186, "There is no room for it", "Dafür ist kein Platz"},
        {187, "Buy %s for %i cr and fit it to the ship?", "%s für %i Cr kaufen und ins Schiff einbauen?"},
        {188, "Sell this item for %i cr?", "Diesen Gegenstand für %i Cr verkaufen?"},
        {305, "%s, sell your old ship before leaving?", "%s, das alte Schiff vor dem Gehen verkaufen?"},
        {306, "%s, sell your old ship to pay for this one?", "%s, das alte Schiff für dieses verkaufen?"},
        {310, "cr", "Cr"},
        {340, "You cannot afford it", "Das kannst du nicht bezahlen"},
        {341, "Buy the ship %s for %i cr? Your ship counts for %i cr.",
         "Das Schiff %s für %i Cr kaufen? Dein Schiff zählt %i Cr."},
        {345, "Recharge", "Aufladen"},
        {346, "Nothing needs recharging", "Nichts muss aufgeladen werden"},
        {347, "Recharge everything for %i cr?", "Alles für %i Cr aufladen?"},
        {358, "%s does not fit your ship. Buy it anyway for %i cr?",
         "%s passt nicht ins Schiff. Trotzdem für %i Cr kaufen?"},
        {477, "Ship's items", "Im Schiff"},
        {478, "Your items", "Im Lager"},
        // Message boxes
        {117, "OK", "OK"},
        {119, "Cancel", "Abbrechen"},
        {120, "Yes", "Ja"},
        {121, "No", "Nein"},
        // Main menu, game menu, save and load
        {185, "Back", "Zurück"},
        {191, "Save game", "Spiel speichern"},
        {192, "Quit", "Beenden"},
        {193, "Options", "Optionen"},
        {195, "New game", "Neues Spiel"},
        {196, "Load game", "Spiel laden"},
        {197, "Credits", "Mitwirkende"},
        {198, "Demo", "Vorführung"},
        {199, "Campaign", "Kampagne"},
        {300, "Arcade", "Arcade"},
        {309, "No ship can fly", "Kein Schiff kann fliegen"},
        {311, "Pilot", "Pilot"},
        {312, "Star system", "Sternsystem"},
        {313, "Planet", "Planet"},
        {495, "Saved on", "Gespeichert am"},
        {505, "Level", "Level"},
        {342, "Leave the game?", "Spiel verlassen?"},
        {343, "Quit the game?", "Spiel beenden?"},
        {344, "Replace this save?", "Diesen Spielstand ersetzen?"},
        {348, "One player", "Ein Spieler"},
        {349, "Two players", "Zwei Spieler"},
        {352, "Quit the flight?", "Flug beenden?"},
        {353, "Loading", "Lade"},
        {500, "Leaving", "Abflug"},
        {501, "Flight over", "Flug vorbei"},
        {506, "Three players", "Drei Spieler"},
        {507, "Four players", "Vier Spieler"},
        {510, "Scenario", "Szenario"},
        {511, "Save the players?", "Die Spieler speichern?"},
        // Options and input settings
        {314, "Input settings", "Tasten"},
        {315, "Screen options", "Bildschirm"},
        {317, "Left", "Links"},
        {318, "Right", "Rechts"},
        {319, "Up", "Hoch"},
        {320, "Down", "Runter"},
        {321, "Fire", "Feuer"},
        {322, "Second weapon", "Zweitwaffe"},
        {323, "Change weapon", "Waffe wechseln"},
        {324, "Special", "Spezial"},
        {325, "Mouse", "Maus"},
        {396, "Joystick", "Joystick"},
        {326, "On", "An"},
        {327, "Off", "Aus"},
        {328, "Player", "Spieler"},
        {329, "Defaults", "Standard"},
        {400, "None", "Keiner"},
        {401, "Joystick 1", "Joystick 1"},
        {402, "Joystick 2", "Joystick 2"},
        {330, "Display", "Anzeige"},
        {331, "Colours", "Farben"},
        {332, "Hardware drawing", "Hardware-Zeichnen"},
        {333, "Effects volume", "Lautstärke Effekte"},
        {334, "Music volume", "Lautstärke Musik"},
        {335, "Full screen", "Vollbild"},
        {336, "Window", "Fenster"},
        {337, "256 colours", "256 Farben"},
        {338, "High colour", "Hohe Farbtiefe"},
        {339, "The new colour depth applies after a restart", "Die Farbtiefe gilt nach einem Neustart"},
        {356, "Show the stars", "Sterne zeigen"},
        {357, "Show the status", "Status zeigen"},
        {472, "Sound effects", "Soundeffekte"},
        // Player screen and help
        {380, "Pilot", "Pilot"},
        {381, "Skills", "Fähigkeiten"},
        {382, "Items", "Gegenstände"},
        {383, "Events", "Ereignisse"},
        {384, "Ships", "Schiffe"},
        {390, "Money", "Geld"},
        {410, "Next level at", "Nächstes Level bei"},
        {411, "Experience", "Erfahrung"},
        {470, "Free points", "Freie Punkte"},
        {473, "Tips", "Tipps"},
        {474, "On", "An"},
        {475, "Off", "Aus"},
        {479, "reached a new level", "hat ein neues Level erreicht"},
        {480, "Level", "Level"},
        // High scores
        {520, "Your name:", "Dein Name:"},
        {521, "High scores", "Bestenliste"},
    };
}

// Key names by key code; letters and digits are their own names.
std::vector<DemoText> KeyNames() {
    std::vector<DemoText> texts = {{0x08, "Backspace", "Rücktaste"}, {0x09, "Tab", "Tab"},
                                   {0x0D, "Enter", "Eingabe"},       {0x10, "Shift", "Umschalt"},
                                   {0x11, "Ctrl", "Strg"},           {0x12, "Alt", "Alt"},
                                   {0x1B, "Escape", "Escape"},       {0x20, "Space", "Leertaste"},
                                   {0x25, "Left", "Links"},          {0x26, "Up", "Hoch"},
                                   {0x27, "Right", "Rechts"},        {0x28, "Down", "Runter"}};
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"))
        texts.push_back({static_cast<uint32_t>(c), std::string(1, c), ""});
    return texts;
}

// Each screen's help and tips under the number that screen asks for; the rest say how to get about.
std::vector<DemoText> HelpTexts() {
    const std::vector<DemoText> screens = {
        {1,
         "Move the pointer with the mouse and click with its left button. The right button asks a control "
         "what it is. Escape closes most windows.",
         "Bewege den Zeiger mit der Maus und klicke mit der linken Taste. Die rechte Taste zeigt, was ein "
         "Element ist. Escape schließt die meisten Fenster."},
        {3,
         "The galaxy map. Each star is a star system; the dotted circle round yours shows how far your fuel "
         "carries you. Click a star to look into its system, and there a planet to fly to it. A trip between "
         "systems costs fuel (the charge of your energy cells) and many days.",
         "Die Sternkarte. Jeder Stern ist ein Sternsystem; der gepunktete Kreis um deines zeigt, wie weit "
         "dein Treibstoff reicht. Klicke einen Stern, um in sein System zu sehen, und dort einen Planeten, "
         "um hinzufliegen. Eine Reise zwischen Systemen kostet Treibstoff (die Ladung deiner Energiezellen) "
         "und viele Tage."},
        {4,
         "Your ship. Its places hold weapons, energy cells, engines and cargo. Click an item to pick it up "
         "and a place to put it down; items that do not fit stay in the hold.",
         "Dein Schiff. Seine Plätze tragen Waffen, Energiezellen, Antriebe und Ladung. Klicke einen "
         "Gegenstand, um ihn aufzunehmen, und einen Platz, um ihn abzulegen; was nicht passt, bleibt im "
         "Laderaum."},
        {8, "Guides turn the shots of a gun. Choose a direction for each weapon place.",
         "Lenkungen drehen die Schüsse einer Waffe. Wähle für jeden Waffenplatz eine Richtung."},
        {10, "Equipment: switch items on and off, and see what each place holds.",
         "Ausrüstung: schalte Gegenstände ein und aus und sieh, was jeder Platz trägt."},
        {12, "The pilot: name, money, experience and level.", "Der Pilot: Name, Geld, Erfahrung und Level."},
        {13, "Skills: spend free points to get better at gunnery, piloting and trading.",
         "Fähigkeiten: Setze freie Punkte ein, um besser zu schießen, zu fliegen und zu handeln."},
        {14, "Items: everything your pilot carries.", "Gegenstände: alles, was dein Pilot bei sich hat."},
        {15, "Events: what your pilot has done so far.", "Ereignisse: was dein Pilot bisher getan hat."},
        {16, "Ships: the ships your pilot owns.", "Schiffe: die Schiffe deines Piloten."},
        {30,
         "The shop. Click an item in the stock to buy it; Sell, then an item of yours, sells it. Recharge "
         "fills your energy cells, which are also the fuel for travel. Information tells about the item "
         "under the pointer.",
         "Der Laden. Klicke einen Gegenstand im Angebot, um ihn zu kaufen; Verkaufen und dann einer deiner "
         "Gegenstände verkauft ihn. Aufladen füllt deine Energiezellen, die auch der Treibstoff für Reisen "
         "sind. Information erklärt den Gegenstand unter dem Zeiger."},
        {40, "Galaxy: the map of this star system, and from there of the whole galaxy.",
         "Galaxie: die Karte dieses Sternsystems und von dort die der ganzen Galaxie."},
        {41, "Game menu: save or load the game, change the options, or leave.",
         "Spielmenü: Spiel speichern oder laden, Optionen ändern oder aufhören."},
        {42,
         "The date of the game. Time runs on while you look at a star system's map, and every trip takes "
         "days.",
         "Das Datum des Spiels. Die Zeit läuft, während du die Karte eines Sternsystems ansiehst, und jede "
         "Reise dauert Tage."},
    };
    std::vector<DemoText> texts;
    for (uint32_t n = 1; n < 100; ++n) {
        const auto own =
            std::find_if(screens.begin(), screens.end(), [n](const DemoText& t) { return t.number == n; });
        texts.push_back(own != screens.end() ? *own : DemoText{n, screens[0].first, screens[0].second});
    }
    return texts;
}

}  // namespace

std::string CodePageText(std::string_view utf8) {
    std::string text;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<uint8_t>(utf8[i]);
        if (c < 0x80) {
            text += static_cast<char>(c);
            continue;
        }
        // Two-byte sequences of U+0080 to U+00FF: the Latin-1 letters, which the code page keeps.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<uint8_t>(utf8[++i]);
            const auto code = static_cast<uint8_t>((c & 0x03) << 6 | (next & 0x3F));
            if (code >= 0xA0) {
                text += static_cast<char>(code);
                continue;
            }
        }
        throw std::invalid_argument("a character outside the code page in \"" + std::string(utf8) + "\"");
    }
    return text;
}

std::string TwoLanguageMessages(const std::vector<DemoText>& texts) {
    std::vector<MessageText> first;
    std::vector<MessageText> second;
    for (const DemoText& t : texts) {
        first.push_back({t.number, CodePageText(t.first)});
        if (!t.second.empty()) second.push_back({t.number, CodePageText(t.second)});
    }
    return "Language 1\r\n" + MessageFileText(first) + "Language 2\r\n" + MessageFileText(second);
}

std::vector<FdEntry> DemoMessageFiles() {
    std::vector<DemoText> system = SystemTexts();
    // A number no screen of the demo shows still holds a text, so that a screen asking for one finds it.
    for (uint32_t n = 1; n < 700; ++n)
        if (std::none_of(system.begin(), system.end(), [n](const DemoText& t) { return t.number == n; }))
            system.push_back({n, "Text " + std::to_string(n), ""});
    return {
        {"system.mes", TwoLanguageMessages(system)},
        {"Keys.mes", TwoLanguageMessages(KeyNames())},
        {"Help.mes", TwoLanguageMessages(HelpTexts())},
        {"Copyright.mes", TwoLanguageMessages({{1, "Vondrel demo content", "Vondrel Demo-Inhalt"}})},
        {"Misc\\Credits.mes",
         TwoLanguageMessages(
             {{1,
               "Vondrel\n\nA demo game made with the project's own tools: its pictures, fonts, "
               "music and sounds are drawn and composed in code.\n\nThanks for playing.",
               "Vondrel\n\nEin Vorführspiel aus den eigenen Werkzeugen des Projekts: Bilder, "
               "Schriften, Musik und Klänge sind im Code gezeichnet und komponiert.\n\nDanke fürs "
               "Spielen."}})},
    };
}
