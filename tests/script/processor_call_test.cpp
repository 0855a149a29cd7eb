// Calls and returns: receivers, class numbers, virtual dispatch, natives through call words and
// through CallMethod, trace mode, nested runs, indirect execution and stack depths.
#include <memory>

#include "foundation/trace_flag.h"
#include "script/class_manager.h"
#include "script/native_binder.h"
#include "script/native_descriptor.h"
#include "script/object_manager.h"
#include "tests/script/processor_fixture.h"
#include "tools/content/script_assembler.h"

namespace {

using Receiver = ScriptAssembler::Receiver;

uint32_t CallWord(uint32_t method, uint32_t cls, Receiver receiver = Receiver::Current,
                  uint32_t operand = 0) {
    return ScriptAssembler::CallWord(method, cls, false, receiver, operand);
}
uint32_t VirtualWord(uint32_t method, uint32_t cls, Receiver receiver = Receiver::Current,
                     uint32_t operand = 0) {
    return ScriptAssembler::CallWord(method, cls, true, receiver, operand);
}

// What the test native saw when it last ran.
struct Seen {
    int calls = 0;
    ScriptObject* receiver = nullptr;
    uint32_t objectTop = 0;
    std::vector<uint32_t> trace;
};
Seen g_seen;

Processor& ProcessorOf(ScriptObject* receiver) {
    return dynamic_cast<Processor&>(RunnerOf(receiver));
}

// Method 4 and virtual 2: records, then pushes 99.
void RecordNative(ScriptObject* receiver) {
    Processor& p = ProcessorOf(receiver);
    ++g_seen.calls;
    g_seen.receiver = receiver;
    g_seen.objectTop = p.ObjectStack().Depth() > 0 ? p.ObjectStack().Peek(0) : 0;
    g_seen.trace.clear();
    for (uint32_t d = p.TraceStack().Depth(); d > 0; --d) g_seen.trace.push_back(p.TraceStack().Peek(d - 1));
    p.DataStack().Push(99);
}

// Method 5: calls method 2 of the receiver's class, which calls this native again.
void CallBackNative(ScriptObject* receiver) {
    RunnerOf(receiver).CallMethod(receiver, receiver->Class(), 2);
}

const NativeClassRow kNativeRow{"ProcessorNative", "ProcessorNative", &kZEMAClassRow, 6, 3};

void BindProcessorNative(ZEMAClass& target, const NativeClassRow& row) {
    target.SetVirtualMethod(RecordNative, 2);
    BindNativeBase(row, target);
    target.SetMethod(RecordNative, 4);
    target.SetMethod(CallBackNative, 5);
}

// Animal: method 0 creates an instance as compiled code does; method 2 pushes 11; virtual 2
// pushes 20, virtual 3 pushes 21.
ClassLibraryBuilder Animal() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Op(Op::CreateInstance);
    a.Return();
    const uint32_t m1 = a.Method();
    a.Return();
    const uint32_t m2 = a.Method();
    a.Op(Op::PushInline, {11});
    a.Return();
    const uint32_t v2 = a.Method();
    a.Op(Op::PushInline, {20});
    a.Return();
    const uint32_t v3 = a.Method();
    a.Op(Op::PushInline, {21});
    a.Return();
    auto b = ClassLibraryBuilder::Named("Animal");
    b.instanceFields = 4;
    b.classFields = 2;
    b.methods = std::vector<uint32_t>{m0, m1, m2};
    b.virtualMethods = std::vector<uint32_t>{0, 0, v2, v3};
    b.code = a.Finish();
    return b;
}

// Dog, derived from Animal, using [Dog, Animal, ObjectManager, ProcessorNative]: method 2 calls
// the native that calls method 2 again; method 3 is only a return; virtual 2 pushes 30; virtual 3
// is inherited; virtual 4 calls native method 4.
ClassLibraryBuilder Dog() {
    ScriptAssembler a;
    const uint32_t m0 = a.Method();
    a.Return();
    const uint32_t m2 = a.Method();
    a.Word(CallWord(5, 3));
    a.Return();
    const uint32_t v2 = a.Method();
    a.Op(Op::PushInline, {30});
    a.Return();
    const uint32_t v4 = a.Method();
    a.Word(CallWord(4, 3));
    a.Return();
    auto b = ClassLibraryBuilder::Named("Dog", {"Animal", "ObjectManager", "ProcessorNative"});
    b.baseIndex = 1;
    b.instanceFields = 4;
    b.classFields = 3;
    b.methods = std::vector<uint32_t>{m0, m0, m2, m0};
    b.virtualMethods = std::vector<uint32_t>{0, 0, v2, 0, v4};
    b.code = a.Finish();
    b.WithDebugInfo("dog.zs");
    return b;
}

class ProcessorCallTest : public ProcessorTest {
  protected:
    void SetUp() override { Open(64); }

    void Open(int32_t capacity) {
        dog.reset();
        animal.reset();
        RegisterNativeBinder("ProcessorNative", BindProcessorNative);
        OpenArchive({Animal(), Dog()}, capacity);
        nativeClass = Cpu().Classes().Register(new NativeDescriptor(&Cpu(), kNativeRow), false);
        dogClass = Cpu().ClassByName("Dog");
        animalClass = Cpu().ClassByName("Animal");
        dog.reset(new ScriptObject(dogClass));
        animal.reset(new ScriptObject(animalClass));
        g_seen = Seen{};
    }

    void TearDown() override {
        processor.reset();
        dog.reset();
        animal.reset();
    }

    // Runs words as code of class Dog on the dog; an error is given as text.
    std::string RunDog(std::vector<uint32_t> words) {
        words.push_back(kReturnWord);
        return ErrorMessage([&] { RunOn(dogClass, dog.get(), words); });
    }

    ZEMAClass* nativeClass = nullptr;
    ZEMAClass* dogClass = nullptr;
    ZEMAClass* animalClass = nullptr;
    std::unique_ptr<ScriptObject> dog;
    std::unique_ptr<ScriptObject> animal;
};

TEST_F(ProcessorCallTest, ClassNumbersAndVirtualDispatch) {
    struct Row {
        const char* what;
        uint32_t word;
        std::vector<uint32_t> after;
    };
    const std::vector<Row> rows = {
        {"method of a used class", CallWord(2, 1), {11}},
        {"virtual, class 0: the object's own version", VirtualWord(2, 0), {30}},
        {"virtual, named class: that class's version", VirtualWord(2, 1), {20}},
        {"inherited virtual", VirtualWord(3, 0), {21}},
        {"native through a call word", CallWord(4, 3), {99}},
        {"native of the ObjectManager by ID", CallWord(12, 2, Receiver::ObjectId, 0), {0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(RunDog({row.word}), "no error");
        EXPECT_EQ(Data(), row.after);
        ClearStacks();
    }
}

TEST_F(ProcessorCallTest, Receivers) {
    // Each receiver is an Animal except the dog under ID 40; virtual calls dispatch on it.
    dog->Field(0) = animal->Address();
    Cpu().Objects().SetObject(new ScriptObject(dogClass), 40);
    struct Row {
        const char* what;
        uint32_t word;
        std::vector<uint32_t> data;
        uint32_t result;
    };
    const std::vector<Row> rows = {
        {"field", VirtualWord(2, 0, Receiver::Field, 0), {}, 20},
        {"object ID", VirtualWord(2, 0, Receiver::ObjectId, 40), {}, 30},
        {"local", VirtualWord(2, 0, Receiver::Local, 1), {}, 20},
        {"popped", VirtualWord(2, 0, Receiver::Popped), {animal->Address()}, 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Cpu().LocalsStack().Push(animal->Address());
        Cpu().LocalsStack().Push(5);
        SetData(row.data);
        EXPECT_EQ(RunDog({row.word}), "no error");
        EXPECT_EQ(Data(), std::vector<uint32_t>{row.result});
        ClearStacks();
    }
}

TEST_F(ProcessorCallTest, NativeReceiverAndObjectStack) {
    // Through a call word the native gets the receiver, but the caller's object stays current.
    Cpu().Objects().SetObject(new ScriptObject(animalClass), 41);
    ScriptObject* stored = Cpu().Objects().GetObject(41);
    EXPECT_EQ(RunDog({CallWord(4, 3, Receiver::ObjectId, 41)}), "no error");
    EXPECT_EQ(g_seen.receiver, stored);
    EXPECT_EQ(g_seen.objectTop, dog->Address());
    ClearStacks();

    // Through CallMethod the receiver is the current object during the call.
    Cpu().CallMethod(animal.get(), nativeClass, 4);
    EXPECT_EQ(g_seen.receiver, animal.get());
    EXPECT_EQ(g_seen.objectTop, animal->Address());
    EXPECT_EQ(Cpu().ObjectStack().Depth(), 0u);
    EXPECT_EQ(Data(), std::vector<uint32_t>{99});
}

TEST_F(ProcessorCallTest, CallsFromNativeCode) {
    Cpu().CallVirtual(dog.get(), 2);
    Cpu().CallVirtual(animal.get(), 2);
    Cpu().CallVirtual(dog.get(), 3);
    Cpu().CallMethod(dog.get(), animalClass, 2);
    EXPECT_EQ(Data(), (std::vector<uint32_t>{30, 20, 21, 11}));
    for (uint32_t depth : {Cpu().ReturnStack().Depth(), Cpu().ObjectStack().Depth(),
                           Cpu().ClassStack().Depth(), Cpu().LocalsStack().Depth()}) {
        EXPECT_EQ(depth, 0u);
    }

    // A method that is only a return word leaves PC and the stacks exactly as they were.
    Cpu().SetPC(0x02345678);
    Cpu().CallMethod(dog.get(), dogClass, 3);
    EXPECT_EQ(Cpu().PC(), 0x02345678u);
    EXPECT_EQ(Cpu().ReturnStack().Depth() + Cpu().ObjectStack().Depth() + Cpu().ClassStack().Depth(), 0u);

    EXPECT_EQ(ErrorMessage([&] { Cpu().CallMethod(dog.get(), dogClass, 9); }),
              "Method 9 not defined in class Dog");
    EXPECT_EQ(ErrorMessage([&] { Cpu().CallVirtual(animal.get(), 4); }),
              "Virtual method 4 not defined in class Animal");
}

TEST_F(ProcessorCallTest, NewObjects) {
    ScriptObject* made = Cpu().NewObjectByName("Animal");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Class(), animalClass);
    EXPECT_EQ(made->FieldCount(), 4u);
    delete made;
    ScriptObject* list = Cpu().NewObject(Cpu().ClassByName("ObjectManager"));
    ASSERT_NE(dynamic_cast<ObjectManager*>(list), nullptr);
    EXPECT_EQ(static_cast<ObjectManager*>(list)->Secondary(), 1u);
    delete list;
    EXPECT_EQ(Cpu().DataStack().Depth() + Cpu().ObjectStack().Depth(), 0u);
}

TEST_F(ProcessorCallTest, SteppingCallWords) {
    // A word with bits 28-31 all set and low bits 5 is operation 5, not a call.
    const uint32_t op = Place({OpWord(Op::PushInlineData), 0, kReturnWord});
    Cpu().SetPC(op);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(Data(), std::vector<uint32_t>{op + 8});
    ClearStacks();

    // 0x00030000 calls method 3 of the running class; 0x08030000 virtual method 3 of the object's.
    Cpu().ObjectStack().Push(dog->Address());
    Cpu().ClassStack().Push(dogClass->Address());
    const uint32_t words = Place({0x00030000, 0x08030000});
    Cpu().SetPC(words);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(Cpu().PC(), dogClass->GetMethod(3) + 4);
    EXPECT_EQ(Cpu().ReturnStack().Peek(0), words + 4);
    EXPECT_EQ(Cpu().ClassStack().Peek(0), dogClass->Address());
    EXPECT_TRUE(Cpu().Step());
    EXPECT_EQ(Cpu().PC(), words + 4);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(Cpu().PC(), animalClass->GetVirtualMethod(3) + 4);
    EXPECT_EQ(Cpu().ClassStack().Peek(0), animalClass->Address());
    EXPECT_FALSE(Cpu().Step());
    EXPECT_TRUE(Cpu().Step());
    EXPECT_EQ(Data(), std::vector<uint32_t>{21});
}

TEST_F(ProcessorCallTest, AForgedObjectIsRefused) {
    // Script memory made to look like an object header (with a table pointer in front of it and
    // class and field pointers behind) is no object: calling on it would hand native code a
    // pointer of the script's choosing.
    const uint32_t block = Place({0x11111111, 0x11111111, kScriptObjectMagic, kScriptObjectKind, 0x22222222,
                                  0x22222222, 0x33333333, 0x33333333, 4});
    const uint32_t forged = block + 8;
    char message[96];
    std::snprintf(message, sizeof message, "Not a valid object at 0x%08X where receiver expected", forged);
    SetData({forged});
    EXPECT_EQ(RunDog({CallWord(2, 1, Receiver::Popped)}), message);
}

TEST_F(ProcessorCallTest, CallFaults) {
    struct Row {
        uint32_t word;
        std::string message;
    };
    char popped[96];
    const uint32_t notObject = Place({1, 2});
    std::snprintf(popped, sizeof popped, "Not a valid object at 0x%08X where receiver expected", notObject);
    const std::vector<Row> rows = {
        {0x50000000, "Instruction word 0x50000000 names no receiver"},
        {0xE0010000, "Instruction word 0xE0010000 names no receiver"},
        {CallWord(2, 1, Receiver::ObjectId, 41), "No object with ID 41 to call"},
        {CallWord(2, 1, Receiver::Field, 9), "Field 9 not found in object of class Dog"},
        {CallWord(2, 1, Receiver::Local, 0), "DStack underflow"},
        {CallWord(2, 1, Receiver::Popped), popped},
        {CallWord(2, 7), "Class number 7 not found in class Dog"},
        {CallWord(40, 0), "Method 40 not defined in class Dog"},
        {VirtualWord(1, 0), "Virtual method 1 not defined in class Dog"},
        {InstructionWord::kOperationTag | kOperationCount, "Method number 146 not defined in processor"},
        {OpWord(Op::Undefined2), "Method number 2 not defined in processor"},
        {0xFFFFFFFE, "Method number 268435454 not defined in processor"},
    };
    for (const Row& row : rows) {
        SetData({notObject});
        EXPECT_EQ(RunDog({row.word}), row.message);
        ClearStacks();
    }
    // A step with no current object.
    Cpu().SetPC(Place({CallWord(2, 1)}));
    EXPECT_EQ(ErrorMessage([&] { Cpu().Step(); }), "DStack underflow");
    Cpu().SetPC(0);
    EXPECT_EQ(ErrorMessage([&] { Cpu().Step(); }),
              "Instruction address 0x00000000 outside the script address space");
    // Running off the end of the address space.
    const uint32_t last = static_cast<uint32_t>(kScriptRegionSize) - 4;
    PokeWord(last, OpWord(Op::Nop));
    Cpu().SetPC(last);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(ErrorMessage([&] { Cpu().Step(); }),
              "Instruction address 0x80000000 outside the script address space");
    PokeWord(last, 0);
    // A jump out of the address space.
    const std::string jump = RunDog({OpWord(Op::Jump), 0x20000000});
    EXPECT_NE(jump.find("outside the script address space"), std::string::npos) << jump;
}

TEST_F(ProcessorCallTest, TraceMode) {
    struct TraceOn {
        TraceOn() { SetTraceFlag(true); }
        ~TraceOn() { SetTraceFlag(false); }
    } trace;

    // A script call made by a call word adds the call word's address and the virtual method's debug
    // record; the native it reaches adds nothing.
    const uint32_t code = Place({VirtualWord(4, 0), kReturnWord});
    Cpu().ClassStack().Push(dogClass->Address());
    Cpu().TraceStack().Push(1);
    Cpu().TraceStack().Push(2);
    Cpu().Run(dog.get(), code);
    ASSERT_EQ(g_seen.calls, 1);
    EXPECT_EQ(g_seen.trace, (std::vector<uint32_t>{1, 2, code, dogClass->VirtualMethodDebugRecord(4)}));
    EXPECT_NE(dogClass->VirtualMethodDebugRecord(4), 0u);
    // Run's own return popped the pair the caller pushed for it.
    EXPECT_EQ(Cpu().TraceStack().Depth(), 0u);
    ClearStacks();

    // CallVirtual pushes PC - 16 and the owner's record; the method's return pops them.
    Cpu().SetPC(0x03000020);
    Cpu().CallVirtual(dog.get(), 4);
    EXPECT_EQ(g_seen.trace.size(), 2u);
    EXPECT_EQ(g_seen.trace.at(0), 0x03000010u);
    EXPECT_EQ(g_seen.trace.at(1), dogClass->VirtualMethodDebugRecord(4));
    EXPECT_EQ(Cpu().TraceStack().Depth(), 0u);

    // A native called through CallMethod gets PC - 16 and 0 while it runs.
    Cpu().CallMethod(dog.get(), nativeClass, 4);
    EXPECT_EQ(g_seen.trace, (std::vector<uint32_t>{0x03000010, 0}));
    EXPECT_EQ(Cpu().TraceStack().Depth(), 0u);

    // StepTraced keeps the pairs; the plain step does not.
    ClearStacks();
    Cpu().ObjectStack().Push(dog->Address());
    Cpu().ClassStack().Push(dogClass->Address());
    const uint32_t word = Place({VirtualWord(2, 0)});
    Cpu().SetPC(word);
    EXPECT_FALSE(Cpu().StepTraced());
    EXPECT_EQ(Cpu().TraceStack().Depth(), 2u);
    EXPECT_EQ(Cpu().TraceStack().Peek(1), word);
    EXPECT_FALSE(Cpu().StepTraced());
    EXPECT_TRUE(Cpu().StepTraced());
    EXPECT_EQ(Cpu().TraceStack().Depth(), 0u);
    Cpu().SetPC(word);
    EXPECT_FALSE(Cpu().Step());
    EXPECT_EQ(Cpu().TraceStack().Depth(), 0u);
}

TEST_F(ProcessorCallTest, NestingIsBounded) {
    Open(2000);
    EXPECT_EQ(ErrorMessage([&] { Cpu().CallMethod(dog.get(), dogClass, 2); }),
              "Script calls nested too deeply");
    // The stacks hold what the interrupted calls left; repair cuts them back.
    EXPECT_GT(Cpu().ReturnStack().Depth(), 0u);
    Cpu().RestoreStackDepths(StackDepths{0, 0, 0, 0});
    EXPECT_EQ(Cpu().ReturnStack().Depth() + Cpu().ObjectStack().Depth(), 0u);
}

TEST_F(ProcessorCallTest, IndirectExecution) {
    // Execute runs a call word to its return and continues after the Execute.
    EXPECT_EQ(RunDog({OpWord(Op::PushInline), CallWord(2, 1), OpWord(Op::Execute), OpWord(Op::PushOne)}),
              "no error");
    EXPECT_EQ(Data(), (std::vector<uint32_t>{11, 1}));
    ClearStacks();
    EXPECT_EQ(RunDog({OpWord(Op::PushInline), CallWord(4, 3), OpWord(Op::Execute)}), "no error");
    EXPECT_EQ(Data(), std::vector<uint32_t>{99});
    ClearStacks();

    // ExecuteFromTable with n = 1 runs the second word and continues after the table.
    EXPECT_EQ(RunDog({OpWord(Op::PushOne), OpWord(Op::ExecuteFromTable), 2, OpWord(Op::PushZero),
                      CallWord(2, 1), OpWord(Op::PushTwo)}),
              "no error");
    EXPECT_EQ(Data(), (std::vector<uint32_t>{11, 2}));
    ClearStacks();

    // ExecuteAt runs the word at an address.
    const uint32_t at = Place({VirtualWord(2, 0)});
    EXPECT_EQ(RunDog({OpWord(Op::PushInline), at, OpWord(Op::ExecuteAt), OpWord(Op::PushTwo)}), "no error");
    EXPECT_EQ(Data(), (std::vector<uint32_t>{30, 2}));
    ClearStacks();

    // Calls made this way leave no trace pairs, also in trace mode.
    SetTraceFlag(true);
    Cpu().ClassStack().Push(dogClass->Address());
    Cpu().ObjectStack().Push(dog->Address());
    Cpu().SetPC(Place({OpWord(Op::Execute)}));
    Cpu().DataStack().Push(VirtualWord(4, 0));
    const std::string error = ErrorMessage([&] { Cpu().StepTraced(); });
    SetTraceFlag(false);
    EXPECT_EQ(error, "no error");
    EXPECT_EQ(g_seen.trace, std::vector<uint32_t>{});
}

// Looper: methods 0 to 2 jump to themselves for ever.
ClassLibraryBuilder Looper() {
    ScriptAssembler a;
    const uint32_t loop = a.Method();
    const ScriptAssembler::Label top = a.NewLabel();
    a.Bind(top);
    a.Jump(Op::Jump, top);
    auto b = ClassLibraryBuilder::Named("Looper");
    b.methods = std::vector<uint32_t>{loop, loop, loop};
    b.code = a.Finish();
    return b;
}

TEST_F(ProcessorTest, TheStopHookEndsEveryRunThatWouldNotEnd) {
    OpenArchive({Looper()});
    ZEMAClass* looper = Cpu().ClassByName("Looper");
    auto owned = std::make_unique<ScriptObject>(looper);
    ScriptObject* receiver = owned.get();
    uint32_t polls = 0;
    Cpu().SetStopHook([&] {
        if (++polls == 3) throw FatalExep(String("Script ran too long"));
    });
    struct Row {
        const char* what;
        std::vector<uint32_t> words;
    };
    const std::vector<Row> rows = {
        {"a jump to itself", {OpWord(Op::Jump), 0xFFFFFFFEu}},
        {"a called method", {CallWord(2, 0), kReturnWord}},
        {"a call word run by Execute",
         {OpWord(Op::PushInline), CallWord(2, 0), OpWord(Op::Execute), kReturnWord}},
        {"a creation method run by NewObject",
         {OpWord(Op::PushInline), looper->Address(), OpWord(Op::NewObject), kReturnWord}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        polls = 0;
        EXPECT_EQ(ErrorMessage([&] { RunOn(looper, receiver, row.words); }), "Script ran too long");
        ClearStacks();
    }
    polls = 0;
    EXPECT_EQ(ErrorMessage([&] { Cpu().CallMethod(receiver, looper, 1); }), "Script ran too long");
}

TEST_F(ProcessorTest, IndirectExecutionOfOperations) {
    struct Row {
        std::vector<uint32_t> code;
        std::string result;
        std::vector<uint32_t> after;
    };
    const uint32_t pushOne = Place({OpWord(Op::PushOne)});
    const std::vector<Row> rows = {
        {{OpWord(Op::PushInline), OpWord(Op::PushOne), OpWord(Op::Execute), OpWord(Op::PushTwo)},
         "no error",
         {1, 2}},
        {{OpWord(Op::PushInline), pushOne, OpWord(Op::ExecuteAt)}, "no error", {1}},
        {{OpWord(Op::PushOne), OpWord(Op::ExecuteFromTable), 2, OpWord(Op::PushZero), OpWord(Op::PushTwo),
          OpWord(Op::PushFour)},
         "no error",
         {2, 4}},
        {{OpWord(Op::PushZero), OpWord(Op::ExecuteFromTable), 2, OpWord(Op::PushZero), OpWord(Op::PushTwo),
          OpWord(Op::PushFour)},
         "no error",
         {0, 4}},
        {{OpWord(Op::PushInline), 9, OpWord(Op::PushInline), OpWord(Op::Drop), OpWord(Op::Execute)},
         "no error",
         {}},
        {{OpWord(Op::PushInline), kReturnWord, OpWord(Op::Execute)},
         "A return word cannot be executed indirectly",
         {}},
        {{OpWord(Op::PushInline), OpWord(Op::PushInline), OpWord(Op::Execute)},
         "Operation PushInline cannot be executed indirectly",
         {}},
        {{OpWord(Op::PushInline), OpWord(Op::Jump), OpWord(Op::Execute)},
         "Operation Jump cannot be executed indirectly",
         {}},
        {{OpWord(Op::PushInline), OpWord(Op::ExecuteFromTable), OpWord(Op::Execute)},
         "Operation ExecuteFromTable cannot be executed indirectly",
         {}},
        {{OpWord(Op::PushInline), OpWord(Op::Undefined3), OpWord(Op::Execute)},
         "Method number 3 not defined in processor",
         {}},
        {{OpWord(Op::PushInline), 12, OpWord(Op::ExecuteAt)},
         "Script memory access outside the address space at 0x0000000C, 4 bytes",
         {}},
        {{OpWord(Op::PushTwo), OpWord(Op::ExecuteFromTable), 2, OpWord(Op::PushZero), OpWord(Op::PushTwo)},
         "Index 2 outside an instruction table of 2 words",
         {}},
        {{OpWord(Op::PushMinusOne), OpWord(Op::ExecuteFromTable), 0},
         "Index 4294967295 outside an instruction table of 0 words",
         {}},
    };
    for (const Row& row : rows) {
        std::vector<uint32_t> code = row.code;
        code.push_back(kReturnWord);
        EXPECT_EQ(ErrorMessage([&] { RunCode(code); }), row.result);
        if (row.result == "no error") {
            EXPECT_EQ(Data(), row.after);
        }
        ClearStacks();
    }
    // Execute nested in Execute.
    SetData({OpWord(Op::PushOne), OpWord(Op::Execute)});
    RunCode({OpWord(Op::Execute), kReturnWord});
    EXPECT_EQ(Data(), std::vector<uint32_t>{1});
}

TEST_F(ProcessorTest, StackDepths) {
    Cpu().DataStack().Push(1);
    Cpu().LocalsStack().Push(2);
    Cpu().ObjectStack().Push(3);
    Cpu().ReturnStack().Push(4);
    StackDepths saved{};
    Cpu().SaveStackDepths(saved);
    EXPECT_EQ(saved.data, 1);
    EXPECT_EQ(saved.locals, 1);
    EXPECT_EQ(saved.objects, 1);
    EXPECT_EQ(saved.returns, 1);
    EXPECT_EQ(Cpu().SameStackDepths(saved), 1);

    Cpu().ClassStack().Push(5);
    EXPECT_EQ(Cpu().SameStackDepths(saved), 1);
    Cpu().LocalsStack().Push(6);
    EXPECT_EQ(Cpu().SameStackDepths(saved), 0);

    // Cut back and extended.
    Cpu().DataStack().Push(7);
    Cpu().DataStack().Push(8);
    Cpu().ObjectStack().Drop(1);
    Cpu().RestoreStackDepths(saved);
    EXPECT_EQ(Cpu().SameStackDepths(saved), 1);
    EXPECT_EQ(Cpu().DataStack().Peek(0), 1u);
    EXPECT_EQ(Cpu().ClassStack().Depth(), 1u);

    // A depth beyond the capacity is refused by the stack.
    EXPECT_EQ(ErrorMessage([&] { Cpu().RestoreStackDepths(StackDepths{100, 0, 0, 0}); }), "DStack overflow");
}

}  // namespace
