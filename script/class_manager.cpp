#include "script/class_manager.h"

#include <cstring>
#include <memory>
#include <set>

#include "foundation/block_reader.h"
#include "foundation/exceptions.h"
#include "foundation/fd_file.h"
#include "script/cleanup_steps.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_lifetime.h"

namespace {

constexpr uint32_t kMaxBuckets = 1u << 16;

ClassManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<ClassManager*>(receiver);
    if (manager == nullptr) throw FatalExep(String("ClassManager expected as receiver"));
    return *manager;
}

// Method 0: pops a class (not used), the archive and the bucket count; pushes a new manager.
void CreateManagerHandler(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs args(runner);
    args.Word();  // the class, which is not used
    const uint32_t archive = args.Word();
    const uint32_t buckets = args.Word();
    // Only the archive the engine already reads from can be named; anything else is no archive.
    auto* known = dynamic_cast<ClassManager*>(receiver->Class());
    FD::File* file = nullptr;
    if (archive != 0) {
        if (known == nullptr || FD::File::FromAddress(archive) != known->Archive()) {
            throw FatalExep(String("Unknown archive given to ClassManager"));
        }
        file = known->Archive();
    }
    if (buckets == 0 || buckets > kMaxBuckets) throw FatalExep(String("Bad bucket count for ClassManager"));
    PushNewObject(runner, std::make_unique<ClassManager>(receiver->Class()->GetProcessor(), buckets, file));
}

// Method 4: pops a class name; finds or loads the class.
void LoadClassHandler(ScriptObject* receiver) {
    ClassManager& manager = ManagerOf(receiver);
    manager.Get(NativeArgs(receiver).TextCopy());
}

// Method 5: pops an entry name; reads it as a substitution list.
void LoadSubstitutionsHandler(ScriptObject* receiver) {
    ClassManager& manager = ManagerOf(receiver);
    manager.LoadSubstitutions(NativeArgs(receiver).TextCopy());
}

const String& ManagerName() {
    static const String* name = new String("ClassManager");
    return *name;
}

}  // namespace

// --- ClassList ---

ClassList::ClassList(ClassManager& manager, unsigned bucketCount, FD::File* archive)
    : NamedCache<ZEMAClass>(bucketCount, true, archive, true), manager_(manager) {}

String ClassList::EntryName(const String& name) const {
    return AddDefaultExtension(name, "glc");
}

ZEMAClass* ClassList::Load(BlockReader& reader, const String& name) {
    return manager_.LoadClass(reader, name);
}

// --- ClassManager ---

ClassManager::ClassManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive)
    : ZEMAClass(processor), classes_(*this, bucketCount, archive) {
    auto root = std::make_unique<ZEMAClass>(processor);
    Register(root.get(), false);
    root.release();  // the class list holds it now
    Register(this, false);
}

ClassManager::~ClassManager() {
    // The manager is being destroyed already: its own entry must not delete it again.
    DetachClass(ManagerName());
    for (ZEMAClass* cls : failed_) delete cls;
}

bool ClassManager::IsKindOf(const char* name) const {
    return std::strcmp(name, "ClassManager") == 0 || std::strcmp(name, "ZEMAClass") == 0;
}

void ClassManager::RegisterMethods(ZEMAClass& target) {
    target.SetMethod(LoadClassHandler, 4);
    target.SetMethod(LoadSubstitutionsHandler, 5);
    BindZEMAClassMethods(target);
    target.SetMethod(CreateManagerHandler, kCreateObjectMethod);
}

void ClassManager::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(6, 2);
}

const String& ClassManager::ClassName() const {
    return ManagerName();
}

void ClassManager::CheckMayBeDestroyed() const {
    ZEMAClass::CheckMayBeDestroyed();
    auto& classes = const_cast<ClassList&>(classes_);
    for (ZEMAClass* cls = classes.First(); cls != nullptr; cls = classes.Next()) {
        if (cls != this && cls->InstanceCount() > 0)
            ThrowFatal("ClassManager still has objects of class %s and cannot be deleted",
                       cls->ClassName().Text());
    }
    for (const ZEMAClass* cls : failed_) {
        if (cls->InstanceCount() > 0)
            ThrowFatal("ClassManager still has objects of class %s and cannot be deleted",
                       cls->ClassName().Text());
    }
}

ZEMAClass* ClassManager::Register(ZEMAClass* descriptor, bool useLibrary) {
    if (!useLibrary) return AddClass(descriptor, String());
    const String name = descriptor->ClassName();
    const String* substitute = classes_.Aliases().Find(name);
    return AddClass(descriptor, substitute != nullptr ? *substitute : name);
}

ZEMAClass* ClassManager::AddClass(ZEMAClass* descriptor, const String& libraryName) {
    const String name = descriptor->ClassName();
    if (classes_.FindEntry(name) != nullptr) {
        ThrowWarn(0, 0, "Class %s is already in class manager", name.Text());
    }
    if (!libraryName.Empty()) {
        std::vector<String> names;
        {
            EntryBlockReader reader(Archive(), 1024, 1024, 128);
            reader.Open(classes_.EntryName(libraryName));
            descriptor->SetUsesList(&names);
            try {
                descriptor->ReadLibrary(reader);
            } catch (...) {
                descriptor->SetUsesList(nullptr);
                throw;
            }
            descriptor->SetUsesList(nullptr);
            reader.Close();
        }
        // Native bindings go into these tables next; they must hold addresses, not offsets.
        descriptor->Link();
        for (uint32_t i = 1; i < names.size(); ++i) {
            ZEMAClass* used = Get(names[i]);
            descriptor->SetUse(i, used);
            if (i == descriptor->BaseClassIndex()) descriptor->SetBase(used);
        }
    }
    descriptor->SetProcessor(GetProcessor());
    descriptor->ReserveMethodTables(*descriptor);
    descriptor->RegisterMethods(*descriptor);
    // Entered only when complete, so that a failure leaves the table as it was.
    classes_.FindOrAdd(name, descriptor, 1);
    if (descriptor != this) descriptor->MarkHeldByClassManager();
    return descriptor;
}

ZEMAClass* ClassManager::FindClass(const String& name) {
    HashEntry<ZEMAClass>* entry = classes_.FindEntry(name);
    if (entry == nullptr || entry->value == nullptr) {
        ThrowFatal("Class %s not found in FindClass method", name.Text());
    }
    return entry->value;
}

ZEMAClass* ClassManager::Get(const String& name) {
    return classes_.Get(name);
}

void ClassManager::UnloadTo(uint32_t mark) {
    if (classes_.Count() <= mark) return;
    // The classes stay readable while their objects' destructor methods run.
    const ReleaseHold hold;
    std::vector<ZEMAClass*> leaving;
    classes_.TruncateTo(mark, leaving);
    for (ZEMAClass* cls : leaving) cls->MarkUnloaded();
    CleanupSteps steps(this);
    for (ZEMAClass* cls : leaving) {
        for (const WeakObject& instance : cls->LiveInstances()) {
            steps.Run([&instance] {
                // An earlier destructor may have destroyed it.
                if (ScriptObject* object = instance.Get(); object != nullptr && object->Alive())
                    DestroyObject(object);
            });
        }
    }
    for (ZEMAClass* cls : leaving) RetireObject(cls);
    steps.Finish();
}

ZEMAClass* ClassManager::DetachClass(const String& name) {
    HashEntry<ZEMAClass>* entry = classes_.FindEntry(name);
    if (entry == nullptr) return nullptr;
    entry->mode = 2;
    return entry->value;
}

void ClassManager::LoadSubstitutions(const String& entryName) {
    classes_.LoadSubstitutions(entryName);
}

ZEMAClass* ClassManager::LoadClass(BlockReader& reader, const String& name) {
    const bool outermost = loadDepth_ == 0;
    if (outermost) {
        loadStartCount_ = classes_.Count();
        created_.clear();
        finished_.clear();
    }
    ++loadDepth_;
    ZEMAClass* descriptor = nullptr;
    std::vector<String> names;
    try {
        if (loadDepth_ > kMaxLoadDepth) ThrowFatal("Class %s is used too deeply nested", name.Text());
        if (classes_.FindEntry(name) != nullptr) ThrowFatal("Class %s is loaded twice", name.Text());
        descriptor = new ZEMAClass(nullptr);
        descriptor->MarkHeldByClassManager();
        // Entered before anything is read, so that a library using this class again finds it.
        created_.emplace_back(name, descriptor);
        classes_.FindOrAdd(name, descriptor, 1);
        descriptor->SetUsesList(&names);
        descriptor->ReadLibrary(reader);
        descriptor->SetUsesList(nullptr);
        // The entry stays closed while the used classes load: nested loads open their own.
        reader.Close();
        // Linked at once: a class that uses this one must never see raw offsets.
        descriptor->Link();
        for (uint32_t i = 1; i < names.size(); ++i) {
            ZEMAClass* used = Get(names[i]);
            descriptor->SetUse(i, used);
            if (i == descriptor->BaseClassIndex()) descriptor->SetBase(used);
        }
        descriptor->SetProcessor(GetProcessor());
        finished_.push_back(descriptor);
    } catch (...) {
        if (descriptor != nullptr) descriptor->SetUsesList(nullptr);
        --loadDepth_;
        if (outermost) RollBackLoad();
        throw;
    }
    --loadDepth_;
    if (outermost) CompleteLoad();
    return descriptor;
}

void ClassManager::RollBackLoad() {
    // Every class of a failed load goes out of the table: they may refer to each other and to the
    // class that failed. They are kept, not deleted, and a later request loads afresh.
    for (auto& [name, cls] : created_) {
        if (HashEntry<ZEMAClass>* entry = classes_.FindEntry(name); entry != nullptr && entry->value == cls) {
            entry->mode = 2;
        }
        failed_.push_back(cls);
    }
    classes_.TruncateTo(loadStartCount_);
    created_.clear();
    finished_.clear();
}

void ClassManager::CompleteLoad() {
    std::vector<ZEMAClass*> done;
    done.swap(finished_);
    created_.clear();
    // Inherit base first: a base loaded by this same load may have finished after its derived
    // class (the two use each other), and must have its own inherited slots before passing them on.
    std::set<ZEMAClass*> pending(done.begin(), done.end());
    std::vector<ZEMAClass*> chain;
    for (ZEMAClass* cls : done) {
        chain.clear();
        for (ZEMAClass* c = cls; c != nullptr && pending.count(c) != 0; c = c->BaseClass())
            chain.push_back(c);
        for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
            (*c)->TakeNativeClassOfBase();
            (*c)->InheritVirtualMethods();
            pending.erase(*c);
        }
    }
    // Loaded notifications in the order the loads finished, now that every class is complete.
    for (ZEMAClass* cls : done) cls->NotifyLoaded();
}
