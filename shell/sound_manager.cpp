#include "shell/sound_manager.h"

#include <cstring>
#include <memory>
#include <set>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/native_args.h"

namespace {

SoundManager& ManagerOf(ScriptObject* receiver) {
    auto* manager = dynamic_cast<SoundManager*>(receiver);
    if (manager == nullptr) throw FatalExep(String("SoundManager expected as receiver"));
    return *manager;
}

// Method 4: pops a sound file name; pushes the cached record, or null when there is no such file.
void GetSoundHandler(ScriptObject* receiver) {
    SoundManager& manager = ManagerOf(receiver);
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const String name = args.TextCopy();
    SoundRecord* record = manager.Sounds().Get(name);
    stack.Push(record != nullptr ? record->Address() : 0);
}

// Method 5: pops a list file name; reads it into the substitutions.
void LoadSubstitutionsHandler(ScriptObject* receiver) {
    SoundManager& manager = ManagerOf(receiver);
    manager.Sounds().LoadSubstitutions(NativeArgs(receiver).TextCopy());
}

const String& ManagerName() {
    static const String* name = new String("SoundManager");
    return *name;
}

}  // namespace

void BindSoundManagerMethods(ZEMAClass& target) {
    target.SetMethod(GetSoundHandler, 4);
    target.SetMethod(LoadSubstitutionsHandler, 5);
}

SoundCache::SoundCache(SoundManager& owner, unsigned bucketCount, FD::File* archive)
    : NamedCache<SoundRecord>(bucketCount, false, archive, false), owner_(owner) {}

SoundRecord* SoundCache::Load(BlockReader& reader, const String&) {
    SoundRecord* record = owner_.LoadSound(reader);
    // The cache hands the same record out again: a script must not delete it.
    if (record != nullptr) record->KeepForEngine();
    return record;
}

SoundManager::SoundManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive)
    : ZEMAClass(processor), sounds_(*this, bucketCount, archive) {}

SoundManager::~SoundManager() {
    // Aliases share records: each is freed once.
    std::set<SoundRecord*> records;
    for (SoundRecord* r = sounds_.First(); r != nullptr; r = sounds_.Next()) records.insert(r);
    for (SoundRecord* r : records) delete r;
}

bool SoundManager::IsKindOf(const char* name) const {
    return std::strcmp(name, "SoundManager") == 0 || std::strcmp(name, "ZEMAClass") == 0;
}

void SoundManager::RegisterMethods(ZEMAClass& target) {
    BindZEMAClassMethods(target);
    BindSoundManagerMethods(target);
}

void SoundManager::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(6, 2);
}

const String& SoundManager::ClassName() const {
    return ManagerName();
}

SoundRecord* SoundManager::NewSoundRecord() {
    return new SoundRecord;
}

SoundRecord* SoundManager::LoadSound(BlockReader& reader) {
    std::unique_ptr<SoundRecord> record(NewSoundRecord());
    record->ReadData(reader);
    return record.release();
}
