#include "world/scenario.h"

#include <string>

#include "script/script_text.h"
#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/support/script_assembler.h"
#include "tests/world/scene_fixture.h"

namespace {

using A = ScriptAssembler;

constexpr const char* kNoStart = "Method 'Start' must be defined in scenario.";

class ScenarioTest : public SceneFixture {
  protected:
    void SetUp() override {
        const uint32_t push = A::OperationWord(Op::PushInline);
        Open({DerivedClass("Opening", "Scenario", 5),
              DerivedClass("Campaign", "Scenario", 5, {{2, {push, 7}}}),
              DerivedClass("Arcade", "Scenario", 5, {{2, {push, 0}}}),
              DerivedClass("Silent", "Scenario", 5, {{2, {}}}), DerivedClass("Loose", "ZEMAClass", 2)});
    }

    std::string Text(ScriptObject* object, uint32_t n) {
        const std::vector<uint32_t> results = CallVirtual(object, n);
        if (results.size() != 1) return "results: " + std::to_string(results.size());
        return TextFromScript(results[0]).Text();
    }
};

TEST_F(ScenarioTest, DescriptorAndCreation) {
    ZEMAClass* scenario = Cpu().ClassByName(String("Scenario"));
    EXPECT_EQ(scenario->MethodCount(), 4u);
    EXPECT_EQ(scenario->VirtualMethodCount(), 5u);
    ScriptObject* opening = New("Opening");
    EXPECT_EQ(opening->Class()->ClassName(), "Opening");
    EXPECT_EQ(typeid(*opening), typeid(ScriptObject)) << "a bare script object";
}

TEST_F(ScenarioTest, DefaultTexts) {
    ScriptObject* opening = New("Opening");
    EXPECT_EQ(Text(opening, 3), "Standart scenario name");
    EXPECT_EQ(Text(opening, 4), "");
}

TEST_F(ScenarioTest, RunStart) {
    struct Row {
        const char* className;
        const char* outcome;  // "true", "false" or the error
    };
    const std::vector<Row> rows = {
        {"Campaign", "true"},           {"Arcade", "false"}, {"Opening", kNoStart}, {"Loose", kNoStart},
        {"Silent", "DStack underflow"},
    };
    for (const Row& row : rows) {
        ScriptObject* scenario = New(row.className);
        bool started = false;
        const std::string error = ErrorMessage([&] { started = Scenario::RunStart(scenario); });
        const std::string outcome = error != "no error" ? error : started ? "true" : "false";
        EXPECT_EQ(outcome, row.outcome) << row.className;
        EXPECT_TRUE(TakeData().empty()) << row.className;
    }
    EXPECT_EQ(ErrorMessage([] { Scenario::RunStart(nullptr); }), kNoStart);
}

}  // namespace
