#include "foundation/exceptions.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

#include "foundation/log_writer.h"

namespace {

String Format(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int n = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (n < 0) return String(format);
    std::vector<char> text(static_cast<size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    return String(text.data());
}

}  // namespace

DExep::DExep(String message) : code(0), message(std::move(message)), number(0) {}

DExep::DExep(int code, String message, unsigned number)
    : code(code), message(std::move(message)), number(number) {}

DExep::DExep(const DExep& other) : code(other.code), message(other.message), number(other.number) {}

bool DExep::IsKindOf(const char* className) const {
    return std::strcmp(className, "DExep") == 0;
}

bool FatalExep::IsKindOf(const char* className) const {
    return std::strcmp(className, "FatalExep") == 0 || DExep::IsKindOf(className);
}

bool WarnExep::IsKindOf(const char* className) const {
    return std::strcmp(className, "WarnExep") == 0 || DExep::IsKindOf(className);
}

void ThrowFatal(const char* format, ...) {
    va_list args;
    va_start(args, format);
    String message = Format(format, args);
    va_end(args);
    throw FatalExep(std::move(message));
}

void ThrowFatalCoded(int code, uint32_t number, const char* format, ...) {
    va_list args;
    va_start(args, format);
    String message = Format(format, args);
    va_end(args);
    throw FatalExep(code, std::move(message), number);
}

void ThrowWarn(int code, uint32_t number, const char* format, ...) {
    va_list args;
    va_start(args, format);
    String message = Format(format, args);
    va_end(args);
    throw WarnExep(code, std::move(message), number);
}

void LogEngineError(const DExep& error) noexcept {
    WriteLog(kLogFile, error.message.Text());
}

void LogHandledError() noexcept {
    try {
        throw;
    } catch (const DExep& error) {
        LogEngineError(error);
    } catch (const std::exception& error) {
        WriteLog(kLogFile, error.what());
    } catch (...) {
    }
}
