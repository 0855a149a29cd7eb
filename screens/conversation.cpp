#include "screens/conversation.h"

#include <string>
#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/log_writer.h"
#include "foundation/saturating.h"
#include "foundation/word.h"
#include "graphics/font.h"
#include "screens/screen_helpers.h"
#include "screens/screen_kinds.h"
#include "script/char_manager.h"
#include "script/cleanup_steps.h"
#include "script/message_manager.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/receiver_of.h"
#include "script/zema_class.h"
#include "shell/game_globals.h"
#include "shell/game_ids.h"
#include "ui/control.h"
#include "ui/dialog_window.h"
#include "ui/text_controls.h"
#include "ui/window_services.h"
#include "world/running_processor.h"

namespace {

// Both the question and its answers draw with a shadow; answers stand on their y.
constexpr int32_t kShadowed = 2;
constexpr int32_t kBottomAligned = 2;

Processor& ProcessorOf(ScriptObject* object) {
    return RunningProcessor(object, "Conversation");
}

void CreateNative(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("Conversation");
    const String messageFile = args.TextCopy();
    const String questionFile = args.TextCopy();
    ConversationObject::Layout layout{};
    layout.answerX = args.Int();
    layout.answerBase = args.Int();
    layout.answerWidth = args.Int();
    layout.questionX = args.Int();
    layout.questionY = args.Int();
    layout.questionWidth = args.Int();
    PushNewObject(runner, std::make_unique<ConversationObject>(cls, messageFile, questionFile, layout));
}

void ShowQuestionNative(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    conversation.ShowQuestion(NativeArgs(receiver).Word());
}

void ClearAnswersNative(ScriptObject* receiver) {
    ConversationObject::Of(receiver).ClearAnswers();
}

void PushNextAnswerY(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(conversation.NextAnswerYAddress());
}

void PushQuestionFile(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(conversation.QuestionFileText());
}

void PushMessageFile(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    NativeArgs(receiver).Stack().Push(conversation.MessageFileText());
}

void AddAnswerNative(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    NativeArgs args(receiver);
    const String text = args.TextCopy();
    const int32_t id = args.Int();
    const int32_t target = args.Int();
    conversation.AddAnswer(target, id, text.View());
}

// Event 7: the window's event code, a value not used, and the command id on top.
void OnCommandNative(ScriptObject* receiver) {
    ConversationObject& conversation = ConversationObject::Of(receiver);
    NativeArgs args(receiver);
    const int32_t id = args.Int();
    args.Int();
    const int32_t event = args.Int();
    if (event == kEventPrimary) conversation.OnCommand(id);
}

}  // namespace

ConversationObject::ConversationObject(ZEMAClass* cls, const String& messageFile, const String& questionFile,
                                       const Layout& layout)
    : ZEMADialogObject(cls),
      messageFile_(messageFile),
      questionFile_(questionFile),
      messageFileText_(CopyTextToScript(messageFile.View())),
      questionFileText_(CopyTextToScript(questionFile.View())),
      layout_(layout),
      questionFont_(NamedFont(ProcessorOf(this), "QuestionFont")),
      answerFont_(NamedFont(ProcessorOf(this), "AnswerFont")) {
    SetKind(kConversationKind);
    SetNextAnswerY(layout.answerBase);
}

ConversationObject::~ConversationObject() = default;

ConversationObject& ConversationObject::Of(ScriptObject* receiver) {
    return ReceiverOf<ConversationObject>(receiver, "Conversation object expected");
}

void ConversationObject::ClearAnswers() {
    // A control that goes runs its script destructor, which may add answers or clear them again:
    // the answers are taken out of reach first, and every one goes whatever another's does.
    std::vector<Answer> answers;
    answers.swap(answers_);
    SetNextAnswerY(layout_.answerBase);
    DialogWindow& window = Window();
    CleanupSteps steps(this);
    for (const Answer& answer : answers) steps.Run([&window, &answer] { window.RemoveControl(answer.id); });
    steps.Finish();
}

void ConversationObject::AddAnswerButton(int32_t id, uint32_t text, int32_t gapBelow) {
    Processor& processor = ProcessorOf(this);
    const int32_t y = NextAnswerY();
    MadeControl<> made =
        MakeControl(processor, "MultiLineButton",
                    {Word(layout_.answerX), Word(y), Word(layout_.answerWidth), 0, text, Word(id)});
    auto& button = StaticTextObject::Of(made.get());
    button.SetFont(answerFont_.As<Font>());
    button.SetInt(kTextFlags, kShadowed);
    button.SetInt(kTextVerticalAlign, kBottomAligned);
    AddOwned(Window(), std::move(made));
    // The place is a field scripts may write.
    SetNextAnswerY(SaturateInt32(int64_t{y} - button.Height() - gapBelow));
}

void ConversationObject::AddAnswer(int32_t target, int32_t id, std::string_view text) {
    answers_.push_back({id, target});
    const ScriptBuffer<char> copy = CopyTextToScript(text);
    AddAnswerButton(id, ToScript(copy.get()), -kAnswerGap);
}

void ConversationObject::ShowQuestion(uint32_t n) {
    Processor& processor = ProcessorOf(this);
    ClearAnswers();
    auto& chars = WellKnown<CharManager>(processor, kCharManagerId, "characteristics manager");
    auto& messages = WellKnown<MessageManager>(processor, kMessageManagerId, "message manager");
    // The record is outside data: every word is read within its count, missing head words as 0.
    const uint32_t question = *chars.GetCharacteristics(questionFile_, n, 0);
    const uint32_t count = chars.ValueCount(questionFile_, n);
    auto word = [&](uint32_t i) { return i < count ? *chars.GetCharacteristics(questionFile_, n, i) : 0u; };
    const uint32_t ending = word(1);
    const uint32_t first = word(2);
    const auto further = static_cast<int32_t>(word(3));
    std::vector<int32_t> targets;
    bool cutShort = false;
    if (first != 0 && further > 0) {
        const uint32_t room = count > kQuestionRecordHead ? count - kQuestionRecordHead : 0;
        cutShort = static_cast<uint32_t>(further) > room;
        const uint32_t shown = cutShort ? room : static_cast<uint32_t>(further);
        for (uint32_t j = 0; j < shown; ++j)
            targets.push_back(static_cast<int32_t>(word(kQuestionRecordHead + j)));
    }

    answers_.push_back({static_cast<int32_t>(question), 0});
    MadeControl<> made =
        MakeControl(processor, "MultiLineControl",
                    {Word(layout_.questionX), Word(layout_.questionY), Word(layout_.questionWidth), 0,
                     messages.ScriptMessage(messageFile_, question), question});
    auto& text = StaticTextObject::Of(made.get());
    text.SetFont(questionFont_.As<Font>());
    text.SetInt(kTextFlags, kShadowed);
    AddOwned(Window(), std::move(made));

    if (ending != 0) {
        answers_.push_back({static_cast<int32_t>(ending), kAnswerEnds});
        AddAnswerButton(static_cast<int32_t>(ending), messages.ScriptMessage(messageFile_, ending),
                        kAnswerGap);
    }
    for (uint32_t j = 0; j < targets.size(); ++j) {
        const uint32_t id = first + j;
        answers_.push_back({static_cast<int32_t>(id), targets[j]});
        AddAnswerButton(static_cast<int32_t>(id), messages.ScriptMessage(messageFile_, id), kAnswerGap);
    }
    if (cutShort) {
        const std::string line = "Conversation: question #" + std::to_string(n) + " in " +
                                 std::string(questionFile_.View()) + " has " + std::to_string(further) +
                                 " answers but targets for " + std::to_string(targets.size()) +
                                 "; those are shown";
        WriteLog(kLogFile, line.c_str());
    }
}

void ConversationObject::OnCommand(int32_t id) {
    for (const Answer& answer : answers_) {
        if (answer.id != id) continue;
        const int32_t target = answer.target;
        if (target == kAnswerEnds)
            Window().SetResult(0);
        else if (target == kAnswerEvent)
            RunnerOf(this).CallVirtual(this, kDialogStartVirtual);
        else
            Window().PostMessage(kEventPrimary, 0, target);
        return;
    }
    auto& chars = WellKnown<CharManager>(ProcessorOf(this), kCharManagerId, "characteristics manager");
    if (id < 0 || !chars.Find(questionFile_, static_cast<uint32_t>(id))) return;
    ShowQuestion(static_cast<uint32_t>(id));
    Window().SetSkipDraw();
}

void Conversation::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(OnCommandNative, kDialogEventVirtual);
    BindNativeBase(row, target);
    target.SetMethod(CreateNative, kCreateObjectMethod);
    target.SetMethod(ShowQuestionNative, 19);
    target.SetMethod(ClearAnswersNative, 20);
    target.SetMethod(PushNextAnswerY, 21);
    target.SetMethod(PushQuestionFile, 22);
    target.SetMethod(PushMessageFile, 23);
    target.SetMethod(AddAnswerNative, 24);
}
