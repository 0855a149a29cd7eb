#include "script/native_binder.h"

#include <map>
#include <mutex>
#include <string>

#include "script/zema_class.h"

const NativeClassRow kZEMAClassRow{"ZEMAClass", "ZEMAClass", nullptr, 4, 2};

namespace {

struct BinderRegistry {
    std::mutex mutex;
    std::map<std::string, NativeBinder, std::less<>> binders;

    BinderRegistry() {
        binders.emplace("ZEMAClass", [](ZEMAClass& target, const NativeClassRow&) {
            ZEMAClass::BindZEMAClassMethods(target);
        });
    }
};

BinderRegistry& Registry() {
    static BinderRegistry registry;
    return registry;
}

}  // namespace

void RegisterNativeBinder(const char* className, NativeBinder binder) {
    BinderRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.binders[className] = binder;
}

NativeBinder FindNativeBinder(const char* className) {
    BinderRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto found = r.binders.find(std::string_view(className));
    return found != r.binders.end() ? found->second : nullptr;
}

void BindNativeRow(const NativeClassRow& row, ZEMAClass& target) {
    for (const NativeClassRow* r = &row; r != nullptr; r = r->base) {
        if (NativeBinder binder = FindNativeBinder(r->name)) {
            binder(target, *r);
            return;
        }
    }
}

void BindNativeBase(const NativeClassRow& row, ZEMAClass& target) {
    if (row.base != nullptr) BindNativeRow(*row.base, target);
}
