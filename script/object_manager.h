// The table of the engine's well-known objects under numeric object IDs, and an object list with a
// cursor that scripts use through its natives. The processor's main ObjectManager holds itself as
// object 0 and the ClassManager as object 1; scripts create secondary ones as object lists. It is a
// class descriptor, registered as "ObjectManager". It owns what it holds: objects it lets go of
// are destroyed the way scripts expect (DestroyObject).
#pragma once

#include <cstdint>

#include "foundation/list.h"
#include "foundation/segmented_array.h"
#include "script/zema_class.h"

class ObjectManager : public ZEMAClass {
  public:
    // IDs from here on are refused: the table never grows to them.
    static constexpr uint32_t kMaxObjectId = kSegmentedArrayMaxElements;

    // A main manager (secondary 0) stores itself under ID 0.
    ObjectManager(MethodRunner* processor, uint32_t secondary);
    ~ObjectManager() override;

    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override;

    // The object under id, or null; reading a free ID may make the page that would hold it. IDs
    // from kMaxObjectId on answer null without making anything.
    ScriptObject* GetObject(uint32_t id);
    // The object list under id, or null when the ID holds nothing or something else.
    ObjectManager* ListAt(uint32_t id) { return dynamic_cast<ObjectManager*>(GetObject(id)); }
    // Stores object under id, destroying what the slot held unless it is that same object.
    // FatalExep for an ID from kMaxObjectId on.
    ScriptObject* SetObject(ScriptObject* object, uint32_t id);
    // Clears every ID that holds the object without destroying it (it is being destroyed elsewhere).
    void Forget(const ScriptObject* object);
    // The same for every ObjectManager there is, in its table and its object list: a script
    // deleting an object must leave no manager holding it.
    static void ForgetEverywhere(const ScriptObject* object);
    // Appends to the object list, which destroys the object when it lets it go.
    void AppendObject(ScriptObject* object);
    // The processor, its managers, registered class descriptors and what engine caches keep:
    // scripts may hand these around but never destroy them.
    bool BelongsToEngine(const ScriptObject* object) const;
    // Object 15 of the processor's main manager.
    ScriptObject* GetObject15() const;

    uint32_t StoredCount() const { return table_.Count(); }
    uint32_t EndIndex() const { return table_.End(); }
    uint32_t DirectorySize() const { return table_.DirectorySize(); }
    uint32_t Secondary() const { return secondary_; }
    List<ScriptObject>& ObjectList() { return list_; }

    // The list operations behind the natives.
    void Seek(uint32_t index);
    // Unlinks the cursor's node; destroys its item unless detach.
    void RemoveCurrent(bool detach);
    void ClearList();

    // The ObjectManager bindings, for the flight's subclass.
    static void BindObjectManagerMethods(ZEMAClass& target);

  private:
    // The main manager's first steps of destruction: sub-managers go first, registered class
    // descriptors are left to the ClassManager, and neither this manager nor the ClassManager is
    // deleted here.
    void ReleaseMainObjects();
    void ClearTable();
    // Stores into the table keeping the holds of both objects right; gives what the slot held.
    ScriptObject* Store(uint32_t id, ScriptObject* object);
    // An object the table or list no longer holds: destroyed unless it belongs to the engine.
    void LetGo(ScriptObject* object);
    // Empties the object list and destroys what it held; refused objects (classes something
    // depends on) are an error when refusalsPassOn, else left to their other holders.
    void LetGoOfList(bool refusalsPassOn);

  protected:
    // The table and the list let go of what they hold (the main manager: sub-managers first).
    void ReleaseOwned() override;

  private:
    List<ScriptObject> list_;
    SegmentedArray<ScriptObject> table_;
    uint32_t secondary_;
};
