#include "tools/content/script_assembler.h"

#include <stdexcept>

uint32_t ScriptAssembler::CallWord(uint32_t method, uint32_t classNumber, bool isVirtual, Receiver receiver,
                                   uint32_t operand) {
    if (method > 0x7FF || classNumber > 0xFF || operand > 0xFF)
        throw std::invalid_argument("call field out of range");
    return (static_cast<uint32_t>(receiver) << 28) | (isVirtual ? 1u << 27 : 0u) | (method << 16) |
           (classNumber << 8) | operand;
}

uint32_t ScriptAssembler::Method(uint32_t firstWord) {
    if (firstWord == 0) throw std::invalid_argument("a method's first word is never 0");
    const uint32_t at = Here();
    Word(firstWord);
    return at;
}

void ScriptAssembler::Op(::Op operation) {
    Word(OperationWord(operation));
}

void ScriptAssembler::Op(::Op operation, std::initializer_list<uint32_t> inlineWords) {
    Op(operation);
    Data(inlineWords);
}

void ScriptAssembler::Call(uint32_t method, uint32_t classNumber, Receiver receiver, uint32_t operand) {
    Word(CallWord(method, classNumber, false, receiver, operand));
}

void ScriptAssembler::CallVirtual(uint32_t method, uint32_t classNumber, Receiver receiver,
                                  uint32_t operand) {
    Word(CallWord(method, classNumber, true, receiver, operand));
}

void ScriptAssembler::Data(std::initializer_list<uint32_t> words) {
    words_.insert(words_.end(), words);
}

ScriptAssembler::Label ScriptAssembler::NewLabel() {
    labels_.push_back(-1);
    return Label{static_cast<uint32_t>(labels_.size() - 1)};
}

void ScriptAssembler::Bind(Label label) {
    if (label.id >= labels_.size() || labels_[label.id] >= 0)
        throw std::logic_error("label bound twice or unknown");
    labels_[label.id] = Here();
}

void ScriptAssembler::Jump(::Op operation, Label target) {
    Op(operation);
    fixups_.push_back({Here(), target.id, 1});
    Word(0);
}

void ScriptAssembler::RelativeAddress(::Op operation, Label target) {
    Op(operation);
    fixups_.push_back({Here(), target.id, 0});
    Word(0);
}

std::vector<uint32_t> ScriptAssembler::Finish() const {
    std::vector<uint32_t> words = words_;
    for (const Fixup& f : fixups_) {
        if (f.label >= labels_.size() || labels_[f.label] < 0) throw std::logic_error("unbound label");
        const int64_t offset = labels_[f.label] - (int64_t{f.at} + f.bias);
        words[f.at] = static_cast<uint32_t>(static_cast<int32_t>(offset));
    }
    return words;
}
