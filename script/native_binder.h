// Native class rows and the binder registry. Each subsystem registers the functions that bind its
// native classes' methods, by class name, in one explicit call made at start-up; a class whose
// binder is not registered still has its descriptor and gets its nearest ancestor's bindings.
#pragma once

#include <cstdint>

class ZEMAClass;

// The fixed facts of one native class.
struct NativeClassRow {
    const char* name;            // registered name: ClassName and the key in the ClassManager
    const char* kindName;        // name IsKindOf accepts for the class itself; null for none
    const NativeClassRow* base;  // null only for the root, ZEMAClass
    uint16_t methods;            // table sizes that ReserveMethodTables asks for
    uint16_t virtualMethods;
};

extern const NativeClassRow kZEMAClassRow;

// A binder binds the class's virtual methods (SetVirtualMethod), then calls BindNativeBase, then
// binds the plain methods that replace base bindings (SetMethod).
using NativeBinder = void (*)(ZEMAClass& target, const NativeClassRow& row);

// Registers (or replaces) the binder of a class name.
void RegisterNativeBinder(const char* className, NativeBinder binder);
// The binder registered under the name, or null.
NativeBinder FindNativeBinder(const char* className);
// Runs the row's binder into target, or the nearest ancestor row's when it has none.
void BindNativeRow(const NativeClassRow& row, ZEMAClass& target);
// The bindings of the row's base (nothing for the root).
void BindNativeBase(const NativeClassRow& row, ZEMAClass& target);
