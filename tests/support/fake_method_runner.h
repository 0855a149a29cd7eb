// A stand-in for the processor: records every method call, runs native bodies and leaves script
// bodies alone. A hook can run before each call (to throw, for example).
#pragma once

#include <functional>
#include <vector>

#include "script/method_runner.h"
#include "script/zema_class.h"

class FakeMethodRunner : public MethodRunner {
  public:
    struct Call {
        ScriptObject* object;
        ZEMAClass* cls;  // the class whose table was used (the owner for virtual calls)
        uint32_t number;
        bool isVirtual;
        bool native;
    };

    void CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) override;
    void CallVirtual(ScriptObject* object, uint32_t number) override;
    DStack<uint32_t>& DataStack() override { return stack; }
    void PushObject(uint32_t address) override;

    std::vector<Call> calls;
    std::vector<uint32_t> pushedObjects;
    std::function<void(const Call&)> beforeCall;
    DStack<uint32_t> stack{64};

  private:
    void Run(const Call& call, uint32_t body);
};

// True when the body at a slot address is a native method entry.
bool IsNativeBody(uint32_t body);
