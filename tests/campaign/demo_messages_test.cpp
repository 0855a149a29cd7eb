// The demo's message texts that the engine fills with values hold a place for each value it passes,
// in both languages: no value is left out of the question and no place is left empty or shows as a
// conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/formatted_messages.h"
#include "tests/support/game_harness.h"
#include "tools/content/demo_content.h"

namespace {

// What stands for value k in a formatted text: found in it only where a place took it.
std::string Marker(size_t k) {
    return "<value " + std::to_string(k + 1) + ">";
}

// The places the formatter filled: the markers in the order they stand in the text; a place the
// formatter left as it was shows as a conversion.
std::vector<std::string> FilledPlaces(const FormattedMessage& message, const std::string& text) {
    std::vector<std::string> markers;
    // One value more than the engine passes: a place for it would be one too many.
    for (size_t k = 0; k <= message.values.size(); ++k) markers.push_back(Marker(k));
    const std::string filled(message.format(text, markers).View());
    std::vector<std::string> places;
    for (size_t at = filled.find('<'); at != std::string::npos; at = filled.find('<', at + 1))
        for (const std::string& marker : markers)
            if (filled.compare(at, marker.size(), marker) == 0) places.push_back(marker);
    for (const char* conversion : {"%s", "%d", "%i", "%u"})
        if (filled.find(conversion) != std::string::npos) places.push_back(conversion);
    return places;
}

TEST(DemoMessagesTest, EveryTextTheEngineFillsHasAPlaceForEachValueInBothLanguages) {
    for (uint32_t language : {1u, 2u}) {
        SCOPED_TRACE(language);
        GameHarness game;
        for (const FdEntry& e : DemoArchiveEntries())
            if (e.name != "Language.LCFG") game.AddEntry(e.name, e.data, e.packed);
        game.Settings().language = language;
        game.Start();
        for (const FormattedMessage& message : FormattedMessages()) {
            const std::string text = game.Message(message.file, message.number);
            std::vector<std::string> expected;
            for (size_t k = 0; k < message.values.size(); ++k) expected.push_back(Marker(k));
            EXPECT_EQ(FilledPlaces(message, text), expected)
                << message.file << " " << message.number << ": \"" << text << "\"";
        }
    }
}

}  // namespace
