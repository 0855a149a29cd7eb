#include "shell/error_report.h"

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/exceptions.h"
#include "foundation/log_writer.h"
#include "foundation/script_memory.h"
#include "platform/app.h"
#include "platform/video.h"
#include "script/class_manager.h"
#include "script/processor.h"
#include "script/script_text.h"
#include "shell/game_globals.h"

namespace {

constexpr const char* kErrorDialogCaption = "ZEMA error";

// The loaded class whose code holds the address; null when none does.
ZEMAClass* ClassWithCode(ClassManager& classes, uint32_t address) {
    ClassList& list = classes.Classes();
    for (ZEMAClass* cls = list.First(); cls != nullptr; cls = list.Next()) {
        const uint64_t start = cls->CodeAddress();
        const uint64_t end = start + uint64_t{4} * cls->CodeWordCount();
        if (start != 0 && address >= start && address < end) return cls;
    }
    return nullptr;
}

// The line of the instruction word at position, from the record's debug table, which runs
// parallel to the code of the class that holds it. Nothing when the position lies outside it.
std::optional<uint32_t> LineAt(ClassManager& classes, uint32_t code, uint32_t debugTable, uint32_t position) {
    if (debugTable == 0 || position < code) return std::nullopt;
    ZEMAClass* cls = ClassWithCode(classes, code);
    if (cls == nullptr) return std::nullopt;
    const uint64_t end = uint64_t{cls->CodeAddress()} + uint64_t{4} * cls->CodeWordCount();
    if (position >= end) return std::nullopt;
    const uint64_t entry = uint64_t{debugTable} + 4 * ((position - code) / 4);
    if (entry > UINT32_MAX || !ScriptRangeUsable(static_cast<uint32_t>(entry), 4)) return std::nullopt;
    return LoadU32(FromScript<uint8_t>(static_cast<uint32_t>(entry))) & 0xFFFF;
}

std::string RecordLine(ClassManager& classes, uint32_t record, uint32_t position) {
    if (record == 0 || !ScriptRangeUsable(record, sizeof(DebugRecord))) return "Debug info not available\r\n";
    const uint8_t* fields = FromScript<uint8_t>(record);
    const uint32_t code = LoadU32(fields + 4);
    const uint32_t debugTable = LoadU32(fields + 8);
    const uint32_t sourceName = LoadU32(fields + 12);
    std::string name;
    try {
        if (sourceName != 0) name = TextFromScript(sourceName).Text();
    } catch (const DExep&) {
        name.clear();
    }
    const std::optional<uint32_t> line = LineAt(classes, code, debugTable, position);
    return name + "(" + (line ? std::to_string(*line) : std::string("?")) + ")\r\n";
}

}  // namespace

String CallStackText(Processor& processor) {
    DStack<TraceEntry>& trace = processor.TraceStack();
    std::string text;
    // The word being executed: the PC already points past it.
    uint32_t position = processor.PC() - 4;
    while (trace.Depth() > 0) {
        const uint32_t record = trace.Pop();
        text += RecordLine(processor.Classes(), record, position);
        if (trace.Depth() > 0) position = trace.Pop();
    }
    return String(text.c_str());
}

void ErrorDialog(const DExep& error, Processor* processor, App& app) {
    const String stack = processor != nullptr ? CallStackText(*processor) : String("");
    WriteLog(kLogFile, stack.Text());
    app.ShowErrorDialog(kErrorDialogCaption, error.message.Text(), stack.Text());
}

void ShowError(const String& text, const String& caption, App& app) {
    app.ShowMessageBox(caption.Text(), text.Text(), MbOk | MbIconError);
}

void RestoreScreen() {
    Video* video = Game().services.video;
    if (video != nullptr && video->IsOpen() && video->Mode().fullScreen) video->Close();
}
