#include "shell/game_startup.h"

#include <memory>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/version_block.h"
#include "graphics/color_manager.h"
#include "graphics/font_manager.h"
#include "graphics/graphics_natives.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "graphics/zema_screen.h"
#include "platform/app.h"
#include "script/char_manager.h"
#include "script/class_manager.h"
#include "script/debugger_messages.h"
#include "script/message_manager.h"
#include "script/native_catalogue.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/string_procs.h"
#include "shell/frame_timer.h"
#include "shell/game_globals.h"
#include "shell/game_hooks.h"
#include "shell/game_ids.h"
#include "shell/game_stop.h"
#include "shell/hot_key_table.h"
#include "shell/input_device.h"
#include "shell/key_name.h"
#include "shell/shell_natives.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"

const char* const kFirstNativeClasses[16] = {
    "Control",     "PicturesSetControl", "StarSystemZoomed", "Planet",     "Button",      "Slider",
    "StaticText",  "MultiControl",       "ListBox",          "TextButton", "CheckButton", "Skill",
    "WeaponSkill", "CommerceSkill",      "SwitchSkill",      "StarSystem"};

const char* const kLaterNativeClasses[68] = {"GTTClass",
                                             "Visual",
                                             "Actor",
                                             "ProActor",
                                             "Level",
                                             "Slot",
                                             "Option",
                                             "ZEMAScreen",
                                             "Weapon",
                                             "EnergyWeapon",
                                             "Ammo",
                                             "PassivePicture",
                                             "Dialog",
                                             "PlanetZoomed",
                                             "GameManager",
                                             "SlotControl",
                                             "RectangleControl",
                                             "MultiLineControl",
                                             "MultiLineButton",
                                             "OpenWindowControl",
                                             "CloseWindowControl",
                                             "Akb",
                                             "Engine",
                                             "Shield",
                                             "Guide",
                                             "CircleGuide",
                                             "AngleGuide",
                                             "SelfGuidedGuide",
                                             "ShopDialog",
                                             "AllItemsShop",
                                             "Player",
                                             "Hull",
                                             "Shot",
                                             "Splinter",
                                             "EventManager",
                                             "Scenario",
                                             "Edit",
                                             "HeavenControl",
                                             "StarsSky",
                                             "ActiveBackGround",
                                             "BackGround",
                                             "CycleBackGround",
                                             "Explosion",
                                             "ShotExplosion",
                                             "AbsBonus",
                                             "Bonus",
                                             "MoneyBonus",
                                             "EnergyBonus",
                                             "PaidBonus",
                                             "Grabber",
                                             "Missile",
                                             "EnemyMissile",
                                             "MultiActor",
                                             "Conversation",
                                             "Supply",
                                             "SupplyService",
                                             "SupplyShip",
                                             "Cargo",
                                             "ScreenEffect",
                                             "FadeEffect",
                                             "HelpSystem",
                                             "QuestItem",
                                             "PseudoActor",
                                             "GTime",
                                             "TimeControl",
                                             "Maze",
                                             "MazeEnemy",
                                             "Ship"};

namespace {

constexpr unsigned kBuckets = 26;
constexpr int32_t kStackCapacity = 16000;
constexpr uint32_t kStringBufferSize = 4096;

// Hands a new descriptor to the class table, which owns it from then on; when registering fails
// the descriptor is released here.
template <class T>
T* Register(ClassManager& classes, std::unique_ptr<T> descriptor) {
    classes.Register(descriptor.get(), false);
    return descriptor.release();
}

ZEMAClass* RegisterNative(Processor& processor, const char* name) {
    return Register(processor.Classes(), std::unique_ptr<ZEMAClass>(NewNativeDescriptor(&processor, name)));
}

// Stores an object that nothing owns yet.
void Store(ObjectManager& objects, std::unique_ptr<ScriptObject> object, uint32_t id) {
    objects.SetObject(object.get(), id);
    object.release();
}

void StoreNewByName(Processor& processor, const char* className, uint32_t id) {
    processor.Objects().SetObject(processor.NewObjectByName(String(className)), id);
}

// The engine's own native bindings, by class name, before any descriptor is registered.
void RegisterNatives() {
    RegisterScriptNatives();
    RegisterGraphicsNatives();
    RegisterScreenNatives();
    RegisterShellNatives();
    if (Hooks().registerNatives) Hooks().registerNatives();
}

void ReadSettings(FD::File& archive) {
    // The hot-key block is chosen afresh: a block kept from an earlier start must not win.
    HotKeys() = LanguageBlock("HCFG");
    ReadConfiguration(archive, GameKeys());
}

// The colour and picture managers come before the processor, which does not exist yet; they are
// handed to the class table later.
struct EarlyManagers {
    std::unique_ptr<ImageManager> images;
    std::unique_ptr<ColorManager> colours;
};

void BuildGameDisplay(GameGlobals& game, ColorManager& colours) {
    const ShellServices& s = game.services;
    game.display = std::make_unique<Display>(AppDisplayServices(*s.app, *s.video, *s.timer));
    BuildDisplay(*game.display, game.directDraw, ScreenSettings(), &DefaultColours(), &colours);
}

// "Help.mes" is pushed for the help system's creation, which takes only the class: the data stack
// is put back to its depth so that no stray value is left, also when the creation fails.
void CreateHelpSystem(Processor& processor) {
    DStack<uint32_t>& stack = processor.DataStack();
    const uint32_t depth = stack.Depth();
    // Scripts may keep the address, so the text stays for the program's life.
    static const ScriptBuffer<char> helpFile = CopyTextToScript("Help.mes");
    try {
        stack.Push(ToScript(helpFile.get()));
        StoreNewByName(processor, "HelpSystem", kHelpSystemId);
    } catch (...) {
        stack.TruncateTo(depth);
        throw;
    }
    stack.TruncateTo(depth);
}

}  // namespace

void GameStartup() {
    GameGlobals& game = Game();
    const ShellServices& s = game.services;
    if (s.app == nullptr || s.video == nullptr || s.timer == nullptr || s.audio == nullptr)
        throw FatalExep(String("Start-up without platform services"));
    // Start-up keeps the objects it makes across the scripts it runs.
    const ReleaseHold hold;
    // First, so that every log line names the program's version.
    ProgramVersion().SetWords({1, 11, 0, 'b'});
    RegisterDebuggerMessages();
    RegisterNatives();
    SetInputServices({s.input, s.app});

    game.archiveReader = std::make_unique<FileBlockReader>(1024, 1024, 128);
    game.archiveReader->Open(String("main.FD"));
    game.archive = std::make_unique<FD::File>(game.archiveReader.get(), 0, 10);
    FD::File* archive = game.archive.get();
    ReadSettings(*archive);

    EarlyManagers early;
    early.images =
        std::make_unique<ImageManager>(&ScreenSettings(), nullptr, kBuckets, archive, &DefaultColours());
    early.colours = std::make_unique<ColorManager>(nullptr, early.images->GetImage(String(kColourStripName)));
    BuildGameDisplay(game, *early.colours);
    if (ScreenSettings().pixelFormat == 555) {
        early.images->ConvertAllTo555();
    } else {
        early.images->ConvertAllTo565();
    }
    early.colours->BuildTable();

    game.processor = new Processor(archive, kStackCapacity, kStackCapacity, kStackCapacity, kStackCapacity);
    Processor& processor = *game.processor;
    processor.SetStopHook(CheckGameStop);
    App& app = *s.app;
    processor.SetMessageBoxHook([&app](const String& caption, const String& text) {
        app.ShowMessageBox(caption.Text(), text.Text(), MbOk);
    });
    ClassManager& classes = processor.Classes();
    ObjectManager& objects = processor.Objects();

    ZEMAClass* stringProcs = RegisterNative(processor, "StringProcs");
    Store(objects, std::make_unique<StringObject>(stringProcs, kStringBufferSize), kStringProcsId);
    ImageManager* images = Register(classes, std::move(early.images));
    objects.SetObject(images, kImageManagerId);
    FontManager* fonts =
        Register(classes, std::make_unique<FontManager>(&processor, kBuckets, archive, &LanguageSettings()));
    objects.SetObject(fonts, kFontManagerId);
    fonts->LoadSubstitutions(String("Fonts.subs"));
    RegisterNative(processor, "MathProcs");
    StoreNewByName(processor, "MathProcs", kMathProcsId);
    MessageManager* messages =
        Register(classes, std::make_unique<MessageManager>(&processor, archive, &LanguageSettings()));
    objects.SetObject(messages, kMessageManagerId);
    SetKeyNameSource([messages](const String& file, uint32_t number) {
        return String(messages->GetMessage(file, number));
    });
    objects.SetObject(Register(classes, std::make_unique<CharManager>(&processor, archive)), kCharManagerId);
    Store(objects, std::make_unique<HotKeyTable>(&LanguageSettings(), HotKeys()), kHotKeyTableId);

    RegisterNative(processor, "HighScoreManager");
    StoreNewByName(processor, "HighScoreManager", kHighScoreManagerId);
    ScriptObject* highScores = objects.GetObject(kHighScoreManagerId);
    if (highScores != nullptr && Hooks().loadHighScores) Hooks().loadHighScores(*highScores);

    SoundManager* sounds = Register(classes, std::make_unique<SoundManager>(&processor, kBuckets, archive));
    objects.SetObject(sounds, kSoundManagerId);
    game.soundSystem =
        Register(classes, std::make_unique<SoundSystem>(&SoundSettings(), &processor, *s.audio));
    objects.SetObject(game.soundSystem, kSoundSystemId);

    for (const char* name : kFirstNativeClasses) RegisterNative(processor, name);
    game.display->Buffer()->SetFont(fonts->GetFont(String("Default")));
    game.soundSystem->Init();
    game.soundSystem->PostPlay(sounds->Sounds().Get(String("Misc\\Silence.wav")));

    for (uint32_t id : {kShipListId, kGalaxyCursorListId, kObjectList33Id})
        Store(objects, std::make_unique<ObjectManager>(&processor, 1), id);
    objects.SetObject(Register(classes, std::move(early.colours)), kColorManagerId);
    Store(objects, std::make_unique<ObjectManager>(&processor, 1), kPlayerListId);
    objects.SetObject(RegisterNative(processor, "PriceManager"), kPriceManagerId);
    auto* cursorList = static_cast<ObjectManager*>(objects.GetObject(kGalaxyCursorListId));
    cursorList->SetObject(images->GetImage(String("Misc\\GalaxyCursor.dpf")), 0);

    for (const char* name : kLaterNativeClasses) {
        if (std::string_view(name) == "ZEMAScreen") {
            // The screen class reads the buffer of whatever display there is at the time of a call.
            Register(classes, std::make_unique<ZEMAScreen>(&processor, [] {
                         Display* display = Game().display.get();
                         return display != nullptr ? display->Buffer() : nullptr;
                     }));
        } else {
            RegisterNative(processor, name);
        }
    }
    StoreNewByName(processor, "GameManager", kGameManagerId);
    StoreNewByName(processor, "Supply", kSupplyId);
    Store(objects, std::make_unique<ScriptObject>(classes.FindClass(String("ZEMAScreen"))), kScreenId);
    StoreNewByName(processor, "EventManager", kEventManagerId);
    CreateHelpSystem(processor);
    sounds->Sounds().LoadSubstitutions(String("Sound.subs"));
    StartFrameTimer(*s.timer);
}
