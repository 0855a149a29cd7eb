// The frozen copy of explosion mode 3 end to end: made by the destruction effect, breaking into
// splinters cut with "Misc\Broker.dpf" when its countdown ends.
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "tests/world/world_fixture.h"
#include "world/pseudo_actor.h"

namespace {

class PseudoSplintersTest : public WorldTest {
  protected:
    PseudoSplintersTest() : WorldTest({{"Test\\Block.dpf", PictureBytes({Solid(4, 4)})}}) {
        Cpu().Classes().Register(NewNativeDescriptor(processor.get(), "PseudoActor"), false);
    }

    // An actor of a 4 x 4 block moving right.
    ActorObject& Block(int32_t x, int32_t y) {
        return NewActor(Picture("Test\\Block.dpf").Address(), 10, x, y, 100, 0);
    }
};

}  // namespace

TEST_F(PseudoSplintersTest, BreaksIntoSplintersWhenItsFlagsAskForIt) {
    const struct {
        const char* what;
        int32_t flags;
        uint32_t splinters;
    } cases[] = {{"flags 1: splinters", 1, 1}, {"flags 0: none", 0, 0}, {"other bits alone: none", 6, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ActorObject& source = Block(10000, 10000);
        auto& pseudo =
            dynamic_cast<PseudoActorObject&>(New("PseudoActor", {uint32_t(c.flags), source.Address()}));
        Call(&pseudo, 36, {1});
        const uint32_t before = FlightCount();
        CallVirtual(&pseudo, kStepVirtual, {0});
        EXPECT_EQ(pseudo.State(), kActorGone);
        EXPECT_EQ(FlightCount() - before, c.splinters);
    }
}

// Explosion mode 3 leaves a frozen copy with a countdown of 10 in the flight's actors.
TEST_F(PseudoSplintersTest, ExplosionModeThreeLeavesAFrozenCopy) {
    ActorObject& source = Block(20000, 20000);
    Actor::Explode(source);
    PseudoActorObject* pseudo = nullptr;
    for (ScriptObject* o = Flight().ObjectList().First(); o != nullptr; o = Flight().ObjectList().Next()) {
        if (pseudo == nullptr) pseudo = dynamic_cast<PseudoActorObject*>(o);
    }
    ASSERT_NE(pseudo, nullptr);
    EXPECT_EQ(pseudo->Int(kPseudoCountdown), 10);
    EXPECT_EQ(pseudo->Own(kPseudoFlags), 1u);
    EXPECT_EQ(pseudo->EntryCount(), 1u);
    EXPECT_EQ(pseudo->X(), 20000);
}
