// A class manager over a fake processor with the script engine's natives bound, for calling native
// methods the way the processor does: arguments pushed on the data stack, results popped.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/class_manager.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/script_texts.h"

class NativeFixture : public ::testing::Test {
  protected:
    NativeFixture();

    // Registers a descriptor made from the catalogue row of the name; the manager owns it.
    ZEMAClass* AddNative(const char* name);
    // Pushes the arguments in order, then calls method number of cls on the receiver.
    void Call(ScriptObject* receiver, ZEMAClass* cls, uint32_t number,
              const std::vector<uint32_t>& arguments);
    uint32_t Pop() { return runner.stack.Pop(); }
    uint32_t Depth() const { return runner.stack.Depth(); }
    // Keeps a text in script memory for the test's life; gives its address.
    uint32_t Text(const std::string& text);
    static std::string TextAt(uint32_t address);

    FakeMethodRunner runner;
    std::unique_ptr<ClassManager> manager;

  private:
    ScriptTexts texts_;
};

// True when f throws a WarnExep (not a FatalExep).
bool WarnsOf(const std::function<void()>& f);
