#include "screens/slot_control.h"

#include <cstdio>
#include <memory>

#include "foundation/exceptions.h"
#include "graphics/direction_to_frame.h"
#include "graphics/font.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "screens/full_screen.h"
#include "screens/screen_helpers.h"
#include "screens/screen_kinds.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/window_services.h"
#include "world/option.h"
#include "world/running_processor.h"
#include "world/ship.h"
#include "world/slot.h"

namespace {

constexpr uint32_t kHighlightColour = 3;
constexpr uint32_t kDisabledColour = 6;
// Where the count sits against the control's centre: left of it and ending just below it.
constexpr int32_t kCountOffsetX = -16;
constexpr int32_t kCountOffsetY = 14;
// Slot states run 0 to 2; a state beyond them, which only a script can store, shows no frame.
constexpr int32_t kSlotStates = 3;

Processor& ProcessorOfControl(ScriptObject* control) {
    return RunningProcessor(control, "Slot control");
}

// Frame n of the picture, null when the picture is missing or has no such frame.
const Frame* FrameOf(Image* picture, int64_t n) {
    if (picture == nullptr || n < 0 || n >= picture->FrameCount()) return nullptr;
    return picture->GetFrame(static_cast<int32_t>(n));
}

void DrawFrameAt(ScreenBuffer& buffer, const Frame* frame, int32_t x, int32_t y, uint32_t orientation = 0) {
    if (frame != nullptr) buffer.DrawFrame(frame, x, y, orientation);
}

// The "system.mes" text naming an empty place of that kind; 0 for kinds shown without a name.
uint32_t PlaceKindText(int32_t kind) {
    switch (kind) {
        case kSlotWeapon:
            return 150;
        case kSlotEnergy:
            return 151;
        case kSlotEngine:
            return 152;
        case kSlotProtection:
            return 153;
        case kSlotGrabber:
            return 154;
        default:
            return 0;
    }
}

bool KnownItemKind(int32_t kind) {
    return (kind >= kItemWeapon && kind <= kItemGrabber) || (kind >= kItemHull && kind <= kItemQuest);
}

// The frame of a place: its state, plus the "on" frames while the item is switched on.
int64_t PlaceFrame(int32_t state, int32_t on) {
    if (state < 0 || state >= kSlotStates) return -1;
    return state + (on != 0 ? kSlotFrameOn : 0);
}

// Whether the ship's class lies in the item's range; any item fits when there is no ship.
bool FitsShip(const OptionObject& item, const ShipObject* ship) {
    return ship == nullptr || ItemFitsClass(item, ShipClassNumber(*ship));
}

void CreateSlotControl(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    SlotControlInit init;
    ZEMAClass* cls = args.Class("slot control class");
    init.picture = args.Word();
    init.x = args.Int();
    init.y = args.Int();
    init.id = args.Int();
    init.slot = SlotObject::FromAddress(args.Word());
    PushNewObject(runner, std::make_unique<SlotControlObject>(cls, init));
}

}  // namespace

SlotControlObject::SlotControlObject(ZEMAClass* cls, const SlotControlInit& init)
    : ControlObject(cls, init.picture, init.x, init.y, init.id),
      slot_(init.slot),
      selection_(init.selection),
      mode_(init.mode),
      ship_(init.ship) {
    SetKind(kSlotControlKind);
    Processor& processor = ProcessorOfControl(this);
    typeFont_ = WeakObject(NamedFont(processor, "SlotType"));
    guidesPicture_ = WeakObject(ScreenPicture(processor, "Misc\\Guides.dpf"));
}

SlotObject* SlotControlObject::Slot() const {
    return slot_.As<SlotObject>();
}

OptionObject* SlotControlObject::ShownItem() const {
    const SlotObject* slot = Slot();
    if (slot == nullptr) return nullptr;
    return GuidePlace() ? slot->Second() : slot->First();
}

bool SlotControlObject::Lit() const {
    const SlotObject* slot = Slot();
    if (slot == nullptr || !selection_) return false;
    const OptionObject* held = selection_();
    if (held == nullptr) return false;
    const auto* ship = ship_.As<ShipObject>();
    const int32_t itemKind = held->ItemKind();
    const int32_t placeKind = slot->Kind();
    if (GuidePlace()) {
        if (itemKind != kItemGuide || placeKind != kSlotWeapon) return false;
        return FitsShip(*held, ship) || placeKind == kSlotHold;
    }
    if (itemKind == placeKind || placeKind == kSlotHold)
        return FitsShip(*held, ship) || placeKind == kSlotHold;
    const OptionObject* present = slot->First();
    return itemKind == kItemAmmo && present != nullptr && present->ItemKind() == kItemWeapon;
}

void SlotControlObject::Draw(ScreenBuffer& buffer) {
    const int32_t x = AbsoluteX();
    const int32_t y = AbsoluteY();
    if (GuidePlace()) {
        DrawGuidePlace(buffer, x, y);
    } else {
        DrawEquipmentPlace(buffer, x, y);
    }
}

void SlotControlObject::DrawEquipmentPlace(ScreenBuffer& buffer, int32_t x, int32_t y) {
    SlotObject* slot = Slot();
    if (slot == nullptr) return;
    Processor& processor = ProcessorOfControl(this);
    OptionObject* item = slot->First();
    if (item == nullptr) {
        if (const uint32_t text = PlaceKindText(slot->Kind()); text != 0) {
            KeepFont keep(buffer);
            buffer.SetFont(typeFont_.As<Font>());
            buffer.DrawTextAligned(SystemMessage(processor, text).Text(), x, y,
                                   ScreenColour(processor, kDisabledColour), 1, 1, 0);
        }
    }
    Image* frames = Picture();
    DrawFrameAt(buffer, FrameOf(frames, PlaceFrame(slot->Int(kSlotFirstEnabled), slot->FirstState())), x, y);
    if (Lit()) DrawFrameAt(buffer, FrameOf(frames, kSlotFrameHighlight), x, y);
    if (item == nullptr || !KnownItemKind(item->ItemKind())) return;
    DrawFrameAt(buffer, FrameOf(item->Picture(), 0), x, y);
    const int32_t count = item->Amount();
    if (count == -1) return;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", count);
    KeepFont keep(buffer);
    buffer.SetFont(typeFont_.As<Font>());
    buffer.DrawTextAligned(digits, x + kCountOffsetX, y + kCountOffsetY,
                           ScreenColour(processor, kHighlightColour), 0, 2, 0);
}

void SlotControlObject::DrawGuidePlace(ScreenBuffer& buffer, int32_t x, int32_t y) {
    SlotObject* slot = Slot();
    if (slot == nullptr) return;
    Image* frames = Picture();
    DrawFrameAt(buffer, FrameOf(frames, PlaceFrame(slot->Int(kSlotSecondEnabled), slot->SecondState())), x,
                y);
    if (Lit()) DrawFrameAt(buffer, FrameOf(frames, kSlotFrameHighlight), x, y);
    if (OptionObject* guide = slot->Second(); guide != nullptr) {
        if (KnownItemKind(guide->ItemKind())) DrawFrameAt(buffer, FrameOf(guide->Picture(), 0), x, y);
        return;
    }
    Image* guides = guidesPicture_.As<Image>();
    if (guides == nullptr) return;
    if (slot->Kind() != kSlotWeapon) {
        // A picture made of direction entries only shows its first entry's frame.
        const Frame* plain = FrameOf(guides, 0);
        DrawFrameAt(buffer, plain != nullptr ? plain : FrameOf(guides->EntryAt(0), 0), x, y);
        return;
    }
    const DirectionRecord direction = slot->CurrentDirection();
    uint32_t orientation = 0;
    Image* entry = DirectionToFrame(direction.x, direction.y, *guides->EntryAt(0), orientation);
    DrawFrameAt(buffer, FrameOf(entry, 0), x, y, orientation);
}

bool SlotControlObject::HitTest(int32_t x, int32_t y) {
    const Frame* frame = FrameOf(Picture(), 0);
    if (frame == nullptr) return false;
    const int64_t halfWidth = frame->Width() / 2;
    const int64_t halfHeight = frame->Height() / 2;
    const int64_t cx = Int(kVisualX);
    const int64_t cy = Int(kVisualY);
    return cx - halfWidth <= x && x < cx + halfWidth && cy - halfHeight <= y && y < cy + halfHeight;
}

SlotControlObject& SlotControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<SlotControlObject>(receiver, "Slot control expected");
}

SlotControlObject* SlotControlObject::As(ControlObject* control) {
    return dynamic_cast<SlotControlObject*>(control);
}

std::unique_ptr<SlotControlObject, ObjectDiscarder> NewSlotControl(Processor& processor,
                                                                   const SlotControlInit& init) {
    ZEMAClass* cls = processor.ClassByName(String("SlotControl"));
    return std::unique_ptr<SlotControlObject, ObjectDiscarder>(new SlotControlObject(cls, init));
}

void SlotControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateSlotControl, 0);
}
