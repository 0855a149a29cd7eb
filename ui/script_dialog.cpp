#include "ui/script_dialog.h"

#include <algorithm>
#include <cstring>

#include "foundation/exceptions.h"
#include "graphics/image.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/input_holder.h"
#include "ui/message_box.h"
#include "ui/ui_kinds.h"
#include "ui/visual.h"
#include "ui/window_services.h"

namespace {

Processor& ProcessorOfClass(ZEMAClass* cls) {
    MethodRunner* runner = cls != nullptr ? cls->GetProcessor() : nullptr;
    auto* processor = dynamic_cast<Processor*>(runner);
    if (processor == nullptr) ThrowFatal("Dialog class without a processor");
    return *processor;
}

// The embedded window: its step and start are the dialog's virtual methods, and controls are told
// the dialog as their window. The dialog owns it, so the reference back never outlives the dialog.
class ScriptDialogWindow final : public DialogWindow {
  public:
    ScriptDialogWindow(ZEMADialogObject& dialog, Processor& processor)
        : DialogWindow(&processor, &GameDisplay(), EngineCursor(processor)), dialog_(dialog) {}

    // Nothing of the window is touched after the calls: the dialog's script may delete it.
    void Step(int32_t frame) override { dialog_.StepWindow(frame); }
    void DrawControls() override { dialog_.DrawWindowControls(); }
    void DrawOwnControls() { DialogWindow::DrawControls(); }
    void OnStart() override { RunnerOf(&dialog_).CallVirtual(&dialog_, kDialogStartVirtual); }
    uint32_t DialogValue() const override { return dialog_.Address(); }

  private:
    ZEMADialogObject& dialog_;
};

// Virtual method 7 default: the window closes at its first event.
void DefaultEvent(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    args.Word();
    args.Word();
    args.Word();
    dialog.Window().SetResult(0);
}

void Nothing(ScriptObject*) {}

void RunNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    ScriptObject* holder = args.Object(0, "input device");
    const int32_t result = dialog.Run(*holder);
    args.Stack().Push(static_cast<uint32_t>(result));
}

void PushInputNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    const ScriptObject* holder = dialog.InputHolderObject();
    NativeArgs(receiver).Stack().Push(holder != nullptr ? holder->Address() : 0);
}

void SetCursorNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    const uint32_t picture = NativeArgs(receiver).Word();
    dialog.Window().SetCursor(picture != 0 ? Image::FromAddress(picture) : nullptr);
}

template <uint8_t Mode>
void AddControlNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    dialog.Window().AddControl(ControlObject::FromAddress(args.Word(), "control"), Mode);
}

void RemoveControlNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    dialog.Window().RemoveControl(NativeArgs(receiver).Int());
}

void ClearControlsNative(ScriptObject* receiver) {
    ZEMADialogObject::Of(receiver).Window().ClearControls();
}

void FindControlNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const ControlObject* control = dialog.Window().FindControl(args.Int());
    args.Stack().Push(control != nullptr ? control->Address() : 0);
}

void PushResultReference(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(dialog.Window().ResultAddress());
}

void SkipDrawNative(ScriptObject* receiver) {
    ZEMADialogObject::Of(receiver).Window().SetSkipDraw();
}

void BuildFrameNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t height = args.Int();
    const int32_t width = args.Int();
    const uint32_t buttons = args.Word();
    dialog.Window().BuildFrame(width, height, buttons);
}

void MessageBoxNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t typingSpeed = args.Int();
    const uint32_t picture = args.Word();
    const uint32_t style = args.Word();
    const String text = args.TextCopy();
    Image* image = picture != 0 ? Image::FromAddress(picture) : nullptr;
    DialogWindow& window = dialog.Window();
    const int32_t answer =
        MessageBoxOverWindow(*window.GetProcessor(), window, text, style, image, typingSpeed);
    args.Stack().Push(static_cast<uint32_t>(answer));
}

void AddEffectNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    dialog.Window().AddEffect(args.Object(kScreenEffectKind, "screen effect"), kListOwned);
}

void SetHelpNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t number = args.Int();
    dialog.Window().SetHelp(number, args.TextCopy());
}

void PushHelpNative(ScriptObject* receiver) {
    ZEMADialogObject& dialog = ZEMADialogObject::Of(receiver);
    NativeArgs args(receiver);
    args.Stack().Push(dialog.HelpTextAddress());
    args.Stack().Push(static_cast<uint32_t>(dialog.Window().HelpNumber()));
}

}  // namespace

ZEMADialogObject::ZEMADialogObject(ZEMAClass* cls)
    : ScriptObject(cls), window_(std::make_unique<ScriptDialogWindow>(*this, ProcessorOfClass(cls))) {
    SetKind(kZEMADialogKind);
    window_->SetCallback([this](DialogWindow&, int32_t event, int32_t p1, int32_t p2) {
        MethodRunner& runner = RunnerOf(this);
        DStack<uint32_t>& stack = runner.DataStack();
        stack.Push(static_cast<uint32_t>(event));
        stack.Push(static_cast<uint32_t>(p1));
        stack.Push(static_cast<uint32_t>(p2));
        runner.CallVirtual(this, kDialogEventVirtual);
    });
}

ZEMADialogObject::~ZEMADialogObject() = default;

void ZEMADialogObject::ReleaseOwned() {
    window_->Close();
    ScriptObject::ReleaseOwned();
}

void ZEMADialogObject::StepWindow(int32_t frame) {
    GTTClass::CallStep(this, frame);
}

void ZEMADialogObject::DrawWindowControls() {
    static_cast<ScriptDialogWindow&>(*window_).DrawOwnControls();
}

int32_t ZEMADialogObject::Run(ScriptObject& holder) {
    InputDevice& device = ScriptInputDevice(&holder, "input device");
    inputHolder_ = WeakObject(&holder);
    return window_->Run(device, &holder);
}

ScriptObject* ZEMADialogObject::InputHolderObject() const {
    ScriptObject* holder = inputHolder_.Get();
    auto* devices = dynamic_cast<InputHolder*>(holder);
    if (devices == nullptr || window_->Input() == nullptr || devices->HeldInput() != window_->Input())
        return nullptr;
    return holder;
}

uint32_t ZEMADialogObject::HelpTextAddress() {
    const String& text = window_->HelpText();
    const size_t length = std::strlen(text.Text());
    if (length + 1 > helpCapacity_) {
        if (helpCopy_) outgrownHelp_.push_back(std::move(helpCopy_));
        helpCapacity_ = std::max(length + 1, helpCapacity_ * 2);
        helpCopy_ = NewScriptBuffer<char>(helpCapacity_);
    }
    std::memcpy(helpCopy_.get(), text.Text(), length + 1);
    return ToScript(helpCopy_.get());
}

ZEMADialogObject& ZEMADialogObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ZEMADialogObject>(receiver, "Dialog object expected");
}

void ZEMADialog::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(DefaultEvent, kDialogEventVirtual);
    target.SetVirtualMethod(Nothing, kDialogStartVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ZEMADialogObject, "class">, kCreateObjectMethod);
    target.SetMethod(RunNative, 4);
    target.SetMethod(PushInputNative, 5);
    target.SetMethod(SetCursorNative, 6);
    target.SetMethod(AddControlNative<kListOwned>, 7);
    target.SetMethod(RemoveControlNative, 8);
    target.SetMethod(ClearControlsNative, 9);
    target.SetMethod(FindControlNative, 10);
    target.SetMethod(PushResultReference, 11);
    target.SetMethod(AddControlNative<kNeverOwned>, 12);
    target.SetMethod(SkipDrawNative, 13);
    target.SetMethod(BuildFrameNative, 14);
    target.SetMethod(MessageBoxNative, 15);
    target.SetMethod(AddEffectNative, 16);
    target.SetMethod(SetHelpNative, 17);
    target.SetMethod(PushHelpNative, 18);
}
