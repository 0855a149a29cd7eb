// The table of all classes by name. Native descriptors are registered into it at start-up; script
// classes are loaded from their class libraries the first time anything asks for them, together
// with every class they use. It is itself a class descriptor, registered as "ClassManager".
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/named_cache.h"
#include "script/zema_class.h"

class ClassManager;

// The class cache: keyed by class name, libraries named by the class name with "glc" added.
class ClassList : public NamedCache<ZEMAClass> {
  public:
    ClassList(ClassManager& manager, unsigned bucketCount, FD::File* archive);
    String EntryName(const String& name) const override;
    ZEMAClass* Load(BlockReader& reader, const String& name) override;

  private:
    ClassManager& manager_;
};

class ClassManager : public ZEMAClass {
  public:
    // Registers a plain ZEMAClass descriptor and itself.
    ClassManager(MethodRunner* processor, unsigned bucketCount, FD::File* archive);
    ~ClassManager() override;

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;
    // Also refused while any class of its table has objects: they would name a class that is gone.
    void CheckMayBeDestroyed() const override;

    // Enters a native descriptor (under its ClassName) and binds its natives; with useLibrary, a
    // class library of that name (or its substitute) is read into it first. On an error nothing is
    // entered and the caller keeps the descriptor.
    ZEMAClass* Register(ZEMAClass* descriptor, bool useLibrary);
    ZEMAClass* AddClass(ZEMAClass* descriptor, const String& libraryName);
    // Table lookup only: FatalExep "Class <name> not found in FindClass method".
    ZEMAClass* FindClass(const String& name);
    // Find or load, following substitutions.
    ZEMAClass* Get(const String& name);
    // The cache's loader: reads, links and resolves one class library.
    ZEMAClass* LoadClass(BlockReader& reader, const String& name);
    void LoadSubstitutions(const String& entryName);
    // Takes every class entered after the first mark out of the table (a scene reset). The objects of
    // those classes that are still alive are destroyed (their destructor methods still run on their
    // classes) and the classes make none afterwards; then each class is retired (RetireObject): no
    // lookup finds it again and its memory goes when no native frame can still hold it. A class
    // entered again meanwhile, by a destructor that asked for it, stays. The first error of a
    // destruction passes on once every class went.
    void UnloadTo(uint32_t mark);
    // Leaves a class in the table but stops the table deleting it (for owners that delete it
    // themselves); gives the class or null.
    ZEMAClass* DetachClass(const String& name);

    ClassList& Classes() { return classes_; }
    FD::File* Archive() const { return classes_.Archive(); }
    // Classes taken out of the table because their load failed; kept until the manager goes,
    // since the classes of one load refer to each other.
    size_t FailedClassCount() const { return failed_.size(); }

    static constexpr uint32_t kMaxLoadDepth = 1000;

  private:
    void RollBackLoad();
    void CompleteLoad();

    ClassList classes_;
    std::vector<ZEMAClass*> failed_;
    // The load in progress: nesting depth, table size before it, classes made (by name) and
    // classes read completely, in the order their loads finished.
    uint32_t loadDepth_ = 0;
    uint32_t loadStartCount_ = 0;
    std::vector<std::pair<String, ZEMAClass*>> created_;
    std::vector<ZEMAClass*> finished_;
};
