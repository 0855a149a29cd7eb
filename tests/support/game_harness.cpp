#include "tests/support/game_harness.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "graphics/color_manager.h"
#include "graphics/display.h"
#include "graphics/font_manager.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "screens/screens_install.h"
#include "script/char_manager.h"
#include "script/class_manager.h"
#include "script/message_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "script/script_text.h"
#include "shell/frame_timer.h"
#include "shell/game_hooks.h"
#include "shell/game_ids.h"
#include "shell/input_queue.h"
#include "shell/sound_manager.h"
#include "shell/sound_system.h"

void ObjectDestroyer::operator()(ScriptObject* object) const {
    if (object != nullptr) DestroyObject(object);
}

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The list for name, appended when there is none yet.
template <class T>
T& Slot(std::vector<std::pair<std::string, T>>& list, const std::string& name) {
    for (auto& [n, value] : list) {
        if (n == name) return value;
    }
    return list.emplace_back(name, T{}).second;
}

template <class T>
T& Started(T* object, const char* what) {
    if (object == nullptr) ThrowFatal("Game harness: %s is not there (was Start called?)", what);
    return *object;
}

std::string FontEntry(const std::string& name) {
    return "Fonts\\" + name + ".dff";
}

std::vector<int32_t> Take(InputQueue& queue) {
    std::vector<int32_t> values;
    while (queue.Count() >= InputQueue::kValueBytes) values.push_back(queue.ReadInt());
    return values;
}

}  // namespace

GameHarness::GameHarness() {
    for (const std::string& name : InterfaceFontNames()) fonts_.emplace_back(name, UniformFont(96, 5, 7));
    for (const char* file : {"system.mes", "Keys.mes", "Help.mes"})
        messages_.emplace_back(file, std::vector<MessageText>{});
    ConnectInputQueues(host_.App(), KeyQueue(), CharQueue());
}

GameHarness::~GameHarness() = default;

GameHarness& GameHarness::AddEntry(const std::string& name, const std::string& bytes, bool packed) {
    BeforeStart();
    entries_.push_back({name, bytes, packed});
    return *this;
}

GameHarness& GameHarness::AddPicture(const std::string& name, const PictureShape& shape) {
    return AddEntry(name, ShapedPicture(shape));
}

GameHarness& GameHarness::AddFont(const std::string& name, const FontFixture& font) {
    BeforeStart();
    Slot(fonts_, name) = font;
    return *this;
}

GameHarness& GameHarness::AddMessages(const std::string& file, const std::vector<MessageText>& messages) {
    BeforeStart();
    std::vector<MessageText>& list = Slot(messages_, file);
    list.insert(list.end(), messages.begin(), messages.end());
    return *this;
}

GameHarness& GameHarness::AddCharacteristics(const std::string& file,
                                             const std::vector<CharRecord>& records) {
    BeforeStart();
    std::vector<CharRecord>& list = Slot(characteristics_, file);
    list.insert(list.end(), records.begin(), records.end());
    return *this;
}

GameHarness& GameHarness::AddSound(const std::string& name, const std::string& file,
                                   const std::string& bytes) {
    BeforeStart();
    sounds_.emplace_back(name, file);
    return AddEntry(file, bytes);
}

GameHarness& GameHarness::AddLibrary(const ClassLibraryBuilder& library) {
    return AddEntry(library.name.value_or("") + ".glc", library.Build());
}

std::vector<FdEntry> GameHarness::Entries() const {
    const auto given = [this](const std::string& name) {
        const auto same = [&](const FdEntry& e) { return Lower(e.name) == Lower(name); };
        return std::any_of(entries_.begin(), entries_.end(), same) ||
               std::any_of(settings_.extra.begin(), settings_.extra.end(), same);
    };
    std::vector<FdEntry> entries;
    std::string fontList;
    for (const auto& [name, font] : fonts_) {
        fontList += name + " \"" + FontEntry(name) + "\"\n";
        entries.push_back({FontEntry(name), FontBlock(font)});
    }
    entries.push_back({"Fonts.subs", fontList});
    std::string soundList = "Click \"Misc\\Silence.wav\"\n";
    for (const auto& [name, file] : sounds_) soundList += name + " \"" + file + "\"\n";
    entries.push_back({"Sound.subs", soundList});
    for (const auto& [file, messages] : messages_) {
        std::vector<MessageText> texts = messages;
        // The loading screen's text, unless the test gives its own.
        if (file == "system.mes" &&
            std::none_of(texts.begin(), texts.end(), [](const MessageText& m) { return m.number == 353; }))
            texts.push_back({353, "Loading"});
        entries.push_back({file, MessageFileText(texts)});
    }
    for (const auto& [file, records] : characteristics_)
        entries.push_back({file, CharacteristicsText(records)});
    // The pictures the loading and story screens draw.
    const std::pair<const char*, PictureShape> screenPictures[] = {
        {"Misc\\Stars.dpf", {.entries = 3, .frames = 1, .width = 1, .height = 1}},
        {"Misc\\SaveDisk.dpf", {.entries = 3, .frames = 3, .width = 8, .height = 8}}};
    for (const auto& picture : screenPictures)
        entries.push_back({picture.first, ShapedPicture(picture.second)});
    // An entry the test gives stands in for a made one of that name (a whole game's content).
    std::erase_if(entries, [&](const FdEntry& e) { return given(e.name); });
    entries.insert(entries.end(), entries_.begin(), entries_.end());
    return entries;
}

void GameHarness::BeforeStart() const {
    if (started_) throw std::logic_error("the game harness is started already");
}

void GameHarness::Start(uint32_t seed) {
    BeforeStart();
    started_ = true;
    StartupArchiveOptions options = settings_;
    options.extra = Entries();
    options.extra.insert(options.extra.end(), settings_.extra.begin(), settings_.extra.end());
    // An entry given here stands in for the start-up entry of that name.
    for (const FdEntry& e : options.extra) {
        for (const std::string& name : StartupEntryNames())
            if (Lower(name) == Lower(e.name)) options.omit.push_back(name);
    }
    host_.WriteArchive(options);
    InstallScreens();
    SeedRandom(seed);
    host_.Startup();
}

// --- the engine ---

Processor& GameHarness::Cpu() {
    return Started(Game().processor, "the processor");
}

ObjectManager& GameHarness::Objects() {
    return Cpu().Objects();
}

ClassManager& GameHarness::Classes() {
    return Cpu().Classes();
}

ScriptObject* GameHarness::Object(uint32_t id) {
    return Objects().GetObject(id);
}

namespace {

template <class T>
T& ObjectAs(GameHarness& game, uint32_t id, const char* what) {
    return Started(dynamic_cast<T*>(game.Object(id)), what);
}

}  // namespace

ImageManager& GameHarness::Images() {
    return ObjectAs<ImageManager>(*this, kImageManagerId, "the ImageManager");
}

FontManager& GameHarness::Fonts() {
    return ObjectAs<FontManager>(*this, kFontManagerId, "the FontManager");
}

MessageManager& GameHarness::Messages() {
    return ObjectAs<MessageManager>(*this, kMessageManagerId, "the MessageManager");
}

CharManager& GameHarness::Chars() {
    return ObjectAs<CharManager>(*this, kCharManagerId, "the CharManager");
}

SoundManager& GameHarness::Sounds() {
    return ObjectAs<SoundManager>(*this, kSoundManagerId, "the SoundManager");
}

SoundSystem& GameHarness::SoundOutput() {
    return Started(Game().soundSystem, "the sound system");
}

ColorManager& GameHarness::Colours() {
    return ObjectAs<ColorManager>(*this, kColorManagerId, "the ColorManager");
}

ObjectManager& GameHarness::Players() {
    return ObjectAs<ObjectManager>(*this, kPlayerListId, "the player list");
}

Display& GameHarness::Screen() {
    return Started(Game().display.get(), "the display");
}

ScreenBuffer& GameHarness::Buffer() {
    return Started(Screen().Buffer(), "the screen buffer");
}

ZEMAClass* GameHarness::Class(const std::string& name) {
    return Cpu().ClassByName(String(name.c_str()));
}

Image* GameHarness::Picture(const std::string& name) {
    return Images().GetImage(String(name.c_str()));
}

Font* GameHarness::FontNamed(const std::string& name) {
    return Fonts().GetFont(String(name.c_str()));
}

std::string GameHarness::Message(const std::string& file, uint32_t number) {
    return Messages().GetMessage(String(file.c_str()), number);
}

SoundRecord* GameHarness::Sound(const std::string& name) {
    return Sounds().Sounds().Get(String(name.c_str()));
}

// --- calls ---

uint32_t GameHarness::Text(const std::string& text) {
    return texts_.Add(text);
}

std::string GameHarness::TextAt(uint32_t address) {
    return TextFromScript(address).Text();
}

std::vector<uint32_t> GameHarness::Call(const std::vector<uint32_t>& pushed,
                                        const std::function<void()>& call) {
    DStack<uint32_t>& stack = Cpu().DataStack();
    const uint32_t base = stack.Depth();
    try {
        for (uint32_t v : pushed) stack.Push(v);
        call();
    } catch (...) {
        if (stack.Depth() > base) stack.TruncateTo(base);
        throw;
    }
    std::vector<uint32_t> results;
    const uint32_t depth = stack.Depth();
    for (uint32_t i = base; i < depth; ++i) results.push_back(stack.Peek(depth - 1 - i));
    if (stack.Depth() > base) stack.TruncateTo(base);
    return results;
}

GameObject GameHarness::New(const std::string& className, const std::vector<uint32_t>& pushed) {
    ZEMAClass* cls = Class(className);
    ScriptObject* made = nullptr;
    Call(pushed, [&] { made = Cpu().NewObject(cls); });
    return GameObject(made);
}

ScriptObject* GameHarness::Keep(uint32_t id, GameObject object) {
    ScriptObject* kept = object.get();
    Objects().SetObject(kept, id);
    object.release();
    return kept;
}

std::vector<uint32_t> GameHarness::CallVirtual(ScriptObject* object, uint32_t number,
                                               const std::vector<uint32_t>& pushed) {
    return Call(pushed, [&] { Cpu().CallVirtual(object, number); });
}

std::vector<uint32_t> GameHarness::CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number,
                                              const std::vector<uint32_t>& pushed) {
    return Call(pushed, [&] { Cpu().CallMethod(object, cls, number); });
}

std::vector<uint32_t> GameHarness::CallMethod(ScriptObject* object, uint32_t number,
                                              const std::vector<uint32_t>& pushed) {
    if (object == nullptr) ThrowFatal("Game harness: method %u called on no object", number);
    return CallMethod(object, object->Class(), number, pushed);
}

// --- the clock ---

void GameHarness::Advance(uint32_t ms) {
    host_.timer.Advance(ms);
}

uint32_t GameHarness::AdvanceToFrame() {
    uint32_t ms = 0;
    // The countdown never exceeds a frame period; the bound only guards a stopped timer.
    for (; !FrameDue() && ms <= FrameTimer::kFramePeriod; ++ms) Advance(1);
    return ms;
}

bool GameHarness::FrameDue() const {
    return GameFrameTimer().FrameDue();
}

uint32_t GameHarness::Now() const {
    return host_.timer.Milliseconds();
}

std::vector<uint32_t> GameHarness::Sleeps() const {
    return host_.timer.Sleeps();
}

void GameHarness::At(uint32_t time, std::function<void()> action) {
    timed_.emplace(time, std::move(action));
    if (timedTick_ != nullptr) return;
    timedTick_ = host_.timer.StartPeriodic([this] {
        // Taken out before running, in time order and then in the order they were asked for: an
        // action may add actions of its own, which wait for the next tick.
        const auto end = timed_.upper_bound(Now());
        std::vector<std::function<void()>> due;
        for (auto it = timed_.begin(); it != end; ++it) due.push_back(std::move(it->second));
        timed_.erase(timed_.begin(), end);
        for (auto& action : due) action();
    });
}

// --- input ---

void GameHarness::PressKey(int32_t virtualKey, bool alt) {
    host_.Input().SetKey(virtualKey, true);
    host_.App().InjectKeyDown(virtualKey, alt);
}

void GameHarness::ReleaseKey(int32_t virtualKey) {
    host_.Input().SetKey(virtualKey, false);
}

void GameHarness::TypeChar(uint8_t character, bool alt) {
    host_.App().InjectChar(character, alt);
}

void GameHarness::MovePointer(int32_t x, int32_t y) {
    host_.Input().MoveCursor(x, y);
}

void GameHarness::SetButton(int32_t button, bool down) {
    host_.Input().SetKey(button, down);
}

void GameHarness::TurnWheel(int32_t steps) {
    host_.App().InjectWheel(steps);
}

void GameHarness::SetActive(bool active) {
    host_.App().InjectActive(active);
}

std::vector<int32_t> GameHarness::TakeKeys() {
    return Take(KeyQueue());
}

std::vector<int32_t> GameHarness::TakeChars() {
    return Take(CharQueue());
}

// --- sound ---

void GameHarness::SettleSound() {
    SoundSystem& output = SoundOutput();
    output.StopThread();
    output.Init();
}

int GameHarness::Plays(const std::string& name) {
    SoundRecord* record = Sound(name);
    if (record == nullptr || record->Handle() == 0) return 0;
    const std::string handle = " " + std::to_string(record->Handle()) + " -> 1";
    int plays = 0;
    for (const std::string& call : AudioCalls()) {
        if ((call.starts_with("PlayOnce") || call.starts_with("PlayLooped")) && call.ends_with(handle))
            ++plays;
    }
    return plays;
}

std::string GameHarness::Log() const {
    std::ifstream in(host_.dir.Absolute() / "vondrel.log", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> GameHarness::AudioCalls() {
    return host_.audio->Calls();
}
