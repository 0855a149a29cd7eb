#include "ui/visual.h"

#include <algorithm>
#include <cstdint>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"
#include "foundation/word.h"
#include "graphics/direction_to_frame.h"
#include "graphics/frame.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "script/create_native.h"
#include "script/field_natives.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/script_text.h"
#include "script/zema_class.h"
#include "ui/ui_kinds.h"

namespace {

// Texts handed to scripts stay for the program's life: scripts may keep their addresses.
uint32_t LastingText(const char* text) {
    static const ScriptBuffer<char> unnamed = CopyTextToScript("Unnamed");
    static const ScriptBuffer<char> noDescription = CopyTextToScript("Description not available");
    return ToScript(text[0] == 'U' ? unnamed.get() : noDescription.get());
}

int32_t Negate(int32_t v) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(v));
}

// The animation rules for an entry of count frames: puts the phase back in range at the ends
// (looping, bouncing or holding) and gives the frame index phase / 100.
int32_t Animate(int32_t& phase, int32_t& phaseStep, uint32_t flags, uint32_t count) {
    const int64_t c = count;
    const int64_t q = phase / 100;
    const auto last = static_cast<int32_t>(std::min<int64_t>(c * 100 - 1, INT32_MAX));
    if ((flags & (kAnimBounce | kAnimHold)) == 0) {
        if (q >= c)
            phase = 0;
        else if (phaseStep < 0 && phase < 0)
            phase = last;
    } else if (q > c) {
        if ((flags & kAnimBounce) != 0) {
            phase = static_cast<int32_t>(std::min<int64_t>(c * 100 - 100, INT32_MAX));
            phaseStep = Negate(phaseStep);
        } else {
            phase = last;
        }
    } else if (phase < 50 && phaseStep < 0) {
        if ((flags & kAnimBounce) != 0)
            phaseStep = Negate(phaseStep);
        else
            phase = last;
    }
    return phase / 100;
}

// Frame index of an entry: past the end or negative selects the last frame; an entry without frames
// is refused by the image.
Frame* ClampedFrame(Image& entry, int64_t index) {
    const int64_t count = entry.FrameCount();
    if (index < 0 || index >= count) index = count - 1;
    return entry.GetFrame(static_cast<int32_t>(index));
}

uint32_t FrameValue(Frame* frame) {
    return frame != nullptr ? frame->Address() : 0;
}

// The direction entry of a picture for a heading, turning one step per call from the shown
// direction when the object turns gradually; the step chosen is kept in nextDirection.
Image* DirectionEntry(VisualObject& v, Image& picture, int32_t dirX, int32_t dirY, uint32_t& orientation) {
    const uint32_t n = picture.SubImageCount();
    if (n == 0 || (v.Own(kVisualFlags) & kAnimTurnGradually) == 0)
        return DirectionToFrame(dirX, dirY, picture, orientation);
    int32_t raw = 0;
    Image* entry = DirectionToFrame(dirX, dirY, picture, orientation, &raw);
    const int64_t target = int64_t{raw} * 10;
    const int32_t shown = v.Int(kVisualShownDirection);
    if (shown == -1) {
        v.SetInt(kVisualNextDirection, static_cast<int32_t>(target));
        return entry;
    }
    if (target == shown) return entry;
    const int64_t value = target > shown ? int64_t{shown} + 10 : int64_t{shown} - 10;
    v.SetInt(kVisualNextDirection, static_cast<int32_t>(value));
    // A shown direction written by a script may be anything: the index is kept in range.
    int64_t index = value / 10;
    const int64_t turn = int64_t{n} * 4;
    index = ((index % turn) + turn) % turn;
    orientation = static_cast<uint32_t>((index / n) % 4);
    return picture.EntryAtChecked(static_cast<int32_t>(index % n));
}

// --- virtual method defaults ---

void IgnoreStep(ScriptObject* receiver) {
    NativeArgs(receiver).Int();
}

void DefaultName(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(LastingText("Unnamed"));
}

void DefaultDescription(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(LastingText("Description not available"));
}

void PushZero(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(0);
}

void Nothing(ScriptObject*) {}

template <uint32_t Number>
void DefaultEntryAnswer(ScriptObject* receiver) {
    AnswerEntry(receiver, VisualEntryAnswer(Number));
}

void VisualStep(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs(receiver).Int();
    v.Step();
}

void VisualPictureCount(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(v.PictureCount());
}

void VisualPicture(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t i = args.Int();
    uint32_t orientation = 0;
    Frame* frame = v.SelectFrame(i, orientation);
    PushPictureAnswer(args.Stack(), frame, v.Int(kVisualX), v.Int(kVisualY), orientation);
}

// --- Visual natives ---

// Pops dirY, dirX and the picture; the direction entry for that heading.
Image& PoppedDirectionEntry(VisualObject& v, NativeArgs& args, uint32_t& orientation) {
    const int32_t dirY = args.Int();
    const int32_t dirX = args.Int();
    Image* picture = Image::FromAddress(args.Word());
    return *DirectionEntry(v, *picture, dirX, dirY, orientation);
}

void HeadingFrame(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs args(receiver);
    uint32_t orientation = 0;
    Image& entry = PoppedDirectionEntry(v, args, orientation);
    Frame* frame = ClampedFrame(entry, 0);
    args.Stack().Push(orientation);
    args.Stack().Push(FrameValue(frame));
}

// Runs the animation rules on a phase that a script keeps at an address of its own.
int32_t AnimateReferencedPhase(VisualObject& v, uint32_t phaseAddress, uint32_t count) {
    auto phase = static_cast<int32_t>(ScriptLoad32(phaseAddress));
    int32_t step = v.Int(kVisualPhaseStep);
    const int32_t index = Animate(phase, step, v.Own(kVisualFlags), count);
    v.SetInt(kVisualPhaseStep, step);
    ScriptStore32(phaseAddress, static_cast<uint32_t>(phase));
    return index;
}

void AnimatedHeadingFrame(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t phaseAddress = args.Word();
    uint32_t orientation = 0;
    Image& entry = PoppedDirectionEntry(v, args, orientation);
    const int32_t index = AnimateReferencedPhase(v, phaseAddress, entry.FrameCount());
    Frame* frame = ClampedFrame(entry, index);
    args.Stack().Push(orientation);
    args.Stack().Push(FrameValue(frame));
}

void AnimatedEntryFrame(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t phaseAddress = args.Word();
    Image* entry = Image::FromAddress(args.Word());
    const int32_t index = AnimateReferencedPhase(v, phaseAddress, entry->FrameCount());
    args.Stack().Push(FrameValue(ClampedFrame(*entry, index)));
}

void AdvancePhase(ScriptObject* receiver) {
    VisualObject& v = VisualObject::Of(receiver);
    v.SetInt(kVisualPhase, WrappingAdd(v.Int(kVisualPhase), v.Int(kVisualPhaseStep)));
}

// --- calls into virtual methods ---

MethodRunner& RunnerFor(ScriptObject* object, uint32_t number) {
    if (object == nullptr) ThrowFatal("Virtual method %u called on no object", number);
    return RunnerOf(object);
}

MethodRunner& CallVirtual(ScriptObject* object, uint32_t number) {
    MethodRunner& runner = RunnerFor(object, number);
    runner.CallVirtual(object, number);
    return runner;
}

MethodRunner& CallWithIndex(ScriptObject* object, uint32_t number, int32_t i) {
    MethodRunner& runner = RunnerFor(object, number);
    runner.DataStack().Push(static_cast<uint32_t>(i));
    runner.CallVirtual(object, number);
    return runner;
}

int32_t PopInt(MethodRunner& runner) {
    return static_cast<int32_t>(runner.DataStack().Pop());
}

}  // namespace

VisualObject::VisualObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t dirX, int32_t dirY,
                           uint32_t extraFields)
    : ScriptObject(cls), own_(kVisualFieldCount + extraFields) {
    SetKind(kVisualObjectKind);
    Own(kVisualPicture) = picture;
    picture_ = WeakObject::AtAddress(picture, kImageKind);
    SetInt(kVisualX, x);
    SetInt(kVisualY, y);
    SetInt(kVisualDirX, dirX);
    SetInt(kVisualDirY, dirY);
    SetInt(kVisualShownDirection, -1);
    SetInt(kVisualNextDirection, -1);
}

uint32_t& VisualObject::Own(uint32_t index) {
    if (index >= own_.Count()) ThrowFatal("Field %u of a visual object is out of range", index);
    return own_.Data()[index];
}

uint32_t VisualObject::Own(uint32_t index) const {
    return const_cast<VisualObject*>(this)->Own(index);
}

uint32_t VisualObject::OwnAddress(uint32_t index) const {
    if (index >= own_.Count()) ThrowFatal("Field %u of a visual object is out of range", index);
    return own_.Address(index);
}

Image* VisualObject::Picture() const {
    return ObjectBesideField<Image>(Own(kVisualPicture), picture_, kImageKind);
}

uint32_t VisualObject::PictureCount() {
    if ((Own(kVisualFlags) & kAnimFramesByCaller) == 0) return 1;
    Image* picture = Picture();
    if (picture == nullptr) return 0;
    uint32_t orientation = 0;
    return DirectionToFrame(Int(kVisualDirX), Int(kVisualDirY), *picture, orientation)->FrameCount();
}

Frame* VisualObject::SelectFrame(int32_t i, uint32_t& orientation) {
    orientation = 0;
    Image* picture = Picture();
    if (picture == nullptr) return nullptr;
    Image& entry = *DirectionEntry(*this, *picture, Int(kVisualDirX), Int(kVisualDirY), orientation);
    if ((Own(kVisualFlags) & kAnimFramesByCaller) != 0) return ClampedFrame(entry, i);
    int32_t phase = Int(kVisualPhase);
    int32_t step = Int(kVisualPhaseStep);
    const int32_t index = Animate(phase, step, Own(kVisualFlags), entry.FrameCount());
    SetInt(kVisualPhase, phase);
    SetInt(kVisualPhaseStep, step);
    return ClampedFrame(entry, index);
}

void VisualObject::Step() {
    const int32_t step = Int(kVisualPhaseStep);
    if (step != 0) SetInt(kVisualPhase, WrappingAdd(Int(kVisualPhase), step));
    Own(kVisualShownDirection) = Own(kVisualNextDirection);
}

VisualObject& VisualObject::Of(ScriptObject* receiver) {
    return ReceiverOf<VisualObject>(receiver, "Visual object expected");
}

void GTTClass::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(IgnoreStep, kStepVirtual);
    target.SetVirtualMethod(DefaultName, kNameVirtual);
    target.SetVirtualMethod(DefaultDescription, kDescriptionVirtual);
    target.SetVirtualMethod(PushZero, kQueryVirtual);
    target.SetVirtualMethod(Nothing, kNotifyVirtual);
    // Method 0 stays the root's create: a plain object of the class.
    BindNativeBase(row, target);
}

void GTTClass::CallStep(ScriptObject* object, int32_t value) {
    CallWithIndex(object, kStepVirtual, value);
}

String GTTClass::CallGetName(ScriptObject* object) {
    MethodRunner& runner = CallVirtual(object, kNameVirtual);
    return TextFromScript(runner.DataStack().Pop());
}

String GTTClass::CallGetDescription(ScriptObject* object) {
    MethodRunner& runner = CallVirtual(object, kDescriptionVirtual);
    return TextFromScript(runner.DataStack().Pop());
}

void Visual::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(VisualPictureCount, kPictureCountVirtual);
    target.SetVirtualMethod(VisualPicture, kPictureVirtual);
    target.SetVirtualMethod(VisualStep, kStepVirtual);
    target.SetVirtualMethod(DefaultEntryAnswer<9>, 9);
    target.SetVirtualMethod(DefaultEntryAnswer<10>, 10);
    target.SetVirtualMethod(DefaultEntryAnswer<11>, 11);
    target.SetVirtualMethod(DefaultEntryAnswer<12>, 12);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<VisualObject, "class", uint32_t, int32_t, int32_t, int32_t, int32_t>, 0);
    BindFieldAddresses<VisualObject, 4, kVisualX, kVisualY, kVisualDirX, kVisualDirY>(target);
    target.SetMethod(HeadingFrame, 8);
    target.SetMethod(AnimatedHeadingFrame, 9);
    target.SetMethod(PushFieldAddress<VisualObject, kVisualPicture>, 10);
    target.SetMethod(AnimatedEntryFrame, 11);
    target.SetMethod(PushFieldAddress<VisualObject, kVisualPhase>, 12);
    target.SetMethod(AdvancePhase, 13);
    target.SetMethod(PushFieldAddress<VisualObject, kVisualPhaseStep>, 14);
    target.SetMethod(PushFieldAddress<VisualObject, kVisualFlags>, 15);
}

uint32_t Visual::CallEvent7(ScriptObject* object) {
    return CallVirtual(object, kPictureCountVirtual).DataStack().Pop();
}

uint32_t Visual::CallEvent8(ScriptObject* object, int32_t i, int32_t& x, int32_t& y, uint32_t& orientation) {
    MethodRunner& runner = CallWithIndex(object, kPictureVirtual, i);
    DStack<uint32_t>& stack = runner.DataStack();
    const uint32_t frame = stack.Pop();
    x = static_cast<int32_t>(stack.Pop());
    y = static_cast<int32_t>(stack.Pop());
    orientation = stack.Pop();
    return frame;
}

int32_t Visual::CallEvent9First(ScriptObject* object, int32_t i) {
    MethodRunner& runner = CallWithIndex(object, 9, i);
    const int32_t first = PopInt(runner);
    PopInt(runner);
    return first;
}

int32_t Visual::CallEvent9Second(ScriptObject* object, int32_t i) {
    MethodRunner& runner = CallWithIndex(object, 9, i);
    PopInt(runner);
    return PopInt(runner);
}

int32_t Visual::CallEvent10(ScriptObject* object, int32_t i) {
    return PopInt(CallWithIndex(object, 10, i));
}

int32_t Visual::CallEvent12(ScriptObject* object, int32_t i) {
    return PopInt(CallWithIndex(object, 12, i));
}

void AnswerEntry(ScriptObject* receiver, std::span<const uint32_t> values) {
    NativeArgs args(receiver);
    args.Int();
    for (uint32_t value : values) args.Stack().Push(value);
}

void PushPictureAnswer(DStack<uint32_t>& stack, uint32_t frame, int32_t x, int32_t y, uint32_t orientation) {
    stack.Push(orientation);
    stack.Push(static_cast<uint32_t>(y));
    stack.Push(static_cast<uint32_t>(x));
    stack.Push(frame);
}

void PushPictureAnswer(DStack<uint32_t>& stack, const Frame* frame, int32_t x, int32_t y,
                       uint32_t orientation) {
    PushPictureAnswer(stack, frame != nullptr ? frame->Address() : 0, x, y, orientation);
}

std::span<const uint32_t> VisualEntryAnswer(uint32_t number) {
    static constexpr uint32_t kPair[] = {0, 2};
    static constexpr uint32_t kFour[] = {0, 0, 0, 0};
    static constexpr uint32_t kZero[] = {0};
    if (number == 9) return kPair;
    if (number == 11) return kFour;
    return kZero;
}

void CallScriptMethod7(ScriptObject* object) {
    CallVirtual(object, 7);
}

int32_t CallScriptMethod13PopInt(ScriptObject* object) {
    return PopInt(CallVirtual(object, 13));
}

void CallScriptMethodPushInt(ScriptObject* object, int32_t value) {
    CallWithIndex(object, 15, value);
}

int32_t CallScriptMethod16PopInt(ScriptObject* object) {
    return PopInt(CallVirtual(object, 16));
}
