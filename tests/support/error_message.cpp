#include "tests/support/error_message.h"

#include "foundation/exceptions.h"

std::string ErrorMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const DExep& e) {
        return e.message.Text();
    }
    return "no error";
}
