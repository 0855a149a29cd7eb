#include "script/object_manager.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/exceptions.h"
#include "script/class_manager.h"
#include "script/cleanup_steps.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/processor.h"
#include "script/weak_object.h"

namespace {

// Every ObjectManager there is. Kept for the life of the process: managers may outlive the
// ordinary destruction of statics.
std::vector<ObjectManager*>& LiveManagers() {
    static auto* managers = new std::vector<ObjectManager*>;
    return *managers;
}

std::mutex& LiveManagersMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

ObjectManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<ObjectManager*>(receiver);
    if (manager == nullptr) throw FatalExep(String("ObjectManager expected as receiver"));
    return *manager;
}

uint32_t AddressOf(const ScriptObject* object) {
    return object != nullptr ? object->Address() : 0;
}

void Push(ScriptObject* receiver, const ScriptObject* item) {
    RunnerOf(receiver).DataStack().Push(AddressOf(item));
}

// Method 0: pops a class (not used); pushes a new secondary manager.
void CreateHandler(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    NativeArgs(runner).Word();  // the class
    PushNewObject(runner, std::make_unique<ObjectManager>(receiver->Class()->GetProcessor(), 1));
}

void AddHandler(ScriptObject* receiver) {
    ObjectManager& manager = ManagerOf(receiver);
    manager.AppendObject(NativeArgs(receiver).ObjectOrNull(0, "object"));
}

void FirstHandler(ScriptObject* receiver) {
    Push(receiver, ManagerOf(receiver).ObjectList().First());
}

void SeekHandler(ScriptObject* receiver) {
    ObjectManager& manager = ManagerOf(receiver);
    manager.Seek(NativeArgs(receiver).Word());
}

void NextHandler(ScriptObject* receiver) {
    Push(receiver, ManagerOf(receiver).ObjectList().Next());
}

void PreviousHandler(ScriptObject* receiver) {
    Push(receiver, ManagerOf(receiver).ObjectList().Prev());
}

void CurrentHandler(ScriptObject* receiver) {
    Push(receiver, ManagerOf(receiver).ObjectList().Current());
}

void IndexHandler(ScriptObject* receiver) {
    RunnerOf(receiver).DataStack().Push(ManagerOf(receiver).ObjectList().Index());
}

void RemoveHandler(ScriptObject* receiver) {
    ManagerOf(receiver).RemoveCurrent(false);
}

void CountHandler(ScriptObject* receiver) {
    RunnerOf(receiver).DataStack().Push(ManagerOf(receiver).ObjectList().Count());
}

void ClearHandler(ScriptObject* receiver) {
    ManagerOf(receiver).ClearList();
}

void LastHandler(ScriptObject* receiver) {
    Push(receiver, ManagerOf(receiver).ObjectList().Last());
}

void DetachHandler(ScriptObject* receiver) {
    ManagerOf(receiver).RemoveCurrent(true);
}

const String& ManagerName() {
    static const String* name = new String("ObjectManager");
    return *name;
}

// An object DestroyObject would refuse (a class something depends on): asked before a table or
// list lets go of it, so that the other holders keep it.
bool Refused(const ScriptObject* object) {
    try {
        object->CheckMayBeDestroyed();
        return false;
    } catch (const DExep&) {
        return true;
    }
}

}  // namespace

ObjectManager::ObjectManager(MethodRunner* processor, uint32_t secondary)
    : ZEMAClass(processor), list_(false), table_(10, 10, false), secondary_(secondary) {
    if (secondary_ == 0) Store(0, this);
    std::lock_guard lock(LiveManagersMutex());
    LiveManagers().push_back(this);
}

ObjectManager::~ObjectManager() {
    // The main manager, and one a script never destroyed, are deleted directly.
    ReleaseOwnedQuietly();
    std::lock_guard lock(LiveManagersMutex());
    std::vector<ObjectManager*>& live = LiveManagers();
    live.erase(std::find(live.begin(), live.end(), this));
}

void ObjectManager::ReleaseOwned() {
    CleanupSteps steps(this);
    if (secondary_ == 0) steps.Run([this] { ReleaseMainObjects(); });
    steps.Run([this] { ClearTable(); });
    steps.Run([this] { LetGoOfList(false); });
    steps.Finish();
    ZEMAClass::ReleaseOwned();
}

bool ObjectManager::IsKindOf(const char* name) const {
    return std::strcmp(name, "ObjectManager") == 0 || std::strcmp(name, "ZEMAClass") == 0;
}

void ObjectManager::RegisterMethods(ZEMAClass& target) {
    BindObjectManagerMethods(target);
}

void ObjectManager::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(16, 2);
}

const String& ObjectManager::ClassName() const {
    return ManagerName();
}

void ObjectManager::BindObjectManagerMethods(ZEMAClass& target) {
    target.SetMethod(AddHandler, 4);
    target.SetMethod(FirstHandler, 5);
    target.SetMethod(SeekHandler, 6);
    target.SetMethod(NextHandler, 7);
    target.SetMethod(PreviousHandler, 8);
    target.SetMethod(CurrentHandler, 9);
    target.SetMethod(IndexHandler, 10);
    target.SetMethod(RemoveHandler, 11);
    target.SetMethod(DetachHandler, 15);
    BindZEMAClassMethods(target);
    target.SetMethod(CreateHandler, kCreateObjectMethod);
    target.SetMethod(CountHandler, 12);
    target.SetMethod(ClearHandler, 13);
    target.SetMethod(LastHandler, 14);
}

ScriptObject* ObjectManager::GetObject(uint32_t id) {
    if (id >= kMaxObjectId) return nullptr;
    return *table_.At(id);
}

ScriptObject* ObjectManager::SetObject(ScriptObject* object, uint32_t id) {
    if (id >= kMaxObjectId) {
        ThrowFatal("Object ID %u is out of range", id);
    }
    // What is going, or a table that is, keeps nothing.
    if (object != nullptr) CheckNotBeingDestroyed(object);
    CheckAlive("object table");
    ScriptObject* old = Store(id, object);
    // Stored first, so that a destructor looking up the ID finds the new object.
    if (old != nullptr && old != object) LetGo(old);
    return object;
}

ScriptObject* ObjectManager::Store(uint32_t id, ScriptObject* object) {
    ScriptObject* old = *table_.At(id);
    table_.SetAt(object, id);
    if (object != nullptr) object->AddManagerHold();
    if (old != nullptr) old->DropManagerHold();
    return old;
}

bool ObjectManager::BelongsToEngine(const ScriptObject* object) const {
    if (object->KeptByEngine()) return true;
    // Every class any ClassManager holds is that manager's to delete.
    if (object->Class() == object && static_cast<const ZEMAClass*>(object)->HeldByClassManager()) return true;
    auto* processor = dynamic_cast<Processor*>(GetProcessor());
    if (processor == nullptr) return false;
    return object == processor || processor->IsOwnManager(object);
}

void ObjectManager::LetGo(ScriptObject* object) {
    // One whose destruction has begun is someone else's to finish.
    if (object == nullptr || !object->Alive() || BelongsToEngine(object)) return;
    object->CheckMayBeDestroyed();
    if (object->ManagerHolds() > 0) ForgetEverywhere(object);
    DestroyObject(object);
}

void ObjectManager::Forget(const ScriptObject* object) {
    const uint32_t end = table_.End();
    for (uint32_t id = 0; id < end; ++id) {
        if (object != nullptr && table_.Get(id) == object) Store(id, nullptr);
    }
}

void ObjectManager::ForgetEverywhere(const ScriptObject* object) {
    if (object == nullptr) return;
    std::lock_guard lock(LiveManagersMutex());
    for (ObjectManager* manager : LiveManagers()) {
        manager->Forget(object);
        manager->list_.Detach(object);
    }
    const_cast<ScriptObject*>(object)->ClearManagerHolds();
}

void ObjectManager::AppendObject(ScriptObject* object) {
    if (object != nullptr) CheckNotBeingDestroyed(object);
    CheckAlive("object list");
    list_.Append(object, 0);
    if (object != nullptr) object->AddManagerHold();
}

ScriptObject* ObjectManager::GetObject15() const {
    auto* processor = dynamic_cast<Processor*>(GetProcessor());
    if (processor == nullptr) throw FatalExep(String("ObjectManager has no processor"));
    return processor->Objects().GetObject(15);
}

void ObjectManager::Seek(uint32_t index) {
    const uint32_t count = list_.Count();
    if (count == 0) return;
    if (index >= count) {
        list_.Last();
        return;
    }
    // Walk from whichever of head, tail and cursor is nearest.
    enum { Head, Tail, Cursor } start = Head;
    uint32_t distance = index;
    if (count - 1 - index < distance) {
        start = Tail;
        distance = count - 1 - index;
    }
    const uint32_t at = list_.Index();
    if ((index > at ? index - at : at - index) < distance) start = Cursor;
    if (start == Head) list_.First();
    if (start == Tail) list_.Last();
    while (list_.Index() < index) list_.Next();
    while (list_.Index() > index) list_.Prev();
}

void ObjectManager::RemoveCurrent(bool detach) {
    if (list_.Count() == 0) return;
    ScriptObject* item = list_.RemoveCurrent();
    if (item != nullptr) item->DropManagerHold();
    if (!detach) LetGo(item);
}

void ObjectManager::ClearList() {
    LetGoOfList(true);
}

void ObjectManager::LetGoOfList(bool refusalsPassOn) {
    // Every node goes before any item is destroyed: what the destructor methods do to this list
    // (add to it, clear it, delete it) changes nothing of this clear, and an item listed twice
    // goes once.
    std::vector<ScriptObject*> items;
    items.reserve(list_.Count());
    while (list_.Count() > 0) {
        list_.First();
        ScriptObject* item = list_.RemoveCurrent();
        if (item == nullptr) continue;
        item->DropManagerHold();
        items.push_back(item);
    }
    CleanupSteps steps(this);
    for (ScriptObject* item : items) {
        // A refused object (a class something depends on) stays with whoever else holds it.
        if (!refusalsPassOn && item->Alive() && Refused(item)) continue;
        steps.Run([this, item] { LetGo(item); });
    }
    steps.Finish();
}

void ObjectManager::ReleaseMainObjects() {
    auto* classes = dynamic_cast<ClassManager*>(table_.Get(1));
    Store(0, nullptr);
    Store(1, nullptr);
    // A descriptor the ClassManager holds under its name is the ClassManager's to delete.
    auto registered = [classes](ScriptObject* object) {
        if (classes == nullptr || object->Class() != object) return false;
        try {
            return classes->FindClass(static_cast<ZEMAClass*>(object)->ClassName()) == object;
        } catch (...) {
            return false;
        }
    };
    // Each ID on its own: an error while testing or destroying one is logged and the walk goes on.
    CleanupSteps steps(this, CleanupSteps::FirstError::kLog);
    const uint32_t end = table_.End();
    for (uint32_t id = 0; id < end; ++id) {
        ScriptObject* object = table_.Get(id);
        if (object == nullptr) continue;
        steps.Run([&] {
            if (object->Class() != nullptr && object->Class()->InheritsFrom("ObjectManager") &&
                !registered(object) && !Refused(object)) {
                Store(id, nullptr);
                if (object->Alive()) DestroyObject(object);
            }
        });
    }
    for (uint32_t id = 0; id < end; ++id) {
        if (id == 1) continue;
        ScriptObject* object = table_.Get(id);
        if (object != nullptr && registered(object)) Store(id, nullptr);
    }
}

void ObjectManager::ClearTable() {
    // Every ID is cleared before anything is destroyed, so that the destructor methods find the
    // table empty; a class refused while objects of it live may be free to go once the others went.
    std::vector<ScriptObject*> objects;
    std::vector<ScriptObject*> refused;
    const uint32_t end = table_.End();
    for (uint32_t id = 0; id < end; ++id) {
        ScriptObject* object = table_.Get(id);
        if (object == nullptr) continue;
        Store(id, nullptr);
        // What engine caches keep is theirs to delete.
        if (object->KeptByEngine()) continue;
        (Refused(object) ? refused : objects).push_back(object);
    }
    table_.Clear();
    CleanupSteps steps(this);
    auto destroy = [&steps](ScriptObject* object) {
        // Listed twice, or destroyed by a destructor method of another: it went already.
        if (!object->Alive() || Refused(object)) return;
        steps.Run([object] { DestroyObject(object); });
    };
    for (ScriptObject* object : objects) destroy(object);
    for (ScriptObject* object : refused) {
        if (object->ManagerHolds() == 0) destroy(object);
    }
    steps.Finish();
}
