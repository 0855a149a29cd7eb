#include "script/char_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "foundation/exceptions.h"
#include "tests/script/native_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_archive.h"

namespace {

// Runs the test in a temporary working folder, where the log file goes.
class WorkingFolder {
  public:
    WorkingFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.Absolute());
    }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    std::string Log() const {
        std::ifstream in(dir_.Absolute() / "vondrel.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

  private:
    TempDir dir_;
    std::filesystem::path previous_;
};

class CharManagerTest : public NativeFixture {
  protected:
    void Open(const std::string& content) {
        archive = std::make_unique<TestArchive>(std::vector<FdEntry>{{"chars.txt", content}});
        chars = new CharManager(&runner, archive->File());
        manager->Register(chars, false);
    }
    uint32_t Value(uint32_t id, uint32_t index) { return *chars->GetCharacteristics("chars.txt", id, index); }
    std::string TextValue(uint32_t id, uint32_t index) { return TextAt(Value(id, index)); }
    uint32_t Count(uint32_t id) { return chars->ValueCount("chars.txt", id); }

    WorkingFolder folder;
    std::unique_ptr<TestArchive> archive;
    CharManager* chars = nullptr;
};

}  // namespace

TEST_F(CharManagerTest, ClassFacts) {
    Open("");
    EXPECT_EQ(chars->ClassName(), "CharManager");
    EXPECT_TRUE(chars->IsKindOf("CharManager"));
    EXPECT_FALSE(chars->IsKindOf("MessageManager"));
    EXPECT_EQ(chars->MethodCount(), 8u);
    EXPECT_EQ(chars->VirtualMethodCount(), 2u);
    for (uint32_t m : {0u, 1u, 2u, 3u, 4u, 5u, 7u}) EXPECT_NE(chars->MethodSlot(m), 0u) << m;
    EXPECT_EQ(chars->MethodSlot(6), 0u);
}

TEST_F(CharManagerTest, NumbersAndTexts) {
    Open(
        "// ships\r\n"
        "10 1 -2 +3\r\n"
        "11 \"a b\\nc\" \"\" x12 \"q\\\"t\"\r\n"
        "12 4\t5 6\r\n");
    EXPECT_EQ(Count(10), 3u);
    EXPECT_EQ(Value(10, 0), 1u);
    EXPECT_EQ(static_cast<int32_t>(Value(10, 1)), -2);
    EXPECT_EQ(Value(10, 2), 3u);
    EXPECT_EQ(Count(11), 4u);
    EXPECT_EQ(TextValue(11, 0), "a b\nc");
    EXPECT_EQ(TextValue(11, 1), "");
    EXPECT_EQ(Value(11, 2), 0u);
    EXPECT_EQ(TextValue(11, 3), "q\"t");
    // A tab does not separate values.
    EXPECT_EQ(Count(12), 2u);
    EXPECT_EQ(Value(12, 0), 4u);
    EXPECT_EQ(Value(12, 1), 6u);
}

TEST_F(CharManagerTest, LineEnds) {
    Open(
        "1 10 20 \\\r\n 30\r\n"
        "2\r\n40 50\r\n"
        "3 60\n4 70\n5 80\r\n"
        "6\r\n"
        "7 \"open\r\n8 90");
    EXPECT_EQ(Count(1), 3u);
    EXPECT_EQ(Value(1, 2), 30u);
    // An ID alone on its line takes the values of the next one.
    EXPECT_EQ(Count(2), 2u);
    EXPECT_EQ(Value(2, 1), 50u);
    // LF alone does not end a record, nor a value: it is ignored.
    EXPECT_EQ(Count(3), 3u);
    EXPECT_EQ(Value(3, 0), 604u);
    EXPECT_EQ(Value(3, 1), 705u);
    EXPECT_FALSE(chars->Find("chars.txt", 4));
    // An ID whose next line is another record's start: "7" takes no values of its own.
    EXPECT_EQ(Count(6), 2u);
    EXPECT_EQ(Value(6, 0), 7u);
    EXPECT_EQ(TextValue(6, 1), "open");
    EXPECT_EQ(Count(8), 1u);
    EXPECT_EQ(Value(8, 0), 90u);
}

TEST_F(CharManagerTest, DuplicatesAreLoggedAndReplace) {
    Open("5 1 2 3\r\n5 9\r\n");
    EXPECT_EQ(Count(5), 1u);
    EXPECT_EQ(Value(5, 0), 9u);
    EXPECT_NE(folder.Log().find("CharManager: object with ID=5 is duplicated in 'chars.txt'."),
              std::string::npos);
}

TEST_F(CharManagerTest, Limits) {
    std::string content = "1";
    for (int i = 0; i < 1000; ++i) content += " 5";
    content += " 7 8 9\r\n2 \"" + std::string(1030, 'a') + "\" " + std::string(1030, '3') + "\r\n";
    Open(content);
    // The thousandth value ends the record; the next word is a new ID.
    EXPECT_EQ(Count(1), 1000u);
    EXPECT_EQ(Count(7), 2u);
    EXPECT_EQ(Value(7, 1), 9u);
    // A value ends at 1024 characters; the rest is the next value.
    EXPECT_EQ(Count(2), 4u);
    EXPECT_EQ(TextValue(2, 0), std::string(1024, 'a'));
    EXPECT_EQ(TextValue(2, 1), "aaaaaa");
    EXPECT_EQ(static_cast<int32_t>(Value(2, 2)), INT32_MAX);
    EXPECT_EQ(Value(2, 3), 333333u);
}

TEST_F(CharManagerTest, IdsOutOfRangeAreLoggedAndSkipped) {
    for (const std::string bad : {"-3", "16777216", "123456789012345678901"}) {
        SCOPED_TRACE(bad);
        manager.reset(new ClassManager(&runner, 26, nullptr));
        Open(std::string("4 44\r\n") + bad + " 1 2\r\n5 55\r\n");
        EXPECT_EQ(ErrorMessage([&] { chars->Find("chars.txt", 4); }), "no error");
        EXPECT_EQ(Value(4, 0), 44u);
        EXPECT_EQ(Count(5), 1u);
        EXPECT_EQ(Value(5, 0), 55u);
        EXPECT_NE(folder.Log().find(std::string("CharManager: object ID ") + bad.substr(0, 24) +
                                    " out of range in 'chars.txt', skipped."),
                  std::string::npos)
            << folder.Log();
    }
}

TEST_F(CharManagerTest, MissingRecordsAndIndexes) {
    Open("3 1 2\r\n");
    EXPECT_EQ(ErrorMessage([&] { Value(4, 0); }), "Object #4 characteristics not found in chars.txt");
    EXPECT_TRUE(WarnsOf([&] { Value(4, 0); }));
    EXPECT_TRUE(WarnsOf([&] { Value(0xFFFFFFFFu, 0); }));
    EXPECT_FALSE(chars->Find("chars.txt", 4));
    EXPECT_EQ(Count(4), 0u);
    EXPECT_EQ(Count(0xFFFFFFFFu), 0u);
    const std::string error = ErrorMessage([&] { Value(3, 2); });
    EXPECT_NE(error, "no error");
    EXPECT_FALSE(WarnsOf([&] { Value(3, 2); }));
    EXPECT_NE(ErrorMessage([&] { chars->Find("absent.txt", 1); }), "no error");
}

TEST_F(CharManagerTest, Natives) {
    Open("3 17 \"text\"\r\n");
    const uint32_t name = Text("chars.txt");
    Call(chars, chars, 4, {name, 3, 0});
    EXPECT_EQ(Pop(), 17u);
    Call(chars, chars, 5, {name, 3, 1});
    const uint32_t address = Pop();
    EXPECT_EQ(TextAt(ScriptLoad32(address)), "text");
    // The address is writable: scripts change stored values through it.
    Call(chars, chars, 5, {name, 3, 0});
    ScriptStore32(Pop(), 99);
    EXPECT_EQ(Value(3, 0), 99u);
    Call(chars, chars, 7, {name, 3});
    EXPECT_EQ(Pop(), 2u);
    Call(chars, chars, 7, {name, 8});
    EXPECT_EQ(Pop(), 0u);
    // Natives 4 and 5 check the index against the record.
    for (uint32_t method : {4u, 5u}) {
        EXPECT_NE(ErrorMessage([&] { Call(chars, chars, method, {name, 3, 2}); }), "no error");
        EXPECT_NE(ErrorMessage([&] { Call(chars, chars, method, {name, 3, 0xFFFFFFFFu}); }), "no error");
    }
    EXPECT_EQ(Depth(), 0u);

    Call(chars, chars, 0, {archive->File()->Address()});
    std::unique_ptr<CharManager> second(
        dynamic_cast<CharManager*>(ScriptObject::FromAddress(Pop(), 0, "CharManager")));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Archive(), archive->File());
    EXPECT_EQ(*second->GetCharacteristics("chars.txt", 3, 0), 17u);
    EXPECT_EQ(ErrorMessage([&] { Call(chars, chars, 0, {name}); }), "Unknown archive given to CharManager");
}
