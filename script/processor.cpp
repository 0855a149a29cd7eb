#include "script/processor.h"

#include <algorithm>
#include <new>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/script_handle.h"
#include "foundation/trace_flag.h"
#include "script/class_manager.h"
#include "script/decoded_code.h"
#include "script/object_lifetime.h"
#include "script/object_manager.h"
#include "script/operations.h"

namespace {

// Where a return word may continue: any word inside the script address space.
bool IsCodeAddress(uint32_t address) {
    return address >= kScriptReservedLow && uint64_t{address} + 4 <= kScriptRegionSize;
}

int32_t Difference(int32_t recorded, uint32_t current) {
    const int64_t d = int64_t{recorded} - int64_t{current};
    return static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
}

}  // namespace

// Bounds the host frames that native -> script -> native calls and indirect execution pile up.
// While scripts run, what they destroy keeps its memory: the native code that called them may
// still hold it.
class Processor::Nesting {
  public:
    explicit Nesting(Processor& processor) : processor_(processor) {
        if (processor_.nesting_ >= kMaxNesting) throw FatalExep(String("Script calls nested too deeply"));
        ++processor_.nesting_;
    }
    ~Nesting() { --processor_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

  private:
    Processor& processor_;
    ReleaseHold hold_;
};

Processor::Processor(FD::File* archive, int32_t localsCapacity, int32_t returnCapacity,
                     int32_t objectCapacity, int32_t dataCapacity)
    : ZEMAClass(this),
      locals_(localsCapacity),
      return_(returnCapacity),
      objects_(objectCapacity),
      classes_(returnCapacity),
      data_(dataCapacity),
      trace_(returnCapacity),
      archive_(archive) {
    executeBuffer_ = static_cast<uint32_t*>(ScriptAlloc(2 * sizeof(uint32_t)));
    // The processor deletes itself and its managers; no object table or list a script fills may.
    KeepForEngine();
    try {
        classManager_ = std::make_unique<ClassManager>(this, 26, archive);
        classManager_->KeepForEngine();
        auto objects = std::make_unique<ObjectManager>(nullptr, 0);
        classManager_->Register(objects.get(), false);
        objectManager_ = std::move(objects);
        objectManager_->SetObject(classManager_.get(), 1);
    } catch (...) {
        ReleaseManagers();
        ScriptFree(executeBuffer_);
        throw;
    }
}

Processor::~Processor() {
    ReleaseManagers();
    // Classes that outlive their managers (those of ClassManagers that scripts made and never
    // deleted) must not call into a processor that is gone.
    ForgetProcessor(this);
    for (uint32_t block : heapBlocks_) ScriptFree(FromScript<void>(block));
    ScriptFree(executeBuffer_);
}

bool Processor::IsOwnManager(const ScriptObject* object) const {
    return object != nullptr && (object == objectManager_.get() || object == classManager_.get());
}

void Processor::ThrowManagersReleased() {
    ThrowFatal("The processor's object managers are being released");
}

void Processor::ReleaseManagers() {
    // The ObjectManager's entry in the class list must not delete it a second time.
    if (objectManager_ != nullptr) classManager_->DetachClass(objectManager_->ClassName());
    objectManager_.reset();
    classManager_.reset();
}

// --- running ---

bool Processor::Step() {
    return Interpret<false, true>(kNoFrame);
}

bool Processor::StepTraced() {
    return Interpret<true, true>(kNoFrame);
}

void Processor::Run(ScriptObject* object, uint32_t code) {
    Nesting nesting(*this);
    const uint32_t depth = return_.Depth();
    const uint32_t caller = pc_;
    return_.Push(caller);
    objects_.Push(object != nullptr ? object->Address() : 0);
    pc_ = code;
    if (TraceFlag()) {
        Interpret<true, false>(depth);
    } else {
        Interpret<false, false>(depth);
    }
    pc_ = caller;
}

void Processor::ReleaseBetweenCalls(const ScriptObject* receiver) {
    std::vector<uint32_t> frames;
    frames.reserve(objects_.Depth() + classes_.Depth() + 1);
    if (receiver != nullptr) frames.push_back(receiver->Address());
    for (uint32_t d = 0; d < objects_.Depth(); ++d) frames.push_back(static_cast<uint32_t>(objects_.Peek(d)));
    // A running class that is gone no longer names the classes its code calls: they all stay then.
    bool keepClasses = false;
    for (uint32_t d = 0; d < classes_.Depth(); ++d) {
        const auto cls = static_cast<uint32_t>(classes_.Peek(d));
        frames.push_back(cls);
        keepClasses = keepClasses ||
                      FindScriptHandle(cls, HandleFamily::kScriptObject, kClassDescriptorKind) == nullptr;
    }
    std::sort(frames.begin(), frames.end());
    ::ReleaseBetweenCalls([&](const ScriptObject& object) {
        return std::binary_search(frames.begin(), frames.end(), object.Address()) ||
               (keepClasses && object.Kind() == kClassDescriptorKind);
    });
}

void Processor::CheckReceiver(const ScriptObject* object) {
    // Native code may still hold an object whose destruction a script completed meanwhile.
    if (object != nullptr && object->Destroyed()) {
        ThrowFatal("Not a valid object at 0x%08X where receiver expected", object->Address());
    }
}

void Processor::CallBody(ScriptObject* object, ZEMAClass* cls, uint32_t body, uint32_t record) {
    const bool traced = TraceFlag();
    if (ScriptLoad32(body) != 0) {
        if (traced) {
            trace_.Push(pc_ - 16);
            trace_.Push(record);
        }
        classes_.Push(cls->Address());
        Run(object, body + 4);
        return;
    }
    NativeHandler handler = NativeHandlerAt(ScriptLoad32(body + 4));
    // The native may call scripts that destroy what its caller holds.
    const ReleaseHold hold;
    objects_.Push(object != nullptr ? object->Address() : 0);
    if (traced) {
        trace_.Push(pc_ - 16);
        trace_.Push(0);
    }
    handler(object);
    if (traced) trace_.Drop(2);
    objects_.Pop();
}

void Processor::CallMethod(ScriptObject* object, ZEMAClass* cls, uint32_t number) {
    CheckReceiver(object);
    if (cls == nullptr) ThrowFatal("Method %d called without a class", static_cast<int>(number));
    CallBody(object, cls, cls->GetMethod(number), cls->MethodDebugRecord(number));
}

void Processor::CallVirtual(ScriptObject* object, uint32_t number) {
    CheckReceiver(object);
    if (object == nullptr || object->Class() == nullptr) {
        ThrowFatal("Virtual method %d called on an object without a class", static_cast<int>(number));
    }
    ZEMAClass* cls = object->Class();
    const uint32_t body = cls->GetVirtualMethod(number);
    ZEMAClass* owner = cls->VirtualMethodOwner(number);
    CallBody(object, owner, body, owner->VirtualMethodDebugRecord(number));
}

void Processor::PushObject(uint32_t address) {
    data_.Push(address);
    objects_.Push(address);
}

ScriptObject* Processor::CurrentObject() {
    return ScriptObject::FromAddress(objects_.Peek(0), 0, "current object");
}

ZEMAClass* Processor::CurrentClass() {
    return ZEMAClass::FromAddress(classes_.Peek(0), "running class");
}

ScriptObject* Processor::Receiver(uint32_t word) {
    const InstructionWord w{word};
    switch (w.ReceiverKind()) {
        case InstructionWord::Current:
            return CurrentObject();
        case InstructionWord::Field:
            return ScriptObject::FromAddress(CurrentObject()->Field(w.Operand()), 0, "receiver");
        case InstructionWord::ObjectId:
            if (ScriptObject* object = Objects().GetObject(w.Operand())) return object;
            ThrowFatal("No object with ID %d to call", static_cast<int>(w.Operand()));
        case InstructionWord::Local:
            return ScriptObject::FromAddress(locals_.Peek(w.Operand()), 0, "receiver");
        case InstructionWord::Popped:
            return ScriptObject::FromAddress(data_.Pop(), 0, "receiver");
        default:
            ThrowFatal("Instruction word 0x%08X names no receiver", word);
    }
}

void Processor::PollStop() {
    stopCountdown_ = kStopPollInterval;
    if (stopHook_) stopHook_();
}

void Processor::CountLoopRound() {
    if (StopPollDue()) PollStop();
}

void Processor::Call(uint32_t word, uint32_t wordAddress, bool traced) {
    if (StopPollDue()) PollStop();
    const InstructionWord w{word};
    ScriptObject* receiver = Receiver(word);
    // A call word runs inside a method, so there is a current object.
    objects_.CheckNotEmpty();
    const uint32_t method = w.Method();
    ZEMAClass* target;
    uint32_t body;
    if (!w.Virtual()) {
        target = CurrentClass()->UsedClass(w.ClassNumber());
        body = target->GetMethod(method);
    } else {
        ZEMAClass* named =
            w.ClassNumber() != 0 ? CurrentClass()->UsedClass(w.ClassNumber()) : receiver->Class();
        if (named == nullptr) {
            ThrowFatal("Virtual method %d called on an object without a class", static_cast<int>(method));
        }
        target = named->VirtualMethodOwner(method);
        body = target->GetVirtualMethod(method);
    }
    // A native method's entry is {0, handler index}; script code starts with a word that is not 0.
    if (ScriptLoad32(body) == 0) {
        NativeHandlerAt(ScriptLoad32(body + 4))(receiver);
        return;
    }
    objects_.Push(receiver->Address());
    classes_.Push(target->Address());
    return_.Push(pc_);
    if (traced) {
        trace_.Push(wordAddress);
        trace_.Push(w.Virtual() ? target->VirtualMethodDebugRecord(method)
                                : target->MethodDebugRecord(method));
    }
    pc_ = body + 4;
}

bool Processor::Return(bool traced, uint32_t stopDepth) {
    const uint32_t target = return_.Pop();
    const uint32_t depth = return_.Depth();
    const bool endsRun = stopDepth != kNoFrame && depth == stopDepth;
    if (stopDepth != kNoFrame && depth < stopDepth) {
        ThrowFatal("Script method returned past its caller to 0x%08X", target);
    }
    // The run's own last return goes back to the caller's PC, whatever it was.
    if (!endsRun && !IsCodeAddress(target)) {
        ThrowFatal("Return to 0x%08X, which is not a code address", target);
    }
    classes_.Pop();
    objects_.Pop();
    if (traced) trace_.Drop(2);
    pc_ = target;
    return endsRun;
}

// --- indirect execution ---

uint32_t Processor::ExecuteBuffer(uint32_t word) {
    executeBuffer_[0] = word;
    return ToScript(executeBuffer_);
}

void Processor::ExecuteWordAt(uint32_t address, uint32_t resume) {
    const InstructionWord w{ScriptLoad32(address)};
    if (w.IsReturn()) throw FatalExep(String("A return word cannot be executed indirectly"));
    if (w.IsOperation()) {
        const uint32_t slot = w.Operation();
        if (slot >= kOperationCount || Operation(slot).place == OperationPlace::Empty)
            ThrowUndefinedOperation(slot);
        if (Operation(slot).inlineWords != InlineWords::None) {
            ThrowFatal("Operation %s cannot be executed indirectly", Operation(slot).name);
        }
    }
    Nesting nesting(*this);
    const uint32_t depth = return_.Depth();
    pc_ = address;
    // Calls made this way are plain steps, also in trace mode.
    Interpret<false, true>(kNoFrame);
    // A script call left PC in its body: run it to the return that comes back here.
    if (pc_ != address + 4) Interpret<false, false>(depth);
    pc_ = resume;
}

// --- stack depths ---

namespace {

template <class T>
void SaveStack(const DStack<T>& stack, bool contents, uint32_t& depth, std::vector<uint32_t>& slots) {
    depth = stack.Depth();
    if (contents) slots.assign(stack.Slots() + 1, stack.Slots() + 1 + depth);
}

template <class T>
void RestoreStack(DStack<T>& stack, uint32_t depth, const std::vector<uint32_t>& slots) {
    // A depth it had before, so within its capacity.
    stack.SetDepth(depth);
    if (slots.size() == depth) std::copy(slots.begin(), slots.end(), stack.Slots() + 1);
}

}  // namespace

RunnerState Processor::SaveState(bool contents) const {
    RunnerState state;
    state.pc = pc_;
    SaveStack(data_, contents, state.depths[0], state.contents[0]);
    SaveStack(locals_, contents, state.depths[1], state.contents[1]);
    SaveStack(objects_, contents, state.depths[2], state.contents[2]);
    SaveStack(return_, contents, state.depths[3], state.contents[3]);
    SaveStack(classes_, contents, state.depths[4], state.contents[4]);
    SaveStack(trace_, contents, state.depths[5], state.contents[5]);
    return state;
}

void Processor::RestoreState(const RunnerState& state) {
    pc_ = state.pc;
    RestoreStack(data_, state.depths[0], state.contents[0]);
    RestoreStack(locals_, state.depths[1], state.contents[1]);
    RestoreStack(objects_, state.depths[2], state.contents[2]);
    RestoreStack(return_, state.depths[3], state.contents[3]);
    RestoreStack(classes_, state.depths[4], state.contents[4]);
    RestoreStack(trace_, state.depths[5], state.contents[5]);
}

void Processor::SaveStackDepths(StackDepths& depths) const {
    depths.data = static_cast<int32_t>(data_.Depth());
    depths.locals = static_cast<int32_t>(locals_.Depth());
    depths.objects = static_cast<int32_t>(objects_.Depth());
    depths.returns = static_cast<int32_t>(return_.Depth());
}

int Processor::SameStackDepths(const StackDepths& depths) const {
    StackDepths now{};
    SaveStackDepths(now);
    return now.data == depths.data && now.locals == depths.locals && now.objects == depths.objects &&
                   now.returns == depths.returns
               ? 1
               : 0;
}

void Processor::RestoreStackDepths(const StackDepths& depths) {
    data_.Reserve(Difference(depths.data, data_.Depth()));
    return_.Reserve(Difference(depths.returns, return_.Depth()));
    objects_.Reserve(Difference(depths.objects, objects_.Depth()));
    locals_.Reserve(Difference(depths.locals, locals_.Depth()));
}

// --- objects ---

ScriptObject* Processor::NewObject(ZEMAClass* cls) {
    if (cls == nullptr) throw FatalExep(String("NewObject without a class"));
    data_.Push(cls->Address());
    CallMethod(cls, cls, kCreateObjectMethod);
    objects_.Pop();
    const uint32_t object = data_.Pop();
    return object != 0 ? ScriptObject::FromAddress(object, 0, "new object") : nullptr;
}

ScriptObject* Processor::NewObjectByName(const String& name) {
    return NewObject(ClassByName(name));
}

ZEMAClass* Processor::ClassByName(const String& name) {
    ZEMAClass* cls = Classes().Get(name);
    if (cls == nullptr) ThrowFatal("Class %s not found", name.Text());
    return cls;
}

// --- heap blocks and output ---

uint32_t Processor::AllocateBlock(uint32_t size) {
    if (size > kMaxAllocation) {
        ThrowFatal("Allocation of 0x%08X bytes refused", size);
    }
    void* block = nullptr;
    try {
        block = ScriptAlloc(size);
        const uint32_t address = ToScript(block);
        heapBlocks_.insert(address);
        return address;
    } catch (const std::bad_alloc&) {
        ScriptFree(block);
        ThrowFatal("Out of memory allocating 0x%08X bytes", size);
    }
}

void Processor::FreeBlock(uint32_t address) {
    if (address == 0) return;
    auto found = heapBlocks_.find(address);
    if (found == heapBlocks_.end()) {
        ThrowFatal("Free of 0x%08X, which is not an allocated block", address);
    }
    heapBlocks_.erase(found);
    ScriptFree(FromScript<void>(address));
}

void Processor::ShowMessage(const String& caption, const String& text) {
    if (messageBox_) messageBox_(caption, text);
}
