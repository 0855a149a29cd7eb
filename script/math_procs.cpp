#include "script/math_procs.h"

#include <cmath>

#include "foundation/exceptions.h"
#include "script/method_runner.h"
#include "script/native_args.h"
#include "script/object_manager.h"
#include "script/zema_class.h"

namespace {

constexpr int64_t kFarAway = 1000000000;
// Radians per unit of twice the angle (pi taken as 3.1415).
constexpr double kPolarFactor = 8.72638888888889e-05;
// Radians per hundredth of a degree (pi taken as 3.1416).
constexpr double kSinFactor = 0.00017453333333333334;

// Drops the fraction; a value outside 32 bits (or not a number) gives the integer indefinite, as
// the conversion instruction does.
int32_t Truncate(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t Signed(uint32_t value) {
    return static_cast<int32_t>(value);
}

// 32-bit wrap-around arithmetic, as the script values have it.
int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// Calls visit(actor, view) for every live actor of the list, from the first node, with the list's
// own cursor; a node without an item ends the walk.
template <class Visit>
void WalkActors(List<ScriptObject>& list, Visit visit) {
    for (ScriptObject* item = list.First(); item != nullptr; item = list.Next()) {
        const auto* view = dynamic_cast<const ActorView*>(item);
        if (view != nullptr && view->ActorRemoved() == 0) visit(item, *view);
    }
}

int64_t Distance(const ActorView& actor, int32_t x, int32_t y) {
    const int64_t dx = (int64_t{actor.ActorX()} - x) / 100;
    const int64_t dy = (int64_t{actor.ActorY()} - y) / 100;
    return dx * dx + dy * dy;
}

// a x b / c for |b| <= |c|, whose result is never larger than a; exact where a x b fits.
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
    int64_t product;
    if (!__builtin_mul_overflow(a, b, &product)) return product / c;
    return static_cast<int64_t>(static_cast<long double>(a) * b / c);
}

void PushObject(DStack<uint32_t>& stack, const ScriptObject* object) {
    stack.Push(object != nullptr ? object->Address() : 0);
}

}  // namespace

int32_t IntHypot(int32_t x, int32_t y) {
    const double dx = x;
    const double dy = y;
    return Truncate(std::sqrt(dx * dx + dy * dy));
}

int32_t VectorAngleX100(int32_t x, int32_t y) {
    const int32_t v = Wrap(-int64_t{y});
    double angle;
    if (x == 0 && v == 0) {
        angle = 1.5707814;
    } else {
        const double dx = x;
        const double dv = v;
        const double a = std::asin(dv / std::sqrt(dx * dx + dv * dv));
        if (x < 0) {
            angle = 3.1415628 - a;
        } else if (v < 0) {
            angle = a + 6.2831256;
        } else {
            angle = a;
        }
    }
    return Truncate(angle * 5732.484076433121) % 36000;
}

int32_t SinX100(int32_t angle) {
    return Truncate(std::sin(angle * kSinFactor) * 100);
}

int32_t CosX100(int32_t angle) {
    return Truncate(std::cos(angle * kSinFactor) * 100);
}

List<ScriptObject>& ActorListAt(uint32_t container, const char* method) {
    ScriptObject* object =
        container == 0 ? nullptr : ScriptObject::FromAddress(container, 0, "actor container");
    if (auto* manager = dynamic_cast<ObjectManager*>(object)) return manager->ObjectList();
    if (auto* list = dynamic_cast<ActorContainer*>(object)) return list->ObjectList();
    ThrowFatal("%s: the container is not an object list", method);
}

ScriptObject* FindNearestActor(List<ScriptObject>& actors, int32_t x, int32_t y) {
    ScriptObject* best = nullptr;
    int64_t bestDistance = kFarAway;
    WalkActors(actors, [&](ScriptObject* actor, const ActorView& view) {
        const int64_t d = Distance(view, x, y);
        if (d < bestDistance) {
            best = actor;
            bestDistance = d;
        }
    });
    return best;
}

ScriptObject* FindNearestReachableActor(List<ScriptObject>& actors, int32_t x, int32_t y, int32_t rate,
                                        int32_t dirX, int32_t dirY) {
    if (rate == 0) return nullptr;
    const bool noDirection = dirX == 0 && dirY == 0;
    const double squares = static_cast<double>(dirX) * dirX + static_cast<double>(dirY) * dirY;
    const int64_t len = noDirection ? 100 : static_cast<int64_t>(std::sqrt(squares));
    const int64_t t = len * 2866 / rate;
    // Squares in double precision: exact for every value the game uses, and no overflow beyond.
    const double r = static_cast<double>(t / 100);
    const double rr = r * r;
    const int64_t ox = MulDiv(t, dirY, len);
    const int64_t oy = MulDiv(t, dirX, len);

    // Inside the turning circle centred at (cx, cy)?
    auto inside = [rr](int64_t cx, int64_t cy, const ActorView& actor) {
        const auto p = static_cast<double>((cx - actor.ActorX()) / 89);
        const auto q = static_cast<double>((cy - actor.ActorY()) / 89);
        return p * p + q * q <= rr;
    };

    ScriptObject* best = nullptr;
    int64_t bestDistance = kFarAway;
    WalkActors(actors, [&](ScriptObject* actor, const ActorView& view) {
        const int64_t d = Distance(view, x, y);
        if (d >= bestDistance) return;
        if (!noDirection && (inside(x + ox, y - oy, view) || inside(x - ox, y + oy, view))) return;
        best = actor;
        bestDistance = d;
    });
    return best;
}

// --- natives ---

void MathProcs::Bind(ZEMAClass& target, const NativeClassRow& row) {
    target.SetMethod(PolarOffset, 4);
    target.SetMethod(PolarStep, 5);
    target.SetMethod(Random, 6);
    BindNativeBase(row, target);
    target.SetMethod(Sin, 7);
    target.SetMethod(Cos, 8);
    target.SetMethod(Angle, 9);
    target.SetMethod(Hypot, 10);
    target.SetMethod(NearestActor, 11);
    target.SetMethod(NearestReachableActor, 12);
    target.SetMethod(SeedRandom, 13);
}

void MathProcs::PolarOffset(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const uint32_t a = args.Word();
    const int32_t yr = args.Int();
    const int32_t xr = args.Int();
    const int32_t y0 = args.Int();
    const int32_t x0 = args.Int();
    const int32_t r = args.Int();
    const double theta = static_cast<double>(a * 2u) * kPolarFactor;
    const int32_t x = Truncate(std::cos(theta) * r + x0);
    const int32_t y = Truncate(std::sin(theta) * r + y0);
    stack.Push(static_cast<uint32_t>(Wrap(int64_t{y} - yr)));
    stack.Push(static_cast<uint32_t>(Wrap(int64_t{x} - xr)));
    stack.Push(static_cast<uint32_t>(y));
    stack.Push(static_cast<uint32_t>(x));
}

void MathProcs::PolarStep(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const uint32_t a1 = args.Word();
    const uint32_t a2 = args.Word();
    const int32_t y0 = args.Int();
    const int32_t x0 = args.Int();
    const int32_t r = args.Int();
    const double theta1 = Signed(a1 * 2u) * kPolarFactor;
    const double theta2 = Signed(a2 * 2u) * kPolarFactor;
    const double px = std::cos(theta1) * r + x0;
    const double py = std::sin(theta1) * r + y0;
    const double thetaD = theta1 - theta2;
    stack.Push(static_cast<uint32_t>(Truncate(py - (std::sin(thetaD) * r + y0))));
    stack.Push(static_cast<uint32_t>(Truncate(px - (std::cos(thetaD) * r + x0))));
    stack.Push(static_cast<uint32_t>(Truncate(py)));
    stack.Push(static_cast<uint32_t>(Truncate(px)));
}

void MathProcs::Random(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const uint32_t n = args.Word();
    stack.Push((n * static_cast<uint32_t>(EngineRand())) >> 15);
}

void MathProcs::Sin(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(static_cast<uint32_t>(SinX100(args.Int())));
}

void MathProcs::Cos(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    stack.Push(static_cast<uint32_t>(CosX100(args.Int())));
}

void MathProcs::Angle(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    stack.Push(static_cast<uint32_t>(VectorAngleX100(x, y)));
}

void MathProcs::Hypot(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    const int32_t b = args.Int();
    const int32_t a = args.Int();
    stack.Push(static_cast<uint32_t>(IntHypot(b, a)));
}

void MathProcs::NearestActor(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    List<ScriptObject>& actors = ActorListAt(args.Word(), "MathProcs::NearestActor");
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    PushObject(stack, FindNearestActor(actors, x, y));
}

void MathProcs::NearestReachableActor(ScriptObject* receiver) {
    NativeArgs args(receiver);
    DStack<uint32_t>& stack = args.Stack();
    List<ScriptObject>& actors = ActorListAt(args.Word(), "MathProcs::NearestReachableActor");
    const int32_t x = args.Int();
    const int32_t y = args.Int();
    const int32_t rate = args.Int();
    const int32_t dirX = args.Int();
    const int32_t dirY = args.Int();
    PushObject(stack, FindNearestReachableActor(actors, x, y, rate, dirX, dirY));
}

void MathProcs::SeedRandom(ScriptObject* receiver) {
    ::SeedRandom(NativeArgs(receiver).Word());
}
