#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "foundation/exceptions.h"

TEST(Exceptions, KindsAnswerTheirNamesExactly) {
    try {
        throw FatalExep(String("boom"));
    } catch (const DExep& e) {
        EXPECT_TRUE(e.IsKindOf("FatalExep"));
        EXPECT_TRUE(e.IsKindOf("DExep"));
        EXPECT_FALSE(e.IsKindOf("WarnExep"));
        EXPECT_FALSE(e.IsKindOf("fatalexep"));
        EXPECT_EQ(e.message, "boom");
    }
    WarnExep w(5, String("missing"), 7);
    EXPECT_TRUE(w.IsKindOf("WarnExep"));
    EXPECT_FALSE(w.IsKindOf("FatalExep"));
    EXPECT_EQ(w.code, 5);
    EXPECT_EQ(w.number, 7u);
    DExep d{String()};
    EXPECT_FALSE(d.IsKindOf("dexep"));
    EXPECT_EQ(d.code, 0);
    EXPECT_EQ(d.message.Length(), 1u);
}

TEST(Exceptions, CopiesOwnTheirMessages) {
    FatalExep source(3, String("text"), 9);
    {
        FatalExep copy(source);
        EXPECT_NE(copy.message.Text(), source.message.Text());
        EXPECT_EQ(copy.code, 3);
        EXPECT_EQ(copy.number, 9u);
    }
    EXPECT_EQ(source.message, "text");
}

TEST(String, EmptyAndLengths) {
    EXPECT_EQ(String().Length(), 1u);
    EXPECT_EQ(String("").Length(), 1u);
    EXPECT_EQ(String("abc").Length(), 4u);
    EXPECT_STREQ(String("abc").Text(), "abc");
}

TEST(String, AppendToItselfDoubles) {
    String s("ab");
    s += s;
    EXPECT_EQ(s, "abab");
    EXPECT_EQ(s.Length(), 5u);
    s = s;
    EXPECT_EQ(s, "abab");
}

TEST(String, ConcatenationBuildsMessages) {
    String name("Ship");
    String m = "Class " + name + " not found in FindClass method";
    EXPECT_EQ(m, "Class Ship not found in FindClass method");
    EXPECT_EQ(name, "Ship");
    EXPECT_EQ(String("n=") + String(-7) + "," + String(0), "n=-7,0");
}

TEST(String, Decimal) {
    EXPECT_EQ(String(INT_MIN), "-2147483648");
    EXPECT_EQ(String(INT_MAX), "2147483647");
    EXPECT_EQ(String(10), "10");
}

TEST(String, Extension) {
    EXPECT_EQ(String::Extension(String("dir.old\\file")), "old\\file");
    EXPECT_EQ(String::Extension(String("name.")), "");
    EXPECT_EQ(String::Extension(String("name")), "");
    EXPECT_EQ(String::Extension(String("a.b.dpf")), "dpf");
}

TEST(String, AddDefaultExtension) {
    String x("x");
    EXPECT_EQ(AddDefaultExtension(String("name."), x), "name.");
    EXPECT_EQ(AddDefaultExtension(String(""), x), ".x");
    EXPECT_EQ(AddDefaultExtension(String("a.b"), x), "a.b");
    EXPECT_EQ(AddDefaultExtension(String("a"), x), "a.x");
}

TEST(String, MovedFromStaysUsable) {
    String a("abc");
    String b(std::move(a));
    EXPECT_EQ(b, "abc");
    a = String("new");  // NOLINT: assigning to a moved-from value is allowed
    EXPECT_EQ(a, "new");
    String c(std::move(b));
    b += "x";
    EXPECT_EQ(b, "x");
}

TEST(String, FromBytesStopsAtNulAndBound) {
    const char raw[] = {'a', 'b', '\0', 'c'};
    EXPECT_EQ(String::FromBytes(raw, 4), "ab");
    EXPECT_EQ(String::FromBytes("abcdef", 3), "abc");
    EXPECT_EQ(String::FromBytes(nullptr, 0), "");  // an empty vector's data()
}

TEST(Exceptions, FormattedErrorsKeepKindCodeAndWholeMessage) {
    try {
        ThrowFatal("Class %s is loaded %d times at 0x%08X", "Ship", 2, 0x1234u);
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message, "Class Ship is loaded 2 times at 0x00001234");
        EXPECT_EQ(e.code, 0);
    }
    try {
        ThrowWarn(4, 66, "Message #%u not found in %s", 66u, "Keys.mes");
    } catch (const DExep& e) {
        EXPECT_TRUE(e.IsKindOf("WarnExep"));
        EXPECT_EQ(e.message, "Message #66 not found in Keys.mes");
        EXPECT_EQ(e.code, 4);
        EXPECT_EQ(e.number, 66u);
    }
    try {
        ThrowFatalCoded(1, 3, "FR::File \"%s\"Not Found", "a.dat");
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message, "FR::File \"a.dat\"Not Found");
        EXPECT_EQ(e.code, 1);
        EXPECT_EQ(e.number, 3u);
    }
    const std::string longName(5000, 'n');
    try {
        ThrowFatal("File '%s' ended with space!", longName.c_str());
    } catch (const FatalExep& e) {
        EXPECT_EQ(e.message.View(), "File '" + longName + "' ended with space!");
    }
}
