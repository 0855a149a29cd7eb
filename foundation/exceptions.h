// The engine's exception family. Every error the engine detects is thrown as one of these,
// as a rule a FatalExep; WarnExep marks failures that callers are expected to recover from.
#pragma once

#include <cstdint>
#include <new>

#include "foundation/engine_string.h"

class DExep {
public:
    explicit DExep(String message);
    DExep(int code, String message, unsigned number);
    DExep(const DExep& other);
    DExep& operator=(const DExep&) = delete;
    virtual ~DExep() = default;

    // Exact, case-sensitive test of the class names this exception answers to.
    virtual bool IsKindOf(const char* className) const;

    int code;
    String message;
    uint32_t number;
};

class FatalExep : public DExep {
public:
    using DExep::DExep;
    bool IsKindOf(const char* className) const override;
};

class WarnExep : public DExep {
public:
    using DExep::DExep;
    bool IsKindOf(const char* className) const override;
};

// Runs a step that may run out of memory (std::bad_alloc from any allocation) and turns that into
// an engine error naming what was being done: "Not enough memory to load <what>".
template <class F>
decltype(auto) WithMemoryError(const String& what, F&& step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        throw FatalExep(String("Not enough memory to load ") + what);
    }
}
