#include "ui/screen_effects.h"

#include <algorithm>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/alpha_span.h"
#include "graphics/display.h"
#include "graphics/screen_surface.h"
#include "script/create_native.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/zema_class.h"
#include "shell/game_globals.h"
#include "ui/ui_kinds.h"
#include "ui/visual.h"

ScreenEffectObject::ScreenEffectObject(ZEMAClass* cls, uint32_t fieldCount)
    : ScriptObject(cls), own_(fieldCount) {
    SetKind(kScreenEffectKind);
}

int32_t ScreenEffectObject::Int(uint32_t index) const {
    if (index >= own_.Count()) ThrowFatal("Screen effect has no field %u", index);
    return static_cast<int32_t>(own_.Data()[index]);
}

void ScreenEffectObject::SetInt(uint32_t index, int32_t value) {
    if (index >= own_.Count()) ThrowFatal("Screen effect has no field %u", index);
    own_.Data()[index] = static_cast<uint32_t>(value);
}

uint32_t ScreenEffectObject::OwnAddress(uint32_t index) const {
    if (index >= own_.Count()) ThrowFatal("Screen effect has no field %u", index);
    return own_.Address(index);
}

ScreenEffectObject& ScreenEffectObject::Of(ScriptObject* receiver, uint32_t needFields) {
    auto* effect = dynamic_cast<ScreenEffectObject*>(receiver);
    // A script class deriving FadeEffect whose object was made by ScreenEffect's native 0 lacks the
    // fade's fields.
    if (effect == nullptr || effect->own_.Count() < needFields)
        ThrowFatal("Not a screen effect object where %s expected",
                   needFields > kEffectFieldCount ? "a fade" : "an effect");
    return *effect;
}

ScreenEffectObject& ScreenEffectObject::FromAddress(uint32_t address) {
    return Of(ScriptObject::FromAddress(address, kScreenEffectKind, "screen effect"));
}

namespace {

void PushFieldAddress(ScriptObject* receiver, uint32_t index, uint32_t needFields) {
    NativeArgs args(receiver);
    args.Stack().Push(ScreenEffectObject::Of(receiver, needFields).OwnAddress(index));
}

void DoNothing(ScriptObject*) {}

void EffectStateRef(ScriptObject* receiver) {
    PushFieldAddress(receiver, kEffectState, kEffectFieldCount);
}

// Native 0: class, levelStep, level, framesLeft -> a running fade.
void CreateFade(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("fade effect class");
    const int32_t levelStep = args.Int();
    const int32_t level = args.Int();
    const int32_t framesLeft = args.Int();
    auto fade = std::make_unique<ScreenEffectObject>(cls, kFadeFieldCount);
    fade->SetInt(kFadeFramesLeft, framesLeft);
    fade->SetInt(kFadeLevel, level);
    fade->SetInt(kFadeLevelStep, levelStep);
    PushNewObject(RunnerOf(receiver), std::move(fade));
}

void FadeFramesLeftRef(ScriptObject* receiver) {
    PushFieldAddress(receiver, kFadeFramesLeft, kFadeFieldCount);
}

void FadeLevelRef(ScriptObject* receiver) {
    PushFieldAddress(receiver, kFadeLevel, kFadeFieldCount);
}

void FadeLevelStepRef(ScriptObject* receiver) {
    PushFieldAddress(receiver, kFadeLevelStep, kFadeFieldCount);
}

// Virtual method 2 of FadeEffect: pops the frame number.
void FadeStepHandler(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    FadeEffect::StepFade(ScreenEffectObject::Of(receiver, kFadeFieldCount));
}

// Virtual method 7 of FadeEffect: the screen's surface, between lock and present.
void FadeApplyHandler(ScriptObject* receiver) {
    ScreenEffectObject& fade = ScreenEffectObject::Of(receiver, kFadeFieldCount);
    Display* display = Game().display.get();
    if (display == nullptr || display->Surface() == nullptr) return;
    FadeSurface(*display->Surface(), fade.Int(kFadeLevel));
}

}  // namespace

void ScreenEffect::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(DoNothing, kApplyEffectVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative<ScreenEffectObject, "screen effect class">, 0);
    target.SetMethod(EffectStateRef, 4);
}

void FadeEffect::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(FadeApplyHandler, kApplyEffectVirtual);
    target.SetVirtualMethod(FadeStepHandler, kStepVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateFade, 0);
    target.SetMethod(FadeFramesLeftRef, 5);
    target.SetMethod(FadeLevelRef, 6);
    target.SetMethod(FadeLevelStepRef, 7);
}

void FadeEffect::StepFade(ScreenEffectObject& fade) {
    // The fields are script-writable: the arithmetic is done wide so that no value overflows.
    const int64_t framesLeft = int64_t{fade.Int(kFadeFramesLeft)} - 1;
    fade.SetInt(kFadeFramesLeft, SaturateInt32(framesLeft));
    if (framesLeft < 1) {
        fade.SetInt(kEffectState, kEffectFinished);
        return;
    }
    const int64_t level = int64_t{fade.Int(kFadeLevel)} + fade.Int(kFadeLevelStep);
    fade.SetInt(kFadeLevel, level >= 256 ? 256 : level < 1 ? 0 : static_cast<int32_t>(level));
}

void FadeSurface(ScreenSurface& surface, int32_t level) {
    if (surface.BitsPerPixel() != 16 || surface.Pixels() == nullptr) return;
    // A script may have written any level; beyond 256 the products would spill into other channels.
    const uint32_t scale = static_cast<uint32_t>(std::clamp(level, 0, 256));
    const bool is555 =
        NormalFormat(surface.Settings() != nullptr ? surface.Settings()->pixelFormat : 0) == 555;
    const uint32_t red = is555 ? 0x7C00u : 0xF800u;
    const uint32_t green = is555 ? 0x03E0u : 0x07E0u;
    const uint32_t blue = 0x001Fu;
    const int32_t width = surface.Width();
    for (int32_t y = 0; y < surface.Height(); ++y) {
        auto* row = reinterpret_cast<Pixel16*>(surface.RowAddress(y));
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            row[x] = static_cast<uint16_t>((((p & red) * scale / 256) & red) |
                                           (((p & green) * scale / 256) & green) |
                                           (((p & blue) * scale / 256) & blue));
        }
    }
}
