// The controls of the player screen's pages: the star background and picture line, the tabs and the
// close button along the bottom, the players' name fields down the right, the page's list box and
// what each page puts into it.
#include <string>
#include <utility>

#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/display.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "graphics/screen_surface.h"
#include "screens/player_screen.h"
#include "screens/screen_helpers.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/list_box.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/player.h"
#include "world/skills.h"

namespace {

constexpr uint32_t kHighlightEntry = 3;
constexpr int32_t kNameHelp = 17;
constexpr int32_t kFirstPageHelp = 12;
// Skill rows get ids 200 + slot, and only ids up to 299 are skill buttons.
constexpr int32_t kListedSkillSlots = kPlayerSkillLastId - kPlayerSkillFirstId + 1;

// system.mes texts of the tabs, by page, and of the labels.
constexpr std::array<uint32_t, kPlayerPageCount> kTabTexts{380, 381, 382, 383, 384};
constexpr uint32_t kCloseText = 102;
constexpr uint32_t kMoneyLabel = 390;
constexpr uint32_t kMoneyUnit = 310;
constexpr uint32_t kExperienceLabel = 411;
constexpr uint32_t kThresholdLabel = 410;
constexpr uint32_t kLevelLabel = 480;
constexpr uint32_t kFreePointsLabel = 470;

void Highlight(ControlObject& control) {
    control.SetInt(kTextColour, static_cast<int32_t>(ColourEntryAddress(&control, kHighlightEntry)));
}

// A text control of the class with a text built here (the control keeps its own copy).
MadeControl<StaticTextObject> NewText(Processor& processor, const char* cls, int32_t x, int32_t y,
                                      const String& text, int32_t id) {
    return NewTextControl(processor, cls, x, y, std::string_view(text.Text(), text.Size()), id);
}

// Adding a line runs the row classes' code, which may delete the list box: no line goes into a
// box that is gone.
template <class Lines>
void AddLines(ListBoxObject& list, const Lines& lines) {
    for (const String& line : lines) {
        if (!list.Alive()) return;
        list.AddLine(std::string_view(line.Text(), line.Size()));
    }
}

void AddInfoLines(ListBoxObject& list, Processor& processor, const PlayerObject& pilot) {
    const String lines[] = {
        LabelLine(SystemMessage(processor, kMoneyLabel), pilot.MoneyUnits()) +
            SystemMessage(processor, kMoneyUnit),
        LabelLine(SystemMessage(processor, kExperienceLabel), pilot.Experience()),
        LabelLine(SystemMessage(processor, kThresholdLabel), pilot.Threshold()),
        LabelLine(SystemMessage(processor, kLevelLabel), pilot.Level()),
    };
    AddLines(list, lines);
}

// The records of the page's kind in table order; the quests page leaves out those no longer open.
void AddEventLines(ListBoxObject& list, PlayerObject& pilot, int32_t page) {
    PlayerEventTable& events = pilot.Events();
    std::vector<String> texts;
    for (PlayerEvent* record = events.First(); record != nullptr; record = events.Next()) {
        if (record->kind != page) continue;
        if (page == kPlayerQuestPage && record->value != 0) continue;
        texts.push_back(record->text);
    }
    // Adding a line runs the row classes' code, which may change the records: they are copied first.
    AddLines(list, texts);
}

}  // namespace

void PlayerScreen::Rebuild() {
    Processor& processor = *GetProcessor();
    const ScreenSurface* surface = GetDisplay()->Surface();
    const int32_t w = surface != nullptr ? surface->Width() : 0;
    const int32_t h = surface != nullptr ? surface->Height() : 0;

    Font* listFont = NamedFont(processor, "EventsList");
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    Image* schemaLine = images != nullptr ? images->GetImage(String("Misc\\SchemaLine.dpf")) : nullptr;

    ClearControls();
    // Asked for after the clearing, whose script destructors may delete it.
    if (ScriptObject* heaven = SharedHeaven(processor)) AddControl(heaven, kNeverOwned);
    AddOwned(*this,
             MakeControl(processor, "Control",
                         {schemaLine != nullptr ? schemaLine->Address() : 0, Word(w / 2), Word(h - 40), 0}));

    int32_t x = w - 10;
    for (int32_t page = 0; page < kPlayerPageCount; ++page) {
        const bool current = page == page_;
        MadeControl<> tab = MakeControl(
            processor, current ? "StaticText" : "TextButton",
            {Word(x), Word(h - 23), SystemMessageAddress(processor, kTabTexts[static_cast<size_t>(page)]),
             Word(kPlayerTabIds[static_cast<size_t>(page)])});
        tab->SetInt(kTextHorizontalAlign, 2);
        tab->SetInt(kTextVerticalAlign, 1);
        if (current) Highlight(*tab);
        x -= AddOwned(*this, std::move(tab)).Width() + 20;
    }
    MadeControl<> close =
        MakeControl(processor, "TextButton",
                    {10, Word(h - 23), SystemMessageAddress(processor, kCloseText), Word(kPlayerCloseId)});
    close->SetInt(kTextHorizontalAlign, 0);
    close->SetInt(kTextVerticalAlign, 1);
    AddOwned(*this, std::move(close));

    // Making a field runs its class's scripts, which may change the list: the walk goes over the
    // pilots there when it began, and a field's number is its pilot's place among those still there.
    if (ObjectManager* list = PlayerList(processor)) {
        const ObjectWalk<> pilots(ObjectWalk<>::ItemsOf(list->ObjectList()));
        size_t i = 0;
        pilots.ForEachAlive([&](ScriptObject& pilot) {
            if (i >= names_.size()) return;
            const int32_t row = static_cast<int32_t>(i);
            MadeControl<> field = MakeControl(processor, "Edit",
                                              {Word(w - 10), Word(10 + 30 * row), kPlayerNameLength + 1,
                                               ToScript(names_[i].get()), Word(kPlayerNameFirstId + row)});
            field->SetInt(kTextHorizontalAlign, 2);
            field->SetInt(kTextVerticalAlign, 0);
            field->SetHelpText(kScreenHelpFile, kNameHelp);
            field->SetInt(kEditActive, 0);
            if (&pilot == Player()) Highlight(*field);
            AddOwned(*this, std::move(field));
            ++i;
        });
    }

    const int32_t listHeight = page_ == kPlayerSkillsPage ? h - 80 : h - 50;
    MadeControl<> made =
        MakeControl(processor, "ListBox", {10, 0, Word(w - 160), Word(listHeight), Word(kPlayerListBoxId)});
    auto& box = ListBoxObject::Of(made.get());
    AddOwned(*this, std::move(made));
    box.SetInt(kListFirstScriptInt, static_cast<int32_t>(listFont->Address()));
    box.SetInt(kListSecondScriptInt, 1);

    if (auto* pilot = dynamic_cast<PlayerObject*>(Player())) {
        if (page_ == kPlayerInfoPage) AddInfoLines(box, processor, *pilot);
        if (page_ >= kPlayerQuestPage && page_ <= kPlayerAchievementsPage) AddEventLines(box, *pilot, page_);
        if (page_ == kPlayerSkillsPage) BuildSkillRows(*pilot, h);
    }

    SetHelp(kFirstPageHelp + page_, kScreenHelpFile);
    SetSkipDraw();
    if (started_) ShowPageHelp();
}

void PlayerScreen::BuildSkillRows(PlayerObject& pilot, int32_t h) {
    Processor& processor = *GetProcessor();
    const String points =
        SystemMessage(processor, kFreePointsLabel) + ": $h" + String(pilot.SkillPoints()) + "$h";
    MadeControl<StaticTextObject> free = NewText(processor, "StaticText", 10, h - 60, points, 0);
    free->SetInt(kTextHorizontalAlign, 0);
    AddOwned(*this, std::move(free));

    // Each skill's name and cost are asked of its script code, which may delete the pilot: it is
    // looked up again after each row.
    const WeakObject owner(&pilot);
    int32_t y = 20;
    for (int32_t slot = 0; slot < kListedSkillSlots; ++slot) {
        auto* current = dynamic_cast<PlayerObject*>(owner.Get());
        if (current == nullptr || slot >= current->SkillCount()) break;
        SkillObject* skill = current->SkillAt(slot);
        if (skill == nullptr) continue;
        const WeakObject held(skill);
        const String name = GTTClass::CallGetName(skill);
        const int32_t cost = held.Get() != nullptr ? Skill::CallValue(held.Get()) : 0;
        current = dynamic_cast<PlayerObject*>(owner.Get());
        skill = current != nullptr ? current->SkillAt(slot) : nullptr;
        if (skill == nullptr) continue;
        const bool raisable = cost > 0 && cost <= current->SkillPoints();
        // The level is read before the button's scripts run.
        String level(skill->Level());
        if (cost != 0) level = level + " (" + String(cost) + ")";
        MadeControl<StaticTextObject> button = NewText(processor, raisable ? "TextButton" : "StaticText", 10,
                                                       y, name, kPlayerSkillFirstId + slot);
        button->SetInt(kTextHorizontalAlign, 0);
        AddOwned(*this, std::move(button));
        MadeControl<StaticTextObject> shown = NewText(processor, "StaticText", 200, y, level, 0);
        shown->SetInt(kTextHorizontalAlign, 0);
        AddOwned(*this, std::move(shown));
        y += 30;
    }
}
