#include "script/zema_class.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "script/create_native.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_manager.h"

namespace {

constexpr uint32_t kClassHeaderSize = 20;
constexpr uint32_t kTableHeaderSize = 12;
constexpr uint32_t kCodeHeaderSize = 10;

bool IsTag(const uint8_t* signature, const char (&tag)[5]) {
    return std::memcmp(signature, tag, 4) == 0;
}

uint32_t PayloadBytes(const DataBlock* block) {
    return block != nullptr && block->Payload() != nullptr ? block->PayloadSize() : 0;
}

// inScript: scripts are handed addresses into the payload (tables, code, debug words).
std::unique_ptr<DataBlock> ReadBlock(BlockReader& reader, uint32_t headerSize, bool inScript = false) {
    auto block = std::make_unique<DataBlock>(headerSize, true);
    if (inScript) block->KeepPayloadInScriptMemory();
    reader >> *block;
    return block;
}

// Guards the lists of objects of every class and the list of descriptors: objects may be made and
// destroyed on more than one thread.
std::mutex& ClassLifetimeMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

ZEMAClass*& FirstDescriptor() {
    static ZEMAClass* first = nullptr;
    return first;
}

const String& RootName() {
    // Never destroyed: descriptors may outlive static destruction order.
    static const String* name = new String("ZEMAClass");
    return *name;
}

void EmptyHandler(ScriptObject*) {}

void IsKindOfHandler(ScriptObject* receiver) {
    NativeArgs args(receiver);
    const String name = args.TextCopy();
    args.Stack().Push(receiver->Class()->InheritsFrom(name.Text()) ? 1 : 0);
}

void ClassNameHandler(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    runner.DataStack().Push(receiver->Class()->ScriptClassName());
}

}  // namespace

MethodRunner& RunnerOf(ScriptObject* receiver) {
    ZEMAClass* cls = receiver != nullptr ? receiver->Class() : nullptr;
    if (cls == nullptr || cls->GetProcessor() == nullptr) {
        throw FatalExep(String("Native method called without a processor"));
    }
    return *cls->GetProcessor();
}

uint32_t ZEMAClass::Table::Count() const {
    return block != nullptr ? LoadU16(block->Header() + 10) : 0;
}

uint32_t* ZEMAClass::Table::Slots() const {
    return block != nullptr ? reinterpret_cast<uint32_t*>(block->Payload()) : nullptr;
}

ZEMAClass::ZEMAClass(MethodRunner* processor)
    : ScriptObject(SelfClass{}, kClassDescriptorKind),
      DataBlock(kClassHeaderSize, true),
      nativeClass_(this),
      processor_(processor) {
    SetSelfClass(this);
    std::lock_guard lock(ClassLifetimeMutex());
    ZEMAClass*& first = FirstDescriptor();
    nextDescriptor_ = first;
    if (first != nullptr) first->previousDescriptor_ = this;
    first = this;
}

ZEMAClass::~ZEMAClass() {
    HandInstancesToUnloadedClass();
    // No object table or list may keep a descriptor that is gone.
    if (ManagerHolds() > 0) ObjectManager::ForgetEverywhere(this);
    {
        std::lock_guard lock(ClassLifetimeMutex());
        if (previousDescriptor_ != nullptr) {
            previousDescriptor_->nextDescriptor_ = nextDescriptor_;
        } else {
            FirstDescriptor() = nextDescriptor_;
        }
        if (nextDescriptor_ != nullptr) nextDescriptor_->previousDescriptor_ = previousDescriptor_;
    }
    FreeDebugRecords();
}

// --- the objects of a class ---

void ZEMAClass::AddInstance(ScriptObject* object) {
    std::lock_guard lock(ClassLifetimeMutex());
    object->previousOfClass_ = nullptr;
    object->nextOfClass_ = firstInstance_;
    if (firstInstance_ != nullptr) firstInstance_->previousOfClass_ = object;
    firstInstance_ = object;
    if (object->Alive()) ++instanceCount_;
}

void ZEMAClass::RemoveInstance(ScriptObject* object) {
    std::lock_guard lock(ClassLifetimeMutex());
    if (object->previousOfClass_ != nullptr) {
        object->previousOfClass_->nextOfClass_ = object->nextOfClass_;
    } else {
        firstInstance_ = object->nextOfClass_;
    }
    if (object->nextOfClass_ != nullptr) object->nextOfClass_->previousOfClass_ = object->previousOfClass_;
    object->previousOfClass_ = object->nextOfClass_ = nullptr;
    if (object->Alive()) --instanceCount_;
}

void ZEMAClass::InstanceDestroyed(ScriptObject* object) {
    std::lock_guard lock(ClassLifetimeMutex());
    if (object->Alive()) --instanceCount_;
    object->beingDestroyed_ = true;
}

uint32_t ZEMAClass::InstanceCount() const {
    std::lock_guard lock(ClassLifetimeMutex());
    return instanceCount_;
}

std::vector<WeakObject> ZEMAClass::LiveInstances() const {
    std::vector<WeakObject> live;
    std::lock_guard lock(ClassLifetimeMutex());
    live.reserve(instanceCount_);
    for (const ScriptObject* object = firstInstance_; object != nullptr; object = object->nextOfClass_) {
        if (object->Alive()) live.emplace_back(object);
    }
    return live;
}

void ZEMAClass::CheckMakesObjects() const {
    if (unloaded_) ThrowFatal("Class %s is unloaded and makes no objects", ClassName().Text());
}

void ZEMAClass::HandInstancesToUnloadedClass() {
    // Destroyed objects whose memory waits are moved too: they still name their class.
    {
        std::lock_guard lock(ClassLifetimeMutex());
        if (firstInstance_ == nullptr) return;
    }
    ZEMAClass& unloaded = UnloadedClass();
    for (;;) {
        ScriptObject* object;
        {
            std::lock_guard lock(ClassLifetimeMutex());
            object = firstInstance_;
        }
        if (object == nullptr) break;
        RemoveInstance(object);
        object->class_ = &unloaded;
        unloaded.AddInstance(object);
        object->handle_.Revoke();
    }
}

ZEMAClass& ZEMAClass::UnloadedClass() {
    static ZEMAClass* unloaded = [] {
        auto* cls = new ZEMAClass(nullptr);
        cls->SetName(String("UnloadedClass"));
        cls->KeepForEngine();
        cls->MarkHeldByClassManager();
        return cls;
    }();
    return *unloaded;
}

void ZEMAClass::ForgetProcessor(const MethodRunner* processor) {
    std::lock_guard lock(ClassLifetimeMutex());
    for (ZEMAClass* d = FirstDescriptor(); d != nullptr; d = d->nextDescriptor_) {
        if (d->processor_ == processor) d->processor_ = nullptr;
    }
}

void ZEMAClass::CheckMayBeDestroyed() const {
    if (heldByClassManager_ || KeptByEngine())
        ThrowFatal("Object at 0x%08X belongs to the engine and cannot be deleted", Address());
    if (const uint32_t count = InstanceCount(); count > 0)
        ThrowFatal("Class %s still has %u objects and cannot be deleted", ClassName().Text(), count);
}

bool ZEMAClass::IsKindOf(const char* name) const {
    return std::strcmp(name, "ZEMAClass") == 0;
}

void ZEMAClass::RegisterMethods(ZEMAClass& target) {
    BindZEMAClassMethods(target);
}

void ZEMAClass::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(4, 2);
}

const String& ZEMAClass::ClassName() const {
    return hasName_ ? name_ : RootName();
}

uint32_t ZEMAClass::ScriptClassName() {
    if (nameText_ == nullptr) nameText_ = CopyTextToScript(ClassName().View());
    return ToScript(nameText_.get());
}

void ZEMAClass::BindZEMAClassMethods(ZEMAClass& target) {
    target.SetVirtualMethod(EmptyHandler, kDestroyVirtualMethod);
    target.SetVirtualMethod(EmptyHandler, kLoadedVirtualMethod);
    target.SetMethod(CreateNative<ScriptObject, "class">, kCreateObjectMethod);
    target.SetMethod(EmptyHandler, kDestructorMethod);
    target.SetMethod(IsKindOfHandler, 2);
    target.SetMethod(ClassNameHandler, 3);
}

ZEMAClass* ZEMAClass::FromAddress(uint32_t address, const char* what) {
    return static_cast<ZEMAClass*>(ScriptObject::FromAddress(address, kClassDescriptorKind, what));
}

void ZEMAClass::SetName(const String& name) {
    name_ = name;
    hasName_ = true;
    nameText_.reset();
}

// --- tables ---

uint32_t ZEMAClass::MethodCount() const {
    return methods_.Count();
}
uint32_t ZEMAClass::VirtualMethodCount() const {
    return virtualMethods_.Count();
}

uint32_t ZEMAClass::MethodSlot(uint32_t number) const {
    return number < methods_.Count() ? LoadU32(methods_.Slots() + number) : 0;
}

uint32_t ZEMAClass::VirtualMethodSlot(uint32_t number) const {
    return number < virtualMethods_.Count() ? LoadU32(virtualMethods_.Slots() + number) : 0;
}

void ZEMAClass::MethodError(const char* kind, uint32_t number) const {
    ThrowFatal("%s %d not defined in class %s", kind, static_cast<int>(number), ClassName().Text());
}

uint32_t ZEMAClass::GetMethod(uint32_t number) const {
    const uint32_t slot = MethodSlot(number);
    if (slot == 0) MethodError("Method", number);
    return slot;
}

uint32_t ZEMAClass::GetVirtualMethod(uint32_t number) const {
    const uint32_t slot = VirtualMethodSlot(number);
    if (slot == 0) MethodError("Virtual method", number);
    return slot;
}

ZEMAClass* ZEMAClass::VirtualMethodOwner(uint32_t number) const {
    if (VirtualMethodSlot(number) == 0) MethodError("Virtual method", number);
    if (number >= owners_.size() || owners_[number] == nullptr) MethodError("Virtual method", number);
    return owners_[number];
}

uint32_t* ZEMAClass::BindSlot(Table& table, uint32_t number, const char* kind) {
    if (number >= table.Count()) {
        ThrowFatal("Not enougth room for %s in class %s", kind, ClassName().Text());
    }
    return table.Slots() + number;
}

uint32_t ZEMAClass::NewMethodEntry(NativeHandler handler) {
    const uint32_t index = NativeHandlerIndex(handler);
    if (entryCount_ == entryPages_.size() * kMethodEntriesPerPage) {
        entryPages_.push_back(NewScriptBuffer<MethodEntry>(sizeof(MethodEntry) * kMethodEntriesPerPage));
    }
    MethodEntry* entry = entryPages_.back().get() + entryCount_ % kMethodEntriesPerPage;
    ++entryCount_;
    entry->marker = 0;
    entry->handler = index;
    return ToScript(entry);
}

void ZEMAClass::SetMethod(NativeHandler handler, uint32_t number) {
    uint32_t* slot = BindSlot(methods_, number & 0xFFFF, "methods");
    StoreU32(slot, NewMethodEntry(handler));
}

void ZEMAClass::SetVirtualMethod(NativeHandler handler, uint32_t number) {
    number &= 0xFFFF;
    uint32_t* slot = BindSlot(virtualMethods_, number, "virtual methods");
    if (LoadU32(slot) != 0) return;
    StoreU32(slot, NewMethodEntry(handler));
    if (number < owners_.size()) owners_[number] = this;
}

void ZEMAClass::ReserveTable(Table& table, uint16_t count) {
    // Created at 8 bytes a slot; slots are used at 4.
    auto block = std::make_unique<DataBlock>(kTableHeaderSize, true);
    block->KeepPayloadInScriptMemory();
    block->SetPayloadSize(uint32_t{count} * 8);
    block->AllocPayload();
    StoreU16(block->Header() + 10, count);
    table.block = std::move(block);
    table.fromLibrary = false;
}

void ZEMAClass::ReserveMethods(uint16_t methodCount, uint16_t virtualMethodCount) {
    if (virtualMethodCount > 0 && virtualMethods_.block == nullptr) {
        ReserveTable(virtualMethods_, virtualMethodCount);
        owners_.assign(virtualMethodCount, this);
    }
    if (methodCount > 0 && methods_.block == nullptr) ReserveTable(methods_, methodCount);
}

bool ZEMAClass::InheritsFrom(const char* name) const {
    for (const ZEMAClass* c = this; c != nullptr; c = c->base_) {
        if (c->ClassName() == name) return true;
    }
    return nativeClass_->IsKindOf(name);
}

// --- debug records ---

uint32_t ZEMAClass::MethodDebugRecord(uint32_t number) const {
    return methodRecords_ != nullptr && number < methodRecordCount_ ? ToScript(methodRecords_ + number) : 0;
}

uint32_t ZEMAClass::VirtualMethodDebugRecord(uint32_t number) const {
    return virtualRecords_ != nullptr && number < virtualRecordCount_ ? ToScript(virtualRecords_ + number)
                                                                      : 0;
}

void ZEMAClass::FreeDebugRecords() {
    ScriptFree(methodRecords_);
    ScriptFree(virtualRecords_);
    methodRecords_ = virtualRecords_ = nullptr;
    methodRecordCount_ = virtualRecordCount_ = 0;
}

// --- header fields, uses, base ---

uint32_t ZEMAClass::InstanceFieldCount() const {
    return LoadU32(Header() + 10);
}
uint16_t ZEMAClass::BaseClassIndex() const {
    return LoadU16(Header() + 14);
}
uint32_t ZEMAClass::ClassFieldCount() const {
    return LoadU32(Header() + 16);
}

uint32_t& ZEMAClass::ClassField(uint32_t number) {
    if (number >= classFields_.Count()) {
        ThrowFatal("Class field %d not found in class %s", static_cast<int>(number), ClassName().Text());
    }
    return classFields_.Data()[number];
}

uint32_t ZEMAClass::CodeWordCount() const {
    return PayloadBytes(code_.get()) / 4;
}

ZEMAClass* ZEMAClass::UsedClass(uint32_t number) const {
    if (number >= uses_.size() || uses_[number] == nullptr) {
        ThrowFatal("Class number %d not found in class %s", static_cast<int>(number), ClassName().Text());
    }
    return uses_[number];
}

void ZEMAClass::SetUse(uint32_t index, ZEMAClass* cls) {
    if (index >= uses_.size()) LibraryError("used class outside the uses table");
    uses_[index] = cls;
}

void ZEMAClass::SetBase(ZEMAClass* base) {
    for (const ZEMAClass* c = base; c != nullptr; c = c->base_) {
        if (c == this) ThrowFatal("Class %s is its own base class", ClassName().Text());
    }
    base_ = base;
    TakeNativeClassOfBase();
}

void ZEMAClass::TakeNativeClassOfBase() {
    nativeClass_ = base_ != nullptr ? base_->nativeClass_ : this;
}

// --- reading a class library ---

void ZEMAClass::LibraryError(const char* what) const {
    const String& library = libraryName_.Empty() ? ClassName() : libraryName_;
    ThrowFatal("Class library %s is damaged: %s", library.Text(), what);
}

void ZEMAClass::ReadLibrary(BlockReader& reader) {
    libraryName_ = reader.Name();
    std::vector<String> names;
    const bool ownList = names_ == nullptr;
    if (ownList) names_ = &names;
    try {
        reader >> *this;
    } catch (...) {
        if (ownList) names_ = nullptr;
        throw;
    }
    if (ownList) names_ = nullptr;
}

void ZEMAClass::ReadChunk(BlockReader& reader, const uint8_t* signature) {
    if (IsTag(signature, "NAME")) {
        auto block = ReadBlock(reader, 10);
        const uint32_t size = PayloadBytes(block.get());
        SetName(size == 0 ? String()
                          : String::FromBytes(reinterpret_cast<const char*>(block->Payload()), size));
    } else if (IsTag(signature, "GLCU")) {
        auto block = ReadBlock(reader, kTableHeaderSize);
        const uint32_t count = LoadU16(block->Header() + 10);
        const auto* text = reinterpret_cast<const char*>(block->Payload());
        const uint32_t size = PayloadBytes(block.get());
        uint32_t position = 0;
        for (uint32_t i = 0; i < count; ++i) {
            const void* end = position < size ? std::memchr(text + position, 0, size - position) : nullptr;
            if (end == nullptr) LibraryError("GLCU holds fewer names than its count");
            const auto length = static_cast<uint32_t>(static_cast<const char*>(end) - (text + position));
            if (names_ != nullptr) names_->push_back(String::FromBytes(text + position, length));
            position += length + 1;
        }
    } else if (IsTag(signature, "GLM\0")) {
        if (methods_.block == nullptr) {
            methods_.block = ReadBlock(reader, kTableHeaderSize, true);
            methods_.fromLibrary = true;
        }
    } else if (IsTag(signature, "GLVM")) {
        if (virtualMethods_.block == nullptr) {
            virtualMethods_.block = ReadBlock(reader, kTableHeaderSize, true);
            virtualMethods_.fromLibrary = true;
            owners_.assign(virtualMethods_.Count(), this);
        }
    } else if (IsTag(signature, "GLMB")) {
        if (code_ == nullptr) {
            code_ = ReadBlock(reader, kCodeHeaderSize, true);
            codeBase_ = reinterpret_cast<uint32_t*>(code_->Payload());
        }
    } else if (IsTag(signature, "GLSI")) {
        if (!hasSourceNames_) {
            hasSourceNames_ = true;
            auto block = ReadBlock(reader, kTableHeaderSize);
            const auto* text = reinterpret_cast<const char*>(block->Payload());
            const uint32_t size = PayloadBytes(block.get());
            for (uint32_t position = 0; position < size;) {
                const void* end = std::memchr(text + position, 0, size - position);
                if (end == nullptr) {
                    sourceNamesTerminated_ = false;
                    break;
                }
                const auto length = static_cast<uint32_t>(static_cast<const char*>(end) - (text + position));
                sourceNames_.push_back(String::FromBytes(text + position, length));
                position += length + 1;
            }
        }
    } else if (IsTag(signature, "GLMF")) {
        if (methodSources_ == nullptr) methodSources_ = ReadBlock(reader, kTableHeaderSize);
    } else if (IsTag(signature, "GLVF")) {
        if (virtualSources_ == nullptr) virtualSources_ = ReadBlock(reader, kTableHeaderSize);
    } else if (IsTag(signature, "GLDI")) {
        if (debugInfo_ == nullptr) debugInfo_ = ReadBlock(reader, kTableHeaderSize, true);
    } else if (IsTag(signature, "GLML")) {
        if (methodLines_ == nullptr) methodLines_ = ReadBlock(reader, kTableHeaderSize);
    } else if (IsTag(signature, "GLVL")) {
        if (virtualLines_ == nullptr) virtualLines_ = ReadBlock(reader, kTableHeaderSize);
    }
}

void ZEMAClass::ValidateTable(const Table& table, bool virtualTable) {
    if (table.block == nullptr || !table.fromLibrary) return;
    const char* tag = virtualTable ? "GLVM" : "GLM";
    const uint32_t count = table.Count();
    if (PayloadBytes(table.block.get()) < count * 4)
        LibraryError((String(tag) + " is shorter than its count").Text());
    const uint32_t words = CodeWordCount();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = LoadU32(table.Slots() + i);
        if (virtualTable && offset == 0) continue;
        if (words == 0) LibraryError((String(tag) + " names methods but the class has no code").Text());
        if (offset >= words) LibraryError((String(tag) + " offset outside the code").Text());
        // A zero first word would pass the body off as a native method entry.
        if (codeBase_[offset] == 0) LibraryError((String(tag) + " offset at a zero code word").Text());
    }
}

bool ZEMAClass::DebugInfoUsable() const {
    if (!hasSourceNames_ || !sourceNamesTerminated_ || methodSources_ == nullptr ||
        virtualSources_ == nullptr || methodLines_ == nullptr || virtualLines_ == nullptr) {
        return false;
    }
    const uint64_t methods = MethodCount();
    const uint64_t virtuals = VirtualMethodCount();
    if (PayloadBytes(debugInfo_.get()) < uint64_t{CodeWordCount()} * 4 ||
        PayloadBytes(methodSources_.get()) < methods * 2 ||
        PayloadBytes(virtualSources_.get()) < virtuals * 2 ||
        PayloadBytes(methodLines_.get()) < methods * 4 || PayloadBytes(virtualLines_.get()) < virtuals * 4) {
        return false;
    }
    const size_t names = sourceNames_.size();
    for (uint32_t i = 0; i < methods; ++i) {
        if (LoadU16(methodSources_->Payload() + 2 * i) >= names) return false;
    }
    for (uint32_t i = 0; i < virtuals; ++i) {
        if (VirtualMethodSlot(i) != 0 && LoadU16(virtualSources_->Payload() + 2 * i) >= names) return false;
    }
    return true;
}

void ZEMAClass::DropDebugInfo() {
    sourceNames_.clear();
    sourceNameTexts_.clear();
    hasSourceNames_ = false;
    sourceNamesTerminated_ = true;
    methodSources_.reset();
    virtualSources_.reset();
    methodLines_.reset();
    virtualLines_.reset();
    debugInfo_.reset();
    FreeDebugRecords();
}

void ZEMAClass::AfterRead(BlockReader&) {
    const size_t names = names_ != nullptr ? names_->size() : 0;
    uses_.assign(names > 0 ? names : 1, nullptr);
    uses_[0] = this;
    const uint16_t baseIndex = BaseClassIndex();
    if (baseIndex != 0 && baseIndex >= names) LibraryError("base class index outside the uses table");

    if (InstanceFieldCount() > kMaxClassFields) LibraryError("too many instance fields");
    if (ClassFieldCount() > kMaxClassFields) LibraryError("too many class fields");
    classFields_ = ScriptFields(ClassFieldCount());

    ValidateTable(methods_, false);
    ValidateTable(virtualMethods_, true);

    // Debug information counts only with all six chunks, and only when they fit the tables.
    if (debugInfo_ == nullptr) return;
    FreeDebugRecords();
    if (!DebugInfoUsable()) {
        DropDebugInfo();
        return;
    }
    sourceNameTexts_.clear();
    for (const String& name : sourceNames_) sourceNameTexts_.push_back(CopyTextToScript(name.View()));
    methodRecordCount_ = MethodCount();
    virtualRecordCount_ = VirtualMethodCount();
    if (methodRecordCount_ > 0) {
        methodRecords_ = static_cast<DebugRecord*>(ScriptAlloc(sizeof(DebugRecord) * methodRecordCount_));
    }
    if (virtualRecordCount_ > 0) {
        virtualRecords_ = static_cast<DebugRecord*>(ScriptAlloc(sizeof(DebugRecord) * virtualRecordCount_));
    }
}

// --- completing a loaded class ---

void ZEMAClass::Link() {
    if (linked_) return;
    linked_ = true;
    const bool debug = debugInfo_ != nullptr;
    auto record = [&](uint32_t offset, const DataBlock& lines, const DataBlock& sources, uint32_t i) {
        return DebugRecord{LoadU32(lines.Payload() + 4 * i), ToScript(codeBase_ + offset),
                           ToScript(debugInfo_->Payload() + 4 * offset),
                           ToScript(sourceNameTexts_[LoadU16(sources.Payload() + 2 * i)].get())};
    };
    if (virtualMethods_.fromLibrary) {
        for (uint32_t i = 0; i < virtualMethods_.Count(); ++i) {
            uint32_t* slot = virtualMethods_.Slots() + i;
            const uint32_t offset = LoadU32(slot);
            if (offset == 0) continue;
            if (debug && i < virtualRecordCount_)
                virtualRecords_[i] = record(offset, *virtualLines_, *virtualSources_, i);
            StoreU32(slot, ToScript(codeBase_ + offset));
        }
    }
    if (methods_.fromLibrary) {
        for (uint32_t i = 0; i < methods_.Count(); ++i) {
            uint32_t* slot = methods_.Slots() + i;
            const uint32_t offset = LoadU32(slot);
            if (debug && i < methodRecordCount_)
                methodRecords_[i] = record(offset, *methodLines_, *methodSources_, i);
            StoreU32(slot, ToScript(codeBase_ + offset));
        }
    }
}

void ZEMAClass::InheritVirtualMethods() {
    if (base_ == nullptr) return;
    const uint32_t count = VirtualMethodCount();
    const uint32_t baseCount = base_->VirtualMethodCount();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t* slot = virtualMethods_.Slots() + i;
        if (LoadU32(slot) != 0) continue;
        // Numbers beyond the base's table stay empty, owned by this class.
        const uint32_t inherited = i < baseCount ? base_->VirtualMethodSlot(i) : 0;
        ZEMAClass* owner = this;
        if (inherited != 0 && i < base_->owners_.size() && base_->owners_[i] != nullptr)
            owner = base_->owners_[i];
        StoreU32(slot, inherited);
        if (i < owners_.size()) owners_[i] = inherited != 0 ? owner : this;
        if (virtualRecords_ != nullptr && i < virtualRecordCount_) {
            DebugRecord r{0, 0, 0, 0};
            if (base_->virtualRecords_ != nullptr && i < base_->virtualRecordCount_) {
                const DebugRecord& b = base_->virtualRecords_[i];
                r = {b.line, inherited, b.sourceName != 0 ? b.debugInfo : 0, b.sourceName};
            }
            virtualRecords_[i] = r;
        }
    }
}

void ZEMAClass::NotifyLoaded() {
    if (processor_ != nullptr && VirtualMethodSlot(kLoadedVirtualMethod) != 0) {
        processor_->CallVirtual(this, kLoadedVirtualMethod);
    }
}
