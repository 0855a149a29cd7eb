#include "tests/script/processor_fixture.h"

#include <cstring>

#include "foundation/code_pages.h"
#include "foundation/exceptions.h"

__attribute__((no_sanitize("address"))) void PokeWord(uint32_t address, uint32_t value) {
    std::memcpy(FromScript<uint8_t>(address), &value, 4);
    NoteScriptWrite(address, 4);
}

uint32_t PeekWord(uint32_t address) {
    return PeekScriptWord(address);
}

ProcessorTest::ProcessorTest() {
    Build(nullptr, 64);
}

ProcessorTest::~ProcessorTest() {
    Release();
    for (void* block : blocks_) ScriptFree(block);
}

void ProcessorTest::Build(FD::File* file, int32_t capacity) {
    processor.reset(new Processor(file, capacity, capacity, capacity, capacity));
    processor->SetMessageBoxHook([this](const String& caption, const String& text) {
        messages.emplace_back(caption.Text(), text.Text());
    });
    plainClass.reset(new ZEMAClass(processor.get()));
    StoreU32(plainClass->Header() + 10, 4);
    object.reset(new ScriptObject(plainClass.get()));
}

void ProcessorTest::Release() {
    // The processor first: objects it holds may be of the plain class.
    processor.reset();
    object.reset();
    plainClass.reset();
}

void ProcessorTest::OpenArchive(const std::vector<ClassLibraryBuilder>& libraries, int32_t capacity) {
    Release();
    std::vector<FdEntry> entries;
    for (const ClassLibraryBuilder& b : libraries) entries.push_back(FdEntry{*b.name + ".glc", b.Build()});
    archive = std::make_unique<TestArchive>(entries);
    Build(archive->File(), capacity);
}

uint32_t ProcessorTest::Place(const std::vector<uint32_t>& words) {
    void* block = ScriptAlloc(words.size() * 4 + 4);
    blocks_.push_back(block);
    std::memcpy(block, words.data(), words.size() * 4);
    return ToScript(block);
}

void ProcessorTest::RunCode(const std::vector<uint32_t>& words) {
    RunOn(plainClass.get(), object.get(), words);
}

void ProcessorTest::RunOn(ZEMAClass* cls, ScriptObject* receiver, const std::vector<uint32_t>& words) {
    const uint32_t code = Place(words);
    processor->ClassStack().Push(cls->Address());
    processor->Run(receiver, code);
}

void ProcessorTest::Check(const OpCase& c) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(Operation(c.op).name, c.name) << "slot " << ToSlot(c.op);
    SetData(c.before);
    std::vector<uint32_t> words{OpWord(c.op)};
    words.insert(words.end(), c.inlineWords.begin(), c.inlineWords.end());
    words.push_back(kReturnWord);
    const std::string error = ErrorMessage([&] { RunCode(words); });
    EXPECT_EQ(error, "no error");
    EXPECT_EQ(Data(), c.after);
}

void ProcessorTest::CheckAll(const std::vector<OpCase>& cases) {
    for (const OpCase& c : cases) Check(c);
}

std::vector<uint32_t> ProcessorTest::Data() {
    DStack<uint32_t>& data = processor->DataStack();
    std::vector<uint32_t> values;
    for (uint32_t d = data.Depth(); d > 0; --d) values.push_back(data.Peek(d - 1));
    return values;
}

void ProcessorTest::SetData(const std::vector<uint32_t>& values) {
    DStack<uint32_t>& data = processor->DataStack();
    data.Drop(data.Depth());
    for (uint32_t v : values) data.Push(v);
}

void ProcessorTest::ClearStacks() {
    Processor& p = *processor;
    p.DataStack().Drop(p.DataStack().Depth());
    p.LocalsStack().Drop(p.LocalsStack().Depth());
    p.ReturnStack().Drop(p.ReturnStack().Depth());
    p.ObjectStack().Drop(p.ObjectStack().Depth());
    p.ClassStack().Drop(p.ClassStack().Depth());
    p.TraceStack().Drop(p.TraceStack().Depth());
}
