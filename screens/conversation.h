// Conversation: the script dialog in which a character asks a question and the player picks an
// answer. A question is a record of a characteristics file: its text, the answer that ends the talk,
// and further answers each leading to the dialog's event 8, a command posted to the window, or (a
// command naming a record) the next question. The texts come from a message file.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/engine_string.h"
#include "foundation/script_memory.h"
#include "script/script_fields.h"
#include "script/weak_object.h"
#include "ui/script_dialog.h"

class Font;
class Processor;
struct NativeClassRow;

// Answer targets: the end of the conversation, and the dialog's event 8.
constexpr int32_t kAnswerEnds = -2;
constexpr int32_t kAnswerEvent = -1;
// Pixels between two answers of a question; an answer a script adds overlaps the one before by as
// many.
constexpr int32_t kAnswerGap = 10;

// The words of a question record before the targets of its further answers.
constexpr uint32_t kQuestionRecordHead = 4;

class ConversationObject : public ZEMADialogObject {
  public:
    struct Layout {
        int32_t answerX;      // pushed last for every answer
        int32_t answerBase;   // the bottom of the first answer
        int32_t answerWidth;  // pushed before the answer's y
        int32_t questionX, questionY, questionWidth;
    };

    ConversationObject(ZEMAClass* cls, const String& messageFile, const String& questionFile,
                       const Layout& layout);
    ~ConversationObject() override;

    // Replaces the question and its answers by those of record n of the question file. A record
    // whose answers reach past its end shows the answers it holds, with a log line.
    void ShowQuestion(uint32_t n);
    // Takes away every answer (the question text with them) and starts again at the base.
    void ClearAnswers();
    // An answer button above the one added before, overlapping it by kAnswerGap.
    void AddAnswer(int32_t target, int32_t id, std::string_view text);
    // What a command (the click of an answer, or a posted one) does.
    void OnCommand(int32_t id);

    // The y of the next answer, where scripts read and move it.
    int32_t NextAnswerY() const { return static_cast<int32_t>(nextAnswerY_.Data()[0]); }
    uint32_t NextAnswerYAddress() const { return nextAnswerY_.Address(0); }
    uint32_t MessageFileText() const { return ToScript(messageFileText_.get()); }
    uint32_t QuestionFileText() const { return ToScript(questionFileText_.get()); }
    size_t AnswerCount() const { return answers_.size(); }

    static ConversationObject& Of(ScriptObject* receiver);

  private:
    struct Answer {
        int32_t id;
        int32_t target;
    };
    void SetNextAnswerY(int32_t y) { nextAnswerY_.Data()[0] = static_cast<uint32_t>(y); }
    // A button of the answer font at the next answer's place; the next place is its height less
    // gapBelow above it.
    void AddAnswerButton(int32_t id, uint32_t text, int32_t gapBelow);

    String messageFile_;
    String questionFile_;
    ScriptBuffer<char> messageFileText_;
    ScriptBuffer<char> questionFileText_;
    Layout layout_;
    ScriptFields nextAnswerY_{1};
    // Held weakly: a conversation kept past its scene outlives the fonts the scene's reset unloads.
    WeakObject questionFont_;
    WeakObject answerFont_;
    std::vector<Answer> answers_;
};

// Event 7 into an empty slot, the Dialog binding, then natives 0 and 19-24.
struct Conversation {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
