#include "world/player.h"

#include <algorithm>
#include <limits>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "script/cleanup_steps.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/object_walk.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "shell/input_device.h"
#include "shell/key_name.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/running_processor.h"
#include "world/skills.h"
#include "world/world_kinds.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

Processor& ProcessorOf(ScriptObject* object) {
    return RunningProcessor(object, "Player");
}

}  // namespace

PlayerObject::PlayerObject(ZEMAClass* cls)
    : ScriptObject(cls), messageColour_(ColourEntryAddress(this, kStatusColourEntry)) {
    SetKind(kPlayerObjectKind);
    statusColour_ = messageColour_;
}

PlayerObject::~PlayerObject() {
    ReleaseOwnedQuietly();
}

void PlayerObject::ReleaseOwned() {
    CleanupSteps steps(this);
    for (std::vector<WeakObject>* owned : {&items_, &skills_}) {
        // Taken out first: a destructor script that looks at the pilot finds none of them.
        std::vector<WeakObject> held;
        held.swap(*owned);
        for (const WeakObject& ref : held) steps.Run([&ref] { DestroyOwned(ref.Get()); });
    }
    itemCursor_ = 0;
    skillCount_ = 0;
    steps.Finish();
    ScriptObject::ReleaseOwned();
}

PlayerObject& PlayerObject::Of(ScriptObject* receiver) {
    return ReceiverOf<PlayerObject>(receiver, "Player object expected");
}

PlayerObject* PlayerObject::AtAddress(uint32_t address) {
    return WeakObject::AtAddress(address).As<PlayerObject>();
}

// --- money ---

void PlayerObject::SetMoneyTenths(int64_t tenths) {
    money_ = SaturateInt32(tenths);
}

// Amounts far beyond 32 bits all saturate alike: bounding them first keeps the arithmetic in range.
constexpr int64_t kMoneyBound = int64_t{1} << 40;

void PlayerObject::AddMoneyTenths(int64_t tenths) {
    money_ = SaturateInt32(int64_t{money_} + std::clamp(tenths, -kMoneyBound, kMoneyBound));
}

void PlayerObject::AddMoneyUnits(int64_t units) {
    AddMoneyTenths(std::clamp(units, -kMoneyBound, kMoneyBound) * 10);
}

// --- status line ---

void PlayerObject::SetStatusMessage(const String& text, int32_t duration, int32_t priority) {
    if (statusDuration_ != 0 && statusPriority_ > priority) return;
    statusColour_ = messageColour_;
    statusText_ = text;
    statusScriptText_.reset();
    statusDuration_ = duration;
    statusPriority_ = priority;
}

void PlayerObject::ClearStatusMessage() {
    statusText_ = "";
    statusScriptText_.reset();
    statusDuration_ = 0;
}

uint32_t PlayerObject::StatusTextAddress() {
    if (statusScriptText_ == nullptr) statusScriptText_ = CopyTextToScript(statusText_.View());
    return ToScript(statusScriptText_.get());
}

// --- experience ---

int32_t PlayerObject::LevelThreshold(int32_t level) {
    if (level < 2) return 1000;
    int64_t total = 1000;
    int64_t step = 1000;
    for (int32_t i = 1; i < level; ++i) {
        step = static_cast<int64_t>(static_cast<double>(step) * 1.2);
        total += step;
        // The threshold only grows, so once beyond 32 bits it stays at the top.
        if (total >= kInt32Max) return kInt32Max;
    }
    return static_cast<int32_t>(total);
}

int32_t PlayerObject::AddExperience(int32_t amount) {
    if (experienceLock_) return experience_;
    experience_ = SaturateInt32(int64_t{experience_} + amount);
    if (experience_ < threshold_) return experience_;
    while (experience_ >= threshold_ && level_ < kInt32Max) {
        ++level_;
        const int32_t previous = threshold_;
        threshold_ = LevelThreshold(level_);
        SetStatusMessage(name_ + " " + SystemMessage(ProcessorOf(this), kLevelUpMessage), 90, 8);
        skillPoints_ = SaturateInt32(int64_t{skillPoints_} + level_ / 10 + 1);
        // A threshold that can no longer grow would raise the level for ever.
        if (threshold_ == previous) break;
    }
    return threshold_;
}

void PlayerObject::SetLevel(int32_t level) {
    level_ = std::max(level, 1);
    threshold_ = LevelThreshold(level_);
}

void PlayerObject::SpendSkillPoints(int32_t n) {
    skillPoints_ = std::max(SaturateInt32(int64_t{skillPoints_} - n), 0);
}

// --- skills ---

SkillObject* PlayerObject::SkillAt(int32_t slot) const {
    if (slot < 0 || static_cast<size_t>(slot) >= skills_.size()) return nullptr;
    return skills_[static_cast<size_t>(slot)].As<SkillObject>();
}

void PlayerObject::PlaceSkill(ScriptObject* skill, int64_t slot) {
    if (slot < 0 || slot >= kPlayerSkillSlots)
        ThrowFatal("Skill slot %lld is out of range", static_cast<long long>(slot));
    SkillObject& placed = SkillObject::Of(skill);
    CheckAlive("Player");
    if (ScriptObject* present = SkillAt(static_cast<int32_t>(slot))) {
        if (present != skill) DestroyObject(skill);
        return;
    }
    const auto index = static_cast<size_t>(slot);
    if (index >= skills_.size()) skills_.resize(index + 1);
    skills_[index] = WeakObject(skill);
    skillCount_ = std::max(skillCount_, static_cast<int32_t>(slot + 1));
    placed.SetSlotNumber(static_cast<int32_t>(slot));
    placed.SetOwner(this);
}

void PlayerObject::CallSkills(int32_t first, int32_t (SkillObject::*flag)() const,
                              void (*call)(SkillObject&, int32_t), int32_t value) {
    // Skill code may place or delete skills: one placed meanwhile waits for the next time.
    ObjectWalk<SkillObject> walk;
    for (int32_t slot = first; slot < skillCount_; ++slot) {
        if (SkillObject* skill = SkillAt(slot)) walk.Add(skill);
    }
    walk.ForEachAlive([&](SkillObject& skill) {
        if ((skill.*flag)() != 0 && SkillAt(skill.SlotNumber()) == &skill) call(skill, value);
    });
}

void PlayerObject::ApplySkills() {
    CallSkills(
        0, &SkillObject::ApplyFlag, [](SkillObject& skill, int32_t) { Skill::CallApply(&skill); }, 0);
}

int32_t PlayerObject::SwitchPercent() const {
    SkillObject* skill = SkillAt(kPriceSkillSlot);
    return skill != nullptr ? SwitchSkill::Percentage(skill->Level()) : 0;
}

namespace {

// (100 - c) * factor / 100 with c the price skill's percentage, in 64 bits.
int32_t PriceFactor(const PlayerObject& player, int64_t factor) {
    return SaturateInt32((100 - int64_t{player.SwitchPercent()}) * factor / 100);
}

}  // namespace

int32_t PlayerObject::PricePercent90() const {
    return PriceFactor(*this, 90);
}

int32_t PlayerObject::PricePercent30() const {
    return PriceFactor(*this, 30);
}

int32_t PlayerObject::PricePercent30Times3() const {
    return SaturateInt32(int64_t{3} * PriceFactor(*this, 30));
}

// --- items ---

void PlayerObject::PruneItems() {
    size_t kept = 0;
    size_t cursor = itemCursor_;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Get() == nullptr) {
            if (i < itemCursor_ && cursor > 0) --cursor;
            continue;
        }
        items_[kept++] = items_[i];
    }
    items_.resize(kept);
    itemCursor_ = std::min(cursor, kept == 0 ? size_t{0} : kept - 1);
}

void PlayerObject::AddItem(ScriptObject* item) {
    if (item == nullptr) return;
    OptionObject& option = OptionObject::Of(item);
    CheckNotBeingDestroyed(&option);
    CheckAlive("Player");
    items_.emplace_back(&option);
    MarkHeld(&option, HolderKind::kPilot, this);
}

bool PlayerObject::ReleaseItem(const ScriptObject* item) {
    const auto found = std::find(items_.begin(), items_.end(), WeakObject(item));
    if (item == nullptr || found == items_.end()) return false;
    ScriptObject* released = found->Get();
    items_.erase(found);
    PruneItems();
    MarkLetGo(released, HolderKind::kPilot, this);
    return true;
}

std::vector<ScriptObject*> PlayerObject::Items() const {
    std::vector<ScriptObject*> live;
    for (const WeakObject& ref : items_) {
        if (ScriptObject* item = ref.Get()) live.push_back(item);
    }
    return live;
}

ScriptObject* PlayerObject::FirstItem() {
    PruneItems();
    itemCursor_ = 0;
    return CurrentItem();
}

ScriptObject* PlayerObject::NextItem() {
    PruneItems();
    if (itemCursor_ + 1 >= items_.size()) return nullptr;
    ++itemCursor_;
    return CurrentItem();
}

ScriptObject* PlayerObject::CurrentItem() {
    PruneItems();
    return itemCursor_ < items_.size() ? items_[itemCursor_].Get() : nullptr;
}

ScriptObject* PlayerObject::FindItemNamed(const String& name) {
    for (ScriptObject* item : Items()) {
        // The name call runs script code, which may delete items: ask again before each call.
        WeakObject ref(item);
        if (ref.Get() != nullptr && GTTClass::CallGetName(item) == name) return ref.Get();
    }
    return nullptr;
}

bool PlayerObject::DeleteItemOfClass(const String& className) {
    PruneItems();
    for (size_t i = 0; i < items_.size(); ++i) {
        ScriptObject* item = items_[i].Get();
        if (item == nullptr || item->Class() == nullptr || !(item->Class()->ClassName() == className))
            continue;
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        if (itemCursor_ > i) --itemCursor_;
        PruneItems();
        if (!item->BeingDestroyed()) DestroyObject(item);
        return true;
    }
    return false;
}

// --- input and name ---

void PlayerObject::SetInput(std::unique_ptr<InputDevice> input) {
    input_ = std::move(input);
}

std::unique_ptr<InputDevice> PlayerObject::TakeInput() {
    return std::move(input_);
}

std::unique_ptr<InputDevice> PlayerObject::CopyInput(const InputDevice& source) {
    auto copy = std::make_unique<InputDevice>();
    static_cast<DataBlock&>(*copy) = source;
    copy->Actions() = source.Actions();
    copy->MouseButtons() = source.MouseButtons();
    copy->SetWheel(source.Wheel());
    return copy;
}

void PlayerObject::SetName(const String& name) {
    name_ = name.Empty() ? String("Player") : name;
    nameScriptText_.reset();
}

void PlayerObject::RestoreName(const String& name) {
    name_ = name;
    nameScriptText_.reset();
}

uint32_t PlayerObject::NameAddress() {
    if (nameScriptText_ == nullptr) nameScriptText_ = CopyTextToScript(name_.View());
    return ToScript(nameScriptText_.get());
}

uint32_t PlayerObject::KeyNameAddress(int32_t action) {
    String name("Unknown");
    if (input_ != nullptr && action >= 0 && static_cast<uint32_t>(action) < input_->Actions().Count())
        name = KeyName(static_cast<int32_t>(input_->Actions().Code(static_cast<uint32_t>(action))));
    ScriptBuffer<char>& text = keyTexts_[std::string(name.View())];
    if (text == nullptr) text = CopyTextToScript(name.View());
    return ToScript(text.get());
}

// --- step ---

void PlayerObject::Step(int32_t value) {
    if (statusDuration_ > 0) --statusDuration_;
    CallSkills(
        kFirstSteppingSkillSlot, &SkillObject::StepFlag,
        [](SkillObject& skill, int32_t step) { GTTClass::CallStep(&skill, step); }, value);
}

// --- natives ---

namespace {

PlayerObject& Self(ScriptObject* receiver) {
    return PlayerObject::Of(receiver);
}

uint32_t AddressOf(const ScriptObject* object) {
    return object != nullptr ? object->Address() : 0;
}

void StepPlayer(ScriptObject* receiver) {
    Self(receiver).Step(NativeArgs(receiver).Int());
}

void PushName(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(Self(receiver).NameAddress());
}

void PushMoney(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(Self(receiver).MoneyUnits()));
}

void AddMoney(ScriptObject* receiver) {
    Self(receiver).AddMoneyUnits(NativeArgs(receiver).Int());
}

void SubtractMoney(ScriptObject* receiver) {
    Self(receiver).AddMoneyUnits(-int64_t{NativeArgs(receiver).Int()});
}

void PushShip(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(AddressOf(Self(receiver).Ship()));
}

// The input configuration is named by its pilot: natives that take one look it up by the pilot.
void PushInput(ScriptObject* receiver) {
    PlayerObject& player = Self(receiver);
    NativeArgs(receiver).Stack().Push(player.Input() != nullptr ? player.Address() : 0);
}

void PushStatusText(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(Self(receiver).StatusTextAddress());
}

void SetStatus(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t priority = args.Int();
    const int32_t duration = args.Int();
    const String text = args.TextCopy();
    Self(receiver).SetStatusMessage(text, duration, priority);
}

void PushStatusDuration(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(Self(receiver).StatusDuration()));
}

void PushStatusColour(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(Self(receiver).StatusColour());
}

void SetStatusColour(ScriptObject* receiver) {
    Self(receiver).SetStatusColour(NativeArgs(receiver).Word());
}

void LoadShipNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t flag = args.Word();
    const String file = args.TextCopy();
    args.Stack().Push(AddressOf(Self(receiver).LoadShip(file, flag)));
}

void PushExperience(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(Self(receiver).Experience()));
}

void AddExperienceNative(ScriptObject* receiver) {
    Self(receiver).AddExperience(NativeArgs(receiver).Int());
}

void PushLevel(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(Self(receiver).Level()));
}

void PushSkill(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(AddressOf(Self(receiver).SkillAt(args.Int())));
}

void PlaceSkillNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* skill = args.Object(kSkillObjectKind, "skill");
    const int32_t slot = args.Int();
    Self(receiver).PlaceSkill(skill, slot);
}

void PushKeyName(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(Self(receiver).KeyNameAddress(args.Int()));
}

void AddItemNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* item = Ownable(ProcessorOf(receiver), args.ObjectOrNull(0, "item"), "Player");
    Self(receiver).AddItem(item);
}

void FindItemNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String name = args.TextCopy();
    args.Stack().Push(AddressOf(Self(receiver).FindItemNamed(name)));
}

void DeleteItemNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    Self(receiver).DeleteItemOfClass(args.TextCopy());
}

void FirstItemNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(AddressOf(Self(receiver).FirstItem()));
}

void NextItemNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(AddressOf(Self(receiver).NextItem()));
}

void CurrentItemNative(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(AddressOf(Self(receiver).CurrentItem()));
}

void SetShipNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t flag = args.Word();
    ScriptObject* ship = args.ObjectOrNull(0, "ship");
    args.Stack().Push(AddressOf(Self(receiver).SetShip(ship, flag)));
}

void LoadReserveShipNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String file = args.TextCopy();
    args.Stack().Push(AddressOf(Self(receiver).LoadReserveShip(file)));
}

void ReplaceShipNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ScriptObject* ship = args.ObjectOrNull(0, "ship");
    args.Stack().Push(AddressOf(Self(receiver).ReplaceShip(ship)));
}

void SetNameNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    Self(receiver).SetName(args.TextCopy());
}

}  // namespace

void Player::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepPlayer, kStepVirtual);
    target.SetVirtualMethod(PushName, kNameVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<PlayerObject, "player class">, 0);
    target.SetMethod(PushMoney, 4);
    target.SetMethod(AddMoney, 5);
    target.SetMethod(SubtractMoney, 6);
    target.SetMethod(PushShip, 7);
    target.SetMethod(PushInput, 8);
    target.SetMethod(PushStatusText, 9);
    target.SetMethod(SetStatus, 10);
    target.SetMethod(PushStatusDuration, 11);
    target.SetMethod(PushStatusColour, 12);
    target.SetMethod(SetStatusColour, 13);
    target.SetMethod(LoadShipNative, 14);
    target.SetMethod(PushExperience, 15);
    target.SetMethod(AddExperienceNative, 16);
    target.SetMethod(PushLevel, 17);
    target.SetMethod(PushSkill, 18);
    target.SetMethod(PlaceSkillNative, 19);
    target.SetMethod(PushKeyName, 20);
    target.SetMethod(AddItemNative, 21);
    target.SetMethod(FindItemNative, 22);
    target.SetMethod(DeleteItemNative, 23);
    target.SetMethod(FirstItemNative, 24);
    target.SetMethod(NextItemNative, 25);
    target.SetMethod(CurrentItemNative, 26);
    target.SetMethod(SetShipNative, 27);
    target.SetMethod(LoadReserveShipNative, 28);
    target.SetMethod(ReplaceShipNative, 29);
    target.SetMethod(SetNameNative, 30);
}

std::vector<PlayerObject*> PlayersIn(ObjectManager* list) {
    std::vector<PlayerObject*> players;
    if (list == nullptr) return players;
    for (const auto* node = list->ObjectList().Head(); node != nullptr; node = node->next) {
        if (auto* player = dynamic_cast<PlayerObject*>(node->item)) players.push_back(player);
    }
    return players;
}

std::vector<PlayerObject*> GamePlayers(Processor& processor) {
    return PlayersIn(processor.Objects().ListAt(kPlayerListId));
}
