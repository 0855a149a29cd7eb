// Resource marks and the scene reset: what a scene loaded goes, the players come back once each
// with their own input devices, the star-system windows are closed once and opened again; and the
// players file, written whole or not at all.
#include "campaign/scene_reset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "campaign/game_manager.h"
#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "foundation/exceptions.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "platform/headless/headless_audio.h"
#include "script/class_manager.h"
#include "script/message_manager.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"
#include "tests/support/hostile_scripts.h"
#include "tools/content/script_assembler.h"
#include "tools/content/script_subclass.h"
#include "tools/content/sound_builder.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "world/player.h"
#include "world/player_config.h"

namespace {

std::string FileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SceneResetTest : public ::testing::Test {
  protected:
    SceneResetTest() {
        game.AddPicture("Scene\\Rock.pic");
        game.AddClass({.name = "SceneThing", .base = "GTTClass"});
        for (const auto& [name, destructor] :
             {std::pair<const char*, std::vector<uint32_t>>{"SceneKeeper", {}},
              {"SceneFailer", FailWords()},
              {"SceneMaker",
               {OpWord(Op::PushZero), OpWord(Op::ClassOf), OpWord(Op::CreateInstance), OpWord(Op::Drop)}}}) {
            game.AddClass({.name = name,
                           .base = "GTTClass",
                           .instanceFields = 1,
                           .virtuals = {{0, CodeWords({DeleteFieldWords(0), destructor})}}});
        }
        // Items whose save (virtual method 5, which leaves the count 0) does something to the
        // player list: deletes its second player, or moves its cursor to the last.
        const auto listCall = [](uint32_t method) {
            return ScriptAssembler::CallWord(method, 2, false, ScriptAssembler::Receiver::ObjectId,
                                             kPlayerListId);
        };
        game.AddClass({.name = "SecondPlayerDeleter",
                       .base = "QuestItem",
                       .virtuals = {{5,
                                     {listCall(5), OpWord(Op::Drop), listCall(7), OpWord(Op::DeleteObject),
                                      OpWord(Op::PushZero)}}},
                       .uses = {"ObjectManager"},
                       .createValues = {0}});
        game.AddClass({.name = "CursorToLast",
                       .base = "QuestItem",
                       .virtuals = {{5, {listCall(14), OpWord(Op::Drop), OpWord(Op::PushZero)}}},
                       .uses = {"ObjectManager"},
                       .createValues = {0}});
        // A player whose destruction fails: method 999 of its base does not exist.
        game.AddClass({.name = "DoomedPlayer", .base = "Player", .virtuals = {{0, {BaseCallWord(999)}}}});
        game.AddFont("SceneFont");
        game.AddMessages("Scene.mes", {{1, "One"}, {2, "Two"}});
        game.AddSound("Boom", "Sounds\\Boom.wav", WaveFile());
        game.Start();
    }
    ~SceneResetTest() override { SystemViewHook() = {}; }

    PlayerObject* AddPlayer(const char* name, int32_t tenths, const char* cls = "Player") {
        auto* player = new PlayerObject(game.Class(cls));
        player->SetName(name);
        player->SetMoneyTenths(tenths);
        player->SetInput(std::make_unique<InputDevice>());
        game.Players().AppendObject(player);
        return player;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (PlayerObject* player : Players()) names.emplace_back(player->Name().View());
        return names;
    }
    std::vector<PlayerObject*> Players() {
        std::vector<PlayerObject*> players;
        for (auto* node = game.Players().ObjectList().Head(); node != nullptr; node = node->next)
            players.push_back(&PlayerObject::Of(node->item));
        return players;
    }
    ObjectManager& Ships() { return dynamic_cast<ObjectManager&>(*game.Object(kShipListId)); }
    std::vector<uint32_t> Counts() {
        return {game.Classes().Classes().Count(), game.Images().Pictures().Count(),
                game.Fonts().Fonts().Count(), game.Messages().FileCount(), game.Sounds().Sounds().Count()};
    }
    ScriptObject* Window() { return new ScriptObject(game.Class("ZEMAClass")); }

    GameHarness game;
};

TEST_F(SceneResetTest, WhatTheSceneLoadedGoesAndNothingElse) {
    struct Case {
        const char* what;
        bool load;
    };
    for (const Case c :
         {Case{"a scene that loaded nothing", false}, Case{"a scene that loaded all kinds", true}}) {
        SCOPED_TRACE(c.what);
        const std::vector<uint32_t> before = Counts();
        const ResourceMarks marks = SaveResourceMarks(game.Cpu());
        if (c.load) {
            ASSERT_NE(game.Class("SceneThing"), nullptr);
            ASSERT_NE(game.Picture("Scene\\Rock.pic"), nullptr);
            ASSERT_NE(game.FontNamed("SceneFont"), nullptr);
            ASSERT_EQ(game.Message("Scene.mes", 1), "One");
            ASSERT_NE(game.Sound("Boom"), nullptr);
            EXPECT_NE(Counts(), before);
        }
        ResetScene(game.Cpu(), marks, false);
        EXPECT_EQ(Counts(), before);
        // Loaded again on the next request.
        EXPECT_NE(game.Picture("Scene\\Rock.pic"), nullptr);
        EXPECT_NE(game.Class("SceneThing"), nullptr);
        EXPECT_EQ(game.Message("Scene.mes", 2), "Two");
        ResetScene(game.Cpu(), marks, false);
    }
}

TEST_F(SceneResetTest, AnObjectOfAClassTheResetUnloadedIsDestroyedByItOnceWhoeverKeepsIt) {
    // Each class's destruction deletes the probe its field names, then does its own part.
    struct Case {
        const char* what;
        const char* cls;
        bool keptInTable;   // else only weakly, as a window keeps its controls
        std::string error;  // what the reset passes on
    };
    const Case cases[] = {
        {"kept in an object table", "SceneKeeper", true, "no error"},
        {"kept only weakly", "SceneKeeper", false, "no error"},
        {"whose destructor fails", "SceneFailer", true, FailMessage()},
        {"whose destructor makes another of its class", "SceneMaker", false,
         "Class SceneMaker is unloaded and makes no objects"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t leftBehind = ZEMAClass::UnloadedClass().InstanceCount();
        const ResourceMarks marks = SaveResourceMarks(game.Cpu());
        GameObject probe = game.New("ZEMAClass");
        const WeakObject probeRef(probe.get());
        GameObject made = game.New(c.cls);
        made->Field(0) = probe.release()->Address();
        const WeakObject ref(made.get());
        ZEMAClass* cls = made->Class();
        if (c.keptInTable) {
            game.Keep(200, std::move(made));
        } else {
            made.release();
        }
        {
            // A frame below that still holds the class, as a caller does.
            const ReleaseHold frameBelow;
            const std::string error = ErrorMessage([&] { ResetScene(game.Cpu(), marks, false); });
            EXPECT_EQ(error, c.error);
            EXPECT_EQ(cls->InstanceCount(), 0u);
        }
        EXPECT_EQ(ref.Get(), nullptr);
        EXPECT_EQ(probeRef.Get(), nullptr) << "its destructor ran";
        EXPECT_EQ(game.Object(200), nullptr);
        EXPECT_EQ(ZEMAClass::UnloadedClass().InstanceCount(), leftBehind);
        EXPECT_EQ(game.Classes().Classes().Count(), marks.classes);
        EXPECT_EQ(DestroyedAwaitingRelease(), 0u);
    }
}

TEST_F(SceneResetTest, NoHolderKeepsAFontOrPictureTheResetTook) {
    ScreenBuffer& buffer = game.Buffer();
    Font* before = buffer.CurrentFont();
    const ResourceMarks marks = SaveResourceMarks(game.Cpu());
    Font* font = game.FontNamed("SceneFont");
    Image* picture = game.Picture("Scene\\Rock.pic");
    const uint32_t frame = picture->GetFrame(0)->Address();
    buffer.SetFont(font);
    const WeakObject fontRef(font);
    // Controls that outlive the scene: one shows the picture, one writes in the font, and one whose
    // field a script pointed at the picture itself.
    GameObject shows = game.New("Control", {1, 0, 0, picture->Address()});
    GameObject writes = game.New("StaticText", {2, game.Text("text"), 0, 0});
    StaticTextObject::Of(writes.get()).SetFont(font);
    GameObject pointed = game.New("Control", {3, 0, 0, 0});
    VisualObject::Of(pointed.get()).Own(kVisualPicture) = picture->Address();
    {
        // A native frame that holds them across the reset still reads them.
        const ReleaseHold frameBelow;
        ResetScene(game.Cpu(), marks, false);
        EXPECT_EQ(font->LineHeight(), game.FontNamed("SceneFont")->LineHeight());
        EXPECT_FALSE(picture->Alive());
        EXPECT_EQ(buffer.CurrentFont(), nullptr) << "the buffer has no font, as a new one has";
        EXPECT_EQ(fontRef.Get(), nullptr);
        EXPECT_EQ(ErrorMessage([&] { Frame::FromAddress(frame); }), NotValid(frame, "frame"));
        EXPECT_EQ(VisualObject::Of(shows.get()).Picture(), nullptr);
        EXPECT_EQ(StaticTextObject::Of(writes.get()).TextFont(), nullptr);
        const uint32_t gone = picture->Address();
        EXPECT_EQ(ErrorMessage([&] { VisualObject::Of(pointed.get()).Picture(); }),
                  NotValid(gone, "picture"));
    }
    // Drawing text without a font draws nothing; a font set again is the one found again.
    buffer.DrawTextAligned("text", 0, 0, 1, 0, 0, 0);
    buffer.SetFont(before);
    EXPECT_EQ(buffer.CurrentFont(), before);
    EXPECT_EQ(DestroyedAwaitingRelease(), 0u);
}

// A script of the reset (here the planet's name) plays a sound loaded for the scene while the sound
// thread is still at an earlier one; the reset gives the sound up. Whether or not a frame below the
// reset still holds its record, nothing of it is played and its audio object goes.
TEST_F(SceneResetTest, ASoundTheResetGivesUpIsNotPlayedAfterwards) {
    HeadlessAudio& audio = *game.Host().audio;
    SoundRecord* click = game.Sound("Click");  // loaded before the scene
    ASSERT_NE(click, nullptr);
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "a frame holds the record" : "nothing holds the record");
        game.SettleSound();
        const int objects = audio.Objects();
        const ResourceMarks marks = SaveResourceMarks(game.Cpu());
        uint32_t boom = 0;
        SystemViewHook().open = [this](Processor&, const String&, const String&) { return Window(); };
        SystemViewHook().describe = [&](ScriptObject&, String& system, String&) {
            system = "Sol";
            audio.HoldPlays(true);
            game.CallMethod(&game.SoundOutput(), 4, {click->Address()});  // the thread waits here
            const uint32_t record = game.CallMethod(&game.Sounds(), 4, {game.Text("Boom")}).at(0);
            boom = game.CallMethod(&game.SoundOutput(), 8, {record}).at(0);
        };
        game.Objects().SetObject(Window(), kStarSystemWindowId);
        {
            std::optional<ReleaseHold> frame;
            if (held) frame.emplace();
            struct PlaysGoOn {
                HeadlessAudio& audio;
                ~PlaysGoOn() { audio.HoldPlays(false); }
            } goOn{audio};
            ResetScene(game.Cpu(), marks, true);
            audio.HoldPlays(false);
            game.SettleSound();
        }
        game.SettleSound();
        ASSERT_NE(boom, 0u);
        EXPECT_EQ(game.Sounds().Sounds().Count(), marks.sounds);
        for (const std::string& call : audio.Calls())
            EXPECT_NE(call, "PlayLooped " + std::to_string(boom) + " -> 1");
        EXPECT_EQ(audio.Objects(), objects);
        EXPECT_TRUE(game.SoundOutput().ThreadRunning());
        game.Objects().SetObject(nullptr, kStarSystemWindowId);
    }
}

TEST_F(SceneResetTest, TextsHandedToScriptsOutliveTheirFile) {
    const ResourceMarks marks = SaveResourceMarks(game.Cpu());
    const uint32_t one = game.Messages().ScriptMessage(String("Scene.mes"), 1);
    ResetScene(game.Cpu(), marks, false);
    EXPECT_EQ(GameHarness::TextAt(one), "One");
    EXPECT_EQ(GameHarness::TextAt(game.Messages().ScriptMessage(String("Scene.mes"), 2)), "Two");
    EXPECT_EQ(game.Messages().ScriptMessage(String("Scene.mes"), 1), one);
}

TEST_F(SceneResetTest, PlayersComeBackOnceEachWithTheirOwnInput) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, int32_t>> players;
    };
    const Case cases[] = {
        {"no players", {}},
        {"two players", {{"Ann", 120}, {"Bob", 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game.Players().ClearList();
        std::vector<InputDevice*> inputs;
        for (const auto& [name, money] : c.players) inputs.push_back(AddPlayer(name, money)->Input());
        Ships().AppendObject(new ScriptObject(game.Class("ZEMAClass")));
        const ResourceMarks marks = SaveResourceMarks(game.Cpu());
        game.Picture("Scene\\Rock.pic");

        ResetScene(game.Cpu(), marks, false);
        EXPECT_EQ(Ships().ObjectList().Head(), nullptr);
        EXPECT_EQ(game.Images().Pictures().Count(), marks.images);
        const std::vector<PlayerObject*> players = Players();
        ASSERT_EQ(players.size(), c.players.size());
        for (size_t i = 0; i < players.size(); ++i) {
            EXPECT_EQ(players[i]->Name(), String(c.players[i].first));
            EXPECT_EQ(players[i]->MoneyTenths(), c.players[i].second);
            EXPECT_EQ(players[i]->Input(), inputs[i]);
        }
    }
}

// The players are stored, and made again, as they are when the reset begins: what their save
// scripts delete is gone, and what goes wrong while they are taken down loses none of them.
TEST_F(SceneResetTest, ThePlayersComeBackAsTheScriptsLeftThemAndAreNeverLost) {
    struct Case {
        const char* what;
        const char* annsItem;
        const char* bobsClass;
        std::vector<std::string> names;
        bool fails;
    };
    const Case cases[] = {
        {"Ann's save deletes Bob", "SecondPlayerDeleter", "Player", {"Ann"}, false},
        {"Bob's destruction fails", nullptr, "DoomedPlayer", {"Ann", "Bob"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // What the game thread holds while it runs the game.
        const ReleaseHold hold;
        game.Players().ClearList();
        PlayerObject* ann = AddPlayer("Ann", 120);
        InputDevice* annsInput = ann->Input();
        if (c.annsItem != nullptr) ann->AddItem(game.New(c.annsItem).release());
        PlayerObject* bob = AddPlayer("Bob", 30, c.bobsClass);
        const std::string failure = ErrorMessage([&] { game.CallVirtual(bob, 0); });

        const std::string error =
            ErrorMessage([&] { ResetScene(game.Cpu(), SaveResourceMarks(game.Cpu()), false); });
        EXPECT_EQ(error, c.fails ? failure : "no error");
        EXPECT_EQ(Names(), c.names);
        ASSERT_FALSE(Players().empty());
        EXPECT_EQ(Players().front()->Input(), annsInput);
    }
}

TEST_F(SceneResetTest, StarSystemWindowsAreClosedOnceAndOpenedAgain) {
    struct Case {
        const char* what;
        bool same;  // object 20 is object 17
        bool rebuild;
        int described;  // windows asked for their names
        int opened;
    };
    const Case cases[] = {
        {"one window in both slots", true, true, 1, 1},
        {"two windows", false, true, 2, 2},
        {"the flight leaves them alone", false, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int described = 0;
        std::vector<std::string> opened;
        ScriptObject* current = Window();
        ScriptObject* last = c.same ? current : Window();
        SystemViewHook().describe = [&](ScriptObject& window, String& system, String& planet) {
            ++described;
            system = &window == current ? "Sol" : "Vega";
            if (&window == current) planet = "Earth";  // the other has no planet selected
        };
        SystemViewHook().open = [&](Processor&, const String& system, const String& planet) {
            opened.push_back(std::string(system.View()) + "/" + std::string(planet.View()));
            return Window();
        };
        game.Objects().SetObject(current, kStarSystemWindowId);
        game.Objects().SetObject(last, kStarSystemViewId);

        ResetScene(game.Cpu(), SaveResourceMarks(game.Cpu()), c.rebuild);
        EXPECT_EQ(described, c.described);
        ASSERT_EQ(static_cast<int>(opened.size()), c.opened);
        if (c.opened > 0) {
            EXPECT_EQ(opened[0], "Sol/Earth");
        }
        if (c.opened > 1) {
            EXPECT_EQ(opened[1], "Vega/");
        }
        ScriptObject* now17 = game.Object(kStarSystemWindowId);
        ScriptObject* now20 = game.Object(kStarSystemViewId);
        EXPECT_EQ(now17 == now20, c.same);
        if (!c.rebuild) {
            EXPECT_EQ(now17, current);
        }
        game.Objects().SetObject(nullptr, kStarSystemWindowId);
        game.Objects().SetObject(nullptr, kStarSystemViewId);
    }
}

class PlayersFileTest : public SceneResetTest {
  protected:
    PlayersFileTest() : save(18, true) {
        save.SetSignature("SAVE");
        GameManagerObject::Get(game.Cpu()).GameTime() = GTime(151072, 12345);
    }
    DataBlock save;
};

TEST_F(PlayersFileTest, TheSaveBlockIsStampedAndThePlayersFollowIt) {
    AddPlayer("Ann", 120);
    AddPlayer("Bob", 30);
    WritePlayersConfig(game.Cpu(), save, String(""));
    EXPECT_EQ(LoadU32(save.Header() + 10), 12345u);
    EXPECT_EQ(LoadU32(save.Header() + 14), 151072u);

    WritePlayersConfig(game.Cpu(), save, String("Players.gsf"));
    FileBlockReader reader;
    reader.Open(String("Players.gsf"));
    DataBlock read(0, true);
    reader >> read;
    EXPECT_TRUE(read.HasTag("SAVE"));
    EXPECT_EQ(LoadU32(read.Header() + 14), 151072u);
    for (const char* name : {"Ann", "Bob"}) {
        PlayerConfig config;
        reader >> config;
        EXPECT_EQ(config.Name(), name);
    }
}

TEST_F(PlayersFileTest, EveryPlayerIsWrittenOnceWhereverTheSaveScriptsLeaveTheListsCursor) {
    AddPlayer("Ann", 120)->AddItem(game.New("CursorToLast").release());
    AddPlayer("Bob", 30);
    WritePlayersConfig(game.Cpu(), save, String("Players.gsf"));
    FileBlockReader reader;
    reader.Open(String("Players.gsf"));
    DataBlock header(0, true);
    reader >> header;
    std::vector<std::string> written;
    while (!reader.AtEnd()) {
        PlayerConfig config;
        reader >> config;
        written.emplace_back(config.Name());
    }
    EXPECT_EQ(written, (std::vector<std::string>{"Ann", "Bob"}));
}

TEST_F(PlayersFileTest, AFileThatCouldNotBeLoadedIsNeverWritten) {
    AddPlayer("Ann", 120);
    WritePlayersConfig(game.Cpu(), save, String("Players.gsf"));
    const std::string old = FileBytes("Players.gsf");
    ASSERT_FALSE(old.empty());
    game.Players().ClearList();
    EXPECT_THROW(WritePlayersConfig(game.Cpu(), save, String("Players.gsf")), FatalExep);
    EXPECT_EQ(FileBytes("Players.gsf"), old);
}

}  // namespace
