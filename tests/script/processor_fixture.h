// A processor to run test code on: a plain class with four instance fields, an object of it, code
// words placed in script memory, the data stack read and written as vectors, and a recorder for the
// message boxes of the print operations. Class libraries can be served from a test archive.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "script/operations.h"
#include "script/processor.h"
#include "tests/support/error_message.h"
#include "tests/support/test_archive.h"
#include "tools/content/class_library_builder.h"

constexpr uint32_t kReturnWord = InstructionWord::kReturn;

// Writes a word anywhere in the region, also past what was handed out (code at the very end of the
// address space), as the host would; decoded code there is dropped.
void PokeWord(uint32_t address, uint32_t value);
uint32_t PeekWord(uint32_t address);

// One row of an operation table test: the data stack before (bottom first), the operation with its
// inline words, and the data stack after.
struct OpCase {
    const char* name;
    Op op;
    std::vector<uint32_t> before;
    std::vector<uint32_t> inlineWords;
    std::vector<uint32_t> after;
};

class ProcessorTest : public ::testing::Test {
  protected:
    ProcessorTest();
    ~ProcessorTest() override;

    // A new processor whose archive serves these class libraries; stack capacities as given.
    void OpenArchive(const std::vector<ClassLibraryBuilder>& libraries, int32_t capacity = 64);
    // Copies words into script memory (kept until the test ends); the address of the first.
    uint32_t Place(const std::vector<uint32_t>& words);
    // Runs the words as a method body of the plain class on the object.
    void RunCode(const std::vector<uint32_t>& words);
    // Runs the words on an object of a class, pushing that class first.
    void RunOn(ZEMAClass* cls, ScriptObject* receiver, const std::vector<uint32_t>& words);
    // Runs one row: the operation followed by a return word.
    void Check(const OpCase& c);
    void CheckAll(const std::vector<OpCase>& cases);

    // Empties all six stacks (after an error left a run half done).
    void ClearStacks();
    std::vector<uint32_t> Data();
    void SetData(const std::vector<uint32_t>& values);

    Processor& Cpu() { return *processor; }

    std::unique_ptr<TestArchive> archive;
    std::unique_ptr<Processor> processor;
    std::unique_ptr<ZEMAClass> plainClass;
    std::unique_ptr<ScriptObject> object;
    std::vector<std::pair<std::string, std::string>> messages;

  private:
    void Build(FD::File* file, int32_t capacity);
    void Release();
    std::vector<void*> blocks_;
};
