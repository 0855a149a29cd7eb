// The game engine started headless for tests of the game classes: the real start-up over a game
// folder in a temporary directory, with the game's natives bound, so that every well-known object
// is in place (class list, ImageManager, 640x480 16-bit screen, FontManager, MessageManager,
// CharManager, SoundManager and sound system, ColorManager, player list ...).
//
// Content goes into the archive before Start: fonts under every name the interface uses (and more
// with AddFont), message and characteristics files, pictures with direction entries and frames,
// sounds, script subclasses of native classes, any other entry. After Start a test creates objects
// by class name, calls their methods and virtual methods with arguments and reads the results,
// moves the manual clock and injects input. When the harness goes the game is shut down and the
// working folder, the game's globals and hooks are as they were.
//
//     GameHarness game;
//     game.AddMessages("system.mes", {{7, "Seven"}});
//     game.AddClass({.name = "TestThing", .base = "GTTClass", .virtuals = {{3, PushTextWords("Thing")}}});
//     game.Start();
//     GameObject thing = game.New("TestThing");
//     std::string name = game.TextAt(game.CallVirtual(thing.get(), 3).at(0));
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/headless_game.h"
#include "tests/support/script_texts.h"
#include "tools/content/class_library_builder.h"
#include "tools/content/font_builder.h"
#include "tools/content/game_content.h"
#include "tools/content/script_subclass.h"

class CharManager;
class ClassManager;
class ColorManager;
class Display;
class Font;
class FontManager;
class Image;
class ImageManager;
class MessageManager;
class ObjectManager;
class Processor;
class ScreenBuffer;
class ScriptObject;
class SoundManager;
class SoundRecord;
class SoundSystem;
class ZEMAClass;

// Destroys an object the way scripts do (its script destructors run); null is ignored.
struct ObjectDestroyer {
    void operator()(ScriptObject* object) const;
};
// An object the test owns, to be destroyed while the game runs: declare it after the harness.
// release() it when something else takes it over (an object table).
using GameObject = std::unique_ptr<ScriptObject, ObjectDestroyer>;

class GameHarness {
  public:
    GameHarness();
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // --- the archive, before Start (std::logic_error after it, as for a second Start) ---
    // Screen, language and hot keys, and start-up entries left out.
    StartupArchiveOptions& Settings() { return settings_; }
    // Any entry; one named as a start-up entry replaces it.
    GameHarness& AddEntry(const std::string& name, const std::string& bytes, bool packed = false);
    GameHarness& AddPicture(const std::string& name, const PictureShape& shape = {});
    // A font under a name (replacing the one the name had); the interface's names are there already.
    GameHarness& AddFont(const std::string& name, const FontFixture& font = UniformFont(96, 5, 7));
    // Messages appended to a message file; "system.mes", "Keys.mes" and "Help.mes" exist from the
    // start, empty.
    GameHarness& AddMessages(const std::string& file, const std::vector<MessageText>& messages);
    GameHarness& AddCharacteristics(const std::string& file, const std::vector<CharRecord>& records);
    // A sound file and its name in "Sound.subs" ("Click" is there already).
    GameHarness& AddSound(const std::string& name, const std::string& file, const std::string& bytes);
    // A class library served as "<name>.glc".
    GameHarness& AddLibrary(const ClassLibraryBuilder& library);
    GameHarness& AddClass(const ScriptSubclass& cls) { return AddLibrary(cls.Library()); }

    // Writes "main.FD" and runs the real start-up with the game's natives; engine errors pass on.
    // The random generator is seeded with seed, so runs repeat.
    void Start(uint32_t seed = 1);

    // --- the engine, after Start ---
    Processor& Cpu();
    ObjectManager& Objects();
    ClassManager& Classes();
    // The object under a well-known ID (shell/game_ids.h), null when there is none.
    ScriptObject* Object(uint32_t id);
    ImageManager& Images();
    FontManager& Fonts();
    MessageManager& Messages();
    CharManager& Chars();
    SoundManager& Sounds();
    SoundSystem& SoundOutput();
    ColorManager& Colours();
    ObjectManager& Players();
    Display& Screen();
    ScreenBuffer& Buffer();
    ZEMAClass* Class(const std::string& name);
    // Through the managers' caches, loaded on first use; their errors pass on.
    Image* Picture(const std::string& name);
    Font* FontNamed(const std::string& name);
    std::string Message(const std::string& file, uint32_t number);
    SoundRecord* Sound(const std::string& name);

    // --- calls: arguments are pushed in the order given (the last is on top and popped first: give
    // them in the reverse of the callee's pop order); results come in the order the callee pushed them
    // (the top last). What a call left on the data stack is taken off; an engine error passes on
    // with the data stack cut back. ---
    // A text kept in script memory while the harness lives; its script address.
    uint32_t Text(const std::string& text);
    // The NUL-terminated text at a script address (checked: FatalExep outside script memory).
    static std::string TextAt(uint32_t address);
    // An object of the class by name: its creation values pushed, then the class, then its method 0
    // run.
    GameObject New(const std::string& className, const std::vector<uint32_t>& pushed = {});
    // Hands the object to the main object table under an ID (what the slot held is destroyed).
    ScriptObject* Keep(uint32_t id, GameObject object);
    std::vector<uint32_t> CallVirtual(ScriptObject* object, uint32_t number,
                                      const std::vector<uint32_t>& pushed = {});
    std::vector<uint32_t> CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number,
                                     const std::vector<uint32_t>& pushed = {});
    // A method of the object's own class.
    std::vector<uint32_t> CallMethod(ScriptObject* object, uint32_t number,
                                     const std::vector<uint32_t>& pushed = {});

    // --- the manual clock ---
    // Moves the clock on; the 1 ms ticks (the frame timer's among them) run on this thread.
    void Advance(uint32_t ms);
    // Moves the clock on until the frame timer's frame is due; the milliseconds that took.
    uint32_t AdvanceToFrame();
    bool FrameDue() const;
    uint32_t Now() const;
    // Every sleep the game asked for, in order.
    std::vector<uint32_t> Sleeps() const;
    // Runs the action on this thread once the manual clock reaches the time, from inside whatever
    // moves the clock (game code sleeping or waiting for its frame, Advance): input for a modal loop.
    void At(uint32_t time, std::function<void()> action);

    // --- input, as the window delivers it ---
    // The key goes down (into the key queue; with alt its marker and code into the character
    // queue) and stays down until released.
    void PressKey(int32_t virtualKey, bool alt = false);
    void ReleaseKey(int32_t virtualKey);
    // A typed character: into the character queue, after the ALT marker when alt.
    void TypeChar(uint8_t character, bool alt = false);
    void MovePointer(int32_t x, int32_t y);
    // VK_LBUTTON, VK_RBUTTON or VK_MBUTTON.
    void SetButton(int32_t button, bool down);
    // Wheel steps, 120 a notch.
    void TurnWheel(int32_t steps);
    void SetActive(bool active);
    // What the queues hold, oldest first, taken out.
    std::vector<int32_t> TakeKeys();
    std::vector<int32_t> TakeChars();

    // --- sound ---
    // Lets the sound thread serve every request posted so far, and keeps it running.
    void SettleSound();
    // How often the sound under that name was started (once or looped), after SettleSound.
    int Plays(const std::string& name);
    // Every call the audio output received, after SettleSound ("PlayOnce 3 -> 1" ...).
    std::vector<std::string> AudioCalls();

    // The text of "vondrel.log" in the game folder, "" when there is none.
    std::string Log() const;

    // The folder, platform, clock and audio output underneath.
    HeadlessGame& Host() { return host_; }

  private:
    void BeforeStart() const;
    std::vector<FdEntry> Entries() const;
    // Pushes the arguments, runs the call and takes off what it left.
    std::vector<uint32_t> Call(const std::vector<uint32_t>& pushed, const std::function<void()>& call);

    // Texts handed to the game may be read until its objects are gone, at the host's end.
    ScriptTexts texts_;
    HeadlessGame host_;
    StartupArchiveOptions settings_;
    std::vector<std::pair<std::string, FontFixture>> fonts_;
    std::vector<std::pair<std::string, std::vector<MessageText>>> messages_;
    std::vector<std::pair<std::string, std::vector<CharRecord>>> characteristics_;
    std::vector<std::pair<std::string, std::string>> sounds_;  // name, file
    std::vector<FdEntry> entries_;
    bool started_ = false;
    std::multimap<uint32_t, std::function<void()>> timed_;
    std::unique_ptr<PeriodicTimer> timedTick_;  // stopped before the clock goes
};
