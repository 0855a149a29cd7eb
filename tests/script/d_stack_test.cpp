#include "script/d_stack.h"

#include <gtest/gtest.h>

#include "tests/support/error_message.h"

TEST(DStack, CapacityHoldsOneValueLess) {
    DStack<> s(3);
    s.Push(1);
    s.Push(2);
    EXPECT_EQ(ErrorMessage([&] { s.Push(3); }), "DStack overflow");
    EXPECT_EQ(s.Depth(), 2u);
    EXPECT_EQ(s.Pop(), 2u);
    EXPECT_EQ(s.Pop(), 1u);
    EXPECT_EQ(ErrorMessage([&] { s.Pop(); }), "DStack underflow");
}

TEST(DStack, PeekIsWritableAndBounded) {
    DStack<> s(10);
    s.Push(7);
    s.Push(8);
    EXPECT_EQ(ErrorMessage([&] { s.Peek(2); }), "DStack underflow");
    EXPECT_EQ(ErrorMessage([&] { s.Peek(static_cast<uint32_t>(-1)); }), "DStack underflow");
    EXPECT_EQ(s.Peek(1), 7u);
    s.Peek(0) = 99;
    EXPECT_EQ(s.Pop(), 99u);
}

TEST(DStack, CheckNotEmptyOnlyChecks) {
    DStack<> s(4);
    EXPECT_EQ(ErrorMessage([&] { s.CheckNotEmpty(); }), "DStack underflow");
    s.Push(5);
    s.CheckNotEmpty();
    EXPECT_EQ(s.Depth(), 1u);
    EXPECT_EQ(s.Pop(), 5u);
}

TEST(DStack, ReserveAndDrop) {
    DStack<> s(6);
    s.Push(1);
    s.Push(2);
    s.Reserve(-1);
    EXPECT_EQ(s.Depth(), 1u);
    s.Reserve(3);
    EXPECT_EQ(s.Depth(), 4u);
    EXPECT_EQ(ErrorMessage([&] { s.Reserve(1); }), "DStack overflow");
    s.Push(5);  // depth is now capacity - 1
    EXPECT_EQ(ErrorMessage([&] { s.Reserve(0); }), "DStack overflow");
    s.Reserve(-1);
    // Cutting back further than the depth would move the top below the base.
    EXPECT_EQ(ErrorMessage([&] { s.Reserve(-5); }), "DStack underflow");
    EXPECT_EQ(ErrorMessage([&] { s.Reserve(INT32_MIN); }), "DStack underflow");
    EXPECT_EQ(s.Depth(), 4u);
    s.Reserve(-4);
    EXPECT_EQ(s.Depth(), 0u);
    s.Push(1);
    s.Push(2);
    EXPECT_EQ(ErrorMessage([&] { s.Drop(3); }), "DStack underflow");
    s.Drop(2);
    EXPECT_EQ(s.Depth(), 0u);
}

TEST(DStack, SlotsStartZeroed) {
    DStack<> s(8);
    s.Reserve(5);
    for (uint32_t d = 0; d < 5; ++d) EXPECT_EQ(s.Peek(d), 0u);
    EXPECT_TRUE(InScriptRegion(FromScript<uint32_t>(s.TopAddress())));
}
