// ProcessorOps that show values: message boxes through the processor's hook, and lines appended
// to "Debug.txt".
#include <cstdio>
#include <cstring>

#include "foundation/log_writer.h"
#include "script/operations.h"
#include "script/processor.h"
#include "script/script_text.h"

namespace {

constexpr const char* kDebugFile = "Debug.txt";
// The listing of the stack operations is built in a buffer of this many characters.
constexpr size_t kListingBuffer = 1024;

String Decimal(uint32_t value) {
    return String(static_cast<int>(value));
}

// Every DataStack value from the bottom up, each followed by "; ". A listing that does not fit
// the buffer is cut after the last whole value that does.
String StackListing(Processor& processor) {
    DStack<uint32_t>& data = processor.DataStack();
    char buffer[kListingBuffer];
    size_t length = 0;
    buffer[0] = '\0';
    for (uint32_t depth = data.Depth(); depth > 0; --depth) {
        char entry[16];
        const int n = std::snprintf(entry, sizeof entry, "%i; ", static_cast<int>(data.Peek(depth - 1)));
        if (n < 0 || length + static_cast<size_t>(n) >= kListingBuffer) break;
        std::memcpy(buffer + length, entry, static_cast<size_t>(n) + 1);
        length += static_cast<size_t>(n);
    }
    return String(buffer);
}

}  // namespace

void ProcessorOps::Print(Processor& processor) {
    processor.ShowMessage("Print", Decimal(processor.DataStack().Pop()));
}

void ProcessorOps::PrintString(Processor& processor) {
    processor.ShowMessage("PrintString", TextFromScript(processor.DataStack().Pop()));
}

void ProcessorOps::PrintStack(Processor& processor) {
    processor.ShowMessage("PrintStack", StackListing(processor));
}

void ProcessorOps::DebugPrint(Processor& processor) {
    WriteLog(kDebugFile, Decimal(processor.DataStack().Pop()).Text());
}

void ProcessorOps::DebugPrintString(Processor& processor) {
    WriteLog(kDebugFile, TextFromScript(processor.DataStack().Pop()).Text());
}

void ProcessorOps::DebugPrintStack(Processor& processor) {
    WriteLog(kDebugFile, StackListing(processor).Text());
}
