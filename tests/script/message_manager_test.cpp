#include "script/message_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "tests/script/native_fixture.h"
#include "tests/support/test_archive.h"
#include "tests/support/working_folder.h"

namespace {

class MessageManagerTest : public NativeFixture {
  protected:
    // An archive holding the file "test.mes", and a manager registered over it.
    void Open(const std::string& content, uint32_t language = 1) {
        archive =
            std::make_unique<TestArchive>(std::vector<FdEntry>{{"test.mes", content}, {"other.mes", "1 x@"}});
        languageBlock.SetLanguage(language);
        messages = new MessageManager(&runner, archive->File(), &languageBlock);
        manager->Register(messages, false);
    }
    std::string Get(uint32_t number, const char* file = "test.mes") {
        return messages->GetMessage(file, number);
    }

    std::unique_ptr<TestArchive> archive;
    LanguageBlock languageBlock;
    MessageManager* messages = nullptr;
};

}  // namespace

TEST_F(MessageManagerTest, ClassFacts) {
    Open("");
    EXPECT_EQ(messages->ClassName(), "MessageManager");
    EXPECT_TRUE(messages->IsKindOf("MessageManager"));
    EXPECT_TRUE(messages->IsKindOf("ZEMAClass"));
    EXPECT_FALSE(messages->IsKindOf("CharManager"));
    EXPECT_EQ(messages->MethodCount(), 5u);
    EXPECT_EQ(messages->VirtualMethodCount(), 2u);
    EXPECT_EQ(manager->FindClass("MessageManager"), messages);
}

TEST_F(MessageManagerTest, CurrentLanguageWinsAndLanguageOneFillsIn) {
    Open(
        "Language 2\r\n1 zwei@ 3 drei@\r\n"
        "Language 3\r\n1 trois@ 4 quatre@\r\n"
        "Language 1\r\n1 one@ 2 two@ 3 three@\r\n",
        2);
    EXPECT_EQ(Get(1), "zwei");
    EXPECT_EQ(Get(2), "two");
    EXPECT_EQ(Get(3), "drei");
    EXPECT_TRUE(WarnsOf([&] { Get(4); }));
}

TEST_F(MessageManagerTest, LanguageOneLaterTextReplaces) {
    Open("1 first@ 1 second@ Language 2 1 zwei@");
    EXPECT_EQ(Get(1), "second");
}

TEST_F(MessageManagerTest, NumbersAndTexts) {
    Open(
        "007 seven@ word zero@\r\n"
        "5    spaced  \r\nline two\r\n@\r\n"
        "// a comment between entries\r\n"
        "6\r\nnext line // not a comment@\r\n"
        "8\ttab@\r\nrest@\r\n"
        "9 to the end");
    EXPECT_EQ(Get(7), "seven");
    EXPECT_EQ(Get(0), "zero");
    EXPECT_EQ(Get(5), "spaced  \nline two\n");
    EXPECT_EQ(Get(6), "\nnext line // not a comment");
    // A tab belongs to the word: "8\ttab@" is the number 8, and its text starts after the line.
    EXPECT_EQ(Get(8), "\nrest");
    EXPECT_EQ(Get(9), "to the end");
}

TEST_F(MessageManagerTest, MissingNumberIsAWarningAndTheFileIsReadOnce) {
    Open("1 a@ 2 b@");
    const char* first = messages->GetMessage("test.mes", 1);
    EXPECT_EQ(ErrorMessage([&] { Get(3); }), "Message #3 not found in test.mes");
    EXPECT_TRUE(WarnsOf([&] { Get(3); }));
    EXPECT_TRUE(WarnsOf([&] { Get(0xFFFFFFFFu); }));
    EXPECT_EQ(messages->GetMessage("test.mes", 1), first);
    EXPECT_NE(messages->FindFile("test.mes"), nullptr);
    EXPECT_EQ(messages->FindFile("other.mes"), nullptr);
}

TEST_F(MessageManagerTest, EmptyAndMissingFiles) {
    Open("  // nothing here\r\n");
    EXPECT_TRUE(WarnsOf([&] { Get(0); }));
    EXPECT_NE(ErrorMessage([&] { Get(1, "absent.mes"); }), "no error");
    EXPECT_FALSE(WarnsOf([&] { Get(1, "absent.mes"); }));
    EXPECT_EQ(messages->FindFile("absent.mes"), nullptr);
}

TEST_F(MessageManagerTest, NumbersOutOfRangeAreLoggedAndSkipped) {
    for (const char* bad : {"-1", "16777216", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        WorkingFolder folder;
        manager.reset(new ClassManager(&runner, 26, nullptr));
        Open(std::string("1 kept@ ") + bad + " skipped@ 2 after@");
        EXPECT_EQ(ErrorMessage([&] { Get(1); }), "no error");
        EXPECT_EQ(Get(1), "kept");
        EXPECT_EQ(Get(2), "after");
        EXPECT_NE(folder.Log().find(std::string("MessageManager: message number ") + bad +
                                    " out of range in 'test.mes', skipped."),
                  std::string::npos)
            << folder.Log();
    }
    manager.reset(new ClassManager(&runner, 26, nullptr));
    Open("16777215 last@");
    EXPECT_EQ(Get(16777215), "last");
}

TEST_F(MessageManagerTest, LongTexts) {
    std::string text(5000, 'q');
    Open("1 " + text + "@");
    EXPECT_EQ(Get(1), text);
}

TEST_F(MessageManagerTest, Natives) {
    Open("12 twelve@");
    Call(messages, messages, 4, {Text("test.mes"), 12});
    EXPECT_EQ(TextAt(Pop()), "twelve");

    Call(messages, messages, 0, {archive->File()->Address()});
    std::unique_ptr<MessageManager> second(
        dynamic_cast<MessageManager*>(ScriptObject::FromAddress(Pop(), 0, "MessageManager")));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Language(), &languageBlock);
    EXPECT_EQ(second->GetProcessor(), &runner);
    // Its own table: it loads the file again.
    EXPECT_EQ(second->FindFile("test.mes"), nullptr);
    EXPECT_EQ(std::string(second->GetMessage("test.mes", 12)), "twelve");
    EXPECT_NE(second->GetMessage("test.mes", 12), messages->GetMessage("test.mes", 12));

    EXPECT_EQ(ErrorMessage([&] { Call(messages, messages, 0, {Text("not an archive")}); }),
              "Unknown archive given to MessageManager");
    EXPECT_EQ(ErrorMessage([&] { Call(messages, messages, 4, {12}); }), "DStack underflow");
}
