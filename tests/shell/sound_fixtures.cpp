#include "tests/shell/sound_fixtures.h"

#include "foundation/block_reader.h"
#include "script/native_handler.h"
#include "tests/support/temp_dir.h"
#include "tools/content/block_writer.h"

std::string OggBytes() {
    return std::string("OggS") + std::string(60, '\0');
}

std::string ModuleBytes() {
    return ModFile({"M.K.", 4});
}

void Refill(SoundRecord& record, const std::string& bytes) {
    TempDir dir;
    const auto path = dir.Write("sound.bin", bytes);
    FileBlockReader reader;
    reader.Open(String(path.string().c_str()));
    record.ReadData(reader);
}

std::unique_ptr<SoundRecord> RecordOf(const std::string& bytes) {
    auto record = std::make_unique<SoundRecord>();
    Refill(*record, bytes);
    return record;
}

void TestRunner::CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) {
    const uint32_t body = cls->GetMethod(number);
    NativeHandlerAt(ScriptLoad32(body + 4))(object);
}

void TestRunner::CallVirtual(ScriptObject* object, uint32_t number) {
    const uint32_t body = object->Class()->GetVirtualMethod(number);
    NativeHandlerAt(ScriptLoad32(body + 4))(object);
}
