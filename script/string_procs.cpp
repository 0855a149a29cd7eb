#include "script/string_procs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/zema_class.h"

namespace {

// Live string buffers by start address, so that a copy into one is cut at its end.
struct BufferRegistry {
    std::mutex mutex;
    std::map<uint32_t, uint32_t> capacities;
};

BufferRegistry& Buffers() {
    static BufferRegistry* registry = new BufferRegistry;  // string objects may outlive static destruction
    return *registry;
}

StringObject& Receiver(ScriptObject* receiver) {
    auto* object = dynamic_cast<StringObject*>(receiver);
    if (object == nullptr) throw FatalExep(String("StringProcs object expected as receiver"));
    return *object;
}

}  // namespace

// --- StringObject ---

StringObject::StringObject(ZEMAClass* cls, uint32_t capacity) : ScriptObject(cls) {
    if (capacity > kMaxStringCapacity) {
        ThrowFatal("StringProcs capacity too large: %u", capacity);
    }
    capacity_ = capacity == 0 ? 1 : capacity;
    text_ = static_cast<char*>(ScriptAlloc(capacity_));
    BufferRegistry& buffers = Buffers();
    std::lock_guard<std::mutex> lock(buffers.mutex);
    buffers.capacities[ToScript(text_)] = capacity_;
}

StringObject::~StringObject() {
    {
        BufferRegistry& buffers = Buffers();
        std::lock_guard<std::mutex> lock(buffers.mutex);
        buffers.capacities.erase(ToScript(text_));
    }
    ScriptFree(text_);
}

uint32_t StringObject::TextLength() {
    const auto n = static_cast<uint32_t>(strnlen(text_, capacity_));
    if (n < capacity_) return n;
    // Scripts may have written over the terminator through the buffer's address.
    text_[capacity_ - 1] = '\0';
    return capacity_ - 1;
}

void StringObject::Append(const char* bytes, uint32_t n) {
    const uint32_t length = TextLength();
    const uint32_t room = capacity_ - 1 - length;
    if (n > room) n = room;
    std::memmove(text_ + length, bytes, n);
    text_[length + n] = '\0';
}

uint32_t StringObject::BufferHolding(uint32_t address, uint32_t& bufferStart) {
    BufferRegistry& buffers = Buffers();
    std::lock_guard<std::mutex> lock(buffers.mutex);
    auto next = buffers.capacities.upper_bound(address);
    if (next == buffers.capacities.begin()) return 0;
    const auto& [start, capacity] = *std::prev(next);
    if (uint64_t{address} >= uint64_t{start} + capacity) return 0;
    bufferStart = start;
    return capacity;
}

// --- natives ---

void StringProcs::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetMethod(GetText, 4);
    target.SetMethod(Clear, 5);
    target.SetMethod(AppendInt, 6);
    target.SetMethod(AppendText, 7);
    target.SetMethod(Length, 8);
    BindNativeBase(row, target);
    target.SetMethod(Create, 0);
    target.SetMethod(Compare, 9);
    target.SetMethod(Copy, 10);
}

void StringProcs::Create(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    ZEMAClass* cls = args.Class("class");
    const uint32_t capacity = args.Word();
    PushNewObject(runner, std::make_unique<StringObject>(cls, capacity));
}

void StringProcs::GetText(ScriptObject* receiver) {
    StringObject& object = Receiver(receiver);
    RunnerOf(receiver).DataStack().Push(ToScript(object.Text()));
}

void StringProcs::Clear(ScriptObject* receiver) {
    Receiver(receiver).Text()[0] = '\0';
}

void StringProcs::AppendInt(ScriptObject* receiver) {
    StringObject& object = Receiver(receiver);
    const int32_t value = NativeArgs(receiver).Int();
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", value);
    object.Append(digits, static_cast<uint32_t>(n));
}

void StringProcs::AppendText(ScriptObject* receiver) {
    StringObject& object = Receiver(receiver);
    const std::string_view text = NativeArgs(receiver).Text();
    object.Append(text.data(), static_cast<uint32_t>(text.size()));
}

void StringProcs::Length(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const auto length = static_cast<uint32_t>(args.Text().size());
    args.Stack().Push(length);
}

void StringProcs::Compare(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const std::string_view b = args.Text();
    const std::string_view a = args.Text();
    // Terminators included, so that a prefix sorts first.
    const int r = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()) + 1);
    args.Stack().Push(r < 0 ? static_cast<uint32_t>(-1) : r > 0 ? 1 : 0);
}

void StringProcs::Copy(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const uint32_t destination = args.Word();
    const std::string_view source = args.Text();
    auto length = static_cast<uint32_t>(source.size());
    uint32_t start = 0;
    if (const uint32_t capacity = StringObject::BufferHolding(destination, start)) {
        const uint32_t room = start + capacity - destination;  // at least 1
        if (length > room - 1) length = room - 1;
    }
    // Through ScriptWritable: the copy may land on a page whose code was decoded.
    char* target = reinterpret_cast<char*>(ScriptWritable(destination, length + 1));
    std::memmove(target, source.data(), length);
    target[length] = '\0';
}
