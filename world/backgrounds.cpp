#include "world/backgrounds.h"

#include <algorithm>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/saturating.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "world/level.h"

namespace {

int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t WrapSubtract(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Tiles of size needed to cover length, rounded up; 0 for a tile without size.
int64_t TilesOver(int64_t length, int64_t size) {
    if (size <= 0 || length <= 0) return 0;
    return (length + size - 1) / size;
}

// Pops the entry index and pushes 0, then 4 on top: the drawing pair of a background.
void BackgroundDrawPair(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    args.Stack().Push(0);
    args.Stack().Push(4);
}

// Backgrounds draw above the level's tint value.
void BackgroundLayer(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    const ActorObject& actor = ActorObject::Of(receiver);
    const int32_t layer = WrapAdd(actor.Layer(), RunningLevelScroll(receiver).tint);
    args.Stack().Push(static_cast<uint32_t>(layer));
}

void BackgroundStep(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    ActiveBackGround::Scroll(ActorObject::Of(receiver), RunningLevelScroll(receiver).speed);
}

std::unique_ptr<ActorObject> NewBackground(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y,
                                           uint32_t damage) {
    return std::make_unique<ActorObject>(cls, picture, kBackgroundEnergy, x, y, 0, 0, damage, 0);
}

void CreateActive(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("ActiveBackGround");
    const uint32_t picture = args.Word();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const uint32_t damage = args.Word();
    PushNewObject(RunnerOf(receiver), NewBackground(cls, picture, x, y, damage));
}

void CreatePlain(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("BackGround");
    const uint32_t picture = args.Word();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    PushNewObject(RunnerOf(receiver), NewBackground(cls, picture, x, y, 0));
}

void CreateCycle(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("CycleBackGround");
    const uint32_t picture = args.Word();
    PushNewObject(RunnerOf(receiver), std::make_unique<CycleBackGroundObject>(cls, picture));
}

void CycleStep(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    CycleBackGroundObject::Of(receiver).Scroll(RunningLevelScroll(receiver).speed);
}

void TileCount(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const CycleBackGroundObject& cycle = CycleBackGroundObject::Of(receiver);
    const int64_t count = cycle.Rows() * cycle.Columns();
    args.Stack().Push(static_cast<uint32_t>(std::min<int64_t>(count, INT32_MAX)));
}

void TileEntry(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const int32_t i = args.Int();
    CycleBackGroundObject& cycle = CycleBackGroundObject::Of(receiver);
    int32_t x = 0;
    int32_t y = 0;
    uint32_t orientation = 0;
    cycle.Tile(i, x, y, orientation);
    uint32_t shown = 0;
    const Frame* frame = cycle.SelectFrame(i, shown);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(orientation);
    stack.Push(static_cast<uint32_t>(y));
    stack.Push(static_cast<uint32_t>(x));
    stack.Push(frame != nullptr ? frame->Address() : 0);
}

void SidewaysReference(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Stack().Push(CycleBackGroundObject::Of(receiver).OwnAddress(kCycleSideways));
}

}  // namespace

LevelScroll RunningLevelScroll(ScriptObject* anyObject) {
    LevelScroll scroll;
    const LevelObject* level = LevelObject::Running(Actor::ProcessorOf(anyObject).Objects());
    if (level == nullptr) return scroll;
    scroll.speed = level->Speed();
    scroll.sceneWidth = level->SceneWidth();
    scroll.tint = level->TintValue();
    return scroll;
}

void ActiveBackGround::Scroll(ActorObject& actor, int32_t s) {
    actor.SetInt(kVisualY, WrapAdd(actor.Y(), s));
    actor.SetInt(kActorSpeedY, s);
    if (actor.Y() > int64_t{PublishedFlight().screenHeightX100} + 10000) actor.SetState(kActorGone);
    actor.SetInt(kVisualPhase, WrapAdd(actor.Int(kVisualPhase), actor.Int(kVisualPhaseStep)));
}

// --- CycleBackGround ---

CycleBackGroundObject::CycleBackGroundObject(ZEMAClass* cls, uint32_t picture)
    : ActorObject(cls, picture, kBackgroundEnergy, 0, 0, 0, 0, 0, 0,
                  uint32_t{kCycleFieldCount} - kActorFieldCount) {
    SetInt(kCycleSideways, 1);
    Image* image = Picture();
    const Frame* frame = image != nullptr && image->FrameCount() > 0 ? image->GetFrame(0) : nullptr;
    if (frame != nullptr) {
        SetInt(kCycleTileHeight, SaturateInt32(int64_t{frame->Height()} * 100));
        SetInt(kCycleTileWidth, SaturateInt32(int64_t{frame->Width()} * 100));
    }
}

int64_t CycleBackGroundObject::Columns() const {
    const int64_t columns = TilesOver(PublishedFlight().sceneWidthX100, Int(kCycleTileWidth));
    if (columns == 0) return 0;
    return columns + ((Own(kVisualFlags) & kCycleDrifts) != 0 ? 1 : 0);
}

int64_t CycleBackGroundObject::Rows() const {
    const int64_t rows = TilesOver(PublishedFlight().screenHeightX100, Int(kCycleTileHeight));
    return rows == 0 ? 0 : rows + 1;
}

void CycleBackGroundObject::Tile(int64_t i, int32_t& x, int32_t& y, uint32_t& orientation) const {
    const int64_t columns = Columns();
    orientation = 0;
    if (columns == 0 || i < 0) {
        x = X();
        y = Y();
        return;
    }
    const int64_t row = i / columns;
    const int64_t column = i % columns;
    const int64_t width = Int(kCycleTileWidth);
    const int64_t height = Int(kCycleTileHeight);
    int64_t across = column;
    int64_t down = row;
    if ((Own(kVisualFlags) & kCycleMirrored) == 0) {
        x = SaturateInt32(across * width + X());
        y = SaturateInt32(down * height + Y());
        return;
    }
    // Mirrored tiling: each tile is its neighbours' mirror image, and the pattern swaps at every
    // wrap of the scroll.
    const bool flipped = (Own(kCycleFlip) + static_cast<uint64_t>(row)) % 2 != 0;
    const bool odd = column % 2 != 0;
    if (!odd && !flipped) {
        orientation = 0;
    } else if (!odd) {
        orientation = 6;
        down += 1;
    } else if (!flipped) {
        orientation = 5;
        across += 1;
    } else {
        orientation = 2;
        across += 1;
        down += 1;
    }
    x = SaturateInt32(across * width);
    y = SaturateInt32(down * height + Y());
}

void CycleBackGroundObject::Scroll(int32_t s) {
    SetInt(kVisualY, WrapAdd(Y(), s));
    SetInt(kActorSpeedY, s);
    if (Y() > 0) {
        SetInt(kVisualY, WrapSubtract(Y(), Int(kCycleTileHeight)));
        Own(kCycleFlip) = Own(kCycleFlip) == 0 ? 1 : 0;
    }
    if ((Own(kVisualFlags) & kCycleDrifts) != 0) {
        SetInt(kVisualX, WrapAdd(X(), Int(kCycleSideways)));
        if (X() > 0) SetInt(kVisualX, WrapSubtract(X(), Int(kCycleTileWidth)));
    }
    SetInt(kVisualPhase, WrapAdd(Int(kVisualPhase), Int(kVisualPhaseStep)));
}

CycleBackGroundObject& CycleBackGroundObject::Of(ScriptObject* receiver) {
    return ReceiverOf<CycleBackGroundObject>(receiver, "CycleBackGround object expected");
}

// --- binding ---

void ActiveBackGround::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(BackgroundStep, kStepVirtual);
    target.SetVirtualMethod(BackgroundDrawPair, 9);
    target.SetVirtualMethod(BackgroundLayer, kLayerVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateActive, 0);
}

void BackGround::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreatePlain, 0);
}

void CycleBackGround::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(CycleStep, kStepVirtual);
    target.SetVirtualMethod(TileCount, kPictureCountVirtual);
    target.SetVirtualMethod(TileEntry, kPictureVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateCycle, 0);
    target.SetMethod(SidewaysReference, 35);
}
