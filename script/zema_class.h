// The class descriptor: one per class that scripts can see, loaded from a class library or native.
// It is a script object whose class is itself, and the DataBlock that holds the class block of its
// library (20-byte class header: instance field count at 10, base class index at 14, class field
// count at 16). Its two numbered tables hold, per slot, 0 or the script address of a method body:
// script code (first word not 0) or a MethodEntry of a native handler.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/data_block.h"
#include "foundation/engine_string.h"
#include "script/native_handler.h"
#include "script/script_fields.h"
#include "script/script_object.h"
#include "script/weak_object.h"

class BlockReader;
class MethodRunner;

// Debug information of one method, present only with full debug information.
struct DebugRecord {
    uint32_t line;        // line value from the library
    uint32_t code;        // address of the method's first code word
    uint32_t debugInfo;   // address of the debug info word of that code word
    uint32_t sourceName;  // address of the source file name text
};
static_assert(sizeof(DebugRecord) == 16);

constexpr uint32_t kMethodEntriesPerPage = 100;

// Limits on numbers a class library gives for allocations.
constexpr uint32_t kMaxClassFields = 1u << 16;

// The fixed method numbers.
constexpr uint32_t kCreateObjectMethod = 0;
constexpr uint32_t kDestructorMethod = 1;
constexpr uint32_t kDestroyVirtualMethod = 0;
constexpr uint32_t kLoadedVirtualMethod = 1;

// The processor of a native method's receiver (receiver, its class, that class's processor);
// FatalExep when there is none.
MethodRunner& RunnerOf(ScriptObject* receiver);

class ZEMAClass : public ScriptObject, public DataBlock {
  public:
    explicit ZEMAClass(MethodRunner* processor);
    ZEMAClass(const ZEMAClass&) = delete;
    ZEMAClass& operator=(const ZEMAClass&) = delete;
    ~ZEMAClass() override;

    // Descriptor operations.
    virtual bool IsKindOf(const char* name) const;
    virtual void RegisterMethods(ZEMAClass& target);
    virtual void ReserveMethodTables(ZEMAClass& target);
    virtual const String& ClassName() const;
    // Script address of a copy of the class name, made on first use, for handing to scripts.
    uint32_t ScriptClassName();

    // The ZEMAClass bindings (virtual 0 and 1, methods 0 to 3), for derived classes' binders.
    static void BindZEMAClassMethods(ZEMAClass& target);
    // A descriptor at a script value, checked.
    static ZEMAClass* FromAddress(uint32_t address, const char* what);

    void SetName(const String& name);
    bool HasName() const { return hasName_; }

    // Table look-ups: FatalExep naming the class when the table is missing, the number is beyond
    // its count or the slot is empty.
    uint32_t GetMethod(uint32_t number) const;
    uint32_t GetVirtualMethod(uint32_t number) const;
    // The class whose code or native handler virtual slot number holds (checked as above).
    ZEMAClass* VirtualMethodOwner(uint32_t number) const;
    // Slot values without the check: 0 for a missing table, a number beyond it or an empty slot.
    uint32_t MethodSlot(uint32_t number) const;
    uint32_t VirtualMethodSlot(uint32_t number) const;
    uint32_t MethodCount() const;
    uint32_t VirtualMethodCount() const;

    // Binds a native handler to a method number (low 16 bits); SetVirtualMethod only fills an empty
    // slot. A number outside the table: "Not enougth room for [virtual ]methods in class " + name.
    void SetMethod(NativeHandler handler, uint32_t number);
    void SetVirtualMethod(NativeHandler handler, uint32_t number);
    // Creates the tables that do not exist yet (8 bytes a slot, all empty, owners = this class).
    void ReserveMethods(uint16_t methodCount, uint16_t virtualMethodCount);
    // Native method entries made so far, and their pages in script memory.
    uint32_t MethodEntryCount() const { return entryCount_; }
    uint32_t MethodEntryPageAddress(uint32_t page) const { return ToScript(entryPages_.at(page).get()); }

    // Own name, the script base chain's names, then the native class's IsKindOf.
    bool InheritsFrom(const char* name) const;

    // Address of the debug record of a number, or 0 without debug information or for a number
    // beyond the table.
    uint32_t MethodDebugRecord(uint32_t number) const;
    uint32_t VirtualMethodDebugRecord(uint32_t number) const;
    bool HasDebugInfo() const { return debugInfo_ != nullptr; }
    const std::vector<String>& SourceNames() const { return sourceNames_; }

    // Class header fields.
    uint32_t InstanceFieldCount() const;
    uint16_t BaseClassIndex() const;
    uint32_t ClassFieldCount() const;
    uint32_t* ClassFields() { return classFields_.Data(); }
    // Class field by number, checked like the tables.
    uint32_t& ClassField(uint32_t number);

    // Code of a loaded class: address and length in words (0 without code).
    uint32_t CodeAddress() const { return ToScript(codeBase_); }
    uint32_t CodeWordCount() const;

    ZEMAClass* BaseClass() const { return base_; }
    ZEMAClass* NativeClass() const { return nativeClass_; }
    MethodRunner* GetProcessor() const { return processor_; }
    void SetProcessor(MethodRunner* processor) { processor_ = processor; }

    // The uses table: entry 0 is the class itself; entries are class numbers of call words.
    ZEMAClass* UsedClass(uint32_t number) const;  // checked: FatalExep naming the class
    uint32_t UsedClassCount() const { return static_cast<uint32_t>(uses_.size()); }

    // Loading. Before the class block is read the loader hands over its list of names, which GLCU
    // chunks fill; after the read the loader resolves names 1 and up with SetUse and SetBase.
    void SetUsesList(std::vector<String>* names) { names_ = names; }
    void SetUse(uint32_t index, ZEMAClass* cls);
    // Sets the base and takes its native class; FatalExep when the base chain would loop.
    void SetBase(ZEMAClass* base);
    // Takes the native class of the base again (after the base has finished loading).
    void TakeNativeClassOfBase();
    // Reads the class block from the reader and validates it; errors name the reader's file.
    void ReadLibrary(BlockReader& reader);
    const String& LibraryName() const { return libraryName_; }
    // Offsets to addresses (once); base virtual methods into empty virtual slots.
    void Link();
    bool Linked() const { return linked_; }
    void InheritVirtualMethods();
    // Virtual method 1 on the descriptor itself, through the processor (nothing without one).
    void NotifyLoaded();

    // Objects whose class this is (not the descriptor itself) and whose destruction has not begun.
    uint32_t InstanceCount() const;
    // Those objects, for an unload that destroys them.
    std::vector<WeakObject> LiveInstances() const;
    // The class is being taken out of its table (ClassManager::UnloadTo): from now on it makes no
    // objects, FatalExep "Class <name> is unloaded and makes no objects".
    void MarkUnloaded() { unloaded_ = true; }
    void CheckMakesObjects() const;
    // Entered in the table of a ClassManager other than itself: the class is that manager's (or the
    // engine's) to delete, never a script's.
    void MarkHeldByClassManager() { heldByClassManager_ = true; }
    bool HeldByClassManager() const { return heldByClassManager_; }
    // Refused while a ClassManager holds the descriptor or objects of the class live.
    void CheckMayBeDestroyed() const override;

    // Where the objects of a class that goes are moved: a class without processor or methods, kept
    // for the rest of the process. Moved objects lose their handle (no script value names them any
    // more); whoever owns them still destroys them, and no script method runs then.
    static ZEMAClass& UnloadedClass();
    // Cuts every descriptor that still names the processor off from it (the processor goes): their
    // objects can run no method afterwards.
    static void ForgetProcessor(const MethodRunner* processor);

    // DataBlock hooks for the class block.
    void ReadChunk(BlockReader& reader, const uint8_t* signature) override;
    void AfterRead(BlockReader& reader) override;

  private:
    struct Table {
        std::unique_ptr<DataBlock> block;
        bool fromLibrary = false;  // read from GLM/GLVM: offsets until Link
        uint32_t Count() const;
        uint32_t* Slots() const;
    };

    friend class ScriptObject;
    friend void DestroyObject(ScriptObject* object);
    void AddInstance(ScriptObject* object);
    void RemoveInstance(ScriptObject* object);
    // Marks an object of the class as being destroyed: it stays among the objects of the class until
    // its memory goes, but no longer counts.
    void InstanceDestroyed(ScriptObject* object);
    void HandInstancesToUnloadedClass();

    [[noreturn]] void LibraryError(const char* what) const;
    [[noreturn]] void MethodError(const char* kind, uint32_t number) const;
    uint32_t* BindSlot(Table& table, uint32_t number, const char* kind);
    uint32_t NewMethodEntry(NativeHandler handler);
    static void ReserveTable(Table& table, uint16_t count);
    void ValidateTable(const Table& table, bool virtualTable);
    // Checks the debug chunks; false when they cannot be used.
    bool DebugInfoUsable() const;
    void DropDebugInfo();
    void FreeDebugRecords();

    bool hasName_ = false;
    String name_;
    String libraryName_;
    ZEMAClass* base_ = nullptr;
    ZEMAClass* nativeClass_;
    Table methods_;
    std::unique_ptr<DataBlock> code_;
    uint32_t* codeBase_ = nullptr;
    Table virtualMethods_;
    std::vector<ZEMAClass*> owners_;
    std::vector<ZEMAClass*> uses_;
    std::vector<String>* names_ = nullptr;
    // Pages of kMethodEntriesPerPage native method entries in script memory; entries are handed
    // out in order and the count is kept here, out of scripts' reach.
    std::vector<ScriptBuffer<MethodEntry>> entryPages_;
    uint32_t entryCount_ = 0;
    ScriptBuffer<char> nameText_;
    std::unique_ptr<DataBlock> debugInfo_;  // GLDI
    bool hasSourceNames_ = false;           // GLSI taken
    bool sourceNamesTerminated_ = true;
    std::vector<String> sourceNames_;
    std::vector<ScriptBuffer<char>> sourceNameTexts_;  // what debug records point at
    DebugRecord* methodRecords_ = nullptr;
    uint32_t methodRecordCount_ = 0;
    DebugRecord* virtualRecords_ = nullptr;
    uint32_t virtualRecordCount_ = 0;
    std::unique_ptr<DataBlock> methodSources_;   // GLMF
    std::unique_ptr<DataBlock> virtualSources_;  // GLVF
    std::unique_ptr<DataBlock> methodLines_;     // GLML
    std::unique_ptr<DataBlock> virtualLines_;    // GLVL
    MethodRunner* processor_;
    ScriptFields classFields_;
    bool linked_ = false;
    bool heldByClassManager_ = false;
    bool unloaded_ = false;
    // The objects of the class, linked through the objects, and how many of them are not being
    // destroyed; and every descriptor there is, for ForgetProcessor. All under one process-wide lock.
    ScriptObject* firstInstance_ = nullptr;
    uint32_t instanceCount_ = 0;
    ZEMAClass* previousDescriptor_ = nullptr;
    ZEMAClass* nextDescriptor_ = nullptr;
};
