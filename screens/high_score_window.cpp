#include "screens/high_score_window.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "campaign/save_screens.h"
#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/screen_surface.h"
#include "platform/key_table.h"
#include "screens/full_screen.h"
#include "screens/high_scores.h"
#include "screens/screen_helpers.h"
#include "script/object_lifetime.h"
#include "script/processor.h"
#include "shell/input_queue.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/list_box.h"
#include "ui/list_frame.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_frame.h"
#include "ui/window_services.h"

namespace {

constexpr uint32_t kListTitle = 521;
constexpr uint32_t kNamePrompt = 520;
constexpr uint32_t kOkText = 117;
constexpr int32_t kFirstRowY = 90;
constexpr int32_t kRowGap = 30;

struct ScreenSize {
    int32_t w = 0;
    int32_t h = 0;
};

ScreenSize SizeOf(const DialogWindow& window) {
    const ScreenSurface& surface = ScreenOf(window, "the high-score window");
    return {surface.Width(), surface.Height()};
}

// The star field and the six horns, three on each side.
void Background(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    HeavenPanel(window);
    const uint32_t horn = ScreenPicture(processor, "Misc\\Horn.dpf")->Address();
    const int32_t w = SizeOf(window).w;
    for (int32_t frame = 0; frame < 2; ++frame) {
        for (int32_t y = 200; y <= 400; y += 100) {
            MadeControl<> part = MakeControl(processor, "Control", {horn, Word(frame * w), Word(y), 0});
            part->SetInt(kVisualPhase, frame * 100);
            AddOwned(window, std::move(part));
        }
    }
}

void ListFrame(DialogWindow& window) {
    Processor& processor = *window.GetProcessor();
    window.SetSkipDraw();
    window.ClearControls();
    Background(window);
    const String title = SystemMessage(processor, kListTitle);
    SchemaLineList(window, title.View());
}

ControlObject& CentredText(DialogWindow& window, const char* cls, int32_t x, int32_t y, std::string_view text,
                           int32_t id, const char* font) {
    Processor& processor = *window.GetProcessor();
    MadeControl<StaticTextObject> label = NewTextControl(processor, cls, x, y, text, id);
    label->SetInt(kTextHorizontalAlign, 1);
    label->SetInt(kTextVerticalAlign, 1);
    label->SetFont(NamedFont(processor, font));
    return AddOwned(window, std::move(label));
}

void BuildListPage(DialogWindow& window, const HighScoreTable* table) {
    Processor& processor = *window.GetProcessor();
    ListFrame(window);
    const ScreenSize size = SizeOf(window);
    MadeControl<> made =
        MakeControl(processor, "ListBox", {20, 100, Word(size.w - 40), Word(size.h - 150), 0});
    ListBoxObject& list = ListBoxObject::Of(made.get());
    list.SetInt(kListFirstScriptInt, static_cast<int32_t>(NamedFont(processor, "EventsList")->Address()));
    list.SetInt(kListSecondScriptInt, 1);
    AddOwned(window, std::move(made));
    if (table == nullptr) return;
    // Adding a line runs the row classes' code, which may delete the list box: no line goes into a
    // box that is gone. The lines are made first, as that code may change the table too.
    std::vector<String> lines;
    for (const HighScoreEntry& entry : table->Entries()) lines.push_back(HighScoreLine(entry));
    for (const String& line : lines) {
        if (!list.Alive()) return;
        list.AddLine(line.View());
    }
}

int64_t RowCount(const HighScoreManager& manager) {
    return static_cast<int64_t>(manager.rows.size());
}

// The chooser row of a command id, or -1 when the id names none.
int64_t RowOf(const HighScoreManager& manager, int32_t id) {
    const int64_t row = int64_t{id} - kFirstHighScoreChoiceId;
    return row >= 0 && row < RowCount(manager) ? row : -1;
}

int32_t LastFirstRow(const HighScoreManager& manager) {
    return static_cast<int32_t>(std::clamp<int64_t>(RowCount(manager) - kHighScoreRowsPerPage, 0, INT32_MAX));
}

void Scroll(HighScoreManager& manager, DialogWindow& window, int32_t command) {
    const int64_t step = command == kHighScoreDownId ? 1 : -1;
    manager.firstRow =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{manager.firstRow} + step, 0, LastFirstRow(manager)));
    BuildHighScoreChooserPage(window, manager);
}

}  // namespace

String HighScoreLine(const HighScoreEntry& entry) {
    String line = entry.isNew ? String("$n") + entry.name + "$h" : entry.name;
    line += " .................. $h";
    line += String(entry.score);
    line += "$h";
    return line;
}

void BuildHighScoreChooserPage(DialogWindow& window, HighScoreManager& manager) {
    Processor& processor = *window.GetProcessor();
    ListFrame(window);
    const ScreenSize size = SizeOf(window);
    manager.firstRow = std::clamp(manager.firstRow, 0, LastFirstRow(manager));
    const int64_t first = manager.firstRow;
    int64_t k = 0;
    for (; k < kHighScoreRowsPerPage && first + k < RowCount(manager); ++k) {
        const int64_t row = first + k;
        const int64_t id = kFirstHighScoreChoiceId + row;
        if (id > INT32_MAX) break;
        const HighScoreChoice& choice = manager.rows[static_cast<size_t>(row)];
        ControlObject& button =
            CentredText(window, "TextButton", size.w / 2, kFirstRowY + kRowGap * static_cast<int32_t>(k),
                        choice.title.View(), static_cast<int32_t>(id), "BigMenu");
        if (row == manager.selectedRow)
            button.SetInt(kTextColour, static_cast<int32_t>(ColourEntryAddress(&button, 3)));
    }
    if (first > 0)
        AddOwned(window, MakeControl(processor, "Control",
                                     {ScreenPicture(processor, "Misc\\Up.dpf")->Address(), Word(size.w - 20),
                                      Word(kFirstRowY), Word(kHighScoreUpId)}));
    if (first + k < RowCount(manager))
        AddOwned(
            window,
            MakeControl(processor, "Control",
                        {ScreenPicture(processor, "Misc\\Down.dpf")->Address(), Word(size.w - 20),
                         Word(kFirstRowY + kRowGap * (kHighScoreRowsPerPage - 1)), Word(kHighScoreDownId)}));
}

void HighScoreChooserEvent(HighScoreManager& manager, DialogWindow& window, int32_t event, int32_t value,
                           int32_t command) {
    switch (event) {
        case kEventPrimary:
        case kEventDoubleClick: {
            const int64_t row = RowOf(manager, command);
            if (row >= 0) {
                manager.selectedRow = static_cast<int32_t>(row);
                if (event == kEventDoubleClick) {
                    window.SetResult(1);
                    return;
                }
                BuildHighScoreChooserPage(window, manager);
            } else if (command == kHighScoreUpId || command == kHighScoreDownId) {
                Scroll(manager, window, command);
            } else if (event == kEventPrimary && command == kFrameCancelId) {
                window.SetResult(0);
            } else if (event == kEventPrimary && command == kFrameOkId) {
                window.SetResult(1);
            }
            return;
        }
        case kEventCharacter:
            if (value == VK_RETURN) window.PostMessage(kEventPrimary, 0, kFrameOkId);
            if (value == VK_ESCAPE) window.PostMessage(kEventPrimary, 0, kFrameCancelId);
            if (value == -1) KeyQueue().ReadInt();
            return;
        case kEventWheel:
            manager.firstRow = static_cast<int32_t>(std::min<uint32_t>(
                WheelFirstRow(static_cast<uint32_t>(std::max(manager.firstRow, 0)), value,
                              static_cast<uint32_t>(std::min<int64_t>(RowCount(manager), UINT32_MAX))),
                INT32_MAX));
            BuildHighScoreChooserPage(window, manager);
            return;
        case kEventClose:
            window.SetResult(0);
            return;
        default:
            return;
    }
}

String ChooseHighScoreTable(HighScoreManager& manager, InputDevice& input) {
    Processor& processor = manager.GetProcessor();
    auto window =
        MakeListScreen(processor, [&manager](DialogWindow& w, int32_t event, int32_t value, int32_t command) {
            HighScoreChooserEvent(manager, w, event, value, command);
        });
    manager.rows.clear();
    for (const HighScoreTable* table : manager.Tables()) manager.rows.push_back({table->key, table->title});
    manager.selectedRow = 0;
    BuildHighScoreChooserPage(*window, manager);
    const int32_t result = RunListScreen(*window, input);
    const int64_t selected = manager.selectedRow;
    if (result != 1 || selected < 0 || selected >= RowCount(manager)) return String("");
    return manager.rows[static_cast<size_t>(selected)].key;
}

int32_t ShowHighScoreMenu(HighScoreManager& manager, InputDevice& input, const String* key) {
    Processor& processor = manager.GetProcessor();
    String current = key != nullptr ? *key : String("");
    bool choose = key == nullptr;
    // Each round makes its windows anew and destroys them: given back at the next turn.
    ReleaseLoop release;
    for (;;) {
        release.Turn();
        if (choose) {
            current = ChooseHighScoreTable(manager, input);
            if (current.Empty()) return 0;
        }
        auto window = MakeListScreen(processor, DialogWindow::FrameCallback);
        BuildListPage(*window, manager.Find(current));
        if (RunListScreen(*window, input) != 1) return 0;
        choose = true;
    }
}

void ShowHighScores(Processor& processor, InputDevice& input) {
    ShowHighScoreMenu(HighScoreManager::OfGame(processor), input, nullptr);
}

void RunHighScoreNameEntry(Processor& processor, InputDevice& input, HighScoreEntry& candidate) {
    auto window = MakeListScreen(processor, DialogWindow::FrameCallback);
    const ScreenSize size = SizeOf(*window);
    // The field edits the name in place in script memory: it holds what may be typed and the end.
    const uint32_t capacity = kHighScoreTypedName + 1;
    ScriptBuffer<char> name = NewScriptBuffer<char>(capacity);
    const size_t shown = std::min<size_t>(candidate.name.Size(), kHighScoreTypedName);
    std::memcpy(name.get(), candidate.name.Text(), shown);
    name.get()[shown] = '\0';

    Background(*window);
    const String prompt = SystemMessage(processor, kNamePrompt);
    CentredText(*window, "StaticText", size.w / 2, size.h / 4, prompt.View(), 0, "Default");
    MadeControl<> field = MakeControl(
        processor, "Edit", {Word(size.w / 2), Word(size.h / 2), capacity, ToScript(name.get()), 0});
    auto* made = dynamic_cast<EditControlObject*>(field.get());
    if (made == nullptr) ThrowFatal("The \"Edit\" class made no edit field");
    AddOwned(*window, std::move(field));
    EditControlObject& edit = *made;
    edit.SetInt(kTextHorizontalAlign, 1);
    edit.SetInt(kTextVerticalAlign, 1);
    edit.SetFont(NamedFont(processor, "Default"));
    edit.SetActive(true);
    const String ok = SystemMessage(processor, kOkText);
    CentredText(*window, "TextButton", size.w / 2, size.h * 3 / 4, ok.View(), kFrameOkId, "Default");

    RunListScreen(*window, input);
    // Whatever the script memory holds now, no more than the field's capacity is taken.
    candidate.name = HighScoreName(std::string_view(name.get(), strnlen(name.get(), capacity - 1)));
}
