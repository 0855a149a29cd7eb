#include "world/price_manager.h"

#include <cmath>
#include <initializer_list>

#include "foundation/byte_order.h"
#include "foundation/saturating.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/native_binder.h"
#include "script/zema_class.h"

namespace {

constexpr double kThird = 1.0 / 3.0;
constexpr uint32_t kTableMethod = 12;

// trunc() as the formulas write it.
int32_t T(double value) {
    return TruncateInt32(value);
}

// Terms summed without overflow; the price is the nearest 32-bit value.
int32_t Sum(std::initializer_list<int64_t> terms) {
    int64_t sum = 0;
    for (int64_t t : terms) sum += t;
    return SaturateInt32(sum);
}

// Term 0 with the positive factor, the others subtracted with the negated factor: the same as the
// plain sum for parameters of 0 or more.
int32_t SignedPowerSum(const PriceTable& p, double exponent, double factor) {
    int64_t sum = T(std::pow(p[0], exponent) * factor);
    for (size_t i = 1; i < p.size(); ++i) sum -= T(std::pow(p[i], exponent) * -factor);
    return SaturateInt32(sum);
}

// pow(p6 - 500, 1.02) above 500, else 0: the cut shared by natives 13 and 14.
double HighCut(int32_t p6) {
    return p6 > 500 ? std::pow(static_cast<double>(p6) - 500, 1.02) : 0.0;
}

void PushResult(ScriptObject* receiver, int32_t value) {
    RunnerOf(receiver).DataStack().Push(static_cast<uint32_t>(value));
}

template <int32_t (*F)(int32_t)>
void ValueNative(ScriptObject* receiver) {
    const int32_t n = NativeArgs(receiver).Int();
    PushResult(receiver, F(n));
}

template <int32_t (*F)(const PriceTable&)>
void TableNative(ScriptObject* receiver) {
    const uint8_t* words = NativeArgs(receiver).Bytes(sizeof(PriceTable));
    PriceTable p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<int32_t>(LoadU32(words + 4 * i));
    PushResult(receiver, F(p));
}

// Methods are not inherited: method 12 is the nearest one up the object's class chain, a script
// subclass's own or the formula bound here.
ZEMAClass* TableMethodOwner(ScriptObject* receiver) {
    for (ZEMAClass* c = receiver->Class(); c != nullptr; c = c->BaseClass())
        if (c->MethodSlot(kTableMethod) != 0) return c;
    return receiver->Class();  // the call then names the missing method
}

// Method 12 reads the table that is still on the stack.
void TimesTenNative(ScriptObject* receiver) {
    MethodRunner& runner = RunnerOf(receiver);
    runner.CallMethod(receiver, TableMethodOwner(receiver), kTableMethod);
    const auto value = static_cast<int32_t>(runner.DataStack().Pop());
    PushResult(receiver, PriceManager::TimesTen(value));
}

}  // namespace

int32_t PriceManager::Formula4(int32_t n) {
    return T(std::pow(n / 75, 1.8) * 0.1);
}

int32_t PriceManager::Formula5(int32_t n) {
    return T(std::pow(n * 0.5, 1.3) * 4000);
}

int32_t PriceManager::Formula6(int32_t n) {
    return T(std::pow(n * 0.01 * 0.5, 1.5));
}

int32_t PriceManager::Formula7(int32_t n) {
    return T(std::pow(n, 1.1) * 1500);
}

int32_t PriceManager::Formula8(int32_t n) {
    return T(std::pow(n, 1.9) * 240);
}

int32_t PriceManager::Formula9(const PriceTable& p) {
    return SignedPowerSum(p, 1.1, 120);
}

int32_t PriceManager::Formula10(const PriceTable& p) {
    return SignedPowerSum(p, 1.15, 150);
}

int32_t PriceManager::Class11(int32_t n) {
    static constexpr int32_t kBounds[] = {1, 4, 8, 12, 21, 30, 40, 55, 75, 100};
    int32_t rating = 1;
    for (int32_t bound : kBounds)
        if (n > bound) rating += 1;
    return rating;
}

int32_t PriceManager::Formula12(const PriceTable& p) {
    const double c = p[2] != 0 ? std::pow(p[2], 1.09) * 20 + 300 : 0.0;
    const double h5 = p[5] > 500 ? std::pow(static_cast<double>(p[5]) - 500, 1.9) : 0.0;
    const double h6 = p[6] > 500 ? std::pow(p[6], 0.6) * (static_cast<double>(p[6]) - 500) : 0.0;
    return Sum({
        T(std::pow(p[0], 1.1) * 12.5),
        -int64_t{T(std::pow(p[1] * kThird, 1.5) * -12.5)},
        T(c),
        T(std::pow(p[4] * 0.5, 1.05) * 6.25 + p[4]),
        -int64_t{T(std::pow(p[3] * kThird, 1.6) * -12.5)},
        T(std::pow(p[5], 0.65) * 16.666666666666664 + h5),
        p[6] == 0 ? 0 : T(std::pow(p[6], 1.3) * 12.5 + 10 - h6),
    });
}

int32_t PriceManager::Formula13(const PriceTable& p) {
    // The last term is left out when p6 x 100 wraps to 0 in 32 bits (p6 a multiple of 2^30): the
    // item scripts were priced with that test.
    const bool noLast = static_cast<uint32_t>(p[6]) * 100u == 0;
    return Sum({
        T(std::pow(p[4] * 0.5, 1.1) * 50 + p[4] * 0.2),
        -int64_t{T(std::pow(p[2], 1.12) * -100)},
        -int64_t{T(std::pow((static_cast<double>(p[3]) + 10) * 0.25, 1.4) * -100)},
        noLast ? 0 : T((std::pow(p[6], 1.2) * kThird + 5 - HighCut(p[6])) * 5),
    });
}

int32_t PriceManager::Formula14(const PriceTable& p) {
    return Sum({
        T(std::pow(p[4] * 0.5, 1.09) * 0.5 + p[4] * 0.3),
        -int64_t{T(std::pow(p[2], 1.12) * -kThird)},
        T(std::pow((static_cast<double>(p[3]) + 5) * 0.25, 1.35)),
        p[6] == 0 ? 0 : T(std::pow(p[6], 1.2) * kThird + 5 - HighCut(p[6])),
    });
}

int32_t PriceManager::TimesTen(int32_t value) {
    return SaturateInt32(int64_t{value} * 10);
}

void PriceManager::Bind(ZEMAClass& target, const NativeClassRow& row) {
    BindNativeBase(row, target);
    target.SetMethod(ValueNative<Formula4>, 4);
    target.SetMethod(ValueNative<Formula5>, 5);
    target.SetMethod(ValueNative<Formula6>, 6);
    target.SetMethod(ValueNative<Formula7>, 7);
    target.SetMethod(ValueNative<Formula8>, 8);
    target.SetMethod(TableNative<Formula9>, 9);
    target.SetMethod(TableNative<Formula10>, 10);
    target.SetMethod(ValueNative<Class11>, 11);
    target.SetMethod(TableNative<Formula12>, 12);
    target.SetMethod(TableNative<Formula13>, 13);
    target.SetMethod(TableNative<Formula14>, 14);
    target.SetMethod(TimesTenNative, 15);
}
