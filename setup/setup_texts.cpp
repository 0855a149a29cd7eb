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

std::string SetupTexts::Error(std::string_view message) {
    return ErrorText(converter_, message);
}

namespace {

// Whether text is well-formed UTF-8: no stray or missing continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, least = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        uint32_t code = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace

std::string ErrorText(CodePageConverter& converter, std::string_view message) {
    return IsUtf8(message) ? std::string(message) : converter.ToUtf8(message);
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}
