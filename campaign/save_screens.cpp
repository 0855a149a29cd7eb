#include "campaign/save_screens.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#include "campaign/save_game.h"
#include "campaign/save_slots.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "shell/input_queue.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/list_frame.h"
#include "ui/message_box.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

enum class Screen { kSave, kLoad, kScenario };

constexpr uint32_t kOverwriteQuestion = 344;
constexpr int32_t kQuestionTypingSpeed = 200;
constexpr int32_t kYesAnswer = 2;

bool slotEditActive = false;
// The title field's buffer lives in script memory, as the Edit control edits it in place; it is
// made for one run of the save screen.
ScriptBuffer<char> slotNameBuffer;

uint32_t RowCount() {
    return SaveSlots().End();
}

bool IsRow(int32_t id) {
    return id >= kFirstRowId;
}

// The control id of row index; -1 (no control) for an index past the id range.
int32_t RowId(uint32_t index) {
    const int64_t id = int64_t{kFirstRowId} + index;
    return id <= INT32_MAX ? static_cast<int32_t>(id) : -1;
}

uint32_t RowOf(int32_t id) {
    return static_cast<uint32_t>(id - kFirstRowId);
}

ImageManager& Images(Processor& processor) {
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No picture manager (object %u)", kImageManagerId);
    return *images;
}

uint32_t PictureAddress(Processor& processor, const char* name) {
    Image* picture = Images(processor).GetImage(String(name));
    return picture != nullptr ? picture->Address() : 0;
}

void Add(DialogWindow& window, ControlObject& control) {
    window.AddControl(&control, kListOwned);
}

std::string Message(Processor& processor, uint32_t number) {
    const String text = SystemMessage(processor, number);
    return std::string(text.Text(), text.Size());
}

int32_t HeaderValue(const SaveHeader& header, uint32_t offset) {
    int32_t value = 0;
    std::memcpy(&value, header.Header() + offset, sizeof value);
    return value;
}

std::string InfoText(Processor& processor, Screen screen, const SaveHeader& entry) {
    auto text = [&](uint32_t n) { return std::string(entry.Text(n)); };
    std::string info = Message(processor, 311) + ":\n    $h" + text(3) + "$n\n";
    if (screen == Screen::kScenario)
        return info + Message(processor, 505) + ": $h" + text(4) + "$n\n" + text(7) + "\n";
    const int32_t date = HeaderValue(entry, 14);
    const int32_t time = HeaderValue(entry, 10);
    info += Message(processor, 312) + ":\n    $h" + text(4) + "$n\n";
    info += Message(processor, 313) + ":\n    $h" + text(5) + "$n\n";
    info += Message(processor, 495) + ":\n    $h" + std::to_string(date / 1000) + "/" +
            std::to_string(date % 1000) + "   " + std::to_string((time / 10000) % 100) + ":" +
            std::to_string((time / 100) % 100) + "$n\n";
    return info;
}

// The title in the field: at most its capacity less the terminator, whatever the script memory holds.
std::string TypedTitle() {
    const char* typed = slotNameBuffer.get();
    if (typed == nullptr) return {};
    return std::string(typed, strnlen(typed, kSlotNameCapacity - 1));
}

// A title from a file may be longer than the field: it is cut to fit.
void PutTitleInField(std::string_view title) {
    if (slotNameBuffer == nullptr) slotNameBuffer = NewScriptBuffer<char>(kSlotNameCapacity);
    const size_t n = std::min<size_t>(title.size(), kSlotNameCapacity - 1);
    std::memcpy(slotNameBuffer.get(), title.data(), n);
    slotNameBuffer.get()[n] = '\0';
}

void AddRow(DialogWindow& window, Screen screen, uint32_t index, int32_t y, int32_t x) {
    Processor& processor = *window.GetProcessor();
    const SaveHeader* entry = SlotHeader(index);
    const int32_t id = RowId(index);
    if (entry == nullptr || id < 0) return;
    const bool selected = index == SelectedSlot();
    ControlObject* row = nullptr;
    if (screen == Screen::kSave && selected && slotEditActive) {
        PutTitleInField(entry->Text(6));
        row = &NewControlByName(
            processor, "Edit",
            {Word(x), Word(y), kSlotNameCapacity, ToScript(slotNameBuffer.get()), Word(id)});
        dynamic_cast<EditControlObject&>(*row).SetActive(true);
    } else {
        const ScriptBuffer<char> title = CopyTextToScript(entry->Text(6));
        row = &NewControlByName(processor, "TextButton", {Word(x), Word(y), ToScript(title.get()), Word(id)});
    }
    row->SetInt(kTextVerticalAlign, 2);
    row->SetInt(kTextHorizontalAlign, 2);
    if (selected) row->SetInt(kTextColour, static_cast<int32_t>(ColourEntryAddress(row, 3)));
    Add(window, *row);
}

void Build(DialogWindow& window, Screen screen) {
    Processor& processor = *window.GetProcessor();
    NamedFont(processor, "BigMenu");
    window.SetSkipDraw();
    window.ClearControls();
    const ScreenSurface* surface = window.GetDisplay()->Surface();
    const int32_t w = surface != nullptr ? surface->Width() : 0;

    HeavenPanel(window);
    const uint32_t disk = PictureAddress(processor, "Misc\\SaveDisk.dpf");
    const int32_t diskPlaces[3][2] = {{145, 411}, {305, 315}, {200, 221}};
    for (int32_t frame = 0; frame < 3; ++frame) {
        ControlObject& part = NewControlByName(
            processor, "Control", {disk, Word(diskPlaces[frame][0]), Word(diskPlaces[frame][1]), 0});
        part.SetInt(kVisualPhase, frame * 100);
        Add(window, part);
    }
    const uint32_t title = screen == Screen::kSave ? 191 : screen == Screen::kLoad ? 196 : 510;
    const String titleText = SystemMessage(processor, title);
    SchemaLineList(window, std::string_view(titleText.Text(), titleText.Size()));

    const uint32_t count = RowCount();
    const uint32_t first = FirstVisibleSlot();
    uint32_t k = 0;
    for (; k < kShownRows && first + k < count; ++k)
        AddRow(window, screen, first + k, 100 + 30 * static_cast<int32_t>(k), w - 40);
    if (first + k < count)
        Add(window, NewControlByName(processor, "Control",
                                     {PictureAddress(processor, "Misc\\Down.dpf"), Word(w - 20), 395,
                                      Word(kScrollDownId)}));
    if (first != 0)
        Add(window, NewControlByName(
                        processor, "Control",
                        {PictureAddress(processor, "Misc\\Up.dpf"), Word(w - 20), 90, Word(kScrollUpId)}));
    if (const SaveHeader* entry = SlotHeader(SelectedSlot())) {
        const ScriptBuffer<char> info = CopyTextToScript(InfoText(processor, screen, *entry));
        Add(window, NewControlByName(processor, "StaticText", {20, 80, ToScript(info.get()), 0}));
    }
}

void Rebuild(DialogWindow& window, Screen screen) {
    Build(window, screen);
}

void Scroll(DialogWindow& window, Screen screen, int32_t id) {
    uint32_t& first = FirstVisibleSlot();
    if (id == kScrollDownId && first + 1 < RowCount()) ++first;
    if (id == kScrollUpId && first > 0) --first;
    Rebuild(window, screen);
}

// Events 5 and 10, the same in the three screens; true when handled.
bool CommonEvent(DialogWindow& window, Screen screen, int32_t event, int32_t p1) {
    if (event == kEventCharacter) {
        if (p1 == VK_RETURN) window.PostMessage(kEventPrimary, 0, kFrameOkId);
        if (p1 == VK_ESCAPE) window.PostMessage(kEventPrimary, 0, kFrameCancelId);
        if (p1 == -1) KeyQueue().ReadInt();
        return true;
    }
    if (event == kEventWheel) {
        FirstVisibleSlot() = WheelFirstRow(FirstVisibleSlot(), p1, RowCount());
        Rebuild(window, screen);
        return true;
    }
    return false;
}

void ListEvent(DialogWindow& window, Screen screen, int32_t event, int32_t p1, int32_t p2) {
    if (CommonEvent(window, screen, event, p1)) return;
    if (event == kEventClose) {
        window.SetResult(0);
        return;
    }
    if (event != kEventPrimary && event != kEventDoubleClick) return;
    if (p2 == kScrollDownId || p2 == kScrollUpId) {
        Scroll(window, screen, p2);
        return;
    }
    if (event == kEventDoubleClick) {
        if (IsRow(p2)) window.SetResult(1);
        return;
    }
    if (IsRow(p2)) {
        SelectedSlot() = RowOf(p2);
        Rebuild(window, screen);
    }
    if (p2 == kFrameCancelId) window.SetResult(0);
    if (p2 == kFrameOkId) window.SetResult(1);
}

bool StartsWithAddFolder(std::string_view path) {
    const std::string_view folder(kAddFolder);
    if (path.size() < folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(path[i])) !=
            std::tolower(static_cast<unsigned char>(folder[i])))
            return false;
    }
    return true;
}

}  // namespace

uint32_t WheelFirstRow(uint32_t first, int32_t steps, uint32_t count) {
    const int64_t last = std::max<int64_t>(int64_t{count} - kShownRows, 0);
    const int64_t wanted = std::max<int64_t>(int64_t{first} - steps, 0);
    return static_cast<uint32_t>(std::min(wanted, last));
}

void SaveGameScreen(DialogWindow& window) {
    Build(window, Screen::kSave);
}

void LoadGameScreen(DialogWindow& window) {
    Build(window, Screen::kLoad);
}

void ScenarioListScreen(DialogWindow& window) {
    Build(window, Screen::kScenario);
}

void EndNameEntry(DialogWindow& window) {
    ControlObject* control = window.FindControl(RowId(SelectedSlot()));
    auto* field = dynamic_cast<EditControlObject*>(control);
    SaveHeader* entry = SlotHeader(SelectedSlot());
    if (!slotEditActive || field == nullptr || !field->Changed() || entry == nullptr) return;
    SaveTexts texts = entry->Texts();
    texts[5] = TypedTitle();
    SaveHeader renamed;
    renamed.Fill(texts);
    *entry = renamed;
}

void SaveScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    if (CommonEvent(window, Screen::kSave, event, p1)) return;
    if (event == kEventClose) {
        window.SetResult(0);
        return;
    }
    if (event != kEventPrimary && event != kEventDoubleClick) return;
    if (IsRow(p2)) {
        EndNameEntry(window);
        slotEditActive = SelectedSlot() == RowOf(p2);
        SelectedSlot() = RowOf(p2);
        SaveGameScreen(window);
    } else if (p2 == kFrameCancelId) {
        window.SetResult(0);
    } else if (p2 == kFrameOkId) {
        EndNameEntry(window);
        if (SelectedSlot() + 1 == RowCount()) {
            window.SetResult(1);
            return;
        }
        Processor& processor = *window.GetProcessor();
        const int32_t answer =
            MessageBoxOverWindow(processor, window, SystemMessage(processor, kOverwriteQuestion),
                                 kMessageBoxThird | kMessageBoxFourth, nullptr, kQuestionTypingSpeed);
        if (answer == kYesAnswer) window.SetResult(1);
    } else if (p2 == kScrollDownId || p2 == kScrollUpId) {
        Scroll(window, Screen::kSave, p2);
    }
}

void LoadScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    ListEvent(window, Screen::kLoad, event, p1, p2);
}

void ScenarioScreenEvent(DialogWindow& window, int32_t event, int32_t p1, int32_t p2) {
    ListEvent(window, Screen::kScenario, event, p1, p2);
}

SaveChoice RunSaveGameDialog(Processor& processor, InputDevice& input) {
    auto window = MakeListScreen(processor, SaveScreenEvent);
    SaveSlotList();
    SelectedSlot() = 0;
    slotEditActive = false;
    slotNameBuffer = NewScriptBuffer<char>(kSlotNameCapacity);
    struct FieldGoes {
        ~FieldGoes() { slotNameBuffer.reset(); }
    } fieldGoes;

    auto fresh = std::make_unique<SaveHeader>();
    fresh->Fill(CurrentGameTexts(processor, NextSaveStem(), kNewSaveTitle));
    SaveSlots().Set(SaveSlots().End(), std::move(fresh));

    LoadSavePos();
    SaveGameScreen(*window);
    const int32_t result = RunListScreen(*window, input);
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();

    SaveChoice choice;
    const SaveHeader* entry = SlotHeader(SelectedSlot());
    if (result != 1 || entry == nullptr) return choice;
    choice.header = std::make_unique<SaveHeader>(*entry);
    choice.header->Fill(CurrentGameTexts(processor, entry->Text(1), entry->Text(6)));
    choice.fileName = SaveFileName(entry->Text(1));
    SaveSavePos();
    return choice;
}

String RunLoadGameDialog(Processor& processor, InputDevice& input) {
    auto window = MakeListScreen(processor, LoadScreenEvent);
    SaveSlotList();
    SelectedSlot() = 0;
    LoadSavePos();
    LoadGameScreen(*window);
    const int32_t result = RunListScreen(*window, input);
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
    const SaveHeader* entry = SlotHeader(SelectedSlot());
    if (result != 1 || entry == nullptr) return String("");
    SaveSavePos();
    return SaveFileName(entry->Text(1));
}

String RunScenarioDialog(Processor& processor, InputDevice& input) {
    auto window = MakeListScreen(processor, ScenarioScreenEvent);
    ScenarioList(processor);
    SelectedSlot() = 0;
    ScenarioListScreen(*window);
    const int32_t result = RunListScreen(*window, input);
    // Closed here rather than by the destructor, so that errors of script destructors are heard.
    window->Close();
    const SaveHeader* entry = SlotHeader(SelectedSlot());
    if (result != 1 || entry == nullptr) return String("");
    const std::string_view file = entry->Text(1);
    const std::string path =
        StartsWithAddFolder(file) ? std::string(file) : std::string(kAddFolder) + std::string(file);
    return String::FromBytes(path.data(), path.size());
}
