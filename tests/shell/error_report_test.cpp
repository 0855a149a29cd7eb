#include "shell/error_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "foundation/exceptions.h"
#include "foundation/version_block.h"
#include "platform/headless/headless_app.h"
#include "script/operations.h"
#include "script/processor.h"
#include "tests/shell/game_fixture.h"
#include "tests/support/test_archive.h"
#include "tools/content/class_library_builder.h"

namespace {

using ErrorReportTest = GameFixture;

}  // namespace

TEST_F(ErrorReportTest, CallStackNamesEachTracedCallAndStaysInsideTheDebugTable) {
    ProgramVersion().SetWords({1, 11, 0, 'b'});
    ClassLibraryBuilder library = ClassLibraryBuilder::Named("Main");
    library.code = std::vector<uint32_t>(5, InstructionWord::kReturn);
    library.methods = std::vector<uint32_t>{1};
    library.WithDebugInfo("main.zs");
    TestArchive archive({{"Main.glc", library.Build()}});
    auto processor = std::make_unique<Processor>(archive.File(), 64, 64, 64, 64);
    ZEMAClass* main = processor->ClassByName(String("Main"));
    const uint32_t record = main->MethodDebugRecord(0);
    ASSERT_NE(record, 0u);
    const uint32_t method = main->CodeAddress() + 4;
    const uint32_t codeEnd = main->CodeAddress() + 4 * 5;

    DStack<TraceEntry>& trace = processor->TraceStack();
    for (uint32_t value : {0u, 0u, method, 12u, method, record, codeEnd, record}) trace.Push(value);
    // The innermost word: the third of the method, whose debug word is line 4.
    processor->SetPC(method + 8 + 4);
    EXPECT_STREQ(CallStackText(*processor).Text(),
                 "main.zs(4)\r\n"                // the running word
                 "main.zs(?)\r\n"                // called from past the end of the class's code
                 "Debug info not available\r\n"  // a record that is no record
                 "Debug info not available\r\n");
    EXPECT_EQ(trace.Depth(), 0u);
    EXPECT_STREQ(CallStackText(*processor).Text(), "");

    // The dialog logs the call stack (empty here) and shows it with the message.
    trace.Push(method);
    trace.Push(record);
    processor->SetPC(method + 4);
    ErrorDialog(FatalExep(String("Bad value")), processor.get(), App());
    ErrorDialog(FatalExep(String("No processor")), nullptr, App());
    const std::vector<ErrorDialogCall> dialogs = App().ErrorDialogCalls();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].caption, "ZEMA error");
    EXPECT_EQ(dialogs[0].message, "Bad value");
    EXPECT_EQ(dialogs[0].callStack, "main.zs(2)\r\n");
    EXPECT_EQ(dialogs[1].callStack, "");
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{"main.zs(2)\r", ""}));
    EXPECT_EQ(ErrorDialogText("m", "a(1)\r\nb(2)\r\n"), "m\n\na(1)\nb(2)\n");
    EXPECT_EQ(ErrorDialogText("m", ""), "m");

    ShowError(String("text"), String("Error"), App());
    ASSERT_EQ(App().MessageBoxCalls().size(), 1u);
    EXPECT_EQ(App().MessageBoxCalls()[0].style, MbOk | MbIconError);
}
