#include <gtest/gtest.h>

#include <limits>

#include "foundation/random.h"
#include "graphics/image.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/ui/sliders_fixture.h"
#include "ui/gtime.h"
#include "ui/heaven_control.h"
#include "ui/time_control.h"

namespace {

constexpr uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class HeavenControlTest : public SlidersFixture {
  protected:
    GameObject Heaven(int32_t stars) { return New("HeavenControl", {U(stars), 6}); }
    HeavenControlObject& Of(const GameObject& h) { return HeavenControlObject::Of(h.get()); }
    void Step(const GameObject& h, int32_t counter) { CallVirtual(h.get(), 2, {U(counter)}); }
};

TEST_F(HeavenControlTest, StarsAreReplacedAtEachInterval) {
    struct Case {
        const char* name;
        int32_t stars;
        int32_t interval;
        std::vector<int32_t> counters;
        uint32_t count;  // stars afterwards
    };
    const Case cases[] = {
        {"fixed count", 5, 50, {0, 1, 49, 50, 100, 150}, 5},
        {"empty field grows per interval", 0, 50, {0, 25, 50, 51, 100}, 3},
        {"negative count starts empty", -4, 50, {1, 2}, 0},
        {"interval of one", 2, 1, {1, 2, 3}, 2},
        {"negative counters", 0, 50, {-50, -49, -100}, 2},
        {"interval zero replaces nothing", 0, 0, {0, 1, 50}, 0},
        {"negative interval replaces nothing", 0, -50, {0, 50, -50}, 0},
        {"extreme counter",
         0,
         7,
         {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject h = Heaven(c.stars);
        Of(h).SetInt(kHeavenReplaceInterval, c.interval);
        for (int32_t counter : c.counters) Step(h, counter);
        EXPECT_EQ(Of(h).PictureEntryCount(), c.count);
    }
}

TEST_F(HeavenControlTest, OldestStarMakesRoomForANewOne) {
    GameObject h = Heaven(3);
    const auto second = Of(h).EntryAt(1);
    const auto third = Of(h).EntryAt(2);
    Step(h, 50);
    EXPECT_EQ(Of(h).EntryAt(0).image, second.image);
    EXPECT_EQ(Of(h).EntryAt(0).dx, second.dx);
    EXPECT_EQ(Of(h).EntryAt(1).dy, third.dy);
}

TEST_F(HeavenControlTest, StarsComeFromTheGeneratorInOrder) {
    SeedRandom(7);
    GameObject h = Heaven(20);
    SeedRandom(7);
    Image* stars = game.Picture("Misc\\Stars.dpf");
    for (uint32_t i = 0; i < 20; ++i) {
        const int32_t dy = static_cast<int32_t>(EngineRand() * int64_t{480} / 32767);
        const int32_t dx = static_cast<int32_t>(EngineRand() * int64_t{640} / 32767);
        const int32_t kind = static_cast<int32_t>(EngineRand() * int64_t{kStarKinds} / 32767);
        const auto& star = Of(h).EntryAt(i);
        EXPECT_EQ(star.dy, dy);
        EXPECT_EQ(star.dx, dx);
        EXPECT_EQ(star.image.Address(), stars->EntryAt(kind)->Address());
        EXPECT_LE(star.dx, 640);
        EXPECT_LE(star.dy, 480);
    }
}

TEST_F(HeavenControlTest, CreationAndNatives) {
    GameObject h = Heaven(2);
    EXPECT_EQ(Control(h).Id(), 6);
    EXPECT_EQ(Control(h).Int(kVisualX), 0);
    EXPECT_EQ(Of(h).Int(kHeavenReplaceInterval), 50);
    EXPECT_EQ(CallMethod(h.get(), 23), std::vector<uint32_t>{Of(h).OwnAddress(kHeavenReplaceInterval)});
    EXPECT_EQ(CallVirtual(h.get(), 7), std::vector<uint32_t>{2});
    EXPECT_EQ(ErrorMessage([&] { Heaven(kMaxStars + 1); }), "Too many stars: 100001");
    ScreenBuffer& buffer = Canvas();
    EXPECT_NO_THROW(Control(h).Draw(buffer));
}

class TimeControlTest : public SlidersFixture {
  protected:
    // A GTime object stored as object 22, as the GameManager's time stands there.
    GTime& StoreGameTime(int32_t date, int32_t time) {
        GameObject made = New("GTime");
        GTimeObject& object = GTimeObject::Of(made.get());
        object.Value() = GTime(date, time);
        game.Objects().SetObject(made.release(), kGameManagerId);
        return object.Value();
    }
    std::string Shown(const GameObject& clock) { return StaticTextObject::Of(clock.get()).Text().Text(); }
    GameObject Clock() { return New("TimeControl", {30, 40, 3}); }
};

TEST_F(TimeControlTest, ShowsTheGameTime) {
    struct Case {
        int32_t date, time;
        const char* text;
    };
    const Case cases[] = {
        {2045, 91530, "2/45 9:15"}, {0, 0, "0/0 0:0"}, {151072, 99999, "151/72 9:99"}, {1000, 5, "1/0 0:0"}};
    for (const Case& c : cases) {
        StoreGameTime(c.date, c.time);
        EXPECT_EQ(Shown(Clock()), c.text);
    }
}

TEST_F(TimeControlTest, StepFollowsTheGameTime) {
    GTime& time = StoreGameTime(1001, 10000);
    GameObject clock = Clock();
    EXPECT_EQ(Shown(clock), "1/1 1:0");
    time = GTime(1002, 23400);
    CallVirtual(clock.get(), 2, {9});
    EXPECT_EQ(Shown(clock), "1/2 2:34");
    EXPECT_EQ(Control(clock).Id(), 3);
    EXPECT_EQ(Control(clock).Int(kVisualX), 30);
}

TEST_F(TimeControlTest, WithoutAGameTimeTheTextStays) {
    game.Objects().SetObject(nullptr, kGameManagerId);
    GameObject clock = Clock();
    EXPECT_EQ(Shown(clock), "Time");
    CallVirtual(clock.get(), 2, {0});
    EXPECT_EQ(Shown(clock), "Time");
}

TEST_F(TimeControlTest, InstalledLookupIsUsed) {
    const GTime held(3004, 50600);
    GameObject owner = New("GTime");
    game.Objects().SetObject(owner.release(), kGameManagerId);
    GameTimeLookupHook() = [&held](ScriptObject*) { return &held; };
    GameObject clock = Clock();
    GameTimeLookupHook() = nullptr;
    EXPECT_EQ(Shown(clock), "3/4 5:6");
}

}  // namespace
