#include "foundation/ring_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/exceptions.h"

namespace {

std::string ReadAll(RingBuffer& ring) {
    std::string out(ring.Used(), '\0');
    ring.Read(out.data(), static_cast<uint32_t>(out.size()));
    return out;
}

}  // namespace

TEST(RingBuffer, HoldsExactlyItsCapacity) {
    RingBuffer ring(4);
    ring.Write("abcd", 4);
    EXPECT_EQ(ring.Used(), 4u);
    EXPECT_EQ(ring.Free(), 0u);
    try {
        ring.Write("e", 1);
        FAIL() << "overflow accepted";
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.message, "FR::Buffer is too small");
    }
    EXPECT_EQ(ReadAll(ring), "abcd");  // the failed write appended nothing
}

TEST(RingBuffer, WrapsAroundTheStorageEnd) {
    RingBuffer ring(5);
    ring.Write("abcd", 4);
    char two[2];
    EXPECT_EQ(ring.Read(two, 2), 2u);
    ring.Write("efg", 3);  // wraps
    EXPECT_EQ(ring.Used(), 5u);
    char peek[3] = {};
    EXPECT_EQ(ring.Peek(peek, 3, 1), 3u);
    EXPECT_EQ(std::string(peek, 3), "def");
    EXPECT_EQ(ReadAll(ring), "cdefg");
}

TEST(RingBuffer, PeekAtOrBeyondTheUsedCountGivesNothing) {
    RingBuffer ring(8);
    ring.Write("xyz", 3);
    char c;
    EXPECT_EQ(ring.Peek(&c, 1, 3), 0u);
    EXPECT_EQ(ring.Peek(&c, 1, 7), 0u);
    char two[4];
    EXPECT_EQ(ring.Peek(two, 4, 1), 2u);
}

TEST(RingBuffer, SkipAndReadStopAtTheUsedBytes) {
    RingBuffer ring(8);
    ring.Write("hello", 5);
    EXPECT_EQ(ring.Skip(2), 2u);
    char out[8];
    EXPECT_EQ(ring.Read(out, 8), 3u);
    EXPECT_EQ(ring.Skip(1), 0u);
    // An emptied queue starts over at the front: the whole capacity is contiguous again.
    uint32_t span;
    ring.WritableSpan(span);
    EXPECT_EQ(span, 8u);
}

TEST(RingBuffer, UnreadPutsBytesInFront) {
    RingBuffer ring(4);
    ring.Write("cd", 2);
    ring.Unread("ab", 2);
    EXPECT_EQ(ring.Used(), 4u);
    EXPECT_THROW(ring.Unread("x", 1), FatalExep);
    EXPECT_EQ(ReadAll(ring), "abcd");
    ring.Unread("z", 1);  // on an empty queue it wraps below the storage start
    ring.Write("q", 1);
    EXPECT_EQ(ReadAll(ring), "zq");
}

TEST(RingBuffer, FillingInPlaceRespectsTheReadPointer) {
    RingBuffer ring(6);
    ring.Write("abcdef", 6);
    char out[4];
    ring.Read(out, 4);
    uint32_t span;
    uint8_t* at = ring.WritableSpan(span);
    ASSERT_EQ(span, 1u);  // to the storage end
    at[0] = 'g';
    ring.Commit(1);
    at = ring.WritableSpan(span);
    ASSERT_EQ(span, 3u);  // up to the slot before the read pointer
    at[0] = 'h';
    ring.Commit(1);
    EXPECT_THROW(ring.Commit(3), FatalExep);
    EXPECT_EQ(ReadAll(ring), "efgh");
}
