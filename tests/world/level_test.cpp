#include "world/level.h"

#include <functional>

#include "foundation/script_memory.h"
#include "script/object_manager.h"
#include "shell/game_ids.h"
#include "tests/support/error_message.h"
#include "tests/support/script_assembler.h"
#include "tests/world/scene_fixture.h"

namespace {

using A = ScriptAssembler;

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class LevelTest : public SceneFixture {
  protected:
    void SetUp() override {
        // Racer's step sets the speed through its reference and ends the level.
        const std::vector<uint32_t> racerStep = {
            A::OperationWord(Op::Drop), A::OperationWord(Op::PushInline), 250,
            A::CallWord(4, 1, false),   A::OperationWord(Op::Store),      A::CallWord(13, 1, false)};
        const std::string error = ErrorMessage([&] {
            Open({DerivedClass("Stage", "Level", 8), DerivedClass("Racer", "Level", 8, {{2, racerStep}}),
                  DerivedClass("Opening", "Scenario", 5)});
            stage = &LevelObject::Of(New("Stage"));
        });
        ASSERT_EQ(error, "no error");
    }

    LevelObject* stage = nullptr;
};

TEST_F(LevelTest, StartValues) {
    EXPECT_EQ(stage->Class()->ClassName(), "Stage");
    struct Row {
        const char* field;
        int32_t value;
        int32_t expected;
    };
    const std::vector<Row> rows = {
        {"finished", stage->Finished(), 0},
        {"levelValue", stage->Int(kLevelValue), 3},
        {"speed", stage->Speed(), 0},
        {"backgroundColour: the screen is filled with colour 0", stage->BackgroundColour(), 0},
        {"flightState", stage->FlightState(), kFlightFlying},
        {"sceneWidth: the screen's width", stage->SceneWidth(), kScreenWidth},
        {"viewX", stage->ViewX(), 0},
        {"shipSpread", stage->ShipSpread(), 0},
        {"tintValue", stage->TintValue(), 0},
        {"layerMode", stage->LayerMode(), 0},
        {"progress", stage->Progress(), 0},
    };
    for (const Row& row : rows) EXPECT_EQ(row.value, row.expected) << row.field;
}

TEST_F(LevelTest, ValueNatives) {
    PublishedFlight().screenHeightX100 = 48000;
    struct Row {
        const char* what;
        uint32_t method;
        std::vector<uint32_t> pushed;
        std::vector<uint32_t> results;
    };
    // In order: each row sees what the rows before it did.
    const std::vector<Row> rows = {
        {"7: scene width", 7, {}, {U(kScreenWidth)}},
        {"8: scene width set", 8, {U(-640)}, {}},
        {"7: the new width", 7, {}, {U(-640)}},
        {"11: the flight's screen height", 11, {}, {480}},
        {"12: view x", 12, {}, {0}},
        {"14: not finished before 13", 14, {}, {0}},
        {"13: finish", 13, {}, {}},
        {"14: finished after 13", 14, {}, {1}},
        {"16: level value", 16, {}, {3}},
        {"15: level value set", 15, {U(-7)}, {}},
        {"16: the new value", 16, {}, {U(-7)}},
        {"17: progress", 17, {}, {0}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Call(stage, "Level", row.method, row.pushed), row.results) << row.what;
    EXPECT_EQ(stage->SceneWidth(), -640);
    EXPECT_TRUE(stage->Finished());
    PublishedFlight() = FlightValues{};
}

TEST_F(LevelTest, ReferencesReachTheFields) {
    struct Row {
        uint32_t method;
        std::function<int32_t()> field;
    };
    const std::vector<Row> rows = {
        {4, [&] { return stage->Speed(); }},       {5, [&] { return stage->BackgroundColour(); }},
        {6, [&] { return stage->FlightState(); }}, {9, [&] { return stage->TintValue(); }},
        {10, [&] { return stage->LayerMode(); }},
    };
    int32_t value = 100;
    for (const Row& row : rows) {
        const std::vector<uint32_t> reference = Call(stage, "Level", row.method);
        ASSERT_EQ(reference.size(), 1u) << row.method;
        ScriptStore32(reference[0], U(value));
        EXPECT_EQ(row.field(), value) << row.method;
        EXPECT_EQ(Call(stage, "Level", row.method), reference) << "the same field each time";
        ++value;
    }
}

TEST_F(LevelTest, DefaultStepAddsTheSpeedOncePerFrame) {
    struct Row {
        int32_t speed;
        int steps;
        int32_t progress;
    };
    const std::vector<Row> rows = {
        {0, 3, 0},
        {150, 4, 600},
        {-25, 2, 550},
        {INT32_MAX, 1, static_cast<int32_t>(550u + uint32_t{INT32_MAX})},  // wraps, no overflow trap
    };
    for (const Row& row : rows) {
        stage->SetInt(kLevelSpeed, row.speed);
        for (int frame = 0; frame < row.steps; ++frame)
            EXPECT_TRUE(CallVirtual(stage, 2, {U(frame)}).empty());
        EXPECT_EQ(stage->Progress(), row.progress) << row.speed;
    }
    EXPECT_EQ(Call(stage, "Level", 17), std::vector<uint32_t>{U(stage->Progress())});
    EXPECT_TRUE(CallVirtual(stage, kLevelOverlayVirtual).empty()) << "the overlay draws nothing";
}

TEST_F(LevelTest, AScriptStepReplacesTheDefault) {
    LevelObject& racer = LevelObject::Of(New("Racer"));
    racer.SetInt(kLevelSpeed, 10);
    EXPECT_TRUE(CallVirtual(&racer, 2, {1}).empty());
    EXPECT_EQ(racer.Speed(), 250);
    EXPECT_TRUE(racer.Finished());
    EXPECT_EQ(racer.Progress(), 0) << "the default step did not run";
}

TEST_F(LevelTest, RunningLevelIsObjectSix) {
    ObjectManager& objects = Cpu().Objects();
    EXPECT_EQ(LevelObject::Running(objects), nullptr);
    ScriptObject* opening = New("Opening");
    objects.SetObject(opening, kLevelId);
    EXPECT_EQ(LevelObject::Running(objects), nullptr) << "not a level";
    objects.SetObject(nullptr, kLevelId);
    objects.SetObject(stage, kLevelId);
    EXPECT_EQ(LevelObject::Running(objects), stage);
    objects.SetObject(nullptr, kLevelId);
}

TEST_F(LevelTest, Failures) {
    ScriptObject* opening = New("Opening");
    ZEMAClass* stageClass = Cpu().ClassByName(String("Stage"));
    struct Row {
        const char* what;
        std::function<void()> f;
        const char* message;
    };
    const std::vector<Row> rows = {
        {"create with an empty data stack", [&] { Cpu().CallMethod(stageClass, stageClass, 0); },
         "DStack underflow"},
        {"a level without a class", [] { LevelObject level(nullptr, 0); }, "Level created without a class"},
        {"a level native on another object", [&] { Call(opening, "Level", 4); }, "Level object expected"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ErrorMessage(row.f), row.message) << row.what;
        TakeData();
    }
}

TEST_F(LevelTest, ALevelNeedsTheScreenObject) {
    Open({DerivedClass("Stage", "Level", 8)}, false);
    EXPECT_EQ(ErrorMessage([&] { New("Stage"); }), "No screen object for the level of class Stage");
}

}  // namespace
