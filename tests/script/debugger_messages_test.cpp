#include "script/debugger_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "foundation/exceptions.h"

namespace {

constexpr DebuggerMessage kAll[] = {DebuggerMessage::CheckDebugPresence, DebuggerMessage::StartedDebugger,
                                    DebuggerMessage::QuitDebugger, DebuggerMessage::StartDebug,
                                    DebuggerMessage::DebugStarted};

uint32_t FailOnThird(const char* name) {
    return std::strcmp(name, "QuitDebuggerMessage") == 0 ? 0 : RegisterWindowMessageName(name);
}

std::string ErrorOfRegistering(MessageRegistrar registrar) {
    try {
        RegisterDebuggerMessages(registrar);
    } catch (const FatalExep& e) {
        return e.message.Text();
    }
    return "no error";
}

}  // namespace

TEST(DebuggerMessages, RegisteredInOrderWithFixedDistinctNumbers) {
    RegisterDebuggerMessages();
    std::set<uint32_t> numbers;
    for (DebuggerMessage m : kAll) {
        const uint32_t n = DebuggerMessageNumber(m);
        // The registered range: none of the window procedure's own messages.
        EXPECT_GE(n, 0xC000u);
        EXPECT_LE(n, 0xFFFFu);
        EXPECT_EQ(n, RegisterWindowMessageName(DebuggerMessageName(m)));
        numbers.insert(n);
    }
    EXPECT_EQ(numbers.size(), kDebuggerMessageCount);
    EXPECT_STREQ(DebuggerMessageName(DebuggerMessage::CheckDebugPresence), "CheckDebugPresenceMessage");
    EXPECT_STREQ(DebuggerMessageName(DebuggerMessage::DebugStarted), "DebugStartedMessage");
    EXPECT_EQ(RegisterWindowMessageName("SomethingElse"), 0u);
}

TEST(DebuggerMessages, AFailedRegistrationStopsThere) {
    EXPECT_EQ(ErrorOfRegistering(FailOnThird), "Unable to register window messages");
    EXPECT_NE(DebuggerMessageNumber(DebuggerMessage::CheckDebugPresence), 0u);
    EXPECT_NE(DebuggerMessageNumber(DebuggerMessage::StartedDebugger), 0u);
    EXPECT_EQ(DebuggerMessageNumber(DebuggerMessage::QuitDebugger), 0u);
    EXPECT_EQ(DebuggerMessageNumber(DebuggerMessage::StartDebug), 0u);
    EXPECT_EQ(DebuggerMessageNumber(DebuggerMessage::DebugStarted), 0u);
    RegisterDebuggerMessages();
    EXPECT_NE(DebuggerMessageNumber(DebuggerMessage::DebugStarted), 0u);
}
