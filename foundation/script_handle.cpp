#include "foundation/script_handle.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/script_memory.h"

namespace {

constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kPageBits = 12;
constexpr uint32_t kPageSize = 1u << kPageBits;
constexpr uint32_t kPageCount = 1u << 12;  // 16 M handles

// Fields are atomics so that a lookup on one thread never tears against a registration on another;
// on this machine relaxed loads cost what plain loads do.
struct Entry {
    std::atomic<void*> owner{nullptr};
    std::atomic<uint32_t> address{0};
    std::atomic<uint32_t> family{0};
    std::atomic<uint32_t> kind{0};
    std::atomic<uint64_t> serial{0};
};

class HandleTable {
  public:
    uint32_t Register(void* owner, uint32_t address, HandleFamily family, uint32_t kind) {
        std::lock_guard lock(mutex_);
        uint32_t handle;
        if (!free_.empty()) {
            handle = free_.back();
            free_.pop_back();
        } else {
            if (next_ >= kPageSize * kPageCount) throw std::bad_alloc();
            handle = next_++;
            if (pages_[handle >> kPageBits].load(std::memory_order_relaxed) == nullptr) {
                pages_[handle >> kPageBits].store(new Entry[kPageSize], std::memory_order_release);
            }
        }
        Entry& e = At(handle);
        e.owner.store(owner, std::memory_order_relaxed);
        e.family.store(static_cast<uint32_t>(family), std::memory_order_relaxed);
        e.kind.store(kind, std::memory_order_relaxed);
        e.serial.store(++serial_, std::memory_order_relaxed);
        e.address.store(address, std::memory_order_release);
        ++live_;
        return handle;
    }

    void Release(uint32_t handle) {
        std::lock_guard lock(mutex_);
        Entry& e = At(handle);
        e.address.store(0, std::memory_order_release);
        e.owner.store(nullptr, std::memory_order_relaxed);
        free_.push_back(handle);
        --live_;
    }

    // The entry of a handle read from script memory, or null when no page holds it.
    Entry* Find(uint32_t handle) const {
        if (handle >> kPageBits >= kPageCount) return nullptr;
        Entry* page = pages_[handle >> kPageBits].load(std::memory_order_acquire);
        return page != nullptr ? &page[handle & (kPageSize - 1)] : nullptr;
    }

    Entry& At(uint32_t handle) { return *Find(handle); }
    uint32_t Live() {
        std::lock_guard lock(mutex_);
        return live_;
    }

  private:
    std::mutex mutex_;
    std::atomic<Entry*> pages_[kPageCount]{};
    std::vector<uint32_t> free_;
    uint32_t next_ = 1;  // handle 0 is never given out
    uint64_t serial_ = 0;
    uint32_t live_ = 0;
};

HandleTable& Table() {
    // Never destroyed: objects may outlive the ordinary destruction of statics.
    static auto* table = new HandleTable;
    return *table;
}

}  // namespace

ScriptHandle::ScriptHandle(HandleFamily family, uint32_t kind, void* owner) : kind_(kind) {
    auto* header = static_cast<uint8_t*>(ScriptAlloc(kHeaderSize));
    address_ = ToScript(header);
    try {
        handle_ = Table().Register(owner, address_, family, kind);
    } catch (...) {
        ScriptFree(header);
        throw;
    }
    StoreU32(header, kScriptObjectMagic);
    StoreU32(header + 4, kind);
    StoreU32(header + 8, handle_);
}

ScriptHandle::~ScriptHandle() {
    if (!revoked_) Table().Release(handle_);
    ScriptFree(FromScript<void>(address_));
}

void ScriptHandle::SetKind(uint32_t kind) {
    kind_ = kind;
    if (!revoked_) Table().At(handle_).kind.store(kind, std::memory_order_relaxed);
    StoreU32(FromScript<uint8_t>(address_) + 4, kind);
}

void ScriptHandle::Revoke() {
    if (revoked_) return;
    revoked_ = true;
    Table().Release(handle_);
}

namespace {

// The live entry whose header lies at address, or null.
const Entry* LiveEntry(uint32_t address) {
    if (address % 4 != 0 || !ScriptRangeUsable(address, kHeaderSize)) return nullptr;
    const uint8_t* header = FromScript<uint8_t>(address);
    if (LoadU32(header) != kScriptObjectMagic) return nullptr;
    const Entry* e = Table().Find(LoadU32(header + 8));
    return e != nullptr && e->address.load(std::memory_order_acquire) == address ? e : nullptr;
}

}  // namespace

uint64_t ScriptHandleSerial(uint32_t address) {
    const Entry* e = LiveEntry(address);
    return e != nullptr ? e->serial.load(std::memory_order_relaxed) : 0;
}

namespace {

void* OwnerOf(const Entry* e, HandleFamily family, uint32_t kind) {
    if (e == nullptr || e->family.load(std::memory_order_relaxed) != static_cast<uint32_t>(family) ||
        (kind != 0 && e->kind.load(std::memory_order_relaxed) != kind)) {
        return nullptr;
    }
    return e->owner.load(std::memory_order_relaxed);
}

}  // namespace

void* FindScriptHandle(uint32_t address, HandleFamily family, uint32_t kind) {
    return OwnerOf(LiveEntry(address), family, kind);
}

void* FindScriptHandle(uint32_t address, HandleFamily family, uint32_t kind, uint64_t serial) {
    const Entry* e = LiveEntry(address);
    if (e == nullptr || e->serial.load(std::memory_order_relaxed) != serial) return nullptr;
    return OwnerOf(e, family, kind);
}

void* CheckScriptHandle(uint32_t address, HandleFamily family, uint32_t kind, const char* what) {
    if (address == 0) ThrowFatal("Null object where %s expected", what);
    void* owner = FindScriptHandle(address, family, kind);
    if (owner == nullptr) {
        ThrowFatal("Not a valid object at 0x%08X where %s expected", address, what);
    }
    return owner;
}

uint32_t LiveScriptHandleCount() {
    return Table().Live();
}
