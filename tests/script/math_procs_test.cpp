#include "script/math_procs.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "foundation/random.h"
#include "script/object_manager.h"
#include "tests/script/native_fixture.h"

namespace {

class FakeActor : public ScriptObject, public ActorView {
  public:
    FakeActor(int32_t x, int32_t y, uint32_t removed = 0)
        : ScriptObject(nullptr), x_(x), y_(y), removed_(removed) {}
    int32_t ActorX() const override { return x_; }
    int32_t ActorY() const override { return y_; }
    uint32_t ActorRemoved() const override { return removed_; }

  private:
    int32_t x_, y_;
    uint32_t removed_;
};

class FakeContainer : public ScriptObject, public ActorContainer {
  public:
    FakeContainer() : ScriptObject(nullptr) {}
    List<ScriptObject>& ObjectList() override { return list; }
    List<ScriptObject> list{false};
};

class MathProcsTest : public NativeFixture {
  protected:
    MathProcsTest() : cls(AddNative("MathProcs")) {
        Call(cls, cls, 0, {cls->Address()});
        object.reset(ScriptObject::FromAddress(Pop(), 0, "MathProcs object"));
    }

    // Pushes the arguments, calls the method and pops every result, top first.
    std::vector<int32_t> Run(uint32_t method, const std::vector<int32_t>& arguments) {
        std::vector<uint32_t> words(arguments.begin(), arguments.end());
        Call(object.get(), cls, method, words);
        std::vector<int32_t> results;
        while (Depth() > 0) results.push_back(static_cast<int32_t>(Pop()));
        return results;
    }
    int32_t Run1(uint32_t method, const std::vector<int32_t>& arguments) {
        std::vector<int32_t> r = Run(method, arguments);
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? 0 : r[0];
    }
    FakeActor* Add(int32_t x, int32_t y, uint32_t removed = 0) {
        actors.push_back(std::make_unique<FakeActor>(x, y, removed));
        container->list.Append(actors.back().get(), 2);
        return actors.back().get();
    }
    static int32_t Address(const ScriptObject* o) { return static_cast<int32_t>(o->Address()); }

    ZEMAClass* cls;
    std::unique_ptr<ScriptObject> object;
    std::vector<std::unique_ptr<FakeActor>> actors;
    // Objects scripts can name must live in script memory.
    std::unique_ptr<FakeContainer> container = std::make_unique<FakeContainer>();
};

}  // namespace

TEST_F(MathProcsTest, Bindings) {
    EXPECT_EQ(cls->MethodCount(), 14u);
    EXPECT_EQ(cls->VirtualMethodCount(), 2u);
    for (uint32_t m = 0; m < 14; ++m) EXPECT_NE(cls->MethodSlot(m), 0u) << m;
}

TEST_F(MathProcsTest, HypotAngleSinCos) {
    EXPECT_EQ(IntHypot(3, 4), 5);
    EXPECT_EQ(IntHypot(-5, 12), 13);
    EXPECT_EQ(IntHypot(1, 1), 1);
    EXPECT_EQ(VectorAngleX100(1, 0), 0);
    EXPECT_EQ(VectorAngleX100(0, -1), 9004);
    EXPECT_EQ(VectorAngleX100(-1, 0), 18008);
    EXPECT_EQ(VectorAngleX100(0, 1), 27013);
    EXPECT_EQ(VectorAngleX100(0, 0), 9004);
    EXPECT_EQ(SinX100(9000), 99);
    EXPECT_EQ(SinX100(0), 0);
    EXPECT_EQ(SinX100(4500), 70);
    EXPECT_EQ(SinX100(27000), -99);
    EXPECT_EQ(CosX100(0), 100);
    EXPECT_EQ(CosX100(18000), -99);

    // Through the natives: Angle pops x then y, Hypot(a b) is IntHypot(b, a).
    EXPECT_EQ(Run1(9, {-1, 0}), 9004);
    EXPECT_EQ(Run1(10, {3, 4}), 5);
    EXPECT_EQ(Run1(7, {9000}), 99);
    EXPECT_EQ(Run1(8, {0}), 100);
    // A square root beyond 32 bits gives the integer indefinite, not undefined behaviour.
    EXPECT_EQ(IntHypot(INT_MIN, INT_MIN), INT_MIN);
}

TEST_F(MathProcsTest, PolarOffsetAndStep) {
    // Results come off the stack x, y, x - xr, y - yr.
    EXPECT_EQ(Run(4, {100, 0, 0, 0, 0, 9000}), (std::vector<int32_t>{0, 99, 0, 99}));
    EXPECT_EQ(Run(4, {1000, 50, -20, 10, 5, 4500}), (std::vector<int32_t>{757, 687, 747, 682}));
    // The doubled angle is taken unsigned.
    EXPECT_EQ(Run(4, {1000, 50, -20, 10, 5, -4500}), (std::vector<int32_t>{-878, 352, -888, 347}));
    // x, y, dx, dy.
    EXPECT_EQ(Run(5, {1000, 50, -20, 1000, 4500}), (std::vector<int32_t>{757, 687, -112, 133}));
}

TEST_F(MathProcsTest, RandomSequences) {
    SeedRandom(0);
    std::vector<int32_t> values;
    for (int i = 0; i < 5; ++i) values.push_back(EngineRand());
    EXPECT_EQ(values, (std::vector<int32_t>{38, 7719, 21238, 2437, 8855}));
    SeedRandom(1);
    values.clear();
    for (int i = 0; i < 3; ++i) values.push_back(EngineRand());
    EXPECT_EQ(values, (std::vector<int32_t>{41, 18467, 6334}));

    // Seeding through the native; Random(32768) gives rand itself.
    Run(13, {12345});
    values.clear();
    for (int i = 0; i < 5; ++i) values.push_back(Run1(6, {32768}));
    EXPECT_EQ(values, (std::vector<int32_t>{7584, 19164, 25795, 22125, 5828}));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(Run1(6, {1}), 0);
        EXPECT_EQ(Run1(6, {0}), 0);
        const int32_t r = Run1(6, {131072});
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 131072);
    }
}

TEST_F(MathProcsTest, NearestActor) {
    EXPECT_EQ(FindNearestActor(container->list, 0, 0), nullptr);
    FakeActor* far = Add(5000, 0);
    Add(0, 0, 1);                    // being removed
    FakeActor* near = Add(99, -99);  // distance 0 in hundreds
    Add(-50, 50);                    // also 0: the earlier one stays
    EXPECT_EQ(FindNearestActor(container->list, 0, 0), near);
    EXPECT_EQ(FindNearestActor(container->list, 5100, 0), far);
    // The search leaves the list's cursor at the last node.
    EXPECT_EQ(container->list.Index(), 3u);
    EXPECT_EQ(Run1(11, {0, 0, Address(container.get())}), Address(near));
}

TEST_F(MathProcsTest, NonActorsArePassedOverAndANodeWithoutAnItemEndsTheWalk) {
    auto plain = std::make_unique<ScriptObject>(nullptr);
    container->list.Append(plain.get(), 2);
    FakeActor* actor = Add(700, 700);
    container->list.Append(nullptr, 2);
    Add(0, 0);  // never reached
    EXPECT_EQ(FindNearestActor(container->list, 0, 0), actor);
    EXPECT_EQ(container->list.Index(), 2u);
}

TEST_F(MathProcsTest, AContainerThatHoldsNoActorListIsAnEngineError) {
    auto plain = std::make_unique<ScriptObject>(nullptr);
    for (const uint32_t address : {0u, plain->Address(), 0x12345678u}) {
        EXPECT_NE(ErrorMessage([&] { Run(11, {0, 0, static_cast<int32_t>(address)}); }), "no error");
        EXPECT_NE(ErrorMessage([&] {
                      Run(12, {0, 0, 2866, 0, 0, static_cast<int32_t>(address)});
                  }),
                  "no error");
    }
    EXPECT_EQ(ErrorMessage([&] {
                  Run(11, {0, 0, 0});
              }),
              "MathProcs::NearestActor: the container is not an object list");
}

// Actors of the game world as the flight keeps them: owned by an ObjectManager's object list.
TEST_F(MathProcsTest, ActorsInAnObjectManager) {
    auto flight = std::make_unique<ObjectManager>(nullptr, 1);
    const int32_t list = Address(flight.get());
    EXPECT_EQ(Run1(11, {0, 0, list}), 0);  // none
    EXPECT_EQ(Run1(12, {0, 100, 2866, 0, 0, list}), 0);
    auto add = [&](int32_t x, int32_t y, uint32_t removed = 0) {
        auto* actor = new FakeActor(x, y, removed);
        flight->AppendObject(actor);
        return Address(actor);
    };
    const int32_t inCircle = add(0, -100);
    add(0, 0, 1);  // being removed
    const int32_t ahead = add(1000, 0);
    const int32_t behind = add(-3000, 0);
    const struct {
        const char* what;
        uint32_t method;
        std::vector<int32_t> arguments;
        int32_t actor;
    } cases[] = {
        {"nearest", 11, {0, 0, list}, inCircle},
        {"nearest from elsewhere", 11, {0, -2900, list}, behind},
        {"inside a turning circle: skipped", 12, {0, 100, 2866, 0, 0, list}, ahead},
        {"no direction: no circles", 12, {0, 0, 2866, 0, 0, list}, inCircle},
        {"turn rate 0 reaches nothing", 12, {0, 100, 0, 0, 0, list}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run1(c.method, c.arguments), c.actor);
    }
}

TEST_F(MathProcsTest, NearestReachableActor) {
    FakeActor* inCircle = Add(0, -100);
    FakeActor* otherCircle = Add(0, 150);
    FakeActor* ahead = Add(1000, 0);
    // Heading along x with turn rate 2866: circles of radius 1 (in 89s) centred at (0, -100) and
    // (0, 100).
    EXPECT_EQ(FindNearestActor(container->list, 0, 0), inCircle);
    EXPECT_EQ(FindNearestReachableActor(container->list, 0, 0, 2866, 100, 0), ahead);
    EXPECT_EQ(Run1(12, {0, 100, 2866, 0, 0, Address(container.get())}), Address(ahead));
    // Without a direction there are no circles.
    EXPECT_EQ(FindNearestReachableActor(container->list, 0, 0, 2866, 0, 0), inCircle);
    EXPECT_EQ(FindNearestReachableActor(container->list, 0, 0, -7, 0, 0), inCircle);
    // A turn rate of 0 reaches nothing.
    EXPECT_EQ(FindNearestReachableActor(container->list, 0, 0, 0, 100, 0), nullptr);
    EXPECT_EQ(Run1(12, {0, 100, 0, 0, 0, Address(container.get())}), 0);
    (void)otherCircle;
}

TEST_F(MathProcsTest, ExtremeArgumentsDoNotTrap) {
    Add(INT_MAX, INT_MIN);
    FindNearestReachableActor(container->list, INT_MIN, INT_MAX, -1, INT_MIN, INT_MIN);
    FindNearestReachableActor(container->list, INT_MAX, INT_MIN, INT_MIN, INT_MAX, 1);
    const int32_t angle = VectorAngleX100(INT_MIN, INT_MIN);
    EXPECT_GE(angle, 0);
    EXPECT_LT(angle, 36000);
    Run(4, {INT_MAX, INT_MAX, INT_MAX, INT_MIN, INT_MIN, INT_MAX});
    Run(5, {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN});
    Run1(9, {INT_MIN, INT_MIN});
}
