// The catalogue of native classes: one row per class that scripts can use and that has native code
// behind it (registered name, kind name, base, method and virtual method counts). Every row can
// get a descriptor, whether or not the natives behind it are built yet.
#pragma once

#include <cstddef>
#include <span>

#include "script/native_binder.h"

class MethodRunner;
class ZEMAClass;

// Every row, ZEMAClass first, each base before the classes derived from it.
std::span<const NativeClassRow* const> NativeCatalogue();
// The row registered under the name (exact case), or null.
const NativeClassRow* FindNativeClassRow(const char* name);
// The same; FatalExep "Native class <name> is not in the catalogue" when there is none.
const NativeClassRow& NativeClassRowOf(const char* name);

// A descriptor of the class registered under the name, answering from its row and binding through
// the binder registry; the caller registers it with ClassManager::Register.
ZEMAClass* NewNativeDescriptor(MethodRunner* processor, const char* name);

// Binds the script engine's own natives by class name: StringProcs, MathProcs, MessageManager and
// CharManager. Start-up calls it once, before the descriptors are registered.
void RegisterScriptNatives();
