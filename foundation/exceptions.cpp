#include "foundation/exceptions.h"

#include <cstring>
#include <utility>

DExep::DExep(String message) : code(0), message(std::move(message)), number(0) {}

DExep::DExep(int code, String message, unsigned number)
    : code(code), message(std::move(message)), number(number) {}

DExep::DExep(const DExep& other) : code(other.code), message(other.message), number(other.number) {}

bool DExep::IsKindOf(const char* className) const { return std::strcmp(className, "DExep") == 0; }

bool FatalExep::IsKindOf(const char* className) const {
    return std::strcmp(className, "FatalExep") == 0 || DExep::IsKindOf(className);
}

bool WarnExep::IsKindOf(const char* className) const {
    return std::strcmp(className, "WarnExep") == 0 || DExep::IsKindOf(className);
}
