#include "ui/text_controls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/script_memory.h"
#include "graphics/font.h"
#include "graphics/graphics_kinds.h"
#include "graphics/screen_buffer.h"
#include "graphics/text_layout.h"
#include "script/create_native.h"
#include "script/field_natives.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/draw_state.h"
#include "ui/ui_objects.h"

namespace {

int32_t Magnitude(int32_t v) {
    return v == INT32_MIN ? INT32_MAX : std::abs(v);
}

// What an alignment adds to a position: half the size for 1 (centre), all of it for 2.
int64_t AlignShift(int32_t align, int64_t size) {
    return align == 1 ? size / 2 : align == 2 ? size : 0;
}

int32_t MeasureWidth(Font* font, const char* text) {
    return font != nullptr ? TextWidth(*font, text) : 0;
}

int32_t MeasureHeight(Font* font, const char* text) {
    return font != nullptr ? TextHeight(*font, text) : 0;
}

// The key code of the character that follows the first "$h" escape ("$$" is a plain '$').
uint32_t HotKeyOf(const ScriptObject* control, const String& text) {
    const std::string_view s = text.View();
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != '$') continue;
        if (s[i + 1] == 'h' && i + 2 < s.size())
            return HotKeyCodeFor(control, static_cast<uint8_t>(s[i + 2]));
        ++i;  // the escape's second character is not the start of another
    }
    return 0;
}

// --- virtual methods ---

void TextStep(ScriptObject* receiver) {
    StaticTextObject& text = StaticTextObject::Of(receiver);
    NativeArgs(receiver).Int();
    text.Step();
}

void EditStep(ScriptObject* receiver) {
    EditControlObject& edit = EditControlObject::Of(receiver);
    NativeArgs(receiver).Int();
    edit.Step();
}

// A first-button press toggles the check; nothing else is taken (so no help either).
void CheckInput(ScriptObject* receiver) {
    CheckButtonObject& check = CheckButtonObject::Of(receiver);
    NativeArgs args(receiver);
    args.Word();
    const int32_t kind = args.Int();
    args.Int();
    args.Int();
    int32_t answer = 0;
    if (kind == kInputPress) {
        check.Toggle();
        answer = -1;
    }
    args.Stack().Push(static_cast<uint32_t>(answer));
}

// --- natives ---

// Pops the class, then x, y, the text and the id.
template <class Object>
constexpr NativeHandler CreateLabel =
    CreateNative<Object, "class", int32_t, int32_t, std::string_view, int32_t>;

// Pops the class, then x, y, width, height, the text and the id.
template <class Object>
constexpr NativeHandler CreateBox =
    CreateNative<Object, "class", int32_t, int32_t, int32_t, int32_t, std::string_view, int32_t>;

void GetWidth(ScriptObject* receiver) {
    StaticTextObject& text = StaticTextObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(text.Width()));
}

void GetHeight(ScriptObject* receiver) {
    StaticTextObject& text = StaticTextObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(text.Height()));
}

void SetFontNative(ScriptObject* receiver) {
    StaticTextObject& text = StaticTextObject::Of(receiver);
    const uint32_t value = NativeArgs(receiver).Word();
    text.SetFont(value != 0 ? Font::FromAddress(value) : nullptr);
}

void SetTextNative(ScriptObject* receiver) {
    StaticTextObject& text = StaticTextObject::Of(receiver);
    text.SetText(NativeArgs(receiver).Text());
}

}  // namespace

// --- StaticText ---

StaticTextObject::StaticTextObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id,
                                   const char* fontName, uint32_t extraFields)
    : ControlObject(cls, 0, x, y, id, kStaticTextFieldCount - kControlFieldCount + extraFields),
      text_(String::FromBytes(text.data(), text.size())) {
    Font* font = InterfaceFont(this, fontName);
    Own(kTextFont) = font != nullptr ? font->Address() : 0;
    font_ = WeakObject(font);
    Own(kTextColour) = ColourEntryAddress(this, 1);
    Measure();
}

Font* StaticTextObject::TextFont() const {
    return ObjectBesideField<Font>(Own(kTextFont), font_, kFontKind);
}

void StaticTextObject::Measure() {
    Font* font = TextFont();
    if (Int(kTextWidth) < 1) SetInt(kTextWidth, -MeasureWidth(font, text_.Text()));
    if (Int(kTextHeight) < 1) SetInt(kTextHeight, -MeasureHeight(font, text_.Text()));
}

int32_t StaticTextObject::Width() {
    return Magnitude(Int(kTextWidth));
}

int32_t StaticTextObject::Height() {
    return Magnitude(Int(kTextHeight));
}

int32_t StaticTextObject::SetFont(Font* font) {
    Own(kTextFont) = font != nullptr ? font->Address() : 0;
    font_ = WeakObject(font);
    Measure();
    return Int(kTextHeight);
}

void StaticTextObject::SetText(std::string_view text) {
    text_ = String::FromBytes(text.data(), text.size());
    Measure();
}

void StaticTextObject::Step() {
    const int32_t typed = Int(kTextTypedCount);
    if (typed == -1) return;
    // The speed is a script's value: kept within 0 and the text's length whatever it is.
    const int64_t next = (int64_t{typed} * 100 + Int(kTextTypingSpeed)) / 100;
    SetInt(kTextTypedCount, static_cast<int32_t>(std::clamp<int64_t>(next, 0, text_.Size())));
}

void StaticTextObject::DrawOwnText(ScreenBuffer& buffer, const char* text, int32_t x, int32_t y,
                                   uint32_t colourAddress, uint32_t flags) {
    const uint32_t colour = ColourAt(colourAddress);
    FontSwitch font(buffer, TextFont());
    const int32_t typed = Int(kTextTypedCount);
    const bool revealing = Int(kTextTypingSpeed) != 0 && typed != -1;
    const int32_t hAlign = Int(kTextHorizontalAlign);
    const int32_t vAlign = Int(kTextVerticalAlign);
    if (!revealing) {
        buffer.DrawTextAligned(text, x, y, colour, hAlign, vAlign, flags);
        return;
    }
    const String shown = String::FromBytes(text, ScreenBuffer::VisibleCharOffset(text, std::max(typed, 0)));
    buffer.DrawTextAligned(shown.Text(), x, y, colour, hAlign, vAlign, flags);
    if (std::max(typed, 0) >= static_cast<int64_t>(text_.Size())) SetInt(kTextTypedCount, -1);
}

void StaticTextObject::DrawOwnText(ScreenBuffer& buffer, const char* text, uint32_t colourAddress) {
    DrawOwnText(buffer, text, AbsoluteX(), AbsoluteY(), colourAddress, Own(kTextFlags));
}

void StaticTextObject::Draw(ScreenBuffer& buffer) {
    DrawOwnText(buffer, text_.Text(), Own(kTextColour));
}

bool StaticTextObject::HitTest(int32_t x, int32_t y) {
    const int64_t w = Width();
    const int64_t h = Height();
    const int64_t px = x + AlignShift(Int(kTextHorizontalAlign), w);
    const int64_t py = y + AlignShift(Int(kTextVerticalAlign), h);
    return InBoxAtPlace(px, py, w, h);
}

StaticTextObject& StaticTextObject::Of(ScriptObject* receiver) {
    return ReceiverOf<StaticTextObject>(receiver, "StaticText object expected");
}

// --- TextButton, CheckButton ---

TextButtonObject::TextButtonObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id,
                                   uint32_t extraFields)
    : StaticTextObject(cls, x, y, text, id, "TextButton",
                       kTextButtonFieldCount - kStaticTextFieldCount + extraFields) {
    Own(kTextHighlightColour) = ColourEntryAddress(this, 2);
    Own(kTextFlags) = 3;
    Own(kControlHotKey) = HotKeyOf(this, Text());
}

void TextButtonObject::Draw(ScreenBuffer& buffer) {
    const uint32_t colour = Own(Highlighted() ? kTextHighlightColour : kTextColour);
    DrawOwnText(buffer, Text().Text(), colour);
}

CheckButtonObject::CheckButtonObject(ZEMAClass* cls, int32_t x, int32_t y, std::string_view text, int32_t id)
    : TextButtonObject(cls, x, y, text, id, kCheckButtonFieldCount - kTextButtonFieldCount) {
    Own(kCheckUncheckedColour) = ColourEntryAddress(this, 3);
}

void CheckButtonObject::Draw(ScreenBuffer& buffer) {
    const uint32_t colour = Own(Highlighted() ? kTextHighlightColour
                                : Checked()   ? kTextColour
                                              : kCheckUncheckedColour);
    DrawOwnText(buffer, Text().Text(), colour);
}

// --- MultiLineControl, MultiLineButton ---

MultiLineControlObject::MultiLineControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width,
                                               int32_t height, std::string_view text, int32_t id,
                                               uint32_t extraFields)
    : StaticTextObject(cls, x, y, text, id, "StaticText", extraFields) {
    if (width > 0) SetInt(kTextWidth, width);
    if (height > 0) SetInt(kTextHeight, height);
    SetFont(TextFont());
}

int32_t MultiLineControlObject::SetFont(Font* font) {
    const int32_t width = Int(kTextWidth);
    if (width > 0 && font != nullptr) {
        String wrapped = Text();
        WrapText(wrapped, width, *font);
        SetStoredText(std::move(wrapped));
    }
    return StaticTextObject::SetFont(font);
}

void MultiLineControlObject::DrawWrapped(ScreenBuffer& buffer, uint32_t colourAddress, uint32_t flags) {
    const int64_t w = Width();
    const int64_t h = Height();
    const int64_t left = AbsoluteX();
    const int64_t top = AbsoluteY() - AlignShift(Int(kTextVerticalAlign), h);
    const ClipGuard clip(buffer);
    buffer.IntersectClipRect(BoxRect(left, top, w + 1, h + 1));
    DrawOwnText(buffer, Text().Text(), SaturateInt32(left + AlignShift(Int(kTextHorizontalAlign), w)),
                AbsoluteY(), colourAddress, flags);
}

void MultiLineControlObject::Draw(ScreenBuffer& buffer) {
    DrawWrapped(buffer, Own(kTextColour), Own(kTextFlags));
}

bool MultiLineControlObject::HitTest(int32_t x, int32_t y) {
    const int64_t w = Width();
    const int64_t h = Height();
    const int64_t left = AbsoluteX() + AlignShift(Int(kTextHorizontalAlign), w);
    const int64_t top = AbsoluteY() - AlignShift(Int(kTextVerticalAlign), h);
    return InBox(x, y, left, top, w, h);
}

MultiLineButtonObject::MultiLineButtonObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width,
                                             int32_t height, std::string_view text, int32_t id)
    : MultiLineControlObject(cls, x, y, width, height, text, id,
                             kTextButtonFieldCount - kStaticTextFieldCount) {
    Own(kTextFlags) = 1;
    Own(kTextHighlightColour) = ColourEntryAddress(this, 2);
}

void MultiLineButtonObject::Draw(ScreenBuffer& buffer) {
    DrawWrapped(buffer, Own(Highlighted() ? kTextHighlightColour : kTextColour), Own(kTextFlags) | 1u);
}

// --- EditControl ---

namespace {

constexpr std::string_view kUnnamed = "Unnamed";

// The buffer's bytes; FatalExep when they are not (or no longer) script memory.
char* BufferBytes(uint32_t buffer, int32_t capacity) {
    return reinterpret_cast<char*>(ScriptWritable(buffer, static_cast<uint32_t>(capacity)));
}

String InitialText(uint32_t buffer, int32_t capacity) {
    if (capacity <= 0) return String();
    const char* bytes = BufferBytes(buffer, capacity);
    return String::FromBytes(bytes, static_cast<size_t>(capacity));
}

}  // namespace

EditControlObject::EditControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t capacity, uint32_t buffer,
                                     int32_t id)
    : StaticTextObject(cls, x, y, InitialText(buffer, capacity).View(), id, "StaticText",
                       kEditFieldCount - kStaticTextFieldCount),
      buffer_(buffer),
      capacity_(std::max(capacity, 0)) {
    SetInt(kEditCaretFirst, 16);
    SetInt(kEditCaretLast, 23);
    SetInt(kEditCaretStep, 8);
    SetInt(kEditCaretChar, 16);
    SetInt(kEditActive, 1);
}

uint32_t EditControlObject::BufferLength() const {
    if (capacity_ == 0) return 0;
    const char* bytes = BufferBytes(buffer_, capacity_);
    const void* end = std::memchr(bytes, 0, static_cast<size_t>(capacity_));
    // A script may have filled the whole buffer without a terminator: it then counts as full.
    return end != nullptr ? static_cast<uint32_t>(static_cast<const char*>(end) - bytes)
                          : static_cast<uint32_t>(capacity_);
}

String EditControlObject::BufferText() const {
    if (capacity_ == 0) return String();
    return String::FromBytes(BufferBytes(buffer_, capacity_), BufferLength());
}

void EditControlObject::AddChar(uint8_t c) {
    const uint32_t length = BufferLength();
    if (int64_t{length} + 1 < capacity_) {
        char* bytes = BufferBytes(buffer_, capacity_);
        bytes[length] = static_cast<char>(c);
        bytes[length + 1] = 0;
    }
    SetInt(kEditChanged, 1);
}

void EditControlObject::Backspace() {
    const uint32_t length = BufferLength();
    if (length > 0) BufferBytes(buffer_, capacity_)[length - 1] = 0;
    SetInt(kEditChanged, 1);
}

void EditControlObject::SetActive(bool active) {
    SetInt(kEditActive, active ? 1 : 0);
    if (active || capacity_ == 0 || BufferLength() != 0) return;
    const size_t n = std::min(kUnnamed.size(), static_cast<size_t>(capacity_) - 1);
    char* bytes = BufferBytes(buffer_, capacity_);
    std::memcpy(bytes, kUnnamed.data(), n);
    bytes[n] = 0;
    SetInt(kEditChanged, 1);
}

void EditControlObject::Step() {
    StaticTextObject::Step();
    if (Int(kEditCaretPause) > 0) {
        SetInt(kEditCaretPause, Int(kEditCaretPause) - 1);
        return;
    }
    const int64_t next = int64_t{Int(kEditCaretChar)} + Int(kEditCaretStep);
    const int32_t step = Int(kEditCaretStep);
    const int32_t negated = static_cast<int32_t>(0u - static_cast<uint32_t>(step));
    if (next < Int(kEditCaretFirst)) {
        SetInt(kEditCaretChar, Int(kEditCaretFirst));
        SetInt(kEditCaretStep, negated);
        SetInt(kEditCaretPause, 10);
    } else if (next > Int(kEditCaretLast)) {
        SetInt(kEditCaretChar, Int(kEditCaretLast));
        SetInt(kEditCaretStep, negated);
        SetInt(kEditCaretPause, 10);
    } else {
        SetInt(kEditCaretChar, static_cast<int32_t>(next));
    }
}

void EditControlObject::Draw(ScreenBuffer& buffer) {
    String shown = BufferText();
    if (Active()) {
        const char caret[2] = {static_cast<char>(Own(kEditCaretChar) & 0xFF), 0};
        shown += caret;
    }
    DrawOwnText(buffer, shown.Text(), Own(kTextColour));
}

CheckButtonObject& CheckButtonObject::Of(ScriptObject* receiver) {
    return ReceiverOf<CheckButtonObject>(receiver, "CheckButton object expected");
}

EditControlObject& EditControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<EditControlObject>(receiver, "Edit object expected");
}

// --- binders ---

void StaticText::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(TextStep, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateLabel<StaticTextObject>, 0);
    target.SetMethod(GetWidth, 21);
    target.SetMethod(GetHeight, 22);
    BindFieldAddresses<StaticTextObject, 23, kTextFlags, kTextColour, kTextVerticalAlign,
                       kTextHorizontalAlign>(target);
    target.SetMethod(PushFieldValue<StaticTextObject, kTextFont>, 27);
    target.SetMethod(SetFontNative, 28);
    target.SetMethod(PushFieldAddress<StaticTextObject, kTextTypingSpeed>, 29);
    target.SetMethod(SetTextNative, 30);
}

void TextButton::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateLabel<TextButtonObject>, 0);
}

void CheckButton::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(CheckInput, kInputEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateLabel<CheckButtonObject>, 0);
    target.SetMethod(PushFieldAddress<CheckButtonObject, kCheckChecked>, 31);
}

void MultiLineControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateBox<MultiLineControlObject>, 0);
}

void MultiLineButton::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateBox<MultiLineButtonObject>, 0);
}

void EditControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(EditStep, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<EditControlObject, "class", int32_t, int32_t, int32_t, uint32_t, int32_t>,
                     0);
}
