// What happens to a destroyed actor: the four destruction effects, and splinters cut out of its
// picture with the frames of a mask picture.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "foundation/exceptions.h"
#include "foundation/random.h"
#include "foundation/script_handle.h"
#include "graphics/frame.h"
#include "graphics/graphics_kinds.h"
#include "graphics/image.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/weak_object.h"
#include "shell/draw_layers.h"
#include "shell/game_ids.h"
#include "world/passive_picture.h"
#include "world/splinter.h"
#include "world/world_picture.h"
#include "world/world_sound.h"

namespace {

constexpr const char* kBrokerPicture = "Misc\\Broker.dpf";
constexpr const char* kExplosionPicture = "Explosions\\Explosion1.dpf";
constexpr const char* kSmallExplosionPicture = "Explosions\\SmallExplosion.dpf";
constexpr const char* kExplosionSound = "Explosions\\Explosion1.wav";
// PseudoActor's method that sets its countdown, and the countdown the frozen copy gets.
constexpr uint32_t kPseudoSetCountdown = 36;
constexpr uint32_t kFrozenCountdown = 10;
// Splinters fly no slower than this, counted as |speed x| + |speed y|.
constexpr int32_t kSplinterMinSpeed = 1000;

ActorObject& NewExplosion(ActorObject& actor, Processor& processor, const char* picture, int32_t x,
                          int32_t y) {
    ActorObject& explosion = Explosion::Create(processor, CachedPictureAddress(processor, picture), x, y);
    explosion.SetInt(kActorLayer, Actor::CallLayer(&actor, 0) + 1);
    return explosion;
}

// The frozen copy of the actor that breaks up when its countdown ends.
void FreezeCopy(ActorObject& actor, Processor& processor) {
    DStack<uint32_t>& stack = processor.DataStack();
    stack.Push(1);
    stack.Push(actor.Address());
    ScriptObject* copy = processor.NewObjectByName(String("PseudoActor"));
    if (copy == nullptr) return;
    try {
        stack.Push(kFrozenCountdown);
        processor.CallMethod(copy, copy->Class(), kPseudoSetCountdown);
    } catch (...) {
        DiscardObject(copy);
        throw;
    }
    Actor::EnterFlight(processor, copy);
}

int32_t SplinterSpeed(int32_t r) {
    return r * 8000 / 32767 - 4000;
}

}  // namespace

void Actor::Explode(ActorObject& actor) {
    const int32_t mode = actor.Int(kActorExplosionMode);
    if (mode < 1 || mode > 4) return;
    Processor& processor = ProcessorOf(&actor);
    // Each effect asks the actor and runs its scripts, which may delete it: what follows an effect
    // that ended the actor is left out, as nothing can be asked of it any more.
    switch (mode) {
        case 1:
            MakeSplinters(actor, CachedPicture(processor, kBrokerPicture));
            if (!actor.Alive()) return;
            NewExplosion(actor, processor, kExplosionPicture, actor.X(), actor.Y());
            PlayNamedSound(processor, kExplosionSound);
            break;
        case 2:
            NewExplosion(actor, processor, kSmallExplosionPicture, actor.X(), actor.Y());
            break;
        case 3: {
            FreezeCopy(actor, processor);
            if (!actor.Alive()) return;
            ActorObject& explosion = NewExplosion(actor, processor, kExplosionPicture, actor.Int(kActorHitX),
                                                  actor.Int(kActorHitY));
            explosion.SetInt(kActorSpeedX, actor.SpeedX());
            explosion.SetInt(kActorSpeedY, actor.SpeedY());
            PlayNamedSound(processor, kExplosionSound);
            break;
        }
        default:
            MakeSplinters(actor, CachedPicture(processor, kBrokerPicture));
            break;
    }
}

std::unique_ptr<Frame> CutPiece(const Frame& source, const Frame& mask) {
    if (!source.HasPixels() || !mask.HasPixels()) return nullptr;
    // Source columns c with c + ox inside the mask, kept in 64 bits: origins come from files.
    const int64_t ox = mask.OriginX();
    const int64_t oy = mask.OriginY();
    const int64_t c0 = std::max<int64_t>(0, -ox);
    const int64_t c1 = std::min<int64_t>(source.Width(), int64_t{mask.Width()} - ox);
    const int64_t r0 = std::max<int64_t>(0, -oy);
    const int64_t r1 = std::min<int64_t>(source.Height(), int64_t{mask.Height()} - oy);
    int64_t left = INT64_MAX, top = INT64_MAX, right = -1, bottom = -1;
    for (int64_t r = r0; r < r1; ++r) {
        for (int64_t c = c0; c < c1; ++c) {
            if (source.PixelAt(c, r) == 0 || mask.PixelAt(c + ox, r + oy) == 0) continue;
            left = std::min(left, c);
            right = std::max(right, c);
            top = std::min(top, r);
            bottom = std::max(bottom, r);
        }
    }
    if (right < 0) return nullptr;
    auto piece = std::make_unique<Frame>();
    piece->SetGeometry(static_cast<uint32_t>(right - left + 1), static_cast<uint32_t>(bottom - top + 1),
                       source.BitsPerPixel());
    piece->SetFlags(kFrameTransparent);
    for (int64_t r = top; r <= bottom; ++r) {
        for (int64_t c = left; c <= right; ++c) {
            if (mask.PixelAt(c + ox, r + oy) != 0) piece->SetPixel(c - left, r - top, source.PixelAt(c, r));
        }
    }
    return piece;
}

uint32_t Actor::MakeSplinters(ActorObject& actor, Image& mask) {
    Processor& processor = ProcessorOf(&actor);
    const WeakObject maskRef(&mask);
    // No more entries than a drawing takes; each round may run scripts, so it stops with the
    // program as script loops do.
    const int32_t entries = VisibleEntryCount(Visual::CallEvent7(&actor));
    uint32_t made = 0;
    // The pieces are cut while the actor lives: its scripts may delete it, and a splinter's layer is
    // asked of it.
    for (int32_t i = 0; i < entries && actor.Alive(); ++i) {
        processor.CountLoopRound();
        int32_t x = 0;
        int32_t y = 0;
        uint32_t orientation = 0;
        const uint32_t frameValue = Visual::CallEvent8(&actor, i, x, y, orientation);
        for (uint32_t k = 0; actor.Alive(); ++k) {
            // Both are looked up again for each piece: creating a splinter runs script code.
            auto* maskNow = static_cast<Image*>(maskRef.Check(kImageKind, "picture"));
            if (k >= maskNow->FrameCount()) break;
            const auto* source =
                static_cast<const Frame*>(FindScriptHandle(frameValue, HandleFamily::kFrame, 0));
            if (source == nullptr) break;
            std::unique_ptr<Frame> piece = CutPiece(*source, *maskNow->GetFrame(static_cast<int32_t>(k)));
            if (!piece) continue;
            auto picture = std::make_unique<Image>();
            picture->AddFrame(std::move(piece), nullptr);
            picture->KeepForEngine();  // the splinter deletes it, never a script
            int32_t first = 0;
            int32_t second = 0;
            do {
                first = SplinterSpeed(EngineRand());
                second = SplinterSpeed(EngineRand());
            } while (std::abs(first) + std::abs(second) < kSplinterMinSpeed);
            DStack<uint32_t>& stack = processor.DataStack();
            stack.Push(static_cast<uint32_t>(y));
            stack.Push(static_cast<uint32_t>(x));
            stack.Push(static_cast<uint32_t>(first));
            stack.Push(static_cast<uint32_t>(second));
            stack.Push(picture->Address());
            ScriptObject* made_object = processor.NewObjectByName(String("Splinter"));
            auto* splinter = dynamic_cast<SplinterObject*>(made_object);
            if (splinter == nullptr) {
                DiscardObject(made_object);
                ThrowFatal("Splinter class made no splinter");
            }
            splinter->AdoptPicture(std::move(picture));
            EnterFlight(processor, splinter);
            splinter->SetInt(kActorLayer, CallLayer(&actor, 0));
            ++made;
        }
    }
    return made;
}

// --- Splinter ---

SplinterObject::SplinterObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t speedX,
                               int32_t speedY)
    : ActorObject(cls, picture, 0, x, y, speedX, speedY, 0, 0) {}

SplinterObject::~SplinterObject() = default;

void SplinterObject::AdoptPicture(std::unique_ptr<Image> picture) {
    if (!picture || picture->Address() != Own(kVisualPicture)) ThrowFatal("Splinter picture mismatch");
    ownPicture_ = std::move(picture);
}

namespace {

void CreateSplinter(ScriptObject* receiver) {
    NativeArgs args(receiver);
    ZEMAClass* cls = args.Class("Splinter");
    const uint32_t picture = args.Word();
    const int32_t speedX = args.Int();
    const int32_t speedY = args.Int();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    PushNewObject(RunnerOf(receiver), std::make_unique<SplinterObject>(cls, picture, x, y, speedX, speedY));
}

}  // namespace

void Splinter::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(CreateSplinter, 0);
}
