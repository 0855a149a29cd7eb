// The high-score tables, their file and their windows, driven through the started game with
// injected input.
#include "screens/high_scores.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/key_table.h"
#include "screens/high_score_window.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "tests/support/game_harness.h"
#include "tools/content/block_writer.h"
#include "ui/dialog_window.h"
#include "ui/list_frame.h"
#include "ui/window_frame.h"
#include "world/player.h"

namespace {

using std::string_literals::operator""s;

struct Row {
    std::string name;
    int32_t score;
    bool operator==(const Row&) const = default;
};

std::string Str(const String& text) {
    return std::string(text.View());
}

std::vector<Row> Rows(const HighScoreTable& table) {
    std::vector<Row> rows;
    for (const HighScoreEntry& e : table.Entries()) rows.push_back({Str(e.name), e.score});
    return rows;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name << ":" << row.score;
}

// One table as the file stores it: the entry count in the header, then key, title and each name
// with its NUL and its score.
std::string HiscBlock(const std::string& key, const std::string& title, const std::vector<Row>& rows) {
    std::string payload = key + '\0' + title + '\0';
    for (const Row& row : rows) payload += row.name + '\0' + LeU32(static_cast<uint32_t>(row.score));
    return SEBlock("HISC", payload, LeU32(static_cast<uint32_t>(rows.size())));
}

std::string ReadBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

TEST(HighScoreTableTest, QualifyingSortingAndTheTenBest) {
    struct Case {
        const char* what;
        std::vector<Row> inserted;
        int32_t candidate;
        bool qualifies;
        std::vector<Row> table;
    };
    std::vector<Row> eleven, tenBest;
    for (int i = 0; i < 10; ++i) eleven.push_back({"P" + std::to_string(i), 100 - i});
    tenBest = eleven;
    eleven.push_back({"New", 95});
    tenBest.insert(tenBest.begin() + 6, Row{"New", 95});
    tenBest.pop_back();
    const Case cases[] = {
        {"an empty table admits any score", {}, -7, true, {}},
        {"equal to the lowest never enters", {{"A", 50}, {"B", 20}}, 20, false, {{"A", 50}, {"B", 20}}},
        {"one above the lowest does", {{"A", 50}, {"B", 20}}, 21, true, {{"A", 50}, {"B", 20}}},
        // Equal scores keep their order, the newer below.
        {"ties", {{"A", 5}, {"B", 7}, {"C", 5}, {"D", 7}}, 6, true, {{"B", 7}, {"D", 7}, {"A", 5}, {"C", 5}}},
        {"negative scores", {{"A", -5}, {"B", 3}, {"C", -1}}, -3, true, {{"B", 3}, {"C", -1}, {"A", -5}}},
        {"an eleventh pushes the lowest out", eleven, 90, false, tenBest},
        {"names cut to 23", {{std::string(30, 'x'), 1}}, 0, false, {{std::string(23, 'x'), 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HighScoreTable table;
        for (const Row& row : c.inserted) table.Insert(row.name, row.score);
        EXPECT_EQ(Rows(table), c.table);
        EXPECT_EQ(table.Qualifies(c.candidate), c.qualifies);
    }
}

class HighScoresTest : public ::testing::Test {
  protected:
    HighScoresTest() {
        for (const char* picture : {"Misc\\SchemaLine.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
            game.AddPicture(picture);
        game.AddPicture("Misc\\Horn.dpf", {.frames = 2});
        game.AddFont("BigMenu").AddFont("EventsList");
        game.AddMessages("system.mes",
                         {{117, "OK"}, {119, "Cancel"}, {520, "Your name?"}, {521, "Best pilots"}});
        game.AddClass(
            {.name = "TestArena", .base = "GTTClass", .virtuals = {{3, PushTextWords("The Arena")}}});
        game.Start();
        manager = &HighScoreManager::OfGame(game.Cpu());
    }

    void AddPilot(const std::string& name, int32_t score) {
        auto* pilot = new PlayerObject(game.Class("Player"));
        auto device = std::make_unique<InputDevice>();
        device->SetMouseEnabled(true);
        pilot->SetInput(std::move(device));
        pilot->SetName(String(name.c_str()));
        pilot->SetExperience(score);
        game.Players().AppendObject(pilot);
    }

    void TypeAt(uint32_t time, const std::string& text) {
        game.At(time, [this, text] {
            for (char c : text) game.TypeChar(static_cast<uint8_t>(c));
        });
    }

    void ClickAt(uint32_t time, int32_t x, int32_t y) {
        game.At(time, [this, x, y] {
            game.MovePointer(x, y);
            game.SetButton(VK_LBUTTON, true);
        });
        game.At(time + 80, [this] { game.SetButton(VK_LBUTTON, false); });
    }

    void AddTable(const std::string& key, const std::string& title, const std::vector<Row>& rows) {
        auto table = std::make_unique<HighScoreTable>();
        table->key = String(key.c_str());
        table->title = String(title.c_str());
        for (const Row& row : rows) table->Insert(row.name, row.score);
        table->ClearNewMarks();
        manager->Add(std::move(table));
    }

    std::vector<std::string> Keys() {
        std::vector<std::string> keys;
        for (const HighScoreTable* table : manager->Tables()) keys.emplace_back(table->key.View());
        return keys;
    }

    GameHarness game;
    HighScoreManager* manager = nullptr;
};

// The first game of the scenario makes its table, titled by the scenario, with whatever score. In
// the second, two pilots with equal scores: the earlier is asked first and ends up above; he
// renames himself and confirms, the other leaves with Escape and keeps his name; the first pilot's
// score, equal to the lowest, does not enter again. Each list closes with Escape.
TEST_F(HighScoresTest, FinishedGamesEnterNamedScoresAndSaveThem) {
    game.Keep(kScenarioId, game.New("TestArena"));
    AddPilot("Old", 100);
    TypeAt(game.Now() + 200, "\x1b");
    TypeAt(game.Now() + 800, "\x1b");
    manager->AddHighScore(game.Cpu());
    EXPECT_EQ(ReadBytes(kHighScoreFile), HiscBlock("TestArena", "The Arena", {{"Old", 100}}));

    AddPilot("Ann", 300);
    AddPilot("Bob", 300);
    uint32_t t = game.Now();
    TypeAt(t += 200, "\b\b\bZed");
    ClickAt(t += 200, 320, 360);
    TypeAt(t += 600, "\x1b");
    TypeAt(t += 600, "\x1b");
    game.CallMethod(manager, 4);

    const std::vector<Row> rows = {{"Zed", 300}, {"Bob", 300}, {"Old", 100}};
    const HighScoreTable* table = manager->Find(String("TestArena"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Rows(*table), rows);
    for (const HighScoreEntry& e : table->Entries()) EXPECT_FALSE(e.isNew) << e.name.Text();
    EXPECT_EQ(ReadBytes(kHighScoreFile), HiscBlock("TestArena", "The Arena", rows));
}

TEST_F(HighScoresTest, ASavedFileReadsBackToTheSameTables) {
    AddTable("Arcade", "Arcade game", {{"Ann", 10}, {"Bob", 30}, {"Cyd", 20}});
    AddTable("Campaign", "The long way", {});
    AddTable("Duel", "Duel", {{"Eve", -3}});
    manager->Save();
    const std::string saved = ReadBytes(kHighScoreFile);
    // The tables in the manager's order.
    const std::map<std::string, std::string> blocks = {
        {"Arcade", HiscBlock("Arcade", "Arcade game", {{"Bob", 30}, {"Cyd", 20}, {"Ann", 10}})},
        {"Campaign", HiscBlock("Campaign", "The long way", {})},
        {"Duel", HiscBlock("Duel", "Duel", {{"Eve", -3}})}};
    const std::vector<std::string> keys = Keys();
    ASSERT_EQ(keys.size(), blocks.size());
    std::string expected;
    for (const std::string& key : keys) expected += blocks.at(key);
    EXPECT_EQ(saved, expected);
    // Loaded back, the tables save to the same bytes.
    manager->Clear();
    manager->Load();
    EXPECT_EQ(Keys(), keys);
    EXPECT_EQ(ReadBytes(kHighScoreFile), saved);
    manager->Save();
    EXPECT_EQ(ReadBytes(kHighScoreFile), saved);
}

// Other blocks are skipped, a second table of a key is ignored, entries are sorted and their names
// cut; a missing file says nothing.
TEST_F(HighScoresTest, LoadingSkipsForeignBlocksAndKeepsTheFirstTableOfAKey) {
    manager->Load();
    EXPECT_TRUE(Keys().empty());
    WriteBytes(kHighScoreFile, HiscBlock("A", "First", {{"Low", 1}, {std::string(40, 'n'), 9}}) +
                                   SEBlock("JUNK", "whatever"s, LeU32(7)) + HiscBlock("A", "Second", {}) +
                                   HiscBlock("B", "Other", {}));
    manager->Load();
    const HighScoreTable* a = manager->Find(String("A"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Str(a->title), "First");
    EXPECT_EQ(Rows(*a), (std::vector<Row>{{std::string(23, 'n'), 9}, {"Low", 1}}));
    EXPECT_NE(manager->Find(String("B")), nullptr);
    EXPECT_EQ(game.Log().find("HighScores"), std::string::npos);
}

// The tables before the first damaged block stay; the damaged file is kept whole beside the new one
// that the next save writes, and only that once.
TEST_F(HighScoresTest, ADamagedFileKeepsTheTablesBeforeTheDamageAndIsKeptBesideTheNewFile) {
    const std::string good = HiscBlock("A", "Title", {{"Ann", 5}});
    const std::string body = "A\0Title\0Ann\0"s + LeU32(5);
    std::string eleven = "A\0Title\0"s;
    for (int i = 0; i < 11; ++i) eleven += "Ann\0"s + LeU32(5);
    auto block = [](uint32_t payloadSize, int32_t count, const std::string& payload) {
        return "SEHISC"s + LeU16(14) + LeU32(payloadSize) + LeU32(static_cast<uint32_t>(count)) + payload;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"payload size past the end", block(500, 1, body)},
        {"more entries than the payload holds", block(body.size(), 2, body)},
        {"eleven entries", block(eleven.size(), 11, eleven)},
        {"a negative count", block(body.size(), -1, body)},
        {"a name without its end", block(11, 1, "A\0Title\0Ann"s)},
        {"a score cut short", block(14, 1, "A\0Title\0Ann\0"s + "\5\0"s)},
        {"bytes beyond the entries", block(body.size() + 2, 1, body + "zz")},
        {"a header too short for the count", SEBlock("HISC", "A\0"s)},
        {"garbage after a good table", good + "rubbish"},
        {"a cut file", good.substr(0, good.size() - 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(kHighScoreDamagedFile);
        AddTable("Kept", "Kept", {});
        WriteBytes(kHighScoreFile, good + c.bytes + HiscBlock("B", "After", {{"Bob", 7}}));
        const size_t logBefore = game.Log().size();
        manager->Load();
        EXPECT_EQ(Keys(), std::vector<std::string>{"A"});
        EXPECT_EQ(Rows(*manager->Find(String("A"))), (std::vector<Row>{{"Ann", 5}}));
        EXPECT_NE(game.Log().find("\"HighScores.HISC\" is damaged", logBefore), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(kHighScoreDamagedFile));
        manager->Save();
        EXPECT_EQ(ReadBytes(kHighScoreDamagedFile), good + c.bytes + HiscBlock("B", "After", {{"Bob", 7}}));
        EXPECT_EQ(ReadBytes(kHighScoreFile), good);
    }
    // Damage in the first block keeps nothing but the file itself.
    std::filesystem::remove(kHighScoreDamagedFile);
    WriteBytes(kHighScoreFile, cases[0].bytes);
    manager->Load();
    EXPECT_TRUE(Keys().empty());
    AddTable("New", "New", {});
    manager->Save();
    EXPECT_EQ(ReadBytes(kHighScoreDamagedFile), cases[0].bytes);
    // The copy is made once: neither a second save nor the save after a sound load touches it again.
    WriteBytes(kHighScoreDamagedFile, "old copy");
    manager->Save();
    manager->Load();
    manager->Save();
    EXPECT_EQ(ReadBytes(kHighScoreDamagedFile), "old copy");
    // A copy that cannot be written (a folder stands in its place) is logged, and the scores are saved.
    std::filesystem::remove(kHighScoreDamagedFile);
    std::filesystem::create_directory(kHighScoreDamagedFile);
    WriteBytes(kHighScoreFile, cases[0].bytes);
    manager->Load();
    AddTable("Newer", "Newer", {});
    const size_t logBefore = game.Log().size();
    manager->Save();
    EXPECT_NE(game.Log().find("\"HighScores.HISC\" could not be kept as \"HighScores.HISC.bad\"", logBefore),
              std::string::npos);
    manager->Load();
    EXPECT_EQ(Keys(), std::vector<std::string>{"Newer"});
    std::filesystem::remove(kHighScoreDamagedFile);
}

// The chooser's rows have ids of their own, so the down arrow (251) never reads as row 51, however
// many tables there are; rows past the list and stray ids change nothing.
TEST_F(HighScoresTest, TheChooserKeepsItsRowAndPageInRange) {
    for (int i = 0; i < 60; ++i) AddTable("T" + std::to_string(100 + i), "Table " + std::to_string(i), {});
    manager->rows.clear();
    for (const HighScoreTable* table : manager->Tables()) manager->rows.push_back({table->key, table->title});
    DialogWindow window(&game.Cpu(), &game.Screen(), nullptr);
    struct Case {
        int32_t event, value, command;
        int32_t first, selected;
    };
    const Case cases[] = {
        {kEventPrimary, 0, kHighScoreDownId, 1, 0},
        {kEventPrimary, 0, kFirstHighScoreChoiceId + 51, 1, 51},
        {kEventPrimary, 0, kFirstHighScoreChoiceId + 60, 1, 51},
        {kEventWheel, -100, 0, 49, 51},
        {kEventPrimary, 0, kHighScoreDownId, 49, 51},
        {kEventWheel, 1000, 0, 0, 51},
        {kEventPrimary, 0, kHighScoreUpId, 0, 51},
        {kEventPrimary, 0, 200, 0, 51},
    };
    manager->firstRow = 0;
    manager->selectedRow = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        HighScoreChooserEvent(*manager, window, c.event, c.value, c.command);
        EXPECT_EQ(manager->firstRow, c.first);
        EXPECT_EQ(manager->selectedRow, c.selected);
    }
    EXPECT_EQ(window.Result(), kNoResult);
    // The runners' part: the star field goes with the pages.
    window.ClearControls();
    DeleteHeavenPanel();
}

// The chooser opens on the page left last; a click on a row chooses it and Enter confirms.
TEST_F(HighScoresTest, TheChooserGivesTheRowClicked) {
    for (int i = 0; i < 13; ++i) AddTable("T" + std::to_string(10 + i), "Table " + std::to_string(i), {});
    const std::vector<std::string> keys = Keys();
    manager->firstRow = 2;
    InputDevice device;
    device.SetMouseEnabled(true);
    uint32_t t = game.Now();
    ClickAt(t += 200, 320, 90 + 30 * 3);
    TypeAt(t += 300, "\r");
    EXPECT_EQ(Str(ChooseHighScoreTable(*manager, device)), keys[5]);
    TypeAt(game.Now() + 200, "\x1b");
    EXPECT_EQ(Str(ChooseHighScoreTable(*manager, device)), "");
    EXPECT_EQ(manager->firstRow, 2);
}

// Each round of the menu, the chooser and then a table, makes its windows anew: what the rounds
// before destroyed is given back at the next, not when the menu closes.
TEST_F(HighScoresTest, ManyRoundsOfTheMenuHoldNoMoreThanAFew) {
    AddTable("T1", "One", {{"Ann", 5}});
    InputDevice device;
    device.SetMouseEnabled(true);
    const ReleaseHold mainScreen;  // the loop whose menu opened it
    std::vector<size_t> waiting;
    uint32_t t = game.Now();
    for (int round = 0; round < 12; ++round) {
        game.At(t += 300, [&] {
            waiting.push_back(DestroyedAwaitingRelease());
            game.TypeChar('\r');
        });
        ClickAt(t += 300, 612, 465);  // the table's OK: the chooser again
    }
    TypeAt(t += 300, "\x1b");
    EXPECT_EQ(ShowHighScoreMenu(*manager, device, nullptr), 0);
    ASSERT_EQ(waiting.size(), 12u);
    EXPECT_EQ(waiting.back(), waiting[4]);
}

// Start-up reads the file into the manager it made.
TEST(HighScoreStartupTest, StartUpReadsTheFile) {
    GameHarness game;
    WriteBytes(kHighScoreFile, HiscBlock("Arcade", "Arcade", {{"Ann", 5}}));
    game.Start();
    const HighScoreTable* table = HighScoreManager::OfGame(game.Cpu()).Find(String("Arcade"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Rows(*table), (std::vector<Row>{{"Ann", 5}}));
}

TEST(HighScoreLineTest, NewEntriesAreMarkedAndScoresSigned) {
    EXPECT_EQ(Str(HighScoreLine({String("Ann"), 120, false})), "Ann .................. $h120$h");
    EXPECT_EQ(Str(HighScoreLine({String("Bob"), -5, true})), "$nBob$h .................. $h-5$h");
}

}  // namespace
