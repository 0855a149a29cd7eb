// Entry counts that scripts answer or write: collisions walk no more entries than the drawing gave,
// splinters no more than a drawing takes, and both stop when the program is asked to quit.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "graphics/display_services.h"
#include "graphics/image.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/native_catalogue.h"
#include "shell/draw_layers.h"
#include "tests/support/error_message.h"
#include "tests/world/world_fixture.h"
#include "world/collision_sweep.h"
#include "world/multi_actor.h"
#include "world/pseudo_actor.h"

namespace {

// What the scripted actors' virtual methods 7 and 8 answer, and how often 8 was asked. Every entry
// of virtual method 8 lies at the actor's own position, so two scripted actors apart never hit.
struct EntryScript {
    uint32_t count = 0;
    uint32_t frame = 0;
    uint64_t calls = 0;
};
EntryScript script;

// A loop its count did not bound ends here instead of running for minutes.
constexpr uint64_t kRunaway = 1000000;

void AnswerCount(ScriptObject* receiver) {
    NativeArgs(receiver).Stack().Push(script.count);
}

void GiveEntry(ScriptObject* receiver) {
    NativeArgs args(receiver);
    args.Int();
    if (++script.calls > kRunaway) throw FatalExep(String("runaway"));
    const ActorObject& actor = ActorObject::Of(receiver);
    args.Stack().Push(0);  // orientation, y, x, then the frame on top
    args.Stack().Push(static_cast<uint32_t>(actor.Y()));
    args.Stack().Push(static_cast<uint32_t>(actor.X()));
    args.Stack().Push(script.frame);
}

const std::vector<FdEntry> kShapes = {{"Dot.dpf", PictureBytes({Solid(1, 1)})}};

constexpr uint32_t kPollRounds = Processor::kStopPollInterval;

class ActorCountsTest : public WorldTest {
  protected:
    ActorCountsTest() : WorldTest(kShapes) {
        script = EntryScript{};
        scripted_.ReserveMethods(35, 18);
        scripted_.SetVirtualMethod(AnswerCount, kPictureCountVirtual);
        scripted_.SetVirtualMethod(GiveEntry, kPictureVirtual);
        BindNativeRow(NativeClassRowOf("Actor"), scripted_);
        dot = Picture("Dot.dpf").GetFrame(0)->Address();
        script.frame = dot;
    }

    // An actor whose entry count and entries come from the script above.
    ActorObject& Scripted(int32_t x = 90000) {
        actors_.push_back(NewScripted(x));
        return *actors_.back();
    }
    // The same, for an owner to take.
    std::unique_ptr<ActorObject> NewScripted(int32_t x = 90000) {
        return std::make_unique<ActorObject>(&scripted_, 0, 100, x, 90000, 0, 0, 0, 0);
    }
    // As the flight's drawing leaves it: the count drawn and the first 20 entries cached, far from
    // everything else so that nothing hits.
    void Drawn(ActorObject& actor, int32_t count, int32_t x) {
        Draw(actor, std::vector<DrawnEntry>(static_cast<size_t>(std::clamp(count, 0, 20)), {dot, x, 0, 0}));
        actor.SetDrawnCount(count);
    }
    // Stop polls answer as the game's hook does once quit was asked for.
    void AskQuit() {
        Cpu().SetStopHook([] { throw StopRequested{}; });
    }

    uint32_t dot = 0;

  private:
    ZEMAClass scripted_{processor.get()};
    std::vector<std::unique_ptr<ActorObject>> actors_;
};

TEST_F(ActorCountsTest, ACollisionWalksNoMoreEntriesThanTheDrawingGave) {
    struct Case {
        const char* name;
        int32_t drawn;    // what the drawing gave
        int32_t written;  // what a script then wrote into the count
        int32_t tested;
    } cases[] = {
        {"as drawn", 22, 22, 22},
        {"a script may lower it", 22, 21, 21},
        {"one more than drawn", 22, 23, 22},
        {"the largest count", 22, INT32_MAX, 22},
        {"a negative count", 22, -1, 0},
        {"never drawn", 0, INT32_MAX, 0},
        {"the most a drawing takes", DrawnEntries::kMaxCount, INT32_MAX, DrawnEntries::kMaxCount},
        {"beyond what a drawing takes", DrawnEntries::kMaxCount + 1, DrawnEntries::kMaxCount + 1,
         DrawnEntries::kMaxCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& self = Scripted();
        Drawn(self, c.drawn, 50000);
        self.SetInt(kActorDrawnCount, c.written);
        ActorObject& other = NewActor(0, 100, 0, 0);
        Draw(other, {{dot, 0, 0, 0}});
        script.calls = 0;
        EXPECT_EQ(self.TestedDrawnCount(), c.tested);
        EXPECT_EQ(Actor::TestCollision(self, other), 0u);
        // Entries beyond the cache are asked of virtual method 8, once each against one other entry.
        EXPECT_EQ(script.calls, static_cast<uint64_t>(std::max(c.tested - 20, 0)));
        // The other way round the written count bounds the inner loop the same way.
        script.calls = 0;
        EXPECT_EQ(Actor::TestCollision(other, self), 0u);
        EXPECT_EQ(script.calls, static_cast<uint64_t>(std::max(c.tested - 20, 0)));
        EXPECT_EQ(Depth(), 0u);
    }
}

TEST_F(ActorCountsTest, ACollisionOfHugeCountsEndsWhenQuitIsAsked) {
    ActorObject& a = Scripted(100000);
    ActorObject& b = Scripted(200000);
    Drawn(a, INT32_MAX, 50000);
    Drawn(b, INT32_MAX, 70000);
    a.SetInt(kActorDrawnCount, INT32_MAX);
    b.SetInt(kActorDrawnCount, INT32_MAX);
    AskQuit();
    EXPECT_THROW(Actor::TestCollision(a, b), StopRequested);
    EXPECT_LE(script.calls, kPollRounds);
    // Counts small enough to finish run to the end without a quit.
    Cpu().SetStopHook(nullptr);
    Drawn(a, 25, 50000);
    Drawn(b, 25, 70000);
    script.calls = 0;
    EXPECT_EQ(Actor::TestCollision(a, b), 0u);
    EXPECT_EQ(script.calls, 5u + 25u * 5u);  // a's last five, then b's last five for each of a's
}

TEST_F(ActorCountsTest, TheSweepBoxesWhatTheCollisionWalks) {
    struct Case {
        const char* name;
        int32_t drawn;
        int32_t written;
        bool everywhere;
    } cases[] = {
        {"one entry, count overwritten", 1, INT32_MAX, false},
        {"the cache full", 20, 20, false},
        {"one beyond the cache", 21, 21, true},
        {"beyond the cache, lowered into it", 21, 20, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& actor = NewActor(0, 100, 0, 0);
        Drawn(actor, c.drawn, 1000);
        actor.SetInt(kActorDrawnCount, c.written);
        const DrawnBounds bounds = BoundsOf(actor);
        EXPECT_EQ(bounds.everywhere, c.everywhere);
        if (!c.everywhere) {
            EXPECT_EQ(bounds.left, 10);
        }
    }
}

TEST_F(ActorCountsTest, SplintersTakeNoMoreEntriesThanADrawing) {
    script.frame = 0;  // entries without a frame make no splinters
    struct Case {
        const char* name;
        uint32_t count;
        const char* error;  // null when the cut runs
    } cases[] = {
        // The limit's own table is the drawing's (VisibleEntryCount); these show the cut keeps to it.
        {"the most a drawing takes", DrawnEntries::kMaxCount, nullptr},
        {"one more", DrawnEntries::kMaxCount + 1, "Too many visible entries: 65537"},
        {"a negative count", 0xFFFFFFFFu, nullptr},
    };
    Image& mask = Picture("Dot.dpf");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ActorObject& actor = Scripted();
        script.count = c.count;
        script.calls = 0;
        const std::string message = ErrorMessage([&] { EXPECT_EQ(Actor::MakeSplinters(actor, mask), 0u); });
        if (c.error != nullptr) {
            EXPECT_EQ(message, c.error);
            EXPECT_EQ(script.calls, 0u);
        } else {
            EXPECT_EQ(message, "no error");
            EXPECT_EQ(script.calls, static_cast<int32_t>(c.count) > 0 ? c.count : 0u);
        }
    }
    ActorObject& actor = Scripted();
    script.count = DrawnEntries::kMaxCount;
    script.calls = 0;
    AskQuit();
    EXPECT_THROW(Actor::MakeSplinters(actor, mask), StopRequested);
    EXPECT_LE(script.calls, kPollRounds);
}

// A member of a MultiActor and the source of a snapshot count their entries as the same actor's
// drawing does.
TEST_F(ActorCountsTest, MembersAndSnapshotSourcesCountAsADrawingDoes) {
    script.frame = 0;
    constexpr int32_t kMost = DrawnEntries::kMaxCount;
    const struct {
        const char* name;
        uint32_t answer;
        int32_t taken;
        const char* error;  // null when counted
    } cases[] = {
        {"a negative count", 0xFFFFFFFFu, 0, nullptr},
        {"none", 0, 0, nullptr},
        {"the most a drawing takes", static_cast<uint32_t>(kMost), kMost, nullptr},
        {"one more", static_cast<uint32_t>(kMost) + 1, 0, "Too many visible entries: 65537"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.count = c.answer;
        MultiActorObject multi(Class("Actor"), 0, 0);
        ActorObject& member = *NewScripted().release();  // the MultiActor owns it
        multi.Append(member);
        const std::string counted =
            ErrorMessage([&] { EXPECT_EQ(MultiActor::EntryCount(multi), static_cast<uint32_t>(c.taken)); });
        EXPECT_EQ(counted, c.error != nullptr ? c.error : "no error");
        if (c.error == nullptr) {
            EXPECT_EQ(member.DrawnCount(), c.taken);
        }
        const std::string copied = ErrorMessage([&] {
            const PseudoActorObject copy(Class("Actor"), member, 0);
            EXPECT_EQ(copy.EntryCount(), static_cast<uint32_t>(c.taken));
        });
        EXPECT_EQ(copied, c.error != nullptr ? c.error : "no error");
    }
}

TEST_F(ActorCountsTest, ASnapshotOfManyEntriesEndsWhenQuitIsAsked) {
    script.frame = 0;
    ActorObject& source = Scripted();
    script.count = static_cast<uint32_t>(DrawnEntries::kMaxCount);
    PseudoActorObject whole(Class("Actor"), source, 0);
    EXPECT_EQ(script.calls, static_cast<uint32_t>(DrawnEntries::kMaxCount));
    script.calls = 0;
    AskQuit();
    EXPECT_THROW(PseudoActorObject(Class("Actor"), source, 0), StopRequested);
    EXPECT_LE(script.calls, kPollRounds);
}

}  // namespace
