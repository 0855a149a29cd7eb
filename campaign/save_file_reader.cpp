// Checked reading of save files.
#include "campaign/save_file_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "foundation/block_reader.h"
#include "foundation/byte_order.h"
#include "foundation/disk_path.h"
#include "foundation/exceptions.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "script/script_text.h"
#include "world/slot_blocks.h"

namespace {

constexpr uint32_t kMarkAndHeader = 2 + 10;

[[noreturn]] void ThrowWrongSave(const String& name) {
    ThrowFatal("Wrong save game file \"%s\"", name.Text());
}

}  // namespace

bool PeekTag(BlockReader& reader, uint8_t tag[4]) {
    uint8_t b[4];
    if (reader.PeekAt(b, 4, 0) < 4 || b[0] != 'S') return false;
    uint32_t at = 0;
    if (b[1] == 'E') {
        at = 2;
    } else if (b[1] == 'C') {
        at = uint32_t{LoadU16(b + 2)} + 4;
    } else if (b[1] == 'M') {
        at = 8;
    } else {
        return false;
    }
    return reader.PeekAt(tag, 4, at) == 4;
}

void ReadHeaderFrom(BlockReader& reader, SaveHeader& header) {
    uint8_t b[kMarkAndHeader];
    if (reader.PeekAt(b, kMarkAndHeader, 0) < kMarkAndHeader || b[0] != 'S' || b[1] != 'E' ||
        std::memcmp(b + 2, "SAVE", 4) != 0 || LoadU16(b + 6) != kSaveHeaderSize ||
        LoadU32(b + 8) > kMaxSavePayload)
        ThrowFatal("No save header at the start of \"%s\"", reader.Name().Text());
    reader >> header;
}

SaveFileContent ReadSaveFile(Processor& processor, const String& name) {
    SaveFileContent content;
    content.source = name;
    try {
        FileBlockReader reader;
        reader.Open(name);
        ReadHeaderFrom(reader, content.header);
        while (!reader.AtEnd()) {
            uint8_t tag[4];
            if (!PeekTag(reader, tag)) ThrowWrongSave(name);
            if (std::memcmp(tag, "PCFG", 4) == 0) {
                auto config = std::make_unique<PlayerConfig>();
                reader >> *config;
                content.players.push_back(std::move(config));
            } else {
                DataBlock skipped(0, false);
                reader >> skipped;
            }
        }
        if (content.players.empty()) ThrowWrongSave(name);
        CheckBlockClass(processor, content.header.Text(2), "Scenario", name);
    } catch (const DExep&) {
        ThrowWrongSave(name);
    } catch (const std::bad_alloc&) {
        ThrowWrongSave(name);
    }
    return content;
}

void MakeFolderOf(const String& name) {
    const std::string_view text = name.View();
    const size_t cut = text.find_last_of("\\/");
    if (cut == std::string_view::npos || cut == 0) return;
    const std::string_view folder = text.substr(0, cut);
    if (IsDiskFolder(folder)) return;
    const std::string path = DiskPathForCreate(folder);
    if (path.empty() || (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST))
        ThrowFatal("Unable to make the folder of \"%s\"", name.Text());
}

std::string AskScriptText(Processor& processor, ScriptObject* object, uint32_t number) {
    processor.CallVirtual(object, number);
    return std::string(TextFromScript(processor.DataStack().Pop()).View());
}
