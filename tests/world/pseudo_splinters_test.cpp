// The frozen copy of explosion mode 3 end to end: made by the destruction effect, breaking into
// splinters cut with "Misc\Broker.dpf" when its countdown ends.
#include <gtest/gtest.h>

#include "shell/game_ids.h"
#include "tests/world/flight_actors_fixture.h"
#include "world/pseudo_actor.h"

namespace {

class PseudoSplintersTest : public FlightActorsTest {
  protected:
    // An actor of a 4 x 4 block moving right.
    ActorObject& Block(int32_t x, int32_t y) {
        return Make<ActorObject>("Actor", {Picture(1), 10, W(x), W(y), 100, 0, 0, 0});
    }
    uint32_t FlightCount() { return List(kTestRunListId).ObjectList().Count(); }
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
        auto& pseudo = Make<PseudoActorObject>("PseudoActor", {source.Address(), W(c.flags)});
        Call(&pseudo, "PseudoActor", 36, {1});
        const uint32_t before = FlightCount();
        CallVirtual(&pseudo, kStepVirtual, {0});
        EXPECT_EQ(pseudo.State(), kActorGone);
        EXPECT_EQ(FlightCount() - before, c.splinters);
    }
}

// Explosion mode 3 leaves a frozen copy with a countdown of 10 in the flight's actors.
TEST_F(PseudoSplintersTest, ExplosionModeThreeLeavesAFrozenCopy) {
    ActorObject& source = Block(20000, 20000);
    CallVirtual(&source, kExplodeVirtual);
    PseudoActorObject* pseudo = nullptr;
    auto& actors = List(kTestRunListId).ObjectList();
    for (ScriptObject* o = actors.First(); o != nullptr; o = actors.Next()) {
        if (pseudo == nullptr) pseudo = dynamic_cast<PseudoActorObject*>(o);
    }
    ASSERT_NE(pseudo, nullptr);
    EXPECT_EQ(pseudo->Int(kPseudoCountdown), 10);
    EXPECT_EQ(pseudo->Own(kPseudoFlags), 1u);
    EXPECT_EQ(pseudo->EntryCount(), 1u);
    EXPECT_EQ(pseudo->X(), 20000);
}
