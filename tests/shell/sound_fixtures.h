// Sound test helpers: file bytes of each audio kind, records filled from bytes, and a processor
// stand-in that calls native methods.
#pragma once

#include <memory>
#include <string>

#include "script/method_runner.h"
#include "script/zema_class.h"
#include "shell/sound_record.h"
#include "tools/content/sound_builder.h"

// The first bytes of an Ogg stream, enough for the format to be told; and a four-channel MOD.
std::string OggBytes();
std::string ModuleBytes();

// A record holding bytes, filled through a reader as the cache fills it.
std::unique_ptr<SoundRecord> RecordOf(const std::string& bytes);
void Refill(SoundRecord& record, const std::string& bytes);

class TestRunner : public MethodRunner {
  public:
    void CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) override;
    void CallVirtual(ScriptObject* object, uint32_t number) override;
    DStack<uint32_t>& DataStack() override { return stack; }
    void PushObject(uint32_t address) override { stack.Push(address); }

    DStack<uint32_t> stack{64};
};
