#include "world/stars_sky.h"

#include <memory>

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/cleanup_steps.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "shell/game_ids.h"
#include "ui/visual.h"
#include "world/backgrounds.h"
#include "world/ownership.h"

namespace {

// The star's speed factor in percent of the scroll, 20 to 100.
constexpr int32_t kMinStarFactor = 20;
constexpr int32_t kStarFactorRange = 80;

int32_t Spread(int32_t r, int64_t range) {
    return static_cast<int32_t>(r * range / 32767);
}

// A place in hundredths of a pixel within range pixels; a range too wide for 32 bits wraps round
// as script arithmetic does instead of overflowing.
int32_t Place(int32_t r, int64_t range) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(Spread(r, range)) * 100));
}

int32_t ScreenHeight(Processor& processor) {
    ScriptObject* screenObject = processor.Objects().GetObject(kScreenId);
    auto* screen = screenObject != nullptr ? dynamic_cast<ZEMAScreen*>(screenObject->Class()) : nullptr;
    if (screen == nullptr || screen->Buffer().Surface() == nullptr) ThrowFatal("No screen for the star sky");
    return screen->Buffer().Surface()->Height();
}

int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

StarsSkyObject::StarsSkyObject(ZEMAClass* cls, uint32_t picture)
    : ActorObject(cls, picture, 0, 0, 0, 0, 0, 0, 0, uint32_t{kSkyFieldCount} - kActorFieldCount) {}

void StarsSkyObject::ReleaseOwned() {
    CleanupSteps steps(this);
    std::vector<WeakObject> stars;
    stars.swap(stars_);
    SetInt(kSkyStarCount, 0);
    for (const WeakObject& entry : stars) steps.Run([&entry] { DestroyOwned(entry.Get()); });
    steps.Finish();
    ActorObject::ReleaseOwned();
}

VisualObject* StarsSkyObject::Star(uint32_t i) const {
    return i < stars_.size() ? stars_[i].As<VisualObject>() : nullptr;
}

WeakObject StarsSkyObject::NewStar(int32_t range) {
    Processor& processor = Actor::ProcessorOf(this);
    const int32_t x = Place(EngineRand(), range);
    const int32_t y = Place(EngineRand(), ScreenHeight(processor));
    Image* picture = Picture();
    const int32_t frame = Spread(EngineRand(), picture != nullptr ? picture->FrameCount() : 0);
    const int32_t factor = Spread(EngineRand(), kStarFactorRange) + kMinStarFactor;

    DStack<uint32_t>& stack = processor.DataStack();
    stack.Push(0);
    stack.Push(0);
    stack.Push(static_cast<uint32_t>(y));
    stack.Push(static_cast<uint32_t>(x));
    stack.Push(Own(kVisualPicture));
    ScriptObject* made = processor.NewObjectByName(String("Visual"));
    auto* star = dynamic_cast<VisualObject*>(made);
    if (star == nullptr) {
        DiscardObject(made);
        ThrowFatal("Visual class made no Visual for a star");
    }
    Own(kSkyVisualClass) = star->Class()->Address();
    // The star shows its frame of the sky's picture through its phase, standing still.
    star->SetInt(kVisualPhase, frame * 100);
    star->SetInt(kVisualDirY, factor);
    return WeakObject(star);
}

void StarsSkyObject::MakeStars(int32_t count, int32_t range) {
    if (count > kMaxStars) ThrowFatal("StarsSky: %d stars asked for, at most %d", count, kMaxStars);
    for (int32_t i = 0; i < count; ++i) {
        stars_.push_back(NewStar(range));
        SetInt(kSkyStarCount, static_cast<int32_t>(stars_.size()));
    }
}

void StarsSkyObject::Fall(int32_t scroll, int32_t range) {
    const int64_t bottom = int64_t{ScreenHeight(Actor::ProcessorOf(this))} * 100;
    for (uint32_t i = 0; i < stars_.size(); ++i) {
        VisualObject* star = Star(i);
        if (star == nullptr) continue;
        const int64_t drop = int64_t{star->Int(kVisualDirY)} * scroll / 100;
        star->SetInt(kVisualY, WrapAdd(star->Int(kVisualY), static_cast<int32_t>(drop)));
        if (star->Int(kVisualY) <= bottom) continue;
        const WeakObject replacement = NewStar(range);
        // Making the new star ran script code: the old one is looked up again before it goes.
        VisualObject* old = Star(i);
        stars_[i] = replacement;
        if (VisualObject* fresh = Star(i)) fresh->SetInt(kVisualY, 0);
        DestroyOwned(old);
    }
}

StarsSkyObject& StarsSkyObject::Of(ScriptObject* receiver) {
    return ReceiverOf<StarsSkyObject>(receiver, "StarsSky object expected");
}

namespace {

void CreateSky(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("StarsSky");
    const uint32_t picture = args.Word();
    const int32_t count = args.Int();
    const int32_t range = args.Int();
    auto sky = std::make_unique<StarsSkyObject>(cls, picture);
    sky->MakeStars(count, range);
    PushNewObject(RunnerOf(receiver), std::move(sky));
}

void SkyStep(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    const LevelScroll level = RunningLevelScroll(receiver);
    StarsSkyObject::Of(receiver).Fall(level.speed, level.sceneWidth);
}

void StarCountNative(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(StarsSkyObject::Of(receiver).StarCount());
}

void StarEntry(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t i = args.Int();
    const StarsSkyObject& sky = StarsSkyObject::Of(receiver);
    const VisualObject* star = i >= 0 ? sky.Star(static_cast<uint32_t>(i)) : nullptr;
    const Frame* frame = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    if (star != nullptr) {
        x = star->Int(kVisualX);
        y = star->Int(kVisualY);
        Image* picture = star->Picture();
        if (picture != nullptr && picture->FrameCount() > 0)
            frame = picture->GetFrame(star->Int(kVisualPhase) / 100);
    }
    PushPictureAnswer(args.Stack(), frame, x, y, 0);
}

}  // namespace

void StarsSky::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(SkyStep, kStepVirtual);
    target.SetVirtualMethod(StarCountNative, kPictureCountVirtual);
    target.SetVirtualMethod(StarEntry, kPictureVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateSky, 0);
}
