#include "script/d_stack.h"

void ThrowDStackOverflow() {
    throw FatalExep(String("DStack overflow"));
}
void ThrowDStackUnderflow() {
    throw FatalExep(String("DStack underflow"));
}
