#include "graphics/color_manager.h"

#include <cstring>

#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/frame.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_catalogue.h"

namespace {

Frame* FirstFrame(Image* strip) {
    return strip != nullptr && strip->FrameCount() > 0 ? strip->GetFrame(0) : nullptr;
}

// Frame 0 when its top row can be read.
Frame* ColourRow(Image* strip) {
    Frame* frame = FirstFrame(strip);
    return frame != nullptr && frame->HasPixels() && frame->Height() > 0 ? frame : nullptr;
}

ColorManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<ColorManager*>(receiver);
    // A script class derived from ColorManager reaches the manager through its native class.
    if (manager == nullptr && receiver != nullptr && receiver->Class() != nullptr)
        manager = dynamic_cast<ColorManager*>(receiver->Class()->NativeClass());
    if (manager == nullptr) throw FatalExep(String("ColorManager expected as receiver"));
    return *manager;
}

// Method 4: pops c1, c2, c3 (a script calling with red, green, blue pops blue first).
void FromRGBNative(ScriptObject* receiver) {
    ColorManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const uint32_t blue = args.Word();
    const uint32_t green = args.Word();
    const uint32_t red = args.Word();
    stack.Push(self.FromRGB(red, green, blue));
}

// Method 5: pops a colour number; pushes the address of its entry.
void ColourRefNative(ScriptObject* receiver) {
    ColorManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(self.EntryAddress(args.Word()));
}

// Method 6: pops an entry address; pushes the entry.
void ReadColourNative(ScriptObject* receiver) {
    ColorManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(self.ReadColour(args.Word()));
}

}  // namespace

ColorManager::ColorManager(MethodRunner* processor, Image* strip)
    : NativeDescriptor(processor, NativeClassRowOf("ColorManager")), strip_(strip) {
    // Sized once from the strip as loaded: entry addresses that scripts keep stay valid.
    if (Frame* row = ColourRow(Strip())) size_ = row->Width();
    table_ = static_cast<uint8_t*>(ScriptAlloc(size_ == 0 ? 2 : size_t{size_} * 2));
    BuildTable();
}

Image* ColorManager::Strip() const {
    return static_cast<Image*>(strip_.Get(kImageKind));
}

ColorManager::~ColorManager() {
    ScriptFree(table_);
}

void ColorManager::BuildTable() {
    std::memset(table_, 0, size_t{size_} * 2);
    Frame* row = ColourRow(Strip());
    if (row == nullptr) return;
    const uint32_t n = row->Width() < size_ ? row->Width() : size_;
    const bool sixteen = (row->BitsPerPixel() & 0xF8) == 16;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t value = row->PixelAt(i, 0);
        StoreU16(table_ + 2 * size_t{i}, static_cast<uint16_t>(sixteen ? value : value & 0xFF));
    }
}

uint16_t ColorManager::Colour(uint32_t n) const {
    return n < size_ ? LoadU16(table_ + 2 * size_t{n}) : 0;
}

uint32_t ColorManager::FromRGB(uint32_t red, uint32_t green, uint32_t blue) const {
    Image* strip = Strip();
    const Frame* frame = FirstFrame(strip);
    // The strip's depth is the screen's: 8-bit strips index the default palette.
    if (frame != nullptr && frame->BitsPerPixel() == 8) {
        return FindNearestColour(strip->EffectivePalette(), static_cast<int>(red & 0xFF),
                                 static_cast<int>(green & 0xFF), static_cast<int>(blue & 0xFF));
    }
    if (frame != nullptr && (frame->Flags() & kFrame565) != 0)
        return ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue >> 3) & 0x1F);
    return ((red & 0xF8) << 7) | ((green & 0xF8) << 2) | ((blue >> 3) & 0x1F);
}

uint32_t ColorManager::EntryAddress(uint32_t n) const {
    return ToScript(table_) + 2 * n;
}

uint32_t ColorManager::CheckedEntryAddress(uint32_t n) const {
    if (n >= size_)
        ThrowFatal("Colour %u is not in the colour table of \"%s\" (%u colours)", n, kColourStripName, size_);
    return EntryAddress(n);
}

uint16_t ColorManager::ReadColour(uint32_t address) const {
    const uint32_t base = ToScript(table_);
    const uint64_t offset = uint64_t{address} - base;
    if (address < base || offset + 2 > uint64_t{size_} * 2)
        ThrowFatal("Colour address outside the colour table of \"%s\"", kColourStripName);
    return LoadU16(table_ + offset);
}

void ColorManager::RegisterMethods(ZEMAClass& target) {
    Bind(target, Row());
}

void ColorManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(FromRGBNative, 4);
    target.SetMethod(ColourRefNative, 5);
    target.SetMethod(ReadColourNative, 6);
}
