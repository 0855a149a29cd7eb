#include "script/native_descriptor.h"

#include <cstring>

NativeDescriptor::NativeDescriptor(MethodRunner* processor, const NativeClassRow& row)
    : ZEMAClass(processor), row_(row), name_(row.name) {}

bool NativeDescriptor::IsKindOf(const char* name) const {
    for (const NativeClassRow* r = &row_; r != nullptr; r = r->base) {
        if (r->kindName != nullptr && std::strcmp(r->kindName, name) == 0) return true;
    }
    return std::strcmp(name, "ZEMAClass") == 0;
}

void NativeDescriptor::RegisterMethods(ZEMAClass& target) {
    BindNativeRow(row_, target);
}

void NativeDescriptor::ReserveMethodTables(ZEMAClass& target) {
    target.ReserveMethods(row_.methods, row_.virtualMethods);
}
