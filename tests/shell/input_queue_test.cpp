#include "shell/input_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/headless/headless_app.h"
#include "platform/key_table.h"

namespace {

std::vector<int32_t> ReadAll(InputQueue& queue) {
    std::vector<int32_t> values;
    while (!queue.Empty()) values.push_back(queue.ReadInt());
    return values;
}

TEST(InputQueue, KeepsTheFirst32AndDropsTheRest) {
    InputQueue queue(32);
    for (int32_t i = 0; i < 32; ++i) EXPECT_TRUE(queue.PushInt(i));
    EXPECT_FALSE(queue.PushInt(32));
    EXPECT_EQ(queue.Count(), 128u);  // bytes
    EXPECT_EQ(queue.Capacity(), 128u);
    EXPECT_EQ(queue.ReadInt(), 0);
    EXPECT_TRUE(queue.PushInt(33));  // one read makes room for one more
    EXPECT_FALSE(queue.PushInt(34));

    std::vector<int32_t> expected;
    for (int32_t i = 1; i < 32; ++i) expected.push_back(i);
    expected.push_back(33);
    EXPECT_EQ(ReadAll(queue), expected);
}

TEST(InputQueue, EmptyAndPeek) {
    InputQueue queue(32);
    EXPECT_EQ(queue.ReadInt(), -1);
    EXPECT_EQ(queue.PeekInt(), -1);
    EXPECT_EQ(queue.Count(), 0u);
    queue.PushInt(-1);  // a real -1 is told from empty by the count
    EXPECT_EQ(queue.Count(), 4u);
    queue.PushInt(7);
    EXPECT_EQ(queue.PeekInt(), -1);
    EXPECT_EQ(queue.ReadInt(), -1);
    EXPECT_EQ(queue.PeekInt(), 7);
    EXPECT_EQ(queue.ReadInt(), 7);
    EXPECT_TRUE(queue.Empty());
}

// The dialog loop and the flight take values while at least 4 bytes are queued: every value comes
// out once, a queued -1 (the character 255) included, and the loop ends on an empty queue.
TEST(InputQueue, CallersCountBytesAndTakeAValuePerFourBytes) {
    InputQueue queue(32);
    const std::vector<int32_t> typed = {'A', -1, InputQueue::kAltMarker, 'x'};
    for (int32_t v : typed) queue.PushInt(v);
    EXPECT_EQ(queue.Count(), typed.size() * 4);
    std::vector<int32_t> taken;
    while (queue.Count() >= 4) taken.push_back(queue.ReadInt());
    EXPECT_EQ(taken, typed);
    // One key waiting is enough for the rule: it does not wait for four.
    queue.PushInt(VK_ESCAPE);
    EXPECT_GE(queue.Count(), 4u);
    EXPECT_EQ(queue.ReadInt(), VK_ESCAPE);
    EXPECT_LT(queue.Count(), 4u);
}

TEST(InputQueue, ValuesWrapAroundTheStorage) {
    InputQueue queue(3);
    for (int32_t round = 0; round < 10; ++round) {
        EXPECT_TRUE(queue.PushInt(round * 10));
        EXPECT_TRUE(queue.PushInt(round * 10 + 1));
        EXPECT_EQ(queue.ReadInt(), round * 10);
        EXPECT_EQ(queue.ReadInt(), round * 10 + 1);
    }
    EXPECT_TRUE(queue.Empty());
}

TEST(InputQueue, DrainDropsWhatWasQueued) {
    InputQueue queue(4);
    queue.PushInt(1);
    queue.PushInt(2);
    queue.ReadInt();
    queue.PushInt(3);
    queue.Drain();
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.ReadInt(), -1);
    for (int32_t i = 0; i < 4; ++i) EXPECT_TRUE(queue.PushInt(i));  // full capacity again
    EXPECT_FALSE(queue.PushInt(4));
    EXPECT_EQ(ReadAll(queue), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(InputQueue, OneWriterAndOneReaderOnTwoThreadsLoseNothingInOrder) {
    InputQueue queue(32);
    constexpr int32_t kValues = 200000;
    std::thread writer([&queue] {
        for (int32_t i = 0; i < kValues; ++i) {
            while (!queue.PushInt(i)) std::this_thread::yield();
        }
    });
    int32_t expected = 0;
    bool inOrder = true;
    while (expected < kValues) {
        if (queue.Empty()) {
            std::this_thread::yield();
            continue;
        }
        const int32_t peeked = queue.PeekInt();
        const int32_t value = queue.ReadInt();
        inOrder = inOrder && value == expected && peeked == value;
        ++expected;
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(queue.Empty());
}

TEST(InputQueue, AppHandlersFillTheQueues) {
    HeadlessApp app;
    InputQueue keys(32);
    InputQueue chars(32);
    ConnectInputQueues(app, keys, chars);

    app.InjectKeyDown(VK_ESCAPE);
    app.InjectChar('a');
    app.InjectChar(255);
    app.InjectChar(254);
    app.InjectChar('x', true);          // typed with Alt
    app.InjectKeyDown('X', true);       // Alt+X as a system key
    app.InjectKeyDown(VK_LMENU, true);  // Alt alone: the key queue only
    app.InjectKeyDown(VK_F1 + 3, true);

    EXPECT_EQ(ReadAll(keys), (std::vector<int32_t>{VK_ESCAPE, 'X', VK_LMENU, 0x73}));
    EXPECT_EQ(ReadAll(chars), (std::vector<int32_t>{'a', -1, -2, -2, 'x', -2, 'X', -2, 0x73}));
}

TEST(InputQueue, AnAltCharacterIsNotSplitWhenTheQueueIsNearlyFull) {
    HeadlessApp app;
    InputQueue keys(32);
    InputQueue chars(3);
    ConnectInputQueues(app, keys, chars);
    app.InjectChar('a');
    app.InjectChar('b');
    app.InjectChar('c', true);  // room for one value only: neither marker nor character
    app.InjectChar('d');
    EXPECT_EQ(ReadAll(chars), (std::vector<int32_t>{'a', 'b', 'd'}));
}

}  // namespace
