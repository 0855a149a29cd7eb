#include "setup/setup_texts.h"

#include "script/message_manager.h"

SetupTexts::SetupTexts(MessageManager& messages, const char* fileName)
    : messages_(messages), fileName_(fileName) {}

std::string SetupTexts::Get(uint32_t number) {
    return Utf8(messages_.GetMessage(fileName_, number));
}

String SetupTexts::Raw(uint32_t number) {
    return String(messages_.GetMessage(fileName_, number));
}

std::optional<String> SetupTexts::Find(uint32_t number) {
    MessageTable* table = messages_.FindFile(fileName_);
    if (table == nullptr) table = messages_.LoadFile(fileName_);
    const String* text = table->Get(number);
    if (text == nullptr) return std::nullopt;
    return *text;
}

std::string SetupTexts::Utf8(std::string_view text) {
    return converter_.ToUtf8(text);
}
