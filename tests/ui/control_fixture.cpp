#include "tests/ui/control_fixture.h"

#include "foundation/byte_order.h"
#include "foundation/data_block.h"
#include "graphics/color_manager.h"
#include "graphics/font_manager.h"
#include "graphics/image.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "shell/hot_key_table.h"
#include "tests/support/read_bytes.h"
#include "tools/content/font_builder.h"
#include "tools/content/picture_builder.h"
#include "ui/ui_natives.h"

namespace {

std::unique_ptr<Image> ColourStrip() {
    FrameFixture row{.width = 8, .height = 1, .bitsPerPixel = 16};
    for (uint16_t n = 0; n < 8; ++n) row.pixels.push_back(static_cast<uint16_t>(ControlFixture::Colour(n)));
    return ReadBlockObject<Image>(PictureBlock({FrameBlock(row)}));
}

std::unique_ptr<HotKeyTable> HotKeys() {
    DataBlock block(10, true);
    block.SetPayloadSize(2 * HotKeyTable::kEntries);
    block.AllocPayload();
    for (uint32_t c = 0; c < HotKeyTable::kEntries; ++c)
        StoreU16(block.Payload() + 2 * c,
                 static_cast<uint16_t>(ControlFixture::HotKey(static_cast<uint8_t>(c))));
    return std::make_unique<HotKeyTable>(nullptr, block);
}

}  // namespace

ControlFixture::ControlFixture() {
    RegisterUiNatives();
    archive = std::make_unique<TestArchive>(std::vector<FdEntry>{
        {"StaticText", FontBlock(UniformFont(96, 5, 7)), false},
        {"TextButton", FontBlock(UniformFont(96, 3, 9)), false},
    });
    processor = std::make_unique<Processor>(archive->File());
    ClassManager& classes = processor->Classes();
    ObjectManager& objects = processor->Objects();
    auto fonts = std::make_unique<FontManager>(processor.get(), 26, archive->File(), nullptr);
    classes.Register(fonts.get(), false);
    objects.SetObject(fonts.release(), kFontManagerId);
    strip_ = ColourStrip();
    auto colours = std::make_unique<ColorManager>(processor.get(), strip_.get());
    classes.Register(colours.get(), false);
    objects.SetObject(colours.release(), kColorManagerId);
    objects.SetObject(HotKeys().release(), kHotKeyTableId);
}

ControlFixture::~ControlFixture() {
    made_.clear();
    processor.reset();
    strip_.reset();
    HelpRequestHook() = nullptr;
}

ZEMAClass* ControlFixture::Class(const char* name) {
    ZEMAClass*& cls = classes_[name];
    if (cls == nullptr) {
        cls = NewNativeDescriptor(processor.get(), name);
        processor->Classes().Register(cls, false);
    }
    return cls;
}

ControlObject& ControlFixture::Make(const char* className, const std::vector<uint32_t>& popped) {
    ZEMAClass* cls = Class(className);
    DStack<uint32_t>& stack = processor->DataStack();
    for (auto v = popped.rbegin(); v != popped.rend(); ++v) stack.Push(*v);
    stack.Push(cls->Address());
    processor->CallMethod(cls, cls, 0);
    made_.emplace_back(ScriptObject::FromAddress(stack.Pop(), 0, "control"));
    processor->ObjectStack().TruncateTo(0);
    return ControlObject::Of(made_.back().get());
}

std::vector<uint32_t> ControlFixture::Call(ScriptObject& object, uint32_t number,
                                           const std::vector<uint32_t>& pushed) {
    DStack<uint32_t>& stack = processor->DataStack();
    stack.TruncateTo(0);
    for (uint32_t v : pushed) stack.Push(v);
    processor->CallMethod(&object, object.Class(), number);
    std::vector<uint32_t> left;
    while (stack.Depth() > 0) left.insert(left.begin(), stack.Pop());
    return left;
}

int32_t ControlFixture::Input(ControlObject& control, int32_t kind, int32_t a, int32_t b) {
    return Control::CallInputEvent(&control, 0, kind, a, b);
}

Font& ControlFixture::FontNamed(const char* name) {
    return *static_cast<FontManager*>(processor->Objects().GetObject(kFontManagerId))->GetFont(String(name));
}

void ControlFixture::Delete(ControlObject& control) {
    for (auto& made : made_)
        if (made.get() == &control) made.reset();
}
