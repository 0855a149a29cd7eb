// Natives that read or write one script-addressable field of a native object: Kind::Of checks the
// receiver (FatalExep for another kind), Field indexes the kind's own fields.
#pragma once

#include <cstdint>

#include "script/native_args.h"
#include "script/zema_class.h"

// Pushes a reference to the field.
template <class Kind, uint32_t Field>
void PushFieldAddress(ScriptObject* receiver) {
    Kind& object = Kind::Of(receiver);
    NativeArgs(receiver).Stack().Push(object.OwnAddress(Field));
}

// Pushes the field's value.
template <class Kind, uint32_t Field>
void PushFieldValue(ScriptObject* receiver) {
    Kind& object = Kind::Of(receiver);
    NativeArgs(receiver).Stack().Push(object.Own(Field));
}

// Pops a value into the field; also the restore method (virtual 6) of a kind that keeps one value.
template <class Kind, uint32_t Field>
void PopFieldValue(ScriptObject* receiver) {
    Kind& object = Kind::Of(receiver);
    object.Own(Field) = NativeArgs(receiver).Word();
}

// The save method (virtual 5) of a kind that keeps one value: the value, then the count 1.
template <class Kind, uint32_t Field>
void SaveField(ScriptObject* receiver) {
    Kind& object = Kind::Of(receiver);
    DStack<uint32_t>& stack = NativeArgs(receiver).Stack();
    stack.Push(object.Own(Field));
    stack.Push(1);
}

// Binds methods First, First + 1, ... to push references to Fields in turn: a kind's table of
// field references.
template <class Kind, uint32_t First, uint32_t... Fields>
void BindFieldAddresses(ZEMAClass& target) {
    uint32_t number = First;
    (target.SetMethod(PushFieldAddress<Kind, Fields>, number++), ...);
}
