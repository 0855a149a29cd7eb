#include "graphics/zema_screen.h"

#include <cstring>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"
#include "graphics/frame.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"

namespace {

constexpr uint16_t kFlagBit2 = 1u << 2;
constexpr uint16_t kFlagBit3 = 1u << 3;

ZEMAScreen& ScreenOf(ScriptObject* receiver) {
    auto* screen = dynamic_cast<ZEMAScreen*>(receiver);
    if (screen == nullptr && receiver != nullptr) screen = dynamic_cast<ZEMAScreen*>(receiver->Class());
    if (screen == nullptr) throw FatalExep(String("ZEMAScreen expected as receiver"));
    return *screen;
}

DStack<uint32_t>& StackOf(ScriptObject* receiver) {
    return RunnerOf(receiver).DataStack();
}

ScreenSurface& SurfaceOf(ScriptObject* receiver) {
    return *ScreenOf(receiver).Buffer().Surface();
}

void WidthHandler(ScriptObject* receiver) {
    StackOf(receiver).Push(static_cast<uint32_t>(SurfaceOf(receiver).Width()));
}

void HeightHandler(ScriptObject* receiver) {
    StackOf(receiver).Push(static_cast<uint32_t>(SurfaceOf(receiver).Height()));
}

void DepthHandler(ScriptObject* receiver) {
    StackOf(receiver).Push(static_cast<uint32_t>(SurfaceOf(receiver).BitsPerPixel()));
}

uint16_t SettingsFlags(ScriptObject* receiver) {
    const ScreenSettingsBlock* settings = SurfaceOf(receiver).Settings();
    return settings != nullptr ? settings->Flags() : 0;
}

// Methods 7 and 8 push the flag bit's own value, not 1.
void FlagBit3Handler(ScriptObject* receiver) {
    StackOf(receiver).Push(SettingsFlags(receiver) & kFlagBit3);
}

void FlagBit2Handler(ScriptObject* receiver) {
    StackOf(receiver).Push(SettingsFlags(receiver) & kFlagBit2);
}

// Method 9: text, x, y, then the horizontal alignment before the vertical one, then the colour.
void DrawTextHandler(ScriptObject* receiver) {
    ScreenBuffer& buffer = ScreenOf(receiver).Buffer();
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t hAlign = args.Int();
    const int32_t vAlign = args.Int();
    const uint32_t colour = args.Word();
    buffer.DrawTextAligned(text.Text(), x, y, colour, hAlign, vAlign, 0);
}

// Method 10: flags, text, x, y, then the vertical alignment before the horizontal one, then the
// colour.
void DrawTextFlagsHandler(ScriptObject* receiver) {
    ScreenBuffer& buffer = ScreenOf(receiver).Buffer();
    NativeArgs args(receiver);
    const uint32_t flags = args.Word();
    const String text = args.TextCopy();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t vAlign = args.Int();
    const int32_t hAlign = args.Int();
    const uint32_t colour = args.Word();
    buffer.DrawTextAligned(text.Text(), x, y, colour, hAlign, vAlign, flags);
}

// Method 11: frame, orientation, x, y, mode. A null frame draws nothing.
void DrawFrameHandler(ScriptObject* receiver) {
    ScreenBuffer& buffer = ScreenOf(receiver).Buffer();
    NativeArgs args(receiver);
    const uint32_t address = args.Word();
    const uint32_t orientation = args.Word();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const uint32_t mode = args.Word();
    if (address != 0) buffer.DrawFrameBlended(Frame::FromAddress(address), x, y, orientation, mode);
}

void GetFontHandler(ScriptObject* receiver) {
    const Font* font = ScreenOf(receiver).Buffer().CurrentFont();
    StackOf(receiver).Push(font != nullptr ? font->Address() : 0);
}

// Method 13: pops a font (0 for none); pushes the font it replaces.
void SetFontHandler(ScriptObject* receiver) {
    ScreenBuffer& buffer = ScreenOf(receiver).Buffer();
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const uint32_t address = args.Word();
    Font* font = address != 0 ? Font::FromAddress(address) : nullptr;
    const Font* previous = buffer.CurrentFont();
    stack.Push(previous != nullptr ? previous->Address() : 0);
    buffer.SetFont(font);
}

const String& ScreenName() {
    static const String* name = new String("ZEMAScreen");
    return *name;
}

}  // namespace

void BindZEMAScreenMethods(ZEMAClass& target) {
    target.SetMethod(WidthHandler, 4);
    target.SetMethod(HeightHandler, 5);
    target.SetMethod(DepthHandler, 6);
    target.SetMethod(FlagBit3Handler, 7);
    target.SetMethod(FlagBit2Handler, 8);
    target.SetMethod(DrawTextHandler, 9);
    target.SetMethod(DrawTextFlagsHandler, 10);
    target.SetMethod(DrawFrameHandler, 11);
    target.SetMethod(GetFontHandler, 12);
    target.SetMethod(SetFontHandler, 13);
}

void RegisterScreenNatives() {
    RegisterNativeBinder("FontManager", [](ZEMAClass& target, const NativeClassRow& row) {
        BindNativeBase(row, target);
        BindFontManagerMethods(target);
    });
    RegisterNativeBinder("ZEMAScreen", [](ZEMAClass& target, const NativeClassRow& row) {
        BindNativeBase(row, target);
        BindZEMAScreenMethods(target);
    });
}

ZEMAScreen::ZEMAScreen(MethodRunner* processor, BufferSource buffer)
    : ZEMAClass(processor), buffer_(std::move(buffer)) {}

bool ZEMAScreen::IsKindOf(const char* name) const {
    return std::strcmp(name, "ZEMAScreen") == 0 || ZEMAClass::IsKindOf(name);
}

void ZEMAScreen::RegisterMethods(ZEMAClass& target) {
    BindZEMAClassMethods(target);
    BindZEMAScreenMethods(target);
}

void ZEMAScreen::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(14, 2);
}

const String& ZEMAScreen::ClassName() const {
    return ScreenName();
}

ScreenBuffer& ZEMAScreen::Buffer() const {
    ScreenBuffer* buffer = buffer_ ? buffer_() : nullptr;
    if (buffer == nullptr || buffer->Surface() == nullptr)
        throw FatalExep(String("ZEMAScreen has no display"));
    return *buffer;
}
