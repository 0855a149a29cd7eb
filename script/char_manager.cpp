#include "script/char_manager.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "foundation/log_writer.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_catalogue.h"

namespace {

String Decimal(uint32_t n) {
    return String(std::to_string(n).c_str());
}

// The C library's decimal conversion (blanks, sign, digits), saturated to 32 bits.
int32_t DecimalValue(const char* text) {
    return static_cast<int32_t>(std::clamp<long long>(std::strtoll(text, nullptr, 10), INT32_MIN, INT32_MAX));
}

// Scans the values of one record, from after its ID to the CR that ends it (a backslash outside
// quotes carries the record over the line end), the end of the file, or the last value a record
// may hold. Gives the number of values.
class RecordScanner {
  public:
    RecordScanner(BlockReader& reader, CharacteristicsSet& set) : reader_(reader), set_(set) {}

    uint32_t Scan() {
        for (;;) {
            const int c = reader_.ReadByte();
            if (c < 0) {
                EndValue();
                return count_;
            }
            if (c == '\n') continue;
            if (c == '\r') {
                const bool continues = backslash_;
                inQuotes_ = false;
                escape_ = false;
                if (EndValue() || !continues) return count_;
                continue;
            }
            if (Take(static_cast<char>(c))) return count_;
            // A value that reaches the limit ends there; what follows begins the next one.
            if (value_.size() == kMaxCharacteristicLength && EndValue()) return count_;
        }
    }

    const uint32_t* Values() const { return values_.data(); }

  private:
    // One character other than CR and LF; true when the record is full.
    bool Take(char c) {
        if (inQuotes_) {
            if (escape_) {
                escape_ = false;
                value_.push_back(c == 'n' ? '\n' : c);
            } else if (c == '\\') {
                escape_ = true;
            } else if (c == '"') {
                inQuotes_ = false;
                return EndValue();
            } else {
                value_.push_back(c);
            }
            return false;
        }
        if (c == ' ' || c == '"') {
            if (!value_.empty() && EndValue()) return true;
            if (c == '"') inQuotes_ = quoted_ = true;
        } else if (c == '\\') {
            backslash_ = true;
        } else {
            value_.push_back(c);
        }
        return false;
    }

    // Ends the value being scanned, if there is one; true when the record is full.
    bool EndValue() {
        if (quoted_ || !value_.empty()) {
            values_[count_++] = quoted_ ? set_.AddText(value_.data(), value_.size())
                                        : static_cast<uint32_t>(DecimalValue(value_.c_str()));
        }
        value_.clear();
        quoted_ = inQuotes_;  // a quoted value cut at the limit goes on as a quoted value
        backslash_ = false;
        return count_ == kMaxCharacteristics;
    }

    BlockReader& reader_;
    CharacteristicsSet& set_;
    std::array<uint32_t, kMaxCharacteristics> values_{};
    uint32_t count_ = 0;
    std::string value_;
    bool quoted_ = false;  // the value being scanned began with a double quote
    bool inQuotes_ = false;
    bool escape_ = false;     // a backslash inside quotes: the next character is taken as it is
    bool backslash_ = false;  // a backslash outside quotes in this value: the record goes on
};

CharManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<CharManager*>(receiver);
    // A script class derived from CharManager reaches the manager through its native class.
    if (manager == nullptr && receiver != nullptr && receiver->Class() != nullptr) {
        manager = dynamic_cast<CharManager*>(receiver->Class()->NativeClass());
    }
    if (manager == nullptr) throw FatalExep(String("CharManager expected as receiver"));
    return *manager;
}

}  // namespace

// --- CharacteristicsSet ---

CharacteristicsSet::Record::Record(const uint32_t* source, uint32_t n) : values(n) {
    if (n != 0) std::memcpy(values.Data(), source, sizeof(uint32_t) * n);
}

bool CharacteristicsSet::Store(uint32_t objectId, const uint32_t* values, uint32_t count) {
    const bool replaced = records_.Get(objectId) != nullptr;
    auto record = std::make_unique<Record>(values, count);
    records_.SetAt(record.get(), objectId);
    record.release();
    return replaced;
}

uint32_t CharacteristicsSet::AddText(const char* bytes, size_t n) {
    texts_.push_back(CopyTextToScript(std::string_view(bytes, strnlen(bytes, n))));
    return ToScript(texts_.back().get());
}

void ReadCharacteristics(BlockReader& reader, const String& fileName, CharacteristicsSet& set) {
    for (;;) {
        reader.SkipSpace();
        String word;
        reader >> word;
        if (word.Empty()) return;
        const long long id = std::strtoll(word.Text(), nullptr, 10);
        RecordScanner scanner(reader, set);
        const uint32_t count = scanner.Scan();
        // The ID indexes a paged array: a wild one would size it. One bad record spoils no other.
        if (id < 0 || id >= kSegmentedArrayMaxElements) {
            const String line = String("CharManager: object ID ") + String::FromBytes(word.Text(), 24) +
                                " out of range in '" + fileName + "', skipped.";
            WriteLog(kLogFile, line.Text());
            continue;
        }
        if (count == 0) continue;
        if (set.Store(static_cast<uint32_t>(id), scanner.Values(), count)) {
            const String line = String("CharManager: object with ID=") + Decimal(static_cast<uint32_t>(id)) +
                                " is duplicated in '" + fileName + "'.";
            WriteLog(kLogFile, line.Text());
        }
    }
}

// --- CharManager ---

CharManager::CharManager(MethodRunner* processor, FD::File* archive)
    : NativeDescriptor(processor, NativeClassRowOf("CharManager")), archive_(archive) {}

CharacteristicsSet& CharManager::SetOf(const String& fileName) {
    CharacteristicsSet* set = files_.Find(fileName);
    return set != nullptr ? *set : *Load(fileName);
}

uint32_t* CharManager::GetCharacteristics(const String& fileName, uint32_t objectId, uint32_t index) {
    CharacteristicsSet::Record* record = SetOf(fileName).Find(objectId);
    if (record == nullptr) {
        ThrowWarn(0, 0, "Object #%u characteristics not found in %s", objectId, fileName.Text());
    }
    // The address may be handed to a script that writes through it.
    if (index >= record->values.Count()) {
        ThrowFatal("Characteristic #%u of object #%u not found in %s", index, objectId, fileName.Text());
    }
    return record->values.Data() + index;
}

bool CharManager::Find(const String& fileName, uint32_t objectId) {
    return SetOf(fileName).Find(objectId) != nullptr;
}

uint32_t CharManager::ValueCount(const String& fileName, uint32_t objectId) {
    const CharacteristicsSet::Record* record = SetOf(fileName).Find(objectId);
    return record != nullptr ? record->values.Count() : 0;
}

CharacteristicsSet* CharManager::Load(const String& fileName) {
    EntryBlockReader reader(archive_, 1024, 1024, 128);
    reader.Open(fileName);
    CharacteristicsSet* set = files_.FindOrAdd(fileName, new CharacteristicsSet);
    WithMemoryError(fileName, [&] { ReadCharacteristics(reader, fileName, *set); });
    reader.Close();
    return set;
}

void CharManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
    target.SetMethod(Value, 4);
    target.SetMethod(ValueAddress, 5);
    target.SetMethod(ValueCountNative, 7);
}

void CharManager::Create(ScriptObject* receiver) {
    CharManager& self = ManagerOf(receiver);
    MethodRunner& runner = RunnerOf(receiver);
    const uint32_t archive = NativeArgs(runner).Word();
    // Only the archive the engine already reads from can be named.
    if (archive != 0 && FD::File::FromAddress(archive) != self.Archive()) {
        throw FatalExep(String("Unknown archive given to CharManager"));
    }
    PushNewObject(runner, std::make_unique<CharManager>(self.GetProcessor(), FD::File::FromAddress(archive)));
}

namespace {

uint32_t* PoppedCharacteristic(ScriptObject* receiver) {
    CharManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    const uint32_t index = args.Word();
    const uint32_t id = args.Word();
    const String fileName = args.TextCopy();
    return self.GetCharacteristics(fileName, id, index);
}

}  // namespace

void CharManager::Value(ScriptObject* receiver) {
    const uint32_t value = *PoppedCharacteristic(receiver);
    RunnerOf(receiver).DataStack().Push(value);
}

void CharManager::ValueAddress(ScriptObject* receiver) {
    const uint32_t address = ToScript(PoppedCharacteristic(receiver));
    RunnerOf(receiver).DataStack().Push(address);
}

void CharManager::ValueCountNative(ScriptObject* receiver) {
    CharManager& self = ManagerOf(receiver);
    NativeArgs args(receiver);
    const uint32_t id = args.Word();
    const String fileName = args.TextCopy();
    args.Stack().Push(self.ValueCount(fileName, id));
}
