// The processor behind a script object, and the engine error for an object run by something else.
#include "world/running_processor.h"

#include <gtest/gtest.h>

#include <memory>

#include "script/class_manager.h"
#include "script/native_catalogue.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/world/world_fixture.h"

namespace {

using RunningProcessorTest = WorldTest;

TEST_F(RunningProcessorTest, AnObjectNamesItsProcessorOrWhatLacksOne) {
    ActorObject& actor = NewActor(0, 10, 0, 0);
    EXPECT_EQ(&RunningProcessor(&actor, "Actor"), &Cpu());

    FakeMethodRunner runner;
    ClassManager manager(&runner, 26, nullptr);
    ScriptObject plain(manager.Register(NewNativeDescriptor(&runner, "Visual"), false));
    const struct {
        const char* what;
        const char* message;
    } cases[] = {{"Planet", "Planet without a processor"},
                 {"The GameManager runs", "The GameManager runs without a processor"}};
    for (const auto& c : cases) EXPECT_EQ(ErrorMessage([&] { RunningProcessor(&plain, c.what); }), c.message);
}

}  // namespace
