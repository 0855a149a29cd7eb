// The pilots' event records through the EventManager's natives: for every pilot of the player list
// and for one pilot, set, tested, read and removed.
#include "world/event_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/game_harness.h"
#include "world/player.h"

namespace {

constexpr uint32_t kYes = 0xFFFFFFFFu;

class EventManagerTest : public ::testing::Test {
  protected:
    EventManagerTest() {
        game.Start();
        events = game.New("EventManager");
    }

    // A pilot appended to the player list, which owns it.
    ScriptObject* AddPilot() {
        auto* pilot = new PlayerObject(game.Class("Player"));
        game.Players().AppendObject(pilot);
        return pilot;
    }

    uint32_t Call(uint32_t method, const std::vector<uint32_t>& pushed) {
        const std::vector<uint32_t> results = game.CallMethod(events.get(), method, pushed);
        return results.empty() ? 0 : results.back();
    }
    uint32_t Key(const std::string& key) { return game.Text(key); }
    std::string TextOf(uint32_t address) { return address == 0 ? "<none>" : GameHarness::TextAt(address); }

    GameHarness game;
    GameObject events;
};

TEST_F(EventManagerTest, RecordsForEveryPilotKeepWhatAPilotHasAlready) {
    ScriptObject* first = AddPilot();
    ScriptObject* second = AddPilot();
    EventManager::RecordEvent(first, "Quest", 2, "old", 5);
    game.Players().Seek(1);  // the walks leave the list's cursor where it is

    Call(14, {Key("Quest"), 1, game.Text("new"), 9});  // key, kind, text, value
    Call(10, {Key("Visited"), game.Text("Tera")});     // nobody has it: made with kind 0, value 0

    struct Case {
        const char* what;
        ScriptObject* pilot;
        const char* key;
        const char* text;
        uint32_t value;
    } cases[] = {
        {"the first keeps its record", first, "Quest", "old", 5},
        {"the second gets the new one", second, "Quest", "new", 9},
        {"a text for all makes the record", first, "Visited", "Tera", 0},
        {"for every pilot", second, "Visited", "Tera", 0},
        {"keys differ by case", second, "quest", "<none>", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TextOf(Call(8, {c.pilot->Address(), Key(c.key)})), c.text);
        EXPECT_EQ(Call(9, {c.pilot->Address(), Key(c.key)}), c.value);
        EXPECT_EQ(Call(5, {c.pilot->Address(), Key(c.key)}), std::string(c.text) == "<none>" ? 0u : kYes);
    }
    String text;
    ASSERT_TRUE(EventManager::EventText(second, "Visited", text));
    EXPECT_EQ(Call(4, {Key("Quest")}), kYes);
    EXPECT_EQ(TextOf(Call(6, {Key("Quest")})), "old");  // the first pilot in list order
    EXPECT_EQ(Call(7, {Key("Quest")}), 5u);
    EXPECT_EQ(Call(4, {Key("QUEST")}), 0u);
    EXPECT_EQ(game.Players().ObjectList().Current(), second);
}

TEST_F(EventManagerTest, ValuesAndTextsChangeOnlyWhereARecordExists) {
    ScriptObject* first = AddPilot();
    ScriptObject* second = AddPilot();
    EventManager::RecordEvent(first, "Date", 1, "then", 3);

    Call(12, {second->Address(), Key("Date"), game.Text("now")});  // absent: nothing is made
    Call(13, {second->Address(), Key("Date"), 8});
    EXPECT_EQ(Call(5, {second->Address(), Key("Date")}), 0u);

    Call(12, {first->Address(), Key("Date"), game.Text("now")});
    Call(13, {first->Address(), Key("Date"), 8});
    EXPECT_EQ(TextOf(Call(8, {first->Address(), Key("Date")})), "now");
    EXPECT_EQ(Call(9, {first->Address(), Key("Date")}), 8u);

    Call(11, {Key("Date"), 40});  // replaced for the first, made with an empty text for the second
    EXPECT_EQ(Call(9, {first->Address(), Key("Date")}), 40u);
    EXPECT_EQ(TextOf(Call(8, {second->Address(), Key("Date")})), "");
    EXPECT_EQ(Call(9, {second->Address(), Key("Date")}), 40u);
}

TEST_F(EventManagerTest, RemovingTakesOnePilotsRecordOrEveryPilots) {
    ScriptObject* first = AddPilot();
    ScriptObject* second = AddPilot();
    for (const char* key : {"A", "B", "C"}) Call(14, {Key(key), 0, game.Text(key), 1});

    Call(16, {first->Address(), Key("B")});
    EXPECT_EQ(Call(5, {first->Address(), Key("B")}), 0u);
    EXPECT_EQ(Call(5, {second->Address(), Key("B")}), kYes);
    EXPECT_EQ(TextOf(Call(6, {Key("B")})), "B");  // now the second pilot's

    Call(17, {Key("B")});
    EXPECT_EQ(Call(4, {Key("B")}), 0u);
    for (const char* key : {"A", "C"}) {
        EXPECT_EQ(Call(5, {first->Address(), Key(key)}), kYes) << key;
        EXPECT_EQ(Call(5, {second->Address(), Key(key)}), kYes) << key;
    }
    // Removing what is not there changes nothing.
    Call(16, {first->Address(), Key("B")});
    Call(17, {Key("Z")});
    EXPECT_EQ(Call(4, {Key("A")}), kYes);
}

TEST_F(EventManagerTest, ATextReadStaysWhenItsRecordChangesOrGoes) {
    ScriptObject* pilot = AddPilot();
    Call(14, {Key("Name"), 0, game.Text("Arden"), 0});
    const uint32_t any = Call(6, {Key("Name")});
    const uint32_t own = Call(8, {pilot->Address(), Key("Name")});
    Call(10, {Key("Name"), game.Text("Brisk")});
    Call(17, {Key("Name")});
    EXPECT_EQ(TextOf(any), "Arden");
    EXPECT_EQ(TextOf(own), "Arden");
}

TEST_F(EventManagerTest, WithoutPilotsNothingIsFoundOrMade) {
    Call(10, {Key("K"), game.Text("t")});
    Call(11, {Key("K"), 3});
    Call(14, {Key("K"), 0, game.Text("t"), 3});
    Call(17, {Key("K")});
    EXPECT_EQ(Call(4, {Key("K")}), 0u);
    EXPECT_EQ(Call(6, {Key("K")}), 0u);
    EXPECT_EQ(Call(7, {Key("K")}), 0u);
    // Something that is no pilot has no records.
    EXPECT_EQ(Call(5, {events->Address(), Key("K")}), 0u);
}

}  // namespace
