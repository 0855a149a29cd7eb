#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/random.h"
#include "foundation/script_handle.h"
#include "graphics/frame.h"
#include "graphics/image.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/world/world_fixture.h"
#include "world/passive_picture.h"
#include "world/splinter.h"

namespace {

const std::vector<FdEntry> kPictures = {
    {"Ship.dpf", PictureBytes({Solid(4, 4)})},
    // Three cutting shapes: the top-left corner, the whole ship, and one without an opaque pixel.
    {"Cuts.dpf", PictureBytes({Solid(2, 2), Solid(8, 8), {{0, 0}}})},
};

std::unique_ptr<Frame> MakeFrame(uint32_t bits, const std::vector<std::vector<uint16_t>>& rows,
                                 int32_t ox = 0, int32_t oy = 0) {
    auto frame = std::make_unique<Frame>();
    frame->SetGeometry(rows.empty() ? 0 : static_cast<uint32_t>(rows[0].size()),
                       static_cast<uint32_t>(rows.size()), bits);
    for (uint32_t r = 0; r < rows.size(); ++r)
        for (uint32_t c = 0; c < rows[r].size(); ++c) frame->SetPixel(c, r, rows[r][c]);
    frame->SetOrigin(ox, oy);
    return frame;
}

std::vector<std::vector<uint16_t>> PixelsOf(const Frame& frame) {
    std::vector<std::vector<uint16_t>> rows(frame.Height(), std::vector<uint16_t>(frame.Width()));
    for (uint32_t r = 0; r < frame.Height(); ++r)
        for (uint32_t c = 0; c < frame.Width(); ++c) rows[r][c] = static_cast<uint16_t>(frame.PixelAt(c, r));
    return rows;
}

class ExplosionTest : public WorldTest {
  protected:
    ExplosionTest() : WorldTest(kPictures) {}

    ActorObject& Ship(int32_t mode) {
        ActorObject& ship = NewActor(Picture("Ship.dpf").Address(), 10, 1000, 2000, 30, 40);
        ship.SetInt(kActorExplosionMode, mode);
        ship.SetInt(kActorLayer, 7);
        return ship;
    }

    // The flight's objects, by kind.
    std::vector<ActorObject*> Made(bool splinters) {
        std::vector<ActorObject*> made;
        List<ScriptObject>& list = Flight().ObjectList();
        for (ScriptObject* o = list.First(); o != nullptr; o = list.Next()) {
            const bool isSplinter = dynamic_cast<SplinterObject*>(o) != nullptr;
            if (isSplinter == splinters) made.push_back(&ActorObject::Of(o));
        }
        return made;
    }
};

TEST_F(ExplosionTest, EachModeMakesItsEffect) {
    struct Case {
        const char* name;
        int32_t mode;
        size_t explosions, splinters;
        const char* picture;
    } cases[] = {
        {"0 does nothing", 0, 0, 0, nullptr},
        {"5 does nothing", 5, 0, 0, nullptr},
        {"negative does nothing", -1, 0, 0, nullptr},
        {"1: explosion and splinters", 1, 1, 1, "Explosions\\Explosion1.dpf"},
        {"2: a small explosion", 2, 1, 0, "Explosions\\SmallExplosion.dpf"},
        {"4: splinters only", 4, 0, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Flight().ClearList();
        ActorObject& ship = Ship(c.mode);
        CallVirtual(&ship, kExplodeVirtual);
        EXPECT_EQ(Depth(), 0u);
        const auto explosions = Made(false);
        const auto splinters = Made(true);
        ASSERT_EQ(explosions.size(), c.explosions);
        ASSERT_EQ(splinters.size(), c.splinters);
        for (ActorObject* e : explosions) {
            EXPECT_NE(dynamic_cast<PassivePictureObject*>(e), nullptr);
            EXPECT_EQ(e->Class(), Class("Explosion"));
            EXPECT_EQ(e->Own(kVisualPicture), Picture(c.picture).Address());
            EXPECT_EQ(e->X(), 1000);
            EXPECT_EQ(e->Y(), 2000);
            EXPECT_EQ(e->Layer(), 8);  // above the actor
        }
        for (ActorObject* s : splinters) EXPECT_EQ(s->Layer(), 7);  // on the actor's layer
    }
}

TEST_F(ExplosionTest, ExplosionsPlayTheirPictureOnceOrForTheirLifetime) {
    struct Case {
        const char* name;
        const char* className;
        const char* picture;
        int32_t lifetime;
        int steps;  // until it is gone
    } cases[] = {
        {"a one-frame explosion is gone after its first step", "Explosion", "Explosions\\SmallExplosion.dpf",
         -1, 1},
        {"two frames, two steps", "Explosion", "Explosions\\Explosion1.dpf", -1, 2},
        {"a lifetime outlasts the animation", "PassivePicture", "Explosions\\Explosion1.dpf", 5, 5},
        {"a lifetime cuts the animation short", "PassivePicture", "Explosions\\Explosion1.dpf", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptObject& made = New(c.className, {300, 200, Picture(c.picture).Address()});
        ActorObject& picture = ActorObject::Of(&made);
        EXPECT_EQ(picture.X(), 200);
        EXPECT_EQ(picture.Y(), 300);
        EXPECT_EQ(picture.Energy(), 0);
        Call(&picture, 36, {uint32_t(c.lifetime)});
        int steps = 0;
        while (picture.State() == kActorAlive && steps < 10) {
            CallVirtual(&picture, kStepVirtual, {0});
            ++steps;
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(picture.State(), kActorGone);
        EXPECT_EQ(Depth(), 0u);
    }
}

TEST_F(ExplosionTest, PassivePicturesShowTheirPhaseAndDrawPairs) {
    ScriptObject& passive =
        New("PassivePicture", {300, 200, Picture("Explosions\\Explosion1.dpf").Address()});
    ScriptObject& explosion = New("Explosion", {300, 200, Picture("Explosions\\Explosion1.dpf").Address()});
    Call(&passive, 35);
    EXPECT_EQ(static_cast<int32_t>(Pop()), -1);
    ActorObject::Of(&passive).SetInt(kVisualPhase, 150);
    int32_t x = 0, y = 0;
    uint32_t orientation = 9;
    EXPECT_EQ(Visual::CallEvent8(&passive, 0, x, y, orientation),
              Picture("Explosions\\Explosion1.dpf").GetFrame(1)->Address());
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, 300);
    EXPECT_EQ(orientation, 0u);
    EXPECT_EQ(Visual::CallEvent9First(&explosion, 0), 4);
    EXPECT_EQ(Visual::CallEvent9Second(&explosion, 0), 1);
    EXPECT_EQ(Visual::CallEvent12(&explosion, 0), 4);
    EXPECT_EQ(Visual::CallEvent12(&passive, 0), 0);
    ActorObject::Of(&passive).Own(kPassiveStop) = 1;
    CallVirtual(&passive, kStepVirtual, {0});
    EXPECT_EQ(ActorObject::Of(&passive).State(), kActorGone);
}

TEST_F(ExplosionTest, CutPieceClipsToBothFrames) {
    const std::vector<std::vector<uint16_t>> ship = {
        {1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {0, 14, 15, 16}};
    struct Case {
        const char* name;
        std::unique_ptr<Frame> mask;
        std::vector<std::vector<uint16_t>> piece;  // empty: no piece
    };
    Case cases[] = {
        {"a small mask takes its corner", MakeFrame(16, {{1, 1}, {1, 1}}), {{1, 2}, {5, 6}}},
        {"the mask origin shifts the cut", MakeFrame(16, {{1, 1}, {1, 1}}, 1, 1), {{1}}},
        {"a negative origin reaches inside", MakeFrame(16, {{1, 1}, {1, 1}}, -2, -1), {{7, 8}, {11, 12}}},
        {"a large mask takes the whole frame",
         MakeFrame(16, std::vector<std::vector<uint16_t>>(9, std::vector<uint16_t>(9, 1))), ship},
        {"holes in the mask are transparent", MakeFrame(16, {{1, 0}, {0, 1}}), {{1, 0}, {0, 6}}},
        {"an 8-bit mask is read as bytes", MakeFrame(8, {{0, 0, 0}, {0, 0, 0}, {0, 0, 200}}), {{11}}},
        {"a transparent source pixel is no piece", MakeFrame(16, {{1}}, 0, -3), {}},
        {"a mask off the frame cuts nothing", MakeFrame(16, {{1}}, -9, 0), {}},
        {"a mask far below cuts nothing", MakeFrame(16, {{1, 1}}, 0, 100), {}},
    };
    const auto source = MakeFrame(16, ship);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Frame> piece = CutPiece(*source, *c.mask);
        if (c.piece.empty()) {
            EXPECT_EQ(piece, nullptr);
            continue;
        }
        ASSERT_NE(piece, nullptr);
        EXPECT_EQ(piece->BitsPerPixel(), 16u);
        EXPECT_EQ(piece->Flags(), kFrameTransparent);
        EXPECT_EQ(piece->OriginX(), 0);
        EXPECT_EQ(PixelsOf(*piece), c.piece);
    }
    // A source of 8 bits cut with a 16-bit mask: the piece keeps the source's depth.
    const auto indexed = MakeFrame(8, {{0, 7}, {9, 0}});
    const auto piece = CutPiece(*indexed, *MakeFrame(16, {{0x100, 0x100}, {0x100, 0x100}}));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->BitsPerPixel(), 8u);
    EXPECT_EQ(PixelsOf(*piece), (std::vector<std::vector<uint16_t>>{{0, 7}, {9, 0}}));
}

TEST_F(ExplosionTest, SplintersFlyOffFromTheEntryAtRandomSpeeds) {
    ActorObject& ship = Ship(0);
    SeedRandom(77);
    Call(&ship, 22, {Picture("Cuts.dpf").Address()});
    const auto splinters = Made(true);
    ASSERT_EQ(splinters.size(), 2u);  // at most entries x mask frames; the third cuts nothing

    SeedRandom(77);
    for (ActorObject* s : splinters) {
        int32_t first = 0, second = 0;
        do {
            first = EngineRand() * 8000 / 32767 - 4000;
            second = EngineRand() * 8000 / 32767 - 4000;
        } while (std::abs(first) + std::abs(second) < 1000);
        EXPECT_EQ(s->SpeedX(), second);
        EXPECT_EQ(s->SpeedY(), first);
        EXPECT_GE(std::abs(s->SpeedX()) + std::abs(s->SpeedY()), 1000);
        EXPECT_EQ(s->X(), 1000);  // the entry's position, not moved by the cut
        EXPECT_EQ(s->Y(), 2000);
        EXPECT_EQ(s->Energy(), 0);
    }
    EXPECT_EQ(splinters[0]->Picture()->GetFrame(0)->Width(), 2u);
    EXPECT_EQ(splinters[1]->Picture()->GetFrame(0)->Width(), 4u);
}

TEST_F(ExplosionTest, ASplinterOwnsOnlyThePictureMadeForIt) {
    const uint32_t before = LiveScriptHandleCount();
    ActorObject& ship = Ship(0);
    Call(&ship, 22, {Picture("Cuts.dpf").Address()});
    const uint32_t made = LiveScriptHandleCount();
    EXPECT_GT(made, before + 2);
    const uint32_t piece = Made(true)[0]->Own(kVisualPicture);
    // A script cannot delete the piece's picture; it goes with the splinter.
    EXPECT_TRUE(Image::FromAddress(piece)->KeptByEngine());
    Flight().ClearList();
    EXPECT_EQ(FindScriptHandle(piece, HandleFamily::kScriptObject, 0), nullptr);

    // A splinter a script makes with a cached picture leaves the picture to the cache.
    const uint32_t cached = Picture("Ship.dpf").Address();
    ScriptObject* splinter = &New("Splinter", {5, 6, 7, 8, cached});
    EXPECT_EQ(ActorObject::Of(splinter).SpeedX(), 8);
    EXPECT_EQ(ActorObject::Of(splinter).SpeedY(), 7);
    EXPECT_EQ(ActorObject::Of(splinter).X(), 6);
    EXPECT_EQ(ActorObject::Of(splinter).Y(), 5);
    objects.clear();
    EXPECT_EQ(Image::FromAddress(cached), &Picture("Ship.dpf"));
}

TEST_F(ExplosionTest, EffectsWithoutAFlightAreAnEngineError) {
    Cpu().Objects().SetObject(nullptr, kTestRunListId);
    ActorObject& ship = Ship(2);
    Picture("Explosions\\SmallExplosion.dpf");  // in the cache before counting
    const uint32_t before = LiveScriptHandleCount();
    EXPECT_EQ(ErrorMessage([&] { CallVirtual(&ship, kExplodeVirtual); }), "No flight to enter an actor into");
    EXPECT_EQ(LiveScriptHandleCount(), before);  // nothing left behind
}

}  // namespace
