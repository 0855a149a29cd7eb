// How scripts name host objects. A script value for an object is the address of a small header in
// the script address space: {magic, kind, handle}. The object itself lives on the host heap; a
// host-side table maps the handle to it and records the header's address, family and kind. A value
// names an object only when the table entry its header points at is live, of the expected family
// and kind, and records exactly that address: a header a script forges, copies or overwrites, and
// the header of a deleted object, never pass.
#pragma once

#include <cstdint>

constexpr uint32_t kScriptObjectMagic = 0x4F42445Au;  // "ZDBO"

// What C++ type stands behind a handle, so that a value is never taken as an object of another type.
enum class HandleFamily : uint32_t {
    kScriptObject = 1,  // ScriptObject and everything derived from it
    kFrame = 2,         // a picture frame
    kArchive = 3,       // an open archive
};

// Owns one header and its table entry for the life of the host object that holds it.
class ScriptHandle {
  public:
    // Allocates the header in the script address space and registers owner (std::bad_alloc when
    // the table or the region is full).
    ScriptHandle(HandleFamily family, uint32_t kind, void* owner);
    ~ScriptHandle();
    ScriptHandle(const ScriptHandle&) = delete;
    ScriptHandle& operator=(const ScriptHandle&) = delete;

    // The value scripts hold for the owner.
    uint32_t Address() const { return address_; }
    // The kind as registered (the header's copy is only informative: scripts may overwrite it).
    uint32_t Kind() const { return kind_; }
    void SetKind(uint32_t kind);
    // Takes the owner out of the table before its end: from then on no script value names it. The
    // header stays allocated until the owner goes, so its address is not handed to another.
    void Revoke();
    bool Revoked() const { return revoked_; }

  private:
    uint32_t address_;
    uint32_t handle_;
    uint32_t kind_;
    bool revoked_ = false;
};

// The owner a script value names, or null when it names no live object of that family; kind 0
// accepts every kind of the family.
void* FindScriptHandle(uint32_t address, HandleFamily family, uint32_t kind);
// The registration number of the handle living at address, 0 when none does. Every registration
// gets a new one, so a holder that keeps an address together with its number tells the object it
// meant from a later one whose header was given the same address.
uint64_t ScriptHandleSerial(uint32_t address);
// The same, only while the handle living there is the registration with that number.
void* FindScriptHandle(uint32_t address, HandleFamily family, uint32_t kind, uint64_t serial);
// The same as FindScriptHandle, throwing FatalExep "Null object where <what> expected" or "Not a valid object
// at 0x<address> where <what> expected".
void* CheckScriptHandle(uint32_t address, HandleFamily family, uint32_t kind, const char* what);
// Number of live handles (for tests of object lifetimes).
uint32_t LiveScriptHandleCount();
