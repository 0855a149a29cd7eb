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

// Throw an engine error whose message is formatted as by printf. The message is formatted whole,
// however long the texts put into it (file and class names come from data files).
[[noreturn]] void ThrowFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void ThrowFatalCoded(int code, uint32_t number, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
[[noreturn]] void ThrowWarn(int code, uint32_t number, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Writes an engine error that cannot be passed on to the program's log.
void LogEngineError(const DExep& error) noexcept;
// Inside a catch block: writes the error being handled to the log, an engine error's message or
// another exception's own text (running out of memory, say). A stop request is no error and is not
// written; its next check raises it again.
void LogHandledError() noexcept;

// Runs a step where no error may leave and no script runs: a destructor, or clean-up while another
// error is on its way to its handler. An error of the step is logged (LogHandledError) and goes no
// further, so that the error already on its way is the one reported. Steps that may run script
// code go through CleanupSteps or DiscardObject instead, which also put the processor back.
template <class F>
void WithErrorsLogged(F&& step) noexcept {
    try {
        step();
    } catch (...) {
        LogHandledError();
    }
}

// Runs a step that may run out of memory (std::bad_alloc from any allocation) and turns that into
// an engine error naming what was being done: "Not enough memory to load <what>".
template <class F>
decltype(auto) WithMemoryError(const String& what, F&& step) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        ThrowFatal("Not enough memory to load %s", what.Text());
    }
}
