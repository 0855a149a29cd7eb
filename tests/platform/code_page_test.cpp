#include "platform/code_page.h"

#include <gtest/gtest.h>

TEST(CodePage, Windows1252BothWays) {
    CodePageConverter cp;
    // The 0x80-0x9F range differs from Latin-1: the euro sign, curly quotes, the trade mark.
    EXPECT_EQ(cp.FromUtf8("\xE2\x82\xAC\xE2\x80\x9C\xE2\x84\xA2"), "\x80\x93\x99");
    EXPECT_EQ(cp.ToUtf8("\xE9t\xE9 \x80"), "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(cp.FromUtf8(""), "");
}

TEST(CodePage, DropsWhatCannotBeConverted) {
    CodePageConverter cp;
    EXPECT_EQ(cp.FromUtf8("a\xCE\xA9"
                          "b"),
              "ab");  // Greek capital omega
    EXPECT_EQ(cp.FromUtf8("a\xFF\x80"
                          "b\xE2\x82"),
              "ab");  // stray bytes, a cut-off sequence
}

TEST(CodePage, UnknownCodePageKeepsAscii) {
    CodePageConverter cp("NO-SUCH-CODE-PAGE");
    EXPECT_EQ(cp.FromUtf8("a\xC3\xA9z"), "az");
    EXPECT_EQ(cp.ToUtf8("a\xE9z"), "az");
}
