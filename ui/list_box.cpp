#include "ui/list_box.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/control_create.h"
#include "ui/draw_state.h"
#include "ui/text_controls.h"
#include "ui/ui_objects.h"
#include "ui/window_services.h"

namespace {

constexpr char kBullet = 24;  // the interface fonts' bullet glyph
constexpr int32_t kNarrowIndent = 10;
constexpr int32_t kWideIndent = 20;

// The script classes' creates take their texts from script memory.
uint32_t BulletText() {
    static const ScriptBuffer<char> bullet = CopyTextToScript(std::string_view(&kBullet, 1));
    return ToScript(bullet.get());
}

Processor& ProcessorOf(ScriptObject* object) {
    auto* processor = dynamic_cast<Processor*>(&RunnerOf(object));
    if (processor == nullptr) ThrowFatal("List rows need a processor");
    return *processor;
}

void AddLineHandler(ScriptObject* receiver) {
    ListBoxObject& list = ListBoxObject::Of(receiver);
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    list.AddLine(std::string_view(text.Text()));
}

void PushListValue(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(static_cast<uint32_t>(ListBoxObject::Of(receiver).ListValue()));
}

void SetListValue(ScriptObject* receiver) {
    ListBoxObject& list = ListBoxObject::Of(receiver);
    list.SetListValue(NativeArgs(receiver).Int());
}

// Sets a text control's horizontal alignment, when it is one.
void AlignRow(ControlObject* row, int32_t align) {
    if (auto* text = dynamic_cast<StaticTextObject*>(row)) text->SetInt(kTextHorizontalAlign, align);
}

}  // namespace

ListBoxObject::ListBoxObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id)
    : MultiControlObject(cls, x, y, width, height, id, kListBoxFieldCount - kControlFieldCount) {
    Own(kListRowColour) = ColourEntryAddress(this, 1);
}

void ListBoxObject::AddLine(std::string_view text) {
    Processor& processor = ProcessorOf(this);
    const uint32_t style = Own(kListBulletStyle);
    const int32_t indent = (style & kListWideIndent) != 0 ? kWideIndent : kNarrowIndent;
    const auto rowY = static_cast<uint32_t>(nextRowY_);
    if (style != 0) {
        ControlObject& bullet = NewControlByName(processor, "StaticText", {0, rowY, BulletText(), 0});
        AlignRow(&bullet, 0);
        Adopt(&bullet);
    }
    // A view narrower than the indent still wraps: every word on a line of its own.
    const int32_t width = std::max(Offset(Width(), -10 - int64_t{indent}), 1);
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    ControlObject& row = NewControlByName(
        processor, "MultiLineControl",
        {static_cast<uint32_t>(indent), rowY, static_cast<uint32_t>(width), 0, ToScript(copy.get()), 0});
    AlignRow(&row, Int(kListRowAlign));
    nextRowY_ = Offset(nextRowY_, int64_t{row.Height()} + rowGap_);
    Adopt(&row);
}

void ListBoxObject::Adopt(ControlObject* row) {
    try {
        AddControl(row);
    } catch (...) {
        DiscardObject(row);
        throw;
    }
}

ListBoxObject& ListBoxObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ListBoxObject>(receiver, "ListBox expected");
}

void ListBox::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateBoxedControl<ListBoxObject>, 0);
    target.SetMethod(AddLineHandler, 26);
    BindFieldAddresses<ListBoxObject, 27, kListFirstScriptInt, kListRowColour, kListSecondScriptInt,
                       kListRowAlign>(target);
    target.SetMethod(PushListValue, 31);
    target.SetMethod(SetListValue, 32);
    target.SetMethod(PushFieldAddress<ListBoxObject, kListBulletStyle>, 33);
}
