// The script object: a class pointer and an owned array of 32-bit field values. The object lives on
// the host heap; scripts name it by the address of its handle's header, and its field values live in
// the script address space, where scripts read and write them by address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "foundation/script_handle.h"
#include "foundation/script_memory.h"
#include "script/script_fields.h"

class MethodRunner;
class ZEMAClass;

// Header kinds of the objects this library makes; other subsystems number their own from 16.
constexpr uint32_t kScriptObjectKind = 1;
constexpr uint32_t kClassDescriptorKind = 2;

class ScriptObject {
  public:
    // Field values are not initialised beyond the zero fill of the allocation.
    explicit ScriptObject(ZEMAClass* cls);
    ScriptObject(const ScriptObject& other);
    ScriptObject& operator=(const ScriptObject& other);
    // Frees the field values only: script destructor methods run in DestroyObject, before this.
    virtual ~ScriptObject();

    // A plain ScriptObject of the same class with a copy of the field values; null when memory runs out.
    virtual ScriptObject* Clone() const;

    ZEMAClass* Class() const { return class_; }
    uint32_t* Fields() { return fields_.Data(); }
    const uint32_t* Fields() const { return fields_.Data(); }
    uint32_t FieldCount() const { return fields_.Count(); }
    // Field by number; FatalExep naming the class for a number beyond the object's fields.
    uint32_t& Field(uint32_t number);
    uint32_t Kind() const { return handle_.Kind(); }

    // The value scripts hold for this object.
    uint32_t Address() const { return handle_.Address(); }
    // The object at a script value, checked to be a live object (and of the kind, when not 0).
    static ScriptObject* FromAddress(uint32_t address, uint32_t kind, const char* what);

    // Runs the object's script destructor steps (see DestroyObject) without freeing anything.
    void RunDestructorMethods();

    // Marks an object that an engine cache keeps and hands out for the rest of its life: a script
    // may not delete it.
    void KeepForEngine() { keptByEngine_ = true; }
    bool KeptByEngine() const { return keptByEngine_; }

    // How many ObjectManager tables and lists hold the object; one destroyed while held is first
    // taken out of all of them, so that none keeps it.
    uint32_t ManagerHolds() const { return managerHolds_; }
    void AddManagerHold() { ++managerHolds_; }
    void DropManagerHold() { managerHolds_ -= managerHolds_ > 0 ? 1 : 0; }
    void ClearManagerHolds() { managerHolds_ = 0; }
    // Set by DestroyObject for the rest of the object's life: its destruction has begun (its
    // destructor methods run, or it is gone and only its memory waits, see object_lifetime.h).
    bool BeingDestroyed() const { return beingDestroyed_; }
    // Not destroyed, nor being destroyed: what native code asks of an object it held across a
    // script call before it goes on with it.
    bool Alive() const { return !beingDestroyed_; }
    // FatalExep "Not a valid object at 0x<address> where <what> expected" unless Alive().
    void CheckAlive(const char* what) const;
    // Its destruction is complete and only its memory waits: no method may run on it any more.
    bool Destroyed() const { return destroyed_; }
    // When the object was made, against the other objects (object_lifetime.h).
    uint64_t Birth() const { return birth_; }
    // FatalExep when the object may not be destroyed now (DestroyObject asks before anything is
    // done); descriptors refuse while something depends on them.
    virtual void CheckMayBeDestroyed() const {}

  protected:
    // Lets go of what the object owns: the script objects it destroys with it, its entries in engine
    // structures. DestroyObject calls it once, after the destructor methods and while the object's
    // handle still lives; its errors pass on (the first once the destruction is complete, see
    // CleanupSteps). An override ends with its base's ReleaseOwned. Nothing here may be left to the
    // C++ destructor, which runs only when the memory goes, maybe much later.
    virtual void ReleaseOwned() {}
    // The parts that scripts name by handles of their own (a picture's frames and sub-images, a
    // font's variants): a retired object takes them out of use with itself (RetireObject). An
    // override calls RetirePart for each part that is an object and revokes the others' handles.
    virtual void RetireParts() {}
    static void RetirePart(ScriptObject* part);
    // For the destructor of a class with ReleaseOwned whose objects the engine may also delete
    // directly, without DestroyObject: does what ReleaseOwned does unless it was done, logging
    // errors.
    void ReleaseOwnedQuietly() noexcept;

    // For descriptors, whose class is themselves: no fields, class set by the derived constructor.
    struct SelfClass {};
    ScriptObject(SelfClass, uint32_t kind);
    void SetSelfClass(ZEMAClass* self) { class_ = self; }
    void SetKind(uint32_t kind) { handle_.SetKind(kind); }

  private:
    // Every object is on the list of the objects of its class (descriptors, whose class is
    // themselves, are not), so that a class that goes can hand its objects to the unloaded class.
    void JoinClass();
    void LeaveClass();
    // What a destruction and a retirement share: out of every object table and list, no longer
    // alive, owned parts let go of by the caller.
    void BeginDestruction();
    // What a retirement does without its memory: see RetireObject.
    void TakeOutOfUse();

    ScriptHandle handle_;
    ZEMAClass* class_;
    ScriptFields fields_;
    bool keptByEngine_ = false;
    uint32_t managerHolds_ = 0;
    bool beingDestroyed_ = false;
    bool destroyed_ = false;
    bool ownedReleased_ = false;
    uint64_t birth_;
    ScriptObject* previousOfClass_ = nullptr;
    ScriptObject* nextOfClass_ = nullptr;

    friend class ZEMAClass;
    friend void DestroyObject(ScriptObject* object);
    friend void RetireObject(ScriptObject* object);
};

// Destroys an object the way scripts expect: CheckMayBeDestroyed may refuse it (nothing is done
// then); it is taken out of every object table and list that holds it; then, when it has a class
// other than itself and that class has a processor, method 1 of each class from its own up the base
// chain runs on it (classes without a method 1 are skipped), then its virtual method 0; then it
// lets go of what it owns (ReleaseOwned) and its handle dies: no script value or WeakObject finds
// it again. Its memory goes when no native frame can still hold it (object_lifetime.h). When a
// destructor method fails, the rest of the destruction still happens and the first error is passed
// on at the end (CleanupSteps). An object whose destruction is under way already (a destructor
// method deleting its own object, or the list that is destroying it) is refused with FatalExep.
void DestroyObject(ScriptObject* object);
// DestroyObject where no error may leave (destructors, unique_ptr deleters, clean-up inside a catch
// block or while another error unwinds): an error, or a refusal, is logged and goes no further, and
// the processor is put back where it stood. Null, and an object whose destruction has begun, are
// left alone.
void DiscardObject(ScriptObject* object) noexcept;
// The unique_ptr deleter of objects made on the way to somewhere that may yet fail: they are
// discarded (DiscardObject).
struct ObjectDiscarder {
    void operator()(ScriptObject* object) const noexcept { DiscardObject(object); }
};
// Takes an object that an engine table gives up (fonts, pictures and sounds a scene reset unloads,
// class descriptors an unload takes out of the class table) out of use as a destruction would,
// without running script code: every object table and list lets go of it, its handle and those of
// its parts die (no script value, WeakObject or cache finds any of them again) and it no longer
// counts as alive. Its memory goes when no native frame can still hold it (object_lifetime.h), so
// whoever keeps one longer than a scene keeps it as a WeakObject or asks its cache again. Null, and
// an object whose destruction has begun, are left alone.
void RetireObject(ScriptObject* object);
// FatalExep naming the object unless it is still to be destroyed.
void CheckNotBeingDestroyed(const ScriptObject* object);
// Hands a newly made object to the script through the runner (data and object stacks); when that
// fails the object is deleted and the error passed on.
void PushNewObject(MethodRunner& runner, std::unique_ptr<ScriptObject> object);
