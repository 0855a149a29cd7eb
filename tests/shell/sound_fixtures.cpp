#include "tests/shell/sound_fixtures.h"

#include "foundation/block_reader.h"
#include "script/native_handler.h"
#include "tests/support/block_writer.h"
#include "tests/support/temp_dir.h"

std::string WaveFile(uint32_t samples, uint32_t rate) {
    std::string pcm;
    for (uint32_t i = 0; i < samples; ++i) pcm += LeU16((i / 25) % 2 == 0 ? 2000 : static_cast<uint16_t>(-2000));
    std::string fmt = LeU16(1) + LeU16(1) + LeU32(rate) + LeU32(rate * 2) + LeU16(2) + LeU16(16);
    std::string body = "WAVE";
    body += "fmt " + LeU32(static_cast<uint32_t>(fmt.size())) + fmt;
    body += "data" + LeU32(static_cast<uint32_t>(pcm.size())) + pcm;
    return "RIFF" + LeU32(static_cast<uint32_t>(body.size())) + body;
}

std::string OggBytes() { return std::string("OggS") + std::string(60, '\0'); }

std::string ModuleBytes() { return "Extended Module: test" + std::string(100, '\0'); }

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
