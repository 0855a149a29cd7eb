// The controls that show a text: StaticText (a label with an optional typewriter reveal),
// TextButton (highlighted under the pointer, with a hot key from its text), CheckButton (toggled by
// a click), MultiLineControl and MultiLineButton (wrapped into a box and clipped to it) and
// EditControl (a one-line field edited in place in a script buffer, with a blinking caret).
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "foundation/engine_string.h"
#include "script/weak_object.h"
#include "ui/control.h"

class Font;

// Fields of a StaticTextObject after the Control fields.
constexpr uint32_t kTextFont = kControlFieldCount;                 // script value of the font, 0 for none
constexpr uint32_t kTextWidth = kControlFieldCount + 1;            // 1 or more fixed, else minus the measure
constexpr uint32_t kTextHeight = kControlFieldCount + 2;           // likewise for the height
constexpr uint32_t kTextFlags = kControlFieldCount + 3;            // flags of the text drawing; bit 1 shadow
constexpr uint32_t kTextVerticalAlign = kControlFieldCount + 4;    // 0 top, 1 centre, 2 bottom
constexpr uint32_t kTextHorizontalAlign = kControlFieldCount + 5;  // 0 left, 1 centre, 2 right
constexpr uint32_t kTextColour = kControlFieldCount + 6;           // script address of a colour
constexpr uint32_t kTextTypingSpeed = kControlFieldCount + 7;      // hundredths of a character per step
constexpr uint32_t kTextTypedCount = kControlFieldCount + 8;       // characters revealed; -1 all
constexpr uint32_t kStaticTextFieldCount = kControlFieldCount + 9;

// TextButton and MultiLineButton add the highlight colour; CheckButton then its own two.
constexpr uint32_t kTextHighlightColour = kStaticTextFieldCount;  // script address of a colour
constexpr uint32_t kTextButtonFieldCount = kStaticTextFieldCount + 1;
constexpr uint32_t kCheckUncheckedColour = kTextButtonFieldCount;  // script address of a colour
constexpr uint32_t kCheckChecked = kTextButtonFieldCount + 1;      // 0 or 1
constexpr uint32_t kCheckButtonFieldCount = kTextButtonFieldCount + 2;

// EditControl's fields after StaticText's.
constexpr uint32_t kEditCaretFirst = kStaticTextFieldCount;      // lowest character code of the caret
constexpr uint32_t kEditCaretLast = kStaticTextFieldCount + 1;   // highest
constexpr uint32_t kEditCaretStep = kStaticTextFieldCount + 2;   // change of the caret per step
constexpr uint32_t kEditCaretChar = kStaticTextFieldCount + 3;   // caret character shown now
constexpr uint32_t kEditCaretPause = kStaticTextFieldCount + 4;  // steps before the caret changes again
constexpr uint32_t kEditActive = kStaticTextFieldCount + 5;      // 1 while it takes keyboard input
constexpr uint32_t kEditChanged = kStaticTextFieldCount + 6;     // set by every edit
constexpr uint32_t kEditFieldCount = kStaticTextFieldCount + 7;

class StaticTextObject : public ControlObject {
  public:
    // No picture; the font is the font cache's under fontName, the colour entry 1 of the colour
    // table; width and height measured.
    StaticTextObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id,
                     const char* fontName = "StaticText", uint32_t extraFields = 0);

    void Draw(ScreenBuffer& buffer) override;
    // The box the aligned text occupies.
    bool HitTest(int32_t x, int32_t y) override;
    int32_t Width() override;
    int32_t Height() override;
    // Sets the font and measures what is not fixed; gives the (possibly negative) height field.
    virtual int32_t SetFont(Font* font);

    // The typewriter advance of virtual method 2.
    void Step();
    // Replaces the text and measures what is not fixed; the reveal count stays.
    void SetText(std::string_view text);
    const String& Text() const { return text_; }
    // The font field: null for 0; FatalExep when it names no font.
    Font* TextFont() const;

    static StaticTextObject& Of(ScriptObject* receiver);

  protected:
    // Draws text at (x, y) with the alignments and the typewriter reveal, in the colour the entry
    // at colourAddress holds, switching the buffer to the control's font for the call.
    void DrawOwnText(ScreenBuffer& buffer, const char* text, int32_t x, int32_t y, uint32_t colourAddress,
                     uint32_t flags);
    // The same at the control's place, with its own flags.
    void DrawOwnText(ScreenBuffer& buffer, const char* text, uint32_t colourAddress);
    // Width and height fields that are not fixed become minus the measures of the text.
    void Measure();
    void SetStoredText(String text) { text_ = std::move(text); }

  private:
    String text_;
    // The font set, held weakly beside the field: a font a scene reset took reads as none while the
    // field still names it.
    WeakObject font_;
};

class TextButtonObject : public StaticTextObject {
  public:
    // Font "TextButton", shadowed text, hot key from the "$h" escape of the text.
    TextButtonObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id,
                     uint32_t extraFields = 0);

    void Draw(ScreenBuffer& buffer) override;
};

class CheckButtonObject : public TextButtonObject {
  public:
    CheckButtonObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id);

    void Draw(ScreenBuffer& buffer) override;
    bool Checked() const { return Int(kCheckChecked) != 0; }
    void Toggle() { SetInt(kCheckChecked, Checked() ? 0 : 1); }

    static CheckButtonObject& Of(ScriptObject* receiver);
};

class MultiLineControlObject : public StaticTextObject {
  public:
    // A non-zero width is fixed and the text wrapped to it; a non-zero height is fixed.
    MultiLineControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height,
                           std::string_view text, int32_t id, uint32_t extraFields = 0);

    void Draw(ScreenBuffer& buffer) override;
    bool HitTest(int32_t x, int32_t y) override;
    // As StaticText's, except that a fixed width re-wraps the text in the new font.
    int32_t SetFont(Font* font) override;

  protected:
    // Draws in the colour at colourAddress with the flags, clipped to the box.
    void DrawWrapped(ScreenBuffer& buffer, uint32_t colourAddress, uint32_t flags);
};

class MultiLineButtonObject : public MultiLineControlObject {
  public:
    MultiLineButtonObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height,
                          std::string_view text, int32_t id);

    void Draw(ScreenBuffer& buffer) override;
};

class EditControlObject : public StaticTextObject {
  public:
    // buffer: script address of capacity bytes that the field edits in place (the script owns
    // them; every access checks that they are still script memory).
    EditControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t capacity, uint32_t buffer, int32_t id);

    void Draw(ScreenBuffer& buffer) override;

    // Appends c when one more character and the terminator fit; marks the field changed in any case.
    void AddChar(uint8_t c);
    // Removes the last character, if any; marks the field changed in any case.
    void Backspace();
    // Switches keyboard input; switching off an empty field fills in "Unnamed" (cut to the capacity).
    void SetActive(bool active);
    bool Active() const { return Int(kEditActive) != 0; }
    bool Changed() const { return Int(kEditChanged) != 0; }
    // The typewriter advance, then the caret.
    void Step();
    // The text in the buffer, up to its terminator or the capacity.
    String BufferText() const;
    uint32_t BufferAddress() const { return buffer_; }
    int32_t Capacity() const { return capacity_; }

    static EditControlObject& Of(ScriptObject* receiver);

  private:
    // Length of the text in the buffer (below the capacity); FatalExep when the buffer is no
    // longer script memory.
    uint32_t BufferLength() const;

    uint32_t buffer_;
    int32_t capacity_;
};

// The script classes and their binders.
struct StaticText {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct TextButton {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct CheckButton {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct MultiLineControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct MultiLineButton {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
struct EditControl {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
