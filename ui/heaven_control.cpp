#include "ui/heaven_control.h"

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "graphics/image.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "ui/interface_pictures.h"

namespace {

constexpr int32_t kDefaultReplaceInterval = 50;
constexpr int64_t kRandMax = 32767;

void StepHandler(ScriptObject* receiver) {
    HeavenControlObject& heaven = HeavenControlObject::Of(receiver);
    heaven.Step(NativeArgs(receiver).Int());
}

void PushIntervalReference(ScriptObject* receiver) {
    HeavenControlObject& heaven = HeavenControlObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(heaven.OwnAddress(kHeavenReplaceInterval));
}

}  // namespace

int32_t RandomBelow(int32_t n) {
    return static_cast<int32_t>(EngineRand() * int64_t{n} / kRandMax);
}

HeavenControlObject::HeavenControlObject(ZEMAClass* cls, int32_t starCount, int32_t id)
    : PicturesSetControlObject(cls, 0, 0, id, kHeavenFieldCount - kControlFieldCount),
      starsPicture_(InterfacePicture(this, "Misc\\Stars.dpf")),
      fillsUp_(starCount <= 0) {
    if (starCount > kMaxStars) ThrowFatal("Too many stars: %d", starCount);
    SetInt(kHeavenReplaceInterval, kDefaultReplaceInterval);
    for (int32_t i = 0; i < starCount; ++i) AddStar();
}

void HeavenControlObject::AddStar() {
    int32_t width = 0;
    int32_t height = 0;
    InterfaceScreenSize(this, width, height);
    const int32_t dy = RandomBelow(height);
    const int32_t dx = RandomBelow(width);
    // An index at the count takes the last entry.
    Image* stars = starsPicture_.As<Image>();
    const int32_t kinds = stars != nullptr ? static_cast<int32_t>(stars->SubImageCount()) : 0;
    const int32_t kind = RandomBelow(kinds);
    if (stars != nullptr) AddPicture(*stars->EntryAt(kind), dx, dy);
}

void HeavenControlObject::Step(int32_t counter) {
    const int32_t interval = Int(kHeavenReplaceInterval);
    if (interval < 1 || counter % interval != 0) return;
    if (fillsUp_) {
        if (PictureEntryCount() < static_cast<uint32_t>(kMaxStars)) AddStar();
        return;
    }
    RemoveFirstPicture();
    AddStar();
}

HeavenControlObject& HeavenControlObject::Of(ScriptObject* receiver) {
    return ReceiverOf<HeavenControlObject>(receiver, "HeavenControl expected");
}

void HeavenControl::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(StepHandler, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<HeavenControlObject, "class", int32_t, int32_t>, 0);
    target.SetMethod(PushIntervalReference, 23);
}
