#include "ui/gtime.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "ui/ui_natives.h"

namespace {

TEST(GTime, SetKeepsWhatItIsGiven) {
    struct Case {
        int32_t major, minor, hour, minute, second;
        int32_t date, time;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, 0},
        {151, 72, 9, 99, 99, 151072, 99999},
        {2, 45, 9, 15, 30, 2045, 91530},
        {0, 0, 0, 150, 0, 0, 15000},  // no carry: an hour and 50 minutes
        {0, 1500, 12, 0, 0, 1500, 120000},
        {-1, 0, 0, 0, -1, -1000, -1},
        {INT32_MAX, 0, 0, 0, 0, INT32_MAX, 0},  // beyond 32 bits: the nearest value
        {INT32_MIN, -1, INT32_MIN, 0, 0, INT32_MIN, INT32_MIN},
        {0, 0, 0, INT32_MAX, 99, 0, INT32_MAX},
    };
    for (const Case& c : cases) {
        GTime t;
        t.Set(c.major, c.minor, c.hour, c.minute, c.second);
        EXPECT_EQ(t.Date(), c.date) << c.major << "/" << c.minor;
        EXPECT_EQ(t.Time(), c.time) << c.hour << ":" << c.minute << ":" << c.second;
    }
}

TEST(GTime, AddCarriesAndBorrowsWholeDays) {
    struct Case {
        GTime a, b, sum;
    } cases[] = {
        {{5, 50000}, {0, 60000}, {6, 10000}},
        {{5, 99999}, {0, 99999}, {6, 99998}},
        {{5, 0}, {0, 99999}, {5, 99999}},
        {{1000, 100}, {2000, 200}, {3000, 300}},
        {{0, 0}, {0, 120000}, {1, 20000}},  // a time set beyond a day carries on adding
        // A negative amount borrows: the time stays in 0-99999.
        {{5, 0}, {0, -1}, {4, 99999}},
        {{5, 10000}, {-2, -20000}, {2, 90000}},
        {{0, 0}, {0, -100000}, {-1, 0}},
        {{0, 0}, {0, -100001}, {-2, 99999}},
        // No overflow: the time sum is exact, a date beyond 32 bits is the nearest value.
        {{0, INT32_MAX}, {0, INT32_MAX}, {42949, 67294}},
        {{INT32_MAX, 99999}, {0, 1}, {INT32_MAX, 0}},
        {{INT32_MAX, 0}, {INT32_MAX, 0}, {INT32_MAX, 0}},
        {{INT32_MIN, 0}, {0, -1}, {INT32_MIN, 99999}},
        {{INT32_MIN, INT32_MIN}, {INT32_MIN, INT32_MIN}, {INT32_MIN, 32704}},
    };
    for (const Case& c : cases) {
        GTime t = c.a;
        EXPECT_EQ(&t.Add(c.b), &t);
        EXPECT_EQ(t.Date(), c.sum.Date()) << c.a.Date() << "," << c.a.Time() << " + " << c.b.Time();
        EXPECT_EQ(t.Time(), c.sum.Time()) << c.a.Date() << "," << c.a.Time() << " + " << c.b.Time();
    }
}

TEST(GTime, PartsAndClockText) {
    struct Case {
        GTime t;
        int32_t major, minor, hour, minute, second, hours, minutes;
        const char* clock;
    } cases[] = {
        {{0, 0}, 0, 0, 0, 0, 0, 0, 0, "0/0 0:0"},
        {{2045, 91530}, 2, 45, 9, 15, 30, 20459, 2045915, "2/45 9:15"},
        {{3, 70500}, 0, 3, 7, 5, 0, 37, 3705, "0/3 7:5"},
        {{151072, 99999}, 151, 72, 9, 99, 99, 1510729, 151072999, "151/72 9:99"},
        {{0, 120000}, 0, 0, 12, 0, 0, 12, 1200, "0/0 12:0"},  // an unchecked hour is shown as it is
        {{-1, 0}, 0, -1, 0, 0, 0, -10, -1000, "0/-1 0:0"},    // truncating toward zero
        {{INT32_MAX, 99999}, 2147483, 647, 9, 99, 99, INT32_MAX, INT32_MAX, "2147483/647 9:99"},
        {{INT32_MIN, 0}, -2147483, -648, 0, 0, 0, INT32_MIN, INT32_MIN, "-2147483/-648 0:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clock);
        EXPECT_EQ(c.t.Major(), c.major);
        EXPECT_EQ(c.t.Minor(), c.minor);
        EXPECT_EQ(c.t.Hour(), c.hour);
        EXPECT_EQ(c.t.Minute(), c.minute);
        EXPECT_EQ(c.t.Second(), c.second);
        EXPECT_EQ(c.t.HoursSinceStart(), c.hours);
        EXPECT_EQ(c.t.MinutesSinceStart(), c.minutes);
        EXPECT_STREQ(c.t.ClockText().Text(), c.clock);
    }
}

class GTimeNativeTest : public ::testing::Test {
  protected:
    GTimeNativeTest() {
        RegisterUiNatives();
        manager = std::make_unique<ClassManager>(&runner, 26, nullptr);
        cls = manager->Register(NewNativeDescriptor(&runner, "GTime"), false);
    }

    GTimeObject& Make() {
        Call(cls, 0, {cls->Address()});
        objects.emplace_back(ScriptObject::FromAddress(runner.stack.Pop(), 0, "GTime"));
        return GTimeObject::Of(objects.back().get());
    }
    // Pushes the arguments in order and calls the native on the receiver.
    void Call(ScriptObject* receiver, uint32_t method, const std::vector<uint32_t>& arguments) {
        for (uint32_t a : arguments) runner.stack.Push(a);
        runner.CallMethod(receiver, cls, method);
    }
    int32_t Query(ScriptObject& receiver, uint32_t method) {
        Call(&receiver, method, {});
        EXPECT_EQ(runner.stack.Depth(), 1u);
        return static_cast<int32_t>(runner.stack.Pop());
    }
    static uint32_t Word(int32_t v) { return static_cast<uint32_t>(v); }

    FakeMethodRunner runner;
    std::unique_ptr<ClassManager> manager;
    ZEMAClass* cls = nullptr;
    std::vector<std::unique_ptr<ScriptObject>> objects;
};

}  // namespace

TEST_F(GTimeNativeTest, CreatesZeroAndBindsItsNatives) {
    EXPECT_EQ(cls->MethodCount(), 15u);
    EXPECT_EQ(cls->VirtualMethodCount(), 2u);
    for (uint32_t m = 0; m < 15; ++m) EXPECT_NE(cls->MethodSlot(m), 0u) << m;
    GTimeObject& t = Make();
    EXPECT_EQ(t.Value(), GTime());
    EXPECT_EQ(t.Class(), cls);
    EXPECT_EQ(runner.stack.Depth(), 0u);
}

TEST_F(GTimeNativeTest, SettersAndReaders) {
    GTimeObject& t = Make();
    // Native 10 pops second, minute, hour, minor, major: pushed the other way round.
    Call(&t, 10, {2, 45, 9, 15, 30});
    EXPECT_EQ(t.Value(), GTime(2045, 91530));
    const struct {
        uint32_t method;
        int32_t value;
    } reads[] = {{4, 2}, {5, 45}, {6, 9}, {7, 15}, {8, 30}, {12, 20459}, {13, 2045915}};
    for (const auto& r : reads) EXPECT_EQ(Query(t, r.method), r.value) << r.method;

    Call(&t, 10, {0, 0, 0, 150, 0});  // no range check
    EXPECT_EQ(Query(t, 6), 1);
    EXPECT_EQ(Query(t, 7), 50);

    Call(&t, 9, {3, 17});  // date only, the time is cleared
    EXPECT_EQ(t.Value(), GTime(3017, 0));
    Call(&t, 10, {Word(INT32_MAX), 999, 0, 0, 0});
    EXPECT_EQ(t.Value().Date(), INT32_MAX);
    EXPECT_EQ(Query(t, 12), INT32_MAX);
    EXPECT_EQ(runner.stack.Depth(), 0u);
}

TEST_F(GTimeNativeTest, CopyAndAdd) {
    GTimeObject& a = Make();
    GTimeObject& b = Make();
    a.Value() = GTime(7, 50000);
    b.Value() = GTime(1, 60000);
    Call(&a, 14, {b.Address()});
    EXPECT_EQ(a.Value(), GTime(9, 10000));
    EXPECT_EQ(b.Value(), GTime(1, 60000));

    b.Value() = GTime(0, -20000);
    Call(&a, 14, {b.Address()});
    EXPECT_EQ(a.Value(), GTime(8, 90000));

    Call(&b, 11, {a.Address()});
    EXPECT_EQ(b.Value(), GTime(8, 90000));
    Call(&a, 14, {a.Address()});  // added to itself
    EXPECT_EQ(a.Value(), GTime(17, 80000));
    EXPECT_EQ(runner.stack.Depth(), 0u);
}

TEST_F(GTimeNativeTest, OtherObjectsAreRefused) {
    GTimeObject& t = Make();
    ScriptObject plain(cls);
    const struct {
        const char* name;
        ScriptObject* receiver;
        uint32_t method;
        std::vector<uint32_t> arguments;
        const char* error;
    } cases[] = {
        {"plain receiver", &plain, 4, {}, "GTime object expected"},
        {"plain receiver adding", &plain, 14, {t.Address()}, "GTime object expected"},
        {"copy from a plain object", &t, 11, {plain.Address()}, nullptr},
        {"add a null", &t, 14, {0}, nullptr},
        {"add a forged address", &t, 14, {t.Address() + 4}, nullptr},
    };
    for (const auto& c : cases) {
        const GTime before = t.Value();
        const std::string message = ErrorMessage([&] { Call(c.receiver, c.method, c.arguments); });
        if (c.error != nullptr) {
            EXPECT_EQ(message, c.error) << c.name;
        } else {
            EXPECT_NE(message, "no error") << c.name;
        }
        EXPECT_EQ(t.Value(), before) << c.name;
        while (runner.stack.Depth() > 0) runner.stack.Pop();
    }
}
