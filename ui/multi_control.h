// MultiControl: a container of controls. It clips them to its box, scrolls them vertically with up
// and down arrows and the wheel, hands pointer events to the child under the pointer and steps
// them. Children are placed relative to the container and owned by it: clearing the container or
// destroying it destroys them. The container refers to its children weakly, so a child a script
// deleted meanwhile is simply no longer there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "script/weak_object.h"
#include "ui/control.h"
#include "ui/scroll_box.h"

class Image;

class MultiControlObject : public ControlObject {
  public:
    // No picture; the arrows "Misc\Up.dpf" and "Misc\Down.dpf" when the picture cache is there.
    MultiControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id,
                       uint32_t extraFields = 0);
    // Only for a container the engine deletes without destroying it.
    ~MultiControlObject() override;

    // Clipped to the view: the arrows that apply, then the children moved up by the scroll offset.
    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t x, int32_t y) override;
    int32_t Width() override;
    int32_t Height() override;
    // The first child under the point gains the focus; the container itself is not highlighted.
    void GainFocus(int32_t x, int32_t y) override;
    void LoseFocus() override;

    // Takes the control into the container (its parent becomes the container), widens the content
    // and updates the arrows. FatalExep when the control is the container, one of its ancestors, or
    // already in another container, and when the container or the control is being destroyed.
    void AddControl(ControlObject* control);
    void Scroll(int64_t delta);
    // Destroys every child; the content box and the scroll offset stay. Every child goes; the first
    // error of a script destructor passes on once all went.
    void ClearControls();
    // The child list's cursor: to the first child, the child under it, on to the next one (the
    // cursor stays when there is none). Each gives null when there is no such child.
    ControlObject* FirstControl();
    ControlObject* CurrentControl();
    ControlObject* NextControl();
    // Children still there, in drawing order.
    std::vector<ControlObject*> Children() const;

    // Virtual method 2: the step of every child with the same value.
    void StepChildren(int32_t value);
    // Virtual method 13 for a point (a, b) relative to the container: the arrows while the primary
    // button is held, the wheel, else the child under the point (which gets the point relative to
    // itself). Gives -1 when the event was used, 0 when no child is under the point.
    int32_t OnInput(uint32_t dialog, int32_t kind, int32_t a, int32_t b, bool primaryHeld);

    const ScrollBox& Box() const { return box_; }

    static MultiControlObject& Of(ScriptObject* receiver);

  protected:
    // Destroys the children, as ClearControls does.
    void ReleaseOwned() override;

  private:
    // Calls visit for each child there when the walk began and still alive when it comes to it, in
    // drawing order, until it answers true for a child that is still alive; gives that child, or
    // null. FatalExep when a child's script destroyed the container.
    ControlObject* ForEachChild(const std::function<bool(ControlObject&)>& visit);
    // Lets every child go; the first error of a script destructor passes on once all went.
    void DestroyChildren();
    // Drops the children that were deleted elsewhere, keeping the cursor on its child.
    void Prune();
    // The first child under a screen point of the view, the scroll offset taken into account; y
    // becomes the point's place among the children.
    ControlObject* ChildAt(int32_t x, int32_t& y);

    std::vector<WeakObject> children_;  // in drawing order
    size_t cursor_ = 0;
    WeakObject upPicture_;  // the picture cache's
    WeakObject downPicture_;
    ScrollBox box_;
};

struct MultiControl {
    // Virtual methods 2 and 13, the Control binding, then natives 0, 21-25.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
