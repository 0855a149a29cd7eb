// A reference to a script object that does not keep it alive. It holds the object's script value
// together with the registration number of its handle: once the object is gone its header's address
// may be handed to a later object, and the number tells the two apart. Everything that keeps another
// object it does not own (a parent control, an opener, a missile's target, a window's controls)
// holds it through one of these and asks for the object at each use.
#pragma once

#include <cstdint>

class ScriptObject;

class WeakObject {
  public:
    WeakObject() = default;
    // Refers to the object (none for null).
    explicit WeakObject(const ScriptObject* object);
    // Refers to whatever object lives at a script value now (none when nothing does, or with a kind
    // other than 0, when no object of that kind does).
    static WeakObject AtAddress(uint32_t address, uint32_t kind = 0);

    // The object while it lives, else null; with a kind other than 0, only an object of that kind.
    ScriptObject* Get(uint32_t kind = 0) const;
    // The same, cast to a C++ type: null when the object is gone or of another type.
    template <class T>
    T* As() const {
        return dynamic_cast<T*>(Get());
    }
    // The object while it lives (of the kind, unless 0); FatalExep "Null object where <what>
    // expected" for an empty reference, "Not a valid object at 0x<address> where <what> expected"
    // once the object is gone.
    ScriptObject* Check(uint32_t kind, const char* what) const;
    // For a reference kept beside a field that scripts may write: this reference while the field
    // still holds the address it was made with (so a later object there is not taken for the old
    // one), else one to whatever lives at the field's new value.
    WeakObject Follow(uint32_t value) const;
    // The script value it was made with (0 for none), whether or not the object still lives.
    uint32_t Address() const { return address_; }
    bool Empty() const { return address_ == 0; }
    void Reset() { *this = WeakObject(); }

    bool operator==(const WeakObject&) const = default;

  private:
    uint32_t address_ = 0;
    uint64_t serial_ = 0;
};

// For a field that scripts may write, kept with a reference to what native code put there: none for
// 0; while the field still holds that address, the object it was given (none once gone, as when a
// scene reset took it); else whatever the script wrote, checked by T::FromAddress.
template <class T>
T* ObjectBesideField(uint32_t value, const WeakObject& given, uint32_t kind) {
    if (value == 0) return nullptr;
    if (value == given.Address()) return static_cast<T*>(given.Get(kind));
    return T::FromAddress(value);
}
