// The receiver of a native as the C++ kind its class makes.
#pragma once

#include "foundation/exceptions.h"

class ScriptObject;

// FatalExep with the message expected when the receiver is of another kind.
template <class Kind>
Kind& ReceiverOf(ScriptObject* receiver, const char* expected) {
    auto* object = dynamic_cast<Kind*>(receiver);
    if (object == nullptr) ThrowFatal("%s", expected);
    return *object;
}
