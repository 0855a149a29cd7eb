// A small assembler for script code words: operation words, call words, returns, inline data and
// jumps to labels. Test tool: misuse throws std::invalid_argument or std::logic_error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "script/operations.h"

class ScriptAssembler {
  public:
    // Receiver kinds of a call word (bits 28-31).
    enum class Receiver : uint32_t { Current = 0, Field = 1, ObjectId = 2, Local = 3, Popped = 4 };
    struct Label {
        uint32_t id;
    };

    static constexpr uint32_t kReturnWord = 0xFFFFFFFFu;
    static uint32_t OperationWord(::Op operation) { return OpWord(operation); }
    static uint32_t CallWord(uint32_t method, uint32_t classNumber, bool isVirtual,
                             Receiver receiver = Receiver::Current, uint32_t operand = 0);

    // Word offset of the next word.
    uint32_t Here() const { return static_cast<uint32_t>(words_.size()); }
    // Starts a method body with its non-zero first word; gives the body's offset (for GLM/GLVM).
    uint32_t Method(uint32_t firstWord = 1);
    void Op(::Op operation);
    void Op(::Op operation, std::initializer_list<uint32_t> inlineWords);
    void Call(uint32_t method, uint32_t classNumber = 0, Receiver receiver = Receiver::Current,
              uint32_t operand = 0);
    void CallVirtual(uint32_t method, uint32_t classNumber = 0, Receiver receiver = Receiver::Current,
                     uint32_t operand = 0);
    void Return() { Word(kReturnWord); }
    void Word(uint32_t word) { words_.push_back(word); }
    void Data(std::initializer_list<uint32_t> words);

    Label NewLabel();
    void Bind(Label label);
    // Operation word and its offset word: taken, execution continues at the label.
    void Jump(::Op operation, Label target);
    // Operation word and an offset word that counts from the offset word itself (no + 1).
    void RelativeAddress(::Op operation, Label target);

    // The words with every offset filled in; throws std::logic_error for an unbound label.
    std::vector<uint32_t> Finish() const;

  private:
    struct Fixup {
        uint32_t at;
        uint32_t label;
        int32_t bias;
    };

    std::vector<uint32_t> words_;
    std::vector<int64_t> labels_;  // word offset, or -1 while unbound
    std::vector<Fixup> fixups_;
};
