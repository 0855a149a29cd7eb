// The stack machine that runs compiled script methods. It decodes instruction words (operation,
// call or return; see operations.h), calls script and native methods of the class system, and
// offers native code calls into scripts and object creation. It is a class descriptor itself, its
// own class and processor, and owns the ClassManager and the main ObjectManager.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>

#include "foundation/engine_string.h"
#include "script/d_stack.h"
#include "script/method_runner.h"
#include "script/zema_class.h"

namespace FD {
class File;
}
class ClassManager;
class DecodedCode;
class ObjectManager;

// Element kinds of the typed stacks; every slot is one 32-bit script value.
enum class ReturnAddress : uint32_t {};
enum class ObjectAddress : uint32_t {};
enum class ClassAddress : uint32_t {};
enum class TraceEntry : uint32_t {};

// Four stack depths, recorded by the dialog and flight loops to check and repair the stacks.
struct StackDepths {
    int32_t data;
    int32_t locals;
    int32_t objects;
    int32_t returns;
};

// Shows a plain OK message box without an owner window. The shell installs the platform's; without
// one the text goes nowhere.
using MessageBoxHook = std::function<void(const String& caption, const String& text)>;
// Asked now and then while scripts run (every kStopPollInterval backward jumps and calls); it
// throws to end a run that must stop, such as a script in an endless loop when the program quits.
using StopHook = std::function<void()>;

class Processor : public ZEMAClass, public MethodRunner {
  public:
    static constexpr int32_t kDefaultCapacity = 16000;
    // Host frames per native -> script -> native round trip are bounded by this many nested runs.
    static constexpr uint32_t kMaxNesting = 200;
    // Largest block the heap operation hands out.
    static constexpr uint32_t kMaxAllocation = 256u << 20;

    Processor(FD::File* archive, int32_t localsCapacity = kDefaultCapacity,
              int32_t returnCapacity = kDefaultCapacity, int32_t objectCapacity = kDefaultCapacity,
              int32_t dataCapacity = kDefaultCapacity);
    ~Processor() override;
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    // One instruction word at PC; true when it was a return word.
    bool Step();
    // The same, keeping the TraceStack up to date.
    bool StepTraced();
    // Runs script code from its first instruction word to its return. The caller has pushed the
    // running class on the ClassStack; the return word pops it.
    void Run(ScriptObject* object, uint32_t code);

    // MethodRunner: calls from native code, script or native.
    void CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) override;
    void CallVirtual(ScriptObject* object, uint32_t number) override;
    DStack<uint32_t>& DataStack() override { return data_; }
    // Pushes the value on the DataStack and on the ObjectStack.
    void PushObject(uint32_t address) override;
    void CountLoopRound() override;
    RunnerState SaveState(bool contents) const override;
    void RestoreState(const RunnerState& state) override;

    void SaveStackDepths(StackDepths& depths) const;
    // 1 when all four depths equal the record, else 0.
    int SameStackDepths(const StackDepths& depths) const;
    // Cuts back or extends the DataStack, ReturnStack, ObjectStack and LocalsStack, in that order.
    void RestoreStackDepths(const StackDepths& depths);

    // Creates an object through the class's method 0; null when that method gave 0.
    ScriptObject* NewObject(ZEMAClass* cls);
    ScriptObject* NewObjectByName(const String& name);
    // The class under the name in the ClassManager, loaded on first use.
    ZEMAClass* ClassByName(const String& name);

    DStack<uint32_t>& LocalsStack() { return locals_; }
    DStack<ReturnAddress>& ReturnStack() { return return_; }
    DStack<ObjectAddress>& ObjectStack() { return objects_; }
    DStack<ClassAddress>& ClassStack() { return classes_; }
    // Pairs of call site and debug record address, kept in trace mode only.
    DStack<TraceEntry>& TraceStack() { return trace_; }

    // Script address of the next instruction word.
    uint32_t PC() const { return pc_; }
    void SetPC(uint32_t pc) { pc_ = pc; }
    int32_t FrameNumber() const { return frameNumber_; }
    void SetFrameNumber(int32_t frame) { frameNumber_ = frame; }
    FD::File* Archive() const { return archive_; }
    // Both throw FatalExep while the processor releases them: scripts that run then (destructor
    // methods of the objects being let go) find no managers.
    ClassManager& Classes() {
        if (classManager_ == nullptr) ThrowManagersReleased();
        return *classManager_;
    }
    ObjectManager& Objects() {
        if (objectManager_ == nullptr) ThrowManagersReleased();
        return *objectManager_;
    }

    // For a native that scripts call round after round, on entry, before it obtains anything: gives
    // back what was made and destroyed since the innermost hold began (ReleaseBetweenCalls), but the
    // receivers and classes of the script frames still running and the native's own receiver, whose
    // headers must not go to another object while those frames run.
    void ReleaseBetweenCalls(const ScriptObject* receiver);

    // The object is one of the managers the processor owns (false once they are released).
    bool IsOwnManager(const ScriptObject* object) const;

    // The current object (top of the ObjectStack) and the running class (top of the ClassStack),
    // checked to be live objects.
    ScriptObject* CurrentObject();
    ZEMAClass* CurrentClass();

    // Runs the instruction word at address as one instruction, then continues at resume. Return
    // words and operations that take inline words are refused.
    void ExecuteWordAt(uint32_t address, uint32_t resume);
    // The one-word buffer that Execute runs its word from.
    uint32_t ExecuteBuffer(uint32_t word);

    // Heap blocks for the Allocate and Free operations.
    uint32_t AllocateBlock(uint32_t size);
    void FreeBlock(uint32_t address);
    size_t AllocatedBlockCount() const { return heapBlocks_.size(); }

    void SetMessageBoxHook(MessageBoxHook hook) { messageBox_ = std::move(hook); }
    static constexpr uint32_t kStopPollInterval = 4096;
    void SetStopHook(StopHook hook) { stopHook_ = std::move(hook); }
    // Counts a backward jump or a call: true every kStopPollInterval of them, when PollStop is due.
    bool StopPollDue() { return --stopCountdown_ == 0; }
    // Asks the stop hook (which may throw) and starts counting again.
    void PollStop();
    void ShowMessage(const String& caption, const String& text);

  private:
    // Marks a special stop depth: run one word only.
    static constexpr uint32_t kNoFrame = 0xFFFFFFFFu;

    class Nesting;

    // The dispatch loop (processor_loop.cpp). With kSingle it runs one word and answers whether it
    // was a return; otherwise it runs until a return word brings the ReturnStack back to stopDepth.
    template <bool kTraced, bool kSingle>
    bool Interpret(uint32_t stopDepth);
    // Runs until a return word brings the ReturnStack back to stopDepth, through the decoded-code
    // cache (decoded_run.cpp).
    template <bool kTraced>
    void RunDecoded(uint32_t stopDepth);
    // A call word; PC already points after it.
    void Call(uint32_t word, uint32_t wordAddress, bool traced);
    // A return word; true when it ends the run whose ReturnStack depth was stopDepth.
    bool Return(bool traced, uint32_t stopDepth);
    ScriptObject* Receiver(uint32_t word);
    void CallBody(ScriptObject* object, ZEMAClass* cls, uint32_t body, uint32_t record);
    static void CheckReceiver(const ScriptObject* object);
    // Deletes the object manager, then the class manager (the constructor's failure path too).
    void ReleaseManagers();
    [[noreturn]] static void ThrowManagersReleased();

    DStack<uint32_t> locals_;
    DStack<ReturnAddress> return_;
    DStack<ObjectAddress> objects_;
    DStack<ClassAddress> classes_;
    DStack<uint32_t> data_;
    DStack<TraceEntry> trace_;
    uint32_t pc_ = 0;
    int32_t frameNumber_ = 0;
    uint32_t nesting_ = 0;
    FD::File* archive_;
    std::unique_ptr<ClassManager> classManager_;
    std::unique_ptr<ObjectManager> objectManager_;
    uint32_t* executeBuffer_ = nullptr;
    std::unordered_set<uint32_t> heapBlocks_;
    MessageBoxHook messageBox_;
    StopHook stopHook_;
    uint32_t stopCountdown_ = kStopPollInterval;
    std::unique_ptr<DecodedCode> decoded_;
};
