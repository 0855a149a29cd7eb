// PriceManager: the fixed formulas through which item scripts turn item parameters into prices and
// ratings. It keeps no state; every formula is evaluated in double precision and gives a 32-bit
// value. A result beyond 32 bits is the nearest 32-bit value, and a result that is not a number (a
// negative parameter under a fractional power) counts as 0. No formula divides by a parameter.
#pragma once

#include <array>
#include <cstdint>

#include "script/script_object.h"

struct NativeClassRow;

// The seven parameters p0-p6 that a script hands the table formulas.
using PriceTable = std::array<int32_t, 7>;

struct PriceManager {
    // Binds natives 4-15 after the ZEMAClass binding, whose native 0 makes the bare object.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    // The formulas, named by the native that applies them.
    static int32_t Formula4(int32_t n);
    static int32_t Formula5(int32_t n);
    static int32_t Formula6(int32_t n);
    static int32_t Formula7(int32_t n);
    static int32_t Formula8(int32_t n);
    static int32_t Formula9(const PriceTable& p);
    static int32_t Formula10(const PriceTable& p);
    // The class 1-11 of a value: 1 up to 1, then one more for each bound it exceeds.
    static int32_t Class11(int32_t n);
    static int32_t Formula12(const PriceTable& p);
    static int32_t Formula13(const PriceTable& p);
    static int32_t Formula14(const PriceTable& p);
    // Native 15 is ten times method 12 of the same object, whatever that method is bound to.
    static int32_t TimesTen(int32_t value);
};
