#include "ui/picture_controls.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "foundation/word.h"
#include "graphics/frame.h"
#include "graphics/frame_geometry.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/control_create.h"
#include "ui/draw_state.h"
#include "ui/ui_objects.h"
#include "ui/visual.h"

namespace {

// --- PicturesSetControl ---

void PictureSetCount(ScriptObject* receiver) {
    PicturesSetControlObject& set = PicturesSetControlObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(set.PictureEntryCount());
}

void PictureSetPicture(ScriptObject* receiver) {
    PicturesSetControlObject& set = PicturesSetControlObject::Of(receiver);
    NativeArgs args(receiver);
    const uint32_t i = args.Word();
    const PicturesSetControlObject::PictureEntry& entry = set.EntryAt(i);
    Frame* frame = static_cast<Image*>(entry.image.Check(kImageKind, "picture"))->GetFrame(0);
    PushPictureAnswer(args.Stack(), frame, WrappingAdd(set.Int(kVisualX), entry.dx),
                      WrappingAdd(set.Int(kVisualY), entry.dy), 0);
}

void AddPictureNative(ScriptObject* receiver) {
    PicturesSetControlObject& set = PicturesSetControlObject::Of(receiver);
    NativeArgs args(receiver);
    const Image* image = Image::FromAddress(args.Word());
    const int32_t dx = args.Int();
    const int32_t dy = args.Int();
    set.AddPicture(*image, dx, dy);
}

void RemoveFirstPictureNative(ScriptObject* receiver) {
    PicturesSetControlObject::Of(receiver).RemoveFirstPicture();
}

// --- the others' creation ---

void CreateCloser(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    auto* opener = dynamic_cast<OpenWindowControlObject*>(ControlObject::FromAddress(args.Word(), "opener"));
    if (opener == nullptr) ThrowFatal("OpenWindowControl expected as opener");
    const int32_t id = args.Int();
    PushNewObject(runner, std::make_unique<CloseWindowControlObject>(cls, opener, id));
}

}  // namespace

PicturesSetControlObject::PicturesSetControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t id,
                                                   uint32_t extraFields)
    : ControlObject(cls, 0, x, y, id, extraFields) {}

void PicturesSetControlObject::AddPicture(const Image& image, int32_t dx, int32_t dy) {
    entries_.push_back({WeakObject(&image), dx, dy});
}

void PicturesSetControlObject::RemoveFirstPicture() {
    if (!entries_.empty()) entries_.erase(entries_.begin());
}

const PicturesSetControlObject::PictureEntry& PicturesSetControlObject::EntryAt(uint32_t i) const {
    if (entries_.empty()) ThrowFatal("Picture asked of an empty picture set");
    return entries_[std::min<size_t>(i, entries_.size() - 1)];
}

PicturesSetControlObject& PicturesSetControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<PicturesSetControlObject>(receiver, "PicturesSetControl object expected");
}

RectangleControlObject::RectangleControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width,
                                               int32_t height, int32_t id)
    : ControlObject(cls, 0, x, y, id),
      rectWidth_(width),
      rectHeight_(height),
      fillColour_(ColourEntryAddress(this, 4)),
      edgeColour_(ColourEntryAddress(this, 5)) {}

void RectangleControlObject::Draw(ScreenBuffer& buffer) {
    const Rect box = BoxAtPlace(rectWidth_, rectHeight_);
    buffer.DrawPanel(box.left, box.top, box.right, box.bottom, ColourAt(fillColour_), ColourAt(edgeColour_));
}

bool RectangleControlObject::HitTest(int32_t x, int32_t y) {
    return InBoxAtPlace(x, y, rectWidth_, rectHeight_);
}

OpenWindowControlObject::OpenWindowControlObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width,
                                                 int32_t height, int32_t id)
    : ControlObject(cls, 0, x, y, id), rectWidth_(width), rectHeight_(height) {}

void OpenWindowControlObject::Draw(ScreenBuffer& buffer) {
    savedClip_ = buffer.Clip();
    savedOriginX_ = buffer.OriginX();
    savedOriginY_ = buffer.OriginY();
    buffer.IntersectClipRect(BoxAtPlace(rectWidth_, rectHeight_));
}

CloseWindowControlObject::CloseWindowControlObject(ZEMAClass* cls, OpenWindowControlObject* opener,
                                                   int32_t id)
    : ControlObject(cls, 0, 0, 0, id), opener_(opener) {}

OpenWindowControlObject* CloseWindowControlObject::Opener() const {
    return opener_.As<OpenWindowControlObject>();
}

void CloseWindowControlObject::Draw(ScreenBuffer& buffer) {
    // An opener that was deleted has nothing to give back: the clip stays as it is.
    const OpenWindowControlObject* opener = Opener();
    if (opener == nullptr) return;
    buffer.SetClip(opener->SavedClip());
    buffer.SetOrigin(opener->SavedOriginX(), opener->SavedOriginY());
}

DButtonObject::DButtonObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t width,
                             std::string_view caption, int32_t id)
    : ControlObject(cls, picture, x, y, id),
      caption_(String::FromBytes(caption.data(), caption.size())),
      buttonWidth_(width) {}

namespace {

Image& ButtonPicture(const DButtonObject& button) {
    Image* picture = button.Picture();
    if (picture == nullptr) ThrowFatal("Button without a picture");
    return *picture;
}

}  // namespace

void DButtonObject::Draw(ScreenBuffer& buffer) {
    Image& picture = ButtonPicture(*this);
    const Frame& leftPiece = *picture.GetFrameChecked(0);
    const Frame& middle = *picture.GetFrameChecked(1);
    const Frame& rightPiece = *picture.GetFrameChecked(2);
    const int64_t w0 = leftPiece.Width();
    const int64_t h0 = leftPiece.Height();
    const int64_t w1 = middle.Width();
    const int64_t w2 = rightPiece.Width();
    const int64_t absX = AbsoluteX();
    const int64_t absY = AbsoluteY();
    int64_t left = absX + w0 / 2;
    const int64_t top = absY + h0 / 2;
    // Narrower than its end pieces, or with an empty middle piece, the button has no middle.
    const int64_t room = int64_t{buttonWidth_} - w2 - w0;
    const int64_t middleCount = room > 0 && w1 > 0 ? room / w1 : 0;

    ClipGuard clip(buffer);
    buffer.IntersectClipRect(BoxRect(left, top, buttonWidth_, h0));
    buffer.DrawFrameBlended(&leftPiece, SaturateInt32(left), SaturateInt32(top), 0, 0);
    left += w0;
    for (int64_t k = 0; k < middleCount; ++k) {
        // Pieces placed wholly right of the clip show nothing: a huge width ends the walk there.
        if (PlacementBox(middle, 0, 0, 0).left + left + buffer.OriginX() >= buffer.Clip().right) {
            left += (middleCount - k) * w1;
            break;
        }
        buffer.DrawFrameBlended(&middle, SaturateInt32(left), SaturateInt32(top), 0, 0);
        left += w1;
    }
    buffer.DrawFrameBlended(&rightPiece, SaturateInt32(left), SaturateInt32(top), 0, 0);
    buffer.DrawTextAligned(caption_.Text(), SaturateInt32(absX + buttonWidth_ / 2),
                           SaturateInt32(absY + h0 / 2), ColourAt(ColourEntryAddress(this, 1)), 1, 1, 0);
}

bool DButtonObject::HitTest(int32_t x, int32_t y) {
    Image* picture = Picture();
    if (picture == nullptr || picture->FrameCount() == 0) return false;
    return InBoxAtPlace(x, y, buttonWidth_, picture->GetFrame(0)->Height());
}

void PicturesSetControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(PictureSetPicture, kPictureVirtual);
    target.SetVirtualMethod(PictureSetCount, kPictureCountVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreatePlacedControl<PicturesSetControlObject>, 0);
    target.SetMethod(AddPictureNative, 21);
    target.SetMethod(RemoveFirstPictureNative, 22);
}

void RectangleControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateBoxedControl<RectangleControlObject>, 0);
}

void OpenWindowControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateBoxedControl<OpenWindowControlObject>, 0);
}

void CloseWindowControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateCloser, 0);
}

void DButton::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(
        CreateNative<DButtonObject, "class", uint32_t, int32_t, int32_t, int32_t, std::string_view, int32_t>,
        0);
}
