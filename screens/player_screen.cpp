#include "screens/player_screen.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string_view>

#include "foundation/exceptions.h"
#include "screens/screen_helpers.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/message_box.h"
#include "ui/text_controls.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/player.h"
#include "world/skills.h"

namespace {

constexpr int32_t kDescriptionWidth = 200;

// The star background every player screen shows; the one being destroyed deletes it.
WeakObject sharedHeaven;

constexpr std::array<const char*, kPlayerPageCount> kPageHelpKeys{
    "HELP_PLAYERSCREEN_INFO", "HELP_PLAYERSCREEN_QUEST", "HELP_PLAYERSCREEN_DEEDS",
    "HELP_PLAYERSCREEN_ACHIEVEMENT", "HELP_PLAYERSCREEN_SKILLS"};

bool IsSkillId(int32_t id) {
    return id >= kPlayerSkillFirstId && id <= kPlayerSkillLastId;
}

bool IsNameId(int32_t id) {
    return id >= kPlayerNameFirstId && id < kPlayerNameFirstId + kPlayerNameFields;
}

// The names a pilot's copy is made from are cut to what the copy holds.
ScriptBuffer<char> NameCopyOf(const String& name) {
    ScriptBuffer<char> copy = NewScriptBuffer<char>(kPlayerNameLength + 1);
    const size_t n = std::min<size_t>(name.Size(), kPlayerNameLength);
    std::memcpy(copy.get(), name.Text(), n);
    copy.get()[n] = '\0';
    return copy;
}

// A copy is script memory that the name field edits: whatever it holds, at most the copy's length
// is read.
String ReadNameCopy(const ScriptBuffer<char>& copy) {
    const size_t n = strnlen(copy.get(), kPlayerNameLength);
    return String(std::string(copy.get(), n).c_str());
}

}  // namespace

ScriptObject* PlayerScreen::SharedHeaven(Processor& processor) {
    if (sharedHeaven.Get() == nullptr)
        sharedHeaven = WeakObject(&NewControlByName(processor, "HeavenControl", {200, 0}));
    // Its own script may have deleted it as it was made.
    return IfAlive(sharedHeaven.Get());
}

PlayerScreen::PlayerScreen(Processor& processor, ScriptObject* player)
    : DialogWindow(&processor, &GameDisplay(), EngineCursor(processor)),
      player_(player),
      teardown_(processor, {[this] { Close(); }, DeleteSharedHeaven}) {
    SetCallback(OnEvent);
    ObjectManager* list = PlayerList(processor);
    if (list == nullptr) return;
    // Only ten name fields have ids of their own (80 to 89): further pilots get no copy.
    for (auto* node = list->ObjectList().Head(); node != nullptr && names_.size() < kPlayerNameFields;
         node = node->next) {
        auto* pilot = dynamic_cast<PlayerObject*>(node->item);
        names_.push_back(NameCopyOf(pilot != nullptr ? pilot->Name() : String()));
        namedPilots_.emplace_back(pilot);
    }
}

void PlayerScreen::End() {
    teardown_.Finish();
}

String PlayerScreen::NameCopy(size_t i) const {
    return i < names_.size() ? ReadNameCopy(names_[i]) : String();
}

void PlayerScreen::OnEvent(DialogWindow& window, int32_t event, int32_t /*p1*/, int32_t id) {
    auto* screen = dynamic_cast<PlayerScreen*>(&window);
    if (screen == nullptr) return;
    switch (event) {
        case kEventPrimary:
            screen->OnCommand(id);
            break;
        case kEventSecondary:
            if (IsSkillId(id)) screen->ShowSkillDescription(id - kPlayerSkillFirstId);
            break;
        case kEventClose:
            // Only the close button keeps the edited names; Escape and the device's close action
            // leave the window as a cancel does.
            if (screen->closeRequested_) {
                screen->WriteNamesBack();
                screen->SetResult(1);
            } else {
                screen->SetResult(0);
            }
            break;
        case kEventDoubleClick:
            if (IsNameId(id)) screen->SetNameEditing(id);
            break;
        case kEventStart:
            screen->started_ = true;
            screen->ShowPageHelp();
            break;
        default:
            break;
    }
}

void PlayerScreen::OnCommand(int32_t id) {
    if (IsSkillId(id)) RaiseSkill(id - kPlayerSkillFirstId);
    SetNameEditing(0);
    if (IsNameId(id)) {
        SelectPlayer(id - kPlayerNameFirstId);
        return;
    }
    if (id == kPlayerCloseId) {
        closeRequested_ = true;
        PostMessage(kEventClose, 0, 0);
        return;
    }
    const auto tab = std::find(kPlayerTabIds.begin(), kPlayerTabIds.end(), id);
    if (tab != kPlayerTabIds.end()) SelectPage(static_cast<int32_t>(tab - kPlayerTabIds.begin()));
}

void PlayerScreen::SelectPage(int32_t page) {
    if (page == page_) return;
    page_ = page;
    Rebuild();
}

void PlayerScreen::SelectPlayer(int32_t index) {
    ObjectManager* list = PlayerList(*GetProcessor());
    if (list == nullptr) return;
    list->Seek(static_cast<uint32_t>(index));
    player_ = WeakObject(list->ObjectList().Current());
    Rebuild();
}

void PlayerScreen::RaiseSkill(int32_t slot) {
    auto* pilot = dynamic_cast<PlayerObject*>(Player());
    // Only the skills the page lists have buttons; any other number names nothing.
    SkillObject* skill = pilot != nullptr ? pilot->SkillAt(slot) : nullptr;
    if (skill == nullptr) return;
    const int32_t cost = Skill::CallValue(skill);
    // The call ran script code: the pilot and the skill are looked up again.
    pilot = dynamic_cast<PlayerObject*>(Player());
    skill = pilot != nullptr ? pilot->SkillAt(slot) : nullptr;
    // A negative cost would hand out points: it is refused like a skill that cannot be raised.
    if (skill == nullptr || cost <= 0 || cost > pilot->SkillPoints()) {
        Rebuild();
        return;
    }
    const int32_t charged = Skill::CallValue(skill);
    pilot = dynamic_cast<PlayerObject*>(Player());
    skill = pilot != nullptr ? pilot->SkillAt(slot) : nullptr;
    if (skill != nullptr) {
        if (skill->Level() < INT32_MAX) skill->SetLevel(skill->Level() + 1);
        pilot->SpendSkillPoints(std::max(charged, 0));
    }
    Rebuild();
}

void PlayerScreen::ShowSkillDescription(int32_t slot) {
    auto* pilot = dynamic_cast<PlayerObject*>(Player());
    SkillObject* skill = pilot != nullptr ? pilot->SkillAt(slot) : nullptr;
    if (skill == nullptr) return;
    const String text = GTTClass::CallGetDescription(skill);
    MessageBoxOverWindow(*GetProcessor(), *this, text, kMessageBoxOk, nullptr, kDescriptionWidth);
}

void PlayerScreen::SetNameEditing(int32_t activeId) {
    for (int32_t i = 0; i < kPlayerNameFields; ++i) {
        auto* field = dynamic_cast<EditControlObject*>(FindControl(kPlayerNameFirstId + i));
        if (field == nullptr) continue;
        if (kPlayerNameFirstId + i == activeId)
            field->SetActive(true);
        else
            field->SetInt(kEditActive, 0);
    }
}

// Each name goes back to the pilot it was read from: the screen's scripts may have deleted, added or
// moved pilots of the list meanwhile.
void PlayerScreen::WriteNamesBack() {
    for (size_t i = 0; i < names_.size() && i < namedPilots_.size(); ++i) {
        if (auto* pilot = namedPilots_[i].As<PlayerObject>()) pilot->SetName(ReadNameCopy(names_[i]));
    }
}

void PlayerScreen::ShowPageHelp() {
    ShowHelpOnce(*GetProcessor(), this, kPageHelpKeys[static_cast<size_t>(page_)], 12 + page_);
}

void PlayerScreen::DeleteSharedHeaven() {
    ScriptObject* heaven = sharedHeaven.Get();
    sharedHeaven = WeakObject();
    if (heaven != nullptr && heaven->Alive()) DestroyObject(heaven);
}

void ShowPlayerScreen(DialogWindow& caller) {
    Processor* processor = caller.GetProcessor();
    InputDevice* input = caller.Input();
    if (processor == nullptr || input == nullptr) ThrowFatal("The player screen has no input device");
    ObjectManager* list = PlayerList(*processor);
    ScriptObject* player = list != nullptr ? list->ObjectList().Current() : nullptr;
    auto screen = std::make_unique<PlayerScreen>(*processor, player);
    caller.ReleaseFocus();
    // The caller is busy while the screen runs; a script may delete it meanwhile.
    const std::shared_ptr<DialogWindow*> callerLife = caller.LifeToken();
    caller.SetChildOpen(true);
    const auto release = [&callerLife] {
        if (*callerLife != nullptr) (*callerLife)->SetChildOpen(false);
    };
    try {
        screen->Run(*input, caller.InputOwner());
    } catch (...) {
        release();
        throw;
    }
    release();
    // Ended here rather than by the destructor, so that errors of script destructors are heard.
    screen->End();
}
