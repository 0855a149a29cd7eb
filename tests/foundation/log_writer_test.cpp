#include "foundation/log_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "foundation/version_block.h"
#include "tests/support/temp_dir.h"

namespace {

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LogWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        file_ = (dir_ / "vondrel.log").string();
        SetLogClock([] {
            std::tm t{};
            t.tm_mday = 5;
            t.tm_mon = 2;
            t.tm_year = 100;  // 2000
            t.tm_hour = 14;
            t.tm_min = 7;
            t.tm_sec = 9;
            return t;
        });
    }
    void TearDown() override { SetLogClock({}); }
    TempDir temp_;
    const std::filesystem::path& dir_ = temp_.Path();
    std::string file_;
};

}  // namespace

TEST_F(LogWriterTest, LineFormat) {
    WriteLog(file_.c_str(), "first");
    WriteLog(file_.c_str(), "second\n");
    std::string prefix = "<05/03/00 14:07:09> [v 0.00.00";
    std::string text = ReadAll(file_);
    EXPECT_EQ(text.rfind(prefix, 0), 0u) << text;
    EXPECT_NE(text.find("] : first\n<05/03/00"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 11), " : second\n\n");
}

TEST_F(LogWriterTest, MissingFolderIsSkipped) {
    EXPECT_NO_THROW(WriteLog((dir_ / "no" / "such.log").c_str(), "x"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no"));
}

TEST_F(LogWriterTest, AnUnknownVersionLetterLeavesNoByteBehind) {
    // Before the archive version is read its letter is 0 (other tests of this program read one).
    const VersionWords read = DataVersion().Words();
    DataVersion().SetWords({0, 0, 0, 0});
    WriteLog(file_.c_str(), "early");
    DataVersion().SetWords(read);
    const std::string text = ReadAll(file_);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_NE(text.find("/0.00.00] : early\n"), std::string::npos) << text;
}

TEST_F(LogWriterTest, ALineTheFileDoesNotTakeGoesToStandardError) {
    const std::string unwritable = (dir_ / "no" / "such.log").string();
    testing::internal::CaptureStderr();
    WriteLog(unwritable.c_str(), "the error");
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown.rfind(unwritable + ": <05/03/00 14:07:09> [v ", 0), 0u) << shown;
    EXPECT_NE(shown.find("] : the error\n"), std::string::npos) << shown;
}

TEST_F(LogWriterTest, ThreadsNeverInterleave) {
    std::string line(2000, 'a');
    std::string other(2000, 'b');
    std::thread t1([&] {
        for (int i = 0; i < 200; ++i) WriteLog(file_.c_str(), line.c_str());
    });
    std::thread t2([&] {
        for (int i = 0; i < 200; ++i) WriteLog(file_.c_str(), other.c_str());
    });
    t1.join();
    t2.join();
    std::ifstream in(file_);
    std::string l;
    int lines = 0;
    while (std::getline(in, l)) {
        ++lines;
        auto body = l.substr(l.find(" : ") + 3);
        EXPECT_TRUE(body == line || body == other);
    }
    EXPECT_EQ(lines, 400);
}
