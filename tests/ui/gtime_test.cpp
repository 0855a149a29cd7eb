#include "ui/gtime.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/support/game_harness.h"

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

class GTimeInGame : public ::testing::Test {
  protected:
    GTimeInGame() {
        game.AddClass({.name = "TestDate", .base = "GTime"});
        game.Start();
        gtime = game.Class("GTime");
    }
    std::vector<uint32_t> Call(GameObject& object, uint32_t method,
                               const std::vector<uint32_t>& pushed = {}) {
        return game.CallMethod(object.get(), gtime, method, pushed);
    }
    static GTime& Value(GameObject& object) { return GTimeObject::Of(object.get()).Value(); }

    GameHarness game;
    ZEMAClass* gtime = nullptr;
};

}  // namespace

TEST_F(GTimeInGame, NativesSetAndRead) {
    EXPECT_EQ(gtime->MethodCount(), 15u);
    EXPECT_EQ(gtime->VirtualMethodCount(), 2u);
    for (uint32_t m = 0; m < 15; ++m) EXPECT_NE(gtime->MethodSlot(m), 0u) << m;
    GameObject t = game.New("GTime");
    EXPECT_EQ(Value(t), GTime());

    Call(t, 10, {2, 45, 9, 15, 30});  // major, minor, hour, minute, second: popped the other way
    EXPECT_EQ(Value(t), GTime(2045, 91530));
    const struct {
        uint32_t method, value;
    } reads[] = {{4, 2}, {5, 45}, {6, 9}, {7, 15}, {8, 30}, {12, 20459}, {13, 2045915}};
    for (const auto& r : reads) EXPECT_EQ(Call(t, r.method), std::vector<uint32_t>{r.value}) << r.method;

    Call(t, 10, {0, 0, 0, 150, 0});  // no range check
    EXPECT_EQ(Call(t, 6), std::vector<uint32_t>{1});
    EXPECT_EQ(Call(t, 7), std::vector<uint32_t>{50});
    Call(t, 9, {3, 17});  // the date alone; the time is cleared
    EXPECT_EQ(Value(t), GTime(3017, 0));
}

TEST_F(GTimeInGame, CopyAndAdd) {
    GameObject date = game.New("TestDate");
    GameObject step = game.New("GTime");
    Call(date, 10, {151, 72, 9, 90, 0});
    Call(step, 10, {0, 0, 0, 20, 0});
    Call(date, 14, {step->Address()});
    EXPECT_EQ(Value(date).ClockText(), String("151/73 0:10"));
    EXPECT_EQ(Value(step), GTime(0, 2000));
    Value(step) = GTime(0, -2000);  // backwards over midnight
    Call(date, 14, {step->Address()});
    EXPECT_EQ(Value(date), GTime(151072, 99000));

    Call(step, 11, {date->Address()});  // the script object part comes along
    EXPECT_EQ(step->Class(), game.Class("TestDate"));
    EXPECT_EQ(Value(step), GTime(151072, 99000));
    Call(step, 14, {step->Address()});  // added to itself
    EXPECT_EQ(Value(step), GTime(302145, 98000));
}

TEST_F(GTimeInGame, OtherObjectsAreRefused) {
    GameObject t = game.New("GTime");
    GameObject plain = game.New("GTTClass");
    Value(t) = GTime(5, 5);
    const struct {
        const char* name;
        ScriptObject* receiver;
        uint32_t method;
        std::vector<uint32_t> pushed;
    } cases[] = {
        {"read a plain object", plain.get(), 4, {}},
        {"copy from a plain object", t.get(), 11, {plain->Address()}},
        {"add nothing", t.get(), 14, {0}},
        {"add a forged address", t.get(), 14, {t->Address() + 4}},
    };
    for (const auto& c : cases) {
        EXPECT_NE(ErrorMessage([&] { game.CallMethod(c.receiver, gtime, c.method, c.pushed); }), "no error")
            << c.name;
        EXPECT_EQ(Value(t), GTime(5, 5)) << c.name;
    }
    EXPECT_EQ(ErrorMessage([&] { game.CallMethod(plain.get(), gtime, 4); }), "GTime object expected");
}
