#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/script_memory.h"
#include "graphics/frame.h"
#include "script/object_lifetime.h"
#include "script/operations.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/hostile_scripts.h"
#include "tests/world/flight_actors_fixture.h"
#include "tools/content/script_assembler.h"
#include "world/multi_actor.h"
#include "world/pseudo_actor.h"
#include "world/shots.h"

namespace {

class MultiActorTest : public FlightActorsTest {
  protected:
    MultiActorObject& NewMulti(int32_t x = 500, int32_t y = 600) {
        return Make<MultiActorObject>("MultiActor", {W(x), W(y)});
    }
    // A member that does nothing when it explodes.
    ActorObject& Member(MultiActorObject& multi, int32_t x, int32_t y, int32_t energy = 100) {
        ActorObject& member = PlainActor(x, y, 0, 0, energy);
        member.SetInt(kActorExplosionMode, 0);
        Call(&multi, "MultiActor", 35, {member.Address()});
        return member;
    }
    void Step(ScriptObject& object) { CallVirtual(&object, kStepVirtual, {0}); }
};

using PseudoActorTest = FlightActorsTest;

// Actors whose scripts change what native code walks or holds: a step that appends the actor in
// its field 1 to the MultiActor in its field 0; sources whose picture methods 8, 9, 10 or 12
// delete them, answering zeros, at the first entry of two.
std::vector<ScriptSubclass> HostileActors() {
    std::vector<ScriptSubclass> classes;
    ScriptSubclass appender{.name = "Appender", .base = "Actor", .instanceFields = 2, .uses = {"MultiActor"}};
    appender.virtuals[kStepVirtual] =
        CodeWords({{OpWord(Op::Drop)},
                   FieldWords(1),
                   FieldWords(0),
                   {ScriptAssembler::CallWord(35, 2, false, ScriptAssembler::Receiver::Popped)}});
    classes.push_back(appender);
    for (const auto& [number, answers] :
         std::vector<std::pair<uint32_t, int>>{{8, 4}, {9, 2}, {10, 1}, {12, 1}}) {
        ScriptSubclass source{.name = "Vanishing" + std::to_string(number), .base = "Actor"};
        source.virtuals[kPictureCountVirtual] = PushIntWords(2);
        source.virtuals[number] = CodeWords({{OpWord(Op::Drop)}, DeleteSelfWords()});
        for (int i = 0; i < answers; ++i) source.virtuals[number].push_back(OpWord(Op::PushZero));
        classes.push_back(source);
    }
    return classes;
}

class HostileCompoundTest : public FlightActorsTest {
  protected:
    HostileCompoundTest() : FlightActorsTest(HostileActors()) {}
};

}  // namespace

TEST_F(MultiActorTest, CreateMakesAnEmptyActorAtThePosition) {
    MultiActorObject& multi = NewMulti(-300, 400);
    EXPECT_EQ(multi.X(), -300);
    EXPECT_EQ(multi.Y(), 400);
    EXPECT_EQ(multi.Energy(), 0);
    EXPECT_EQ(multi.Picture(), nullptr);
    EXPECT_TRUE(multi.Members().empty());
    EXPECT_EQ(CallVirtual(&multi, kPictureCountVirtual), std::vector<uint32_t>{0});
}

// Entries are the members' entries one after the other: a plain member has one, a member whose
// frames are chosen by the caller one per frame.
TEST_F(MultiActorTest, EntriesAreAskedOfTheMemberThatHoldsThem) {
    MultiActorObject& multi = NewMulti();
    ActorObject& single = Member(multi, 100, 200);
    single.SetInt(kActorLayer, 7);
    ActorObject& framed = Make<ActorObject>("Actor", {Picture(3), 1, 900, 800, 0, 0, 0, 0});
    framed.Own(kVisualFlags) = kAnimFramesByCaller;
    framed.SetInt(kActorLayer, 9);
    Call(&multi, "MultiActor", 35, {framed.Address()});
    multi.SetInt(kActorLayer, 4);

    EXPECT_EQ(CallVirtual(&multi, kPictureCountVirtual), std::vector<uint32_t>{4});
    EXPECT_EQ(single.DrawnCount(), 1);
    EXPECT_EQ(framed.DrawnCount(), 3);

    const uint32_t secondFrame = Image::FromAddress(framed.Own(kVisualPicture))->GetFrame(1)->Address();
    EXPECT_EQ(CallVirtual(&multi, kPictureVirtual, {2}), (std::vector<uint32_t>{0, 800, 900, secondFrame}));
    const struct {
        const char* what;
        uint32_t number;
        int32_t entry;
        std::vector<uint32_t> results;
    } cases[] = {
        {"layer of the first member", kLayerVirtual, 0, {7}},
        {"layer of the second member", kLayerVirtual, 3, {9}},
        {"layer beyond the members: its own", kLayerVirtual, 4, {4}},
        {"negative entry: its own", kLayerVirtual, -1, {4}},
        {"damage table of a member", kDamageTableVirtual, 1, {framed.DamageTableAddress()}},
        {"damage table beyond: its own", kDamageTableVirtual, 9, {multi.DamageTableAddress()}},
        {"armour table of a member", kArmourTableVirtual, 0, {single.ArmourTableAddress()}},
        {"armour table beyond: its own", kArmourTableVirtual, 4, {multi.ArmourTableAddress()}},
        {"picture beyond: nothing at its position", kPictureVirtual, 4, {0, 600, 500, 0}},
        {"pair beyond: the defaults", 9, 4, {0, 2}},
        {"quadruple beyond: zeros", 11, 4, {0, 0, 0, 0}},
        {"attribute beyond: zero", 12, 4, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CallVirtual(&multi, c.number, {W(c.entry)}), c.results);
    }
}

TEST_F(MultiActorTest, HitsReachTheMemberOrTheMultiActorItself) {
    MultiActorObject& multi = NewMulti();
    ActorObject& first = Member(multi, 0, 0, 100);
    ActorObject& second = Member(multi, 0, 0, 100);
    CallVirtual(&multi, kPictureCountVirtual);
    std::vector<uint32_t> damage(kDamageKinds, 0);
    damage[3] = 30;
    auto table = NewScriptBuffer<uint32_t>(kDamageKinds * 4);
    std::memcpy(table.get(), damage.data(), kDamageKinds * 4);
    const uint32_t attacker = PlainActor(0, 0).Address();

    CallVirtual(&multi, kHitVirtual, {1, attacker, ToScript(table.get())});
    EXPECT_EQ(first.Energy(), 100);
    EXPECT_EQ(second.Energy(), 70);
    // Beyond all members the MultiActor takes the hit: its energy of 0 is used up.
    CallVirtual(&multi, kHitVirtual, {2, attacker, ToScript(table.get())});
    EXPECT_EQ(multi.Energy(), -30);
    EXPECT_EQ(multi.State(), kActorDestroyed);
    EXPECT_EQ(second.Energy(), 70);
}

TEST_F(MultiActorTest, MembersLeavingAndTheLastStep) {
    const struct {
        const char* what;
        std::vector<int32_t> memberStates;  // set before the step
        int32_t state;                      // of the MultiActor afterwards
        size_t left;
    } cases[] = {
        {"all alive", {0, 0}, kActorAlive, 2},
        {"one gone", {0, 2}, kActorAlive, 1},
        {"the last two leave: one destroyed, one gone", {1, 2}, kActorDestroyed, 0},
        {"the last two go", {2, 2}, kActorGone, 0},
        {"the last is destroyed", {1}, kActorDestroyed, 0},
        {"no members at all", {}, kActorGone, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MultiActorObject& multi = NewMulti();
        std::vector<uint32_t> members;
        for (int32_t state : c.memberStates) {
            ActorObject& member = Member(multi, 1000, 1000);
            member.SetState(state);
            members.push_back(member.Address());
        }
        Step(multi);
        EXPECT_EQ(multi.State(), c.state);
        EXPECT_EQ(multi.Members().size(), c.left);
        // Members that left are destroyed, not just unlinked.
        for (size_t i = 0; i < members.size(); ++i) {
            EXPECT_EQ(ActorObject::Find(members[i]) != nullptr, c.memberStates[i] == 0) << i;
        }
    }
}

TEST_F(MultiActorTest, StepsEveryMemberAndKeepsItsOwnPlace) {
    MultiActorObject& multi = NewMulti(500, 600);
    ActorObject& member = Member(multi, 1000, 1000);
    member.SetInt(kActorSpeedX, 25);
    Step(multi);
    Step(multi);
    EXPECT_EQ(member.X(), 1050);
    EXPECT_EQ(multi.X(), 500);
    EXPECT_EQ(multi.State(), kActorAlive);
}

TEST_F(MultiActorTest, AMemberDeletedElsewhereIsDropped) {
    MultiActorObject& multi = NewMulti();
    ActorObject& first = Member(multi, 0, 0);
    ActorObject& second = Member(multi, 0, 0);
    Delete(&first);
    ASSERT_EQ(multi.Members().size(), 1u);
    EXPECT_EQ(multi.Members()[0], &second);
    EXPECT_EQ(CallVirtual(&multi, kPictureCountVirtual), std::vector<uint32_t>{1});
}

TEST_F(MultiActorTest, LoopsOfMembersAreRefused) {
    MultiActorObject& outer = NewMulti();
    MultiActorObject& inner = NewMulti();
    Call(&outer, "MultiActor", 35, {inner.Address()});
    EXPECT_EQ(ErrorMessage([&] { Call(&outer, "MultiActor", 35, {outer.Address()}); }),
              "A MultiActor cannot be a member of itself");
    EXPECT_EQ(ErrorMessage([&] { Call(&inner, "MultiActor", 35, {outer.Address()}); }),
              "A MultiActor cannot be a member of a MultiActor it holds");
    auto& level = Level();
    EXPECT_NE(ErrorMessage([&] { Call(&outer, "MultiActor", 35, {level.Address()}); }), "no error");
    TakeData();
    EXPECT_EQ(outer.Members().size(), 1u);
}

// MultiActors inside MultiActors call each other natively: a deep nesting is an engine error, not
// a host stack that runs out.
TEST_F(MultiActorTest, NestingIsBounded) {
    const struct {
        int depth;
        const char* error;
    } cases[] = {{10, "no error"}, {100, "MultiActors nested too deeply"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        MultiActorObject* outer = &NewMulti();
        MultiActorObject* inner = outer;
        for (int i = 1; i < c.depth; ++i) {
            MultiActorObject& next = NewMulti();
            Call(inner, "MultiActor", 35, {next.Address()});
            inner = &next;
        }
        Member(*inner, 1000, 1000);
        StackDepths depths{};
        Cpu().SaveStackDepths(depths);
        EXPECT_EQ(ErrorMessage([&] { Step(*outer); }), c.error);
        Cpu().RestoreStackDepths(depths);
        EXPECT_EQ(ErrorMessage([&] { CallVirtual(outer, kPictureCountVirtual); }), c.error);
        Cpu().RestoreStackDepths(depths);
    }
}

// However deep the nesting a script built, destroying the outermost never recurses through it
// (levels held by nothing else, as a script that drops them leaves them).
TEST_F(MultiActorTest, DestroyingADeepNestingDestroysEveryLevel) {
    auto make = [&] {
        Cpu().DataStack().Push(0);
        Cpu().DataStack().Push(0);
        return &MultiActorObject::Of(Cpu().NewObjectByName(String("MultiActor")));
    };
    MultiActorObject* outer = make();
    MultiActorObject* parent = outer;
    std::vector<uint32_t> nested;
    for (int i = 0; i < 200000; ++i) {
        MultiActorObject* next = make();
        parent->Append(*next);
        nested.push_back(next->Address());
        parent = next;
    }
    Delete(outer);
    for (uint32_t address : nested) ASSERT_EQ(ActorObject::Find(address), nullptr);
}

TEST_F(MultiActorTest, DestroyingItDestroysItsMembers) {
    MultiActorObject& multi = NewMulti();
    const uint32_t member = Member(multi, 0, 0).Address();
    MultiActorObject& inner = NewMulti();
    const uint32_t nested = Member(inner, 0, 0).Address();
    Call(&multi, "MultiActor", 35, {inner.Address()});
    List(12).AppendObject(ActorObject::Find(member));
    Delete(&multi);
    EXPECT_EQ(ActorObject::Find(member), nullptr);
    EXPECT_EQ(ActorObject::Find(nested), nullptr);
    EXPECT_EQ(List(12).ObjectList().Count(), 0u);
}

// The snapshot of a shot with two frames drawn by the caller.
TEST_F(PseudoActorTest, SnapshotCopiesTheSourceEntries) {
    auto& source = Make<ShotObject>("Shot", {Picture(2, 3, 5), 1, 1200, 1300, 40, W(-60), 0, 0});
    source.Own(kVisualFlags) = kAnimFramesByCaller;
    source.SetInt(kActorLayer, 6);
    auto& pseudo = Make<PseudoActorObject>("PseudoActor", {source.Address(), 1});
    EXPECT_EQ(pseudo.X(), 1200);
    EXPECT_EQ(pseudo.Y(), 1300);
    EXPECT_EQ(pseudo.SpeedX(), 40);
    EXPECT_EQ(pseudo.SpeedY(), -60);
    EXPECT_EQ(pseudo.Energy(), 0);
    EXPECT_EQ(pseudo.Int(kVisualPhaseStep), 0);
    EXPECT_EQ(pseudo.Picture(), nullptr);
    EXPECT_EQ(Call(&pseudo, "PseudoActor", 35), std::vector<uint32_t>{15});
    EXPECT_EQ(Call(&pseudo, "PseudoActor", 37), std::vector<uint32_t>{pseudo.OwnAddress(kPseudoFlags)});
    EXPECT_EQ(pseudo.Own(kPseudoFlags), 1u);

    EXPECT_EQ(CallVirtual(&pseudo, kPictureCountVirtual), std::vector<uint32_t>{2});
    for (int32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const std::vector<uint32_t> drawn = CallVirtual(&pseudo, kPictureVirtual, {W(i)});
        ASSERT_EQ(drawn.size(), 4u);
        EXPECT_EQ(drawn[0], 0u);
        EXPECT_EQ(drawn[1], 1300u);
        EXPECT_EQ(drawn[2], 1200u);
        // An owned copy: another frame of the same size.
        EXPECT_NE(drawn[3], Image::FromAddress(source.Own(kVisualPicture))->GetFrame(i)->Address());
        EXPECT_EQ(Frame::FromAddress(drawn[3]), pseudo.Entry(i)->frame.get());
        EXPECT_EQ(pseudo.Entry(i)->frame->Width(), 3u);
        EXPECT_EQ(pseudo.Entry(i)->frame->Height(), 5u);
        EXPECT_EQ(CallVirtual(&pseudo, kLayerVirtual, {W(i)}), std::vector<uint32_t>{6});
        EXPECT_EQ(CallVirtual(&pseudo, 9, {W(i)}), (std::vector<uint32_t>{0, 4}));
        EXPECT_EQ(CallVirtual(&pseudo, 12, {W(i)}), std::vector<uint32_t>{0});
    }
    // Entries it does not have get the plain actor's answers.
    EXPECT_EQ(CallVirtual(&pseudo, kPictureVirtual, {2}), (std::vector<uint32_t>{0, 1300, 1200, 0}));
    EXPECT_EQ(CallVirtual(&pseudo, kLayerVirtual, {W(-1)}), std::vector<uint32_t>{0});
    // The copies outlive the source.
    const uint32_t copy = pseudo.Entry(1)->frame->Address();
    Delete(&source);
    EXPECT_EQ(Frame::FromAddress(copy)->Width(), 3u);
}

TEST_F(PseudoActorTest, DriftsThenVanishesWithoutSplintersWhenItsFlagsSaySo) {
    auto& source = Make<ActorObject>("Actor", {Picture(1), 1, 1000, 1000, 10, 20, 0, 0});
    auto& pseudo = Make<PseudoActorObject>("PseudoActor", {source.Address(), 0});
    Call(&pseudo, "PseudoActor", 36, {3});
    const uint32_t actors = List(12).ObjectList().Count();
    for (int step = 1; step <= 3; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(pseudo.State(), kActorAlive);
        CallVirtual(&pseudo, kStepVirtual, {0});
        EXPECT_EQ(pseudo.Entry(0)->x, 1000 + 10 * step);
        EXPECT_EQ(pseudo.Entry(0)->y, 1000 + 20 * step);
        EXPECT_EQ(pseudo.X(), 1000 + 10 * step);
    }
    EXPECT_EQ(pseudo.State(), kActorGone);
    EXPECT_EQ(List(12).ObjectList().Count(), actors);
}

// A countdown a script set to 0 never ends the actor (it counts on round the 32 bits).
TEST_F(PseudoActorTest, ACountdownOfZeroNeverEndsIt) {
    auto& source = Make<ActorObject>("Actor", {Picture(1), 1, 1000, 1000, 0, 0, 0, 0});
    auto& pseudo = Make<PseudoActorObject>("PseudoActor", {source.Address(), 0});
    Call(&pseudo, "PseudoActor", 36, {0});
    for (int step = 0; step < 20; ++step) CallVirtual(&pseudo, kStepVirtual, {0});
    EXPECT_EQ(pseudo.State(), kActorAlive);
    EXPECT_EQ(Call(&pseudo, "PseudoActor", 35), std::vector<uint32_t>{W(-20)});
}

// A member's step appends an actor to its MultiActor: the step goes over the members it began with,
// each once; a member already held is not held twice.
TEST_F(HostileCompoundTest, AStepWalksTheMembersItBeganWith) {
    const struct {
        const char* name;
        bool appendsItself;
        size_t members;     // after two steps
        int32_t appendedX;  // the appended actor moves 10 a step it is stepped in
    } cases[] = {{"another actor", false, 2, 10}, {"itself", true, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& multi = Make<MultiActorObject>("MultiActor", {0, 0});
        auto& member = Make<ActorObject>("Appender", {0, 10, 0, 0, 0, 0, 0, 0});
        ActorObject& other = PlainActor(0, 0, 10);
        Call(&multi, "MultiActor", 35, {member.Address()});
        member.Field(0) = multi.Address();
        member.Field(1) = c.appendsItself ? member.Address() : other.Address();
        CallVirtual(&multi, kStepVirtual, {0});
        CallVirtual(&multi, kStepVirtual, {0});
        EXPECT_EQ(multi.Members().size(), c.members);
        EXPECT_EQ(other.X(), c.appendedX);
        EXPECT_EQ(multi.State(), kActorAlive);
    }
}

// The source deletes itself while it is asked for its first entry: the snapshot keeps the entries
// it answered whole, and the explosion that freezes it asks nothing more of it.
TEST_F(HostileCompoundTest, ASnapshotEndsWhereItsSourceDoes) {
    const struct {
        uint32_t number;
        uint32_t kept;
    } cases[] = {{8, 0}, {10, 0}, {12, 0}, {9, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const ReleaseHold hold;
        const std::string cls = "Vanishing" + std::to_string(c.number);
        ScriptObject& source = Make<ActorObject>(cls.c_str(), {0, 10, 0, 0, 0, 0, 0, 0});
        GameObject copy;
        EXPECT_EQ(ErrorMessage([&] { copy = game.New("PseudoActor", {0, source.Address()}); }), "no error");
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(PseudoActorObject::Of(copy.get()).EntryCount(), c.kept);
        EXPECT_FALSE(source.Alive());

        ScriptObject& exploding = Make<ActorObject>(cls.c_str(), {0, 10, 0, 0, 0, 0, 0, 0});
        const uint32_t before = List(kTestRunListId).ObjectList().Count();
        EXPECT_EQ(ErrorMessage([&] { CallVirtual(&exploding, kExplodeVirtual); }), "no error");
        // The frozen copy, and no explosion whose layer the gone actor would have to give.
        EXPECT_EQ(List(kTestRunListId).ObjectList().Count(), before + 1);
    }
}
