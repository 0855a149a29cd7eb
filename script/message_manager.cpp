#include "script/message_manager.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_set>

#include "foundation/block_reader.h"
#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/log_writer.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_catalogue.h"

namespace {

// The C library's decimal conversion (blanks, sign, digits), without its overflow.
int64_t DecimalValue(const String& word) {
    return std::strtoll(word.Text(), nullptr, 10);
}

// A word quoted in a message, cut so that a damaged file cannot make the message huge.
String Quoted(const String& word) {
    return String::FromBytes(word.Text(), 24);
}

// The text of one message: from here to the next at sign or the end. CRs are dropped, and so are
// the spaces before the first character that stays.
String ReadMessageText(BlockReader& reader) {
    std::string text;
    for (int c = reader.ReadByte(); c >= 0 && c != '@'; c = reader.ReadByte()) {
        if (c == '\r' || (c == ' ' && text.empty())) continue;
        text.push_back(static_cast<char>(c));
    }
    return String::FromBytes(text.data(), text.size());
}

MessageManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<MessageManager*>(receiver);
    // A script class derived from MessageManager reaches the manager through its native class.
    if (manager == nullptr && receiver != nullptr && receiver->Class() != nullptr) {
        manager = dynamic_cast<MessageManager*>(receiver->Class()->NativeClass());
    }
    if (manager == nullptr) throw FatalExep(String("MessageManager expected as receiver"));
    return *manager;
}

}  // namespace

void ReadMessageFile(BlockReader& reader, const String& fileName, MessageTable& table,
                     const LanguageBlock* language) {
    uint32_t section = 1;
    for (;;) {
        reader.SkipSpace();
        String word;
        reader >> word;
        if (word.Empty()) return;
        if (word == "Language") {
            reader >> word;
            if (word.Empty()) return;
            section = static_cast<uint32_t>(
                static_cast<int32_t>(std::clamp<int64_t>(DecimalValue(word), INT32_MIN, INT32_MAX)));
            continue;
        }
        const int64_t number = DecimalValue(word);
        String text = ReadMessageText(reader);
        // The number indexes a paged array: a wild one would size it. One bad entry spoils no other.
        if (number < 0 || number >= kSegmentedArrayMaxElements) {
            const String line = String("MessageManager: message number ") + Quoted(word) +
                                " out of range in '" + fileName + "', skipped.";
            WriteLog(kLogFile, line.Text());
            continue;
        }
        const auto index = static_cast<uint32_t>(number);
        const uint32_t current = language != nullptr ? language->Language() : 1;
        const bool present = table.Get(index) != nullptr;
        if (section == current || (!present && section == 1)) {
            auto stored = std::make_unique<String>(std::move(text));
            table.SetAt(stored.get(), index);
            stored.release();
        }
    }
}

MessageManager::MessageManager(MethodRunner* processor, FD::File* archive, const LanguageBlock* languageBlock)
    : NativeDescriptor(processor, NativeClassRowOf("MessageManager")),
      language_(languageBlock),
      archive_(archive) {}

const String& MessageManager::Message(const String& fileName, uint32_t number) {
    MessageTable* table = FindFile(fileName);
    if (table == nullptr) table = LoadFile(fileName);
    const String* text = table->Get(number);
    if (text == nullptr) {
        ThrowWarn(0, 0, "Message #%u not found in %s", number, fileName.Text());
    }
    return *text;
}

const char* MessageManager::GetMessage(const String& fileName, uint32_t number) {
    return Message(fileName, number).Text();
}

uint32_t MessageManager::ScriptMessage(const String& fileName, uint32_t number) {
    const String& text = Message(fileName, number);
    // Texts are never replaced once their file is read, so a copy stays right for the text's life.
    ScriptBuffer<char>& copy = scriptCopies_[&text];
    if (copy == nullptr) {
        if (auto retired = retiredCopies_.find(text.View()); retired != retiredCopies_.end()) {
            copy = std::move(retired->second);
            retiredCopies_.erase(retired);
        } else {
            copy = CopyTextToScript(text.View());
        }
    }
    return ToScript(copy.get());
}

void MessageManager::UnloadFilesTo(uint32_t count) {
    if (files_.Count() <= count) return;
    // Which table each handed-out text belongs to, learnt while every table is still there.
    std::unordered_map<const String*, const MessageTable*> owner;
    for (MessageTable* table = files_.First(); table != nullptr; table = files_.Next()) {
        for (uint32_t i = 0; i < table->End(); ++i) {
            const String* text = table->Get(i);
            if (text != nullptr && scriptCopies_.count(text) != 0) owner[text] = table;
        }
    }
    std::unordered_map<const String*, std::string> texts;
    for (const auto& [text, table] : owner) texts[text] = std::string(text->View());
    files_.TruncateTo(count);
    std::unordered_set<const MessageTable*> kept;
    for (MessageTable* table = files_.First(); table != nullptr; table = files_.Next()) kept.insert(table);
    // A text gone keeps its copy under its contents: scripts may still read it, and a later text at
    // the same address must not be given it.
    for (auto it = scriptCopies_.begin(); it != scriptCopies_.end();) {
        auto found = owner.find(it->first);
        if (found == owner.end() || kept.count(found->second) != 0) {
            ++it;
            continue;
        }
        retiredCopies_.emplace(texts[it->first], std::move(it->second));
        it = scriptCopies_.erase(it);
    }
}

MessageTable* MessageManager::FindFile(const String& fileName) {
    return files_.Find(fileName);
}

MessageTable* MessageManager::LoadFile(const String& fileName) {
    EntryBlockReader reader(archive_, 1024, 1024, 128);
    reader.Open(fileName);
    auto* table = files_.FindOrAdd(fileName, new MessageTable(10, 10, true));
    WithMemoryError(fileName, [&] { ReadMessageFile(reader, fileName, *table, language_); });
    reader.Close();
    return table;
}

void MessageManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetMethod(GetMessageNative, 4);
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
}

void MessageManager::Create(ScriptObject* receiver) {
    MessageManager& self = ManagerOf(receiver);
    MethodRunner& runner = RunnerOf(receiver);
    const uint32_t archive = NativeArgs(runner).Word();
    // Only the archive the engine already reads from can be named.
    if (archive != 0 && FD::File::FromAddress(archive) != self.Archive()) {
        throw FatalExep(String("Unknown archive given to MessageManager"));
    }
    PushNewObject(runner, std::make_unique<MessageManager>(self.GetProcessor(),
                                                           FD::File::FromAddress(archive), self.Language()));
}

void MessageManager::GetMessageNative(ScriptObject* receiver) {
    MessageManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    const uint32_t number = args.Word();
    const String fileName = args.TextCopy();
    args.Stack().Push(self.ScriptMessage(fileName, number));
}
