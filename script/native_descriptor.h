// The descriptor of a native class that adds no state of its own: everything it answers comes from
// its row, and its bindings from the binder registered under its name.
#pragma once

#include "script/native_binder.h"
#include "script/zema_class.h"

class NativeDescriptor : public ZEMAClass {
  public:
    NativeDescriptor(MethodRunner* processor, const NativeClassRow& row);

    // The kind names of the row chain, most derived first, up to "ZEMAClass".
    bool IsKindOf(const char* name) const override;
    void RegisterMethods(ZEMAClass& target) override;
    void ReserveMethodTables(ZEMAClass& target) override;
    const String& ClassName() const override { return name_; }
    const NativeClassRow& Row() const { return row_; }

  private:
    const NativeClassRow& row_;
    String name_;
};
