// SlotControl: the control that shows one equipment place of a ship (a Slot) in the ship, shop and
// equipment windows: the place's frame in its state, the kind of an empty place, the item held with
// its count, and a highlight while the item the player holds would fit. It draws and hit-tests
// itself; taking and dropping items is the business of the window that owns it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "script/script_object.h"
#include "script/weak_object.h"
#include "ui/control.h"

class Font;
class Image;
class OptionObject;
class Processor;
class ScreenBuffer;
class SlotObject;
class ZEMAClass;
struct NativeClassRow;

// Modes of a slot control: an equipment place shows the slot's first item; any other value makes a
// guide place, which shows the second item (a weapon's guide).
constexpr int32_t kSlotControlEquipment = -1;
constexpr int32_t kSlotControlGuide = 0;

// Frames of the slot frame picture beyond the state frames (state, plus kSlotFrameOn when on).
constexpr uint32_t kSlotFrameHighlight = 3;
constexpr uint32_t kSlotFrameOn = 4;

// The item the owning window's pointer carries, asked at each drawing; null for none.
using HeldItemSource = std::function<OptionObject*()>;

// Creation values of a slot control built by native code (the slot layout, the shop).
struct SlotControlInit {
    uint32_t picture = 0;  // script value of the slot frame picture; frame 0 gives the size
    int32_t x = 0;
    int32_t y = 0;
    int32_t id = 0;
    SlotObject* slot = nullptr;  // not owned; null or gone draws nothing of it
    HeldItemSource selection;    // empty: the control never lights up
    int32_t mode = kSlotControlEquipment;
    ScriptObject* ship = nullptr;  // not owned; only its class number is read; null for none
};

class SlotControlObject : public ControlObject {
  public:
    // Loads the "SlotType" font and "Misc\Guides.dpf" through their caches; their errors pass on.
    SlotControlObject(ZEMAClass* cls, const SlotControlInit& init);

    void Draw(ScreenBuffer& buffer) override;
    // Half-open: the left and top edges of the frame-0 rectangle around the control's own (x, y) are
    // inside, the right and bottom edges outside. The parent chain is not added.
    bool HitTest(int32_t x, int32_t y) override;

    // The slot shown, null when none or gone.
    SlotObject* Slot() const;
    // The item the control shows (the guide for a guide place), null for none.
    OptionObject* ShownItem() const;
    int32_t Mode() const { return mode_; }
    bool GuidePlace() const { return mode_ != kSlotControlEquipment; }
    // Whether the held item would light the control up now.
    bool Lit() const;

    // The receiver, or FatalExep when it is no slot control.
    static SlotControlObject& Of(ScriptObject* receiver);
    // The slot control a window's control is, null for another kind.
    static SlotControlObject* As(ControlObject* control);

  private:
    void DrawEquipmentPlace(ScreenBuffer& buffer, int32_t x, int32_t y);
    void DrawGuidePlace(ScreenBuffer& buffer, int32_t x, int32_t y);

    WeakObject slot_;
    // Held weakly: the control may outlive the scene that loaded them.
    WeakObject typeFont_;
    WeakObject guidesPicture_;
    HeldItemSource selection_;
    int32_t mode_;
    WeakObject ship_;
};

// A slot control made by native code, by the class "SlotControl" (a script subclass of that name
// included), ready to be added to a window, which then owns it; destroyed should it not get there.
std::unique_ptr<SlotControlObject, ObjectDiscarder> NewSlotControl(Processor& processor,
                                                                   const SlotControlInit& init);

// The SlotControl script class: Control's binding, then its own constructor as native 0 (class,
// picture, x, y, id, slot popped in that order; no selection, an equipment place, no ship).
struct SlotControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
