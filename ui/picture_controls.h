// The controls that draw pictures and rectangles: PicturesSetControl (pictures at their own
// offsets), RectangleControl, the pair OpenWindowControl / CloseWindowControl that narrows and puts
// back the clip for the controls drawn between them, and DButton (a button of any width from three
// picture pieces, with a centred caption).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/engine_string.h"
#include "graphics/screen_buffer.h"
#include "script/weak_object.h"
#include "ui/control.h"

class PicturesSetControlObject : public ControlObject {
  public:
    struct PictureEntry {
        WeakObject image;  // not owned
        int32_t dx;
        int32_t dy;
    };

    PicturesSetControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id, uint32_t extraFields = 0);

    void AddPicture(const Image& image, int32_t dx, int32_t dy);
    // Nothing when there is none.
    void RemoveFirstPicture();
    uint32_t PictureEntryCount() const { return static_cast<uint32_t>(entries_.size()); }
    // Entry i; an index at or beyond the count gives the last. The set must not be empty.
    const PictureEntry& EntryAt(uint32_t i) const;

    static PicturesSetControlObject& Of(ScriptObject* receiver);

  private:
    std::vector<PictureEntry> entries_;
};

class RectangleControlObject : public ControlObject {
  public:
    RectangleControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id);

    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t x, int32_t y) override;

  private:
    int32_t rectWidth_;
    int32_t rectHeight_;
    uint32_t fillColour_;  // script addresses of colour table entries
    uint32_t edgeColour_;
};

class OpenWindowControlObject : public ControlObject {
  public:
    OpenWindowControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id);

    // Saves the buffer's clip and origin, then narrows the clip to the control's rectangle.
    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t, int32_t) override { return false; }

    // What the last draw saved (all zero before the first).
    const Rect& SavedClip() const { return savedClip_; }
    int32_t SavedOriginX() const { return savedOriginX_; }
    int32_t SavedOriginY() const { return savedOriginY_; }

  private:
    Rect savedClip_;
    int32_t savedOriginX_ = 0;
    int32_t savedOriginY_ = 0;
    int32_t rectWidth_;
    int32_t rectHeight_;
};

class CloseWindowControlObject : public ControlObject {
  public:
    CloseWindowControlObject(ZEMAClass* cls, OpenWindowControlObject* opener, int32_t id);

    // Puts back the clip its opener saved.
    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t, int32_t) override { return false; }

    // The opener, or null once it is deleted (the link is weak).
    OpenWindowControlObject* Opener() const;

  private:
    WeakObject opener_;
};

class DButtonObject : public ControlObject {
  public:
    // picture: left, middle and right piece as frames 0-2. The caption is copied.
    DButtonObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t width,
                  std::string_view caption, int32_t id);

    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t x, int32_t y) override;

    const String& Caption() const { return caption_; }
    int32_t ButtonWidth() const { return buttonWidth_; }

  private:
    String caption_;
    int32_t buttonWidth_;
};

// The script classes and their binders.
struct PicturesSetControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct RectangleControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct OpenWindowControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct CloseWindowControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct DButton {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
