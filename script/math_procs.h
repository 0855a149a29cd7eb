// MathProcs: integer geometry and random numbers for scripts, and the plain functions native game
// code calls directly. Values are signed 32-bit; angles are hundredths of a degree, sine and cosine
// are scaled by 100. Each function keeps the approximation of pi its results were made with.
#pragma once

#include <cstdint>

#include "foundation/list.h"
#include "foundation/random.h"
#include "script/actor_view.h"
#include "script/native_binder.h"
#include "script/script_object.h"

// A container of actors other than an ObjectManager (whose object list is the flight's actors):
// an engine list a script can name. The searches walk the list with its own cursor.
class ActorContainer {
  public:
    virtual List<ScriptObject>& ObjectList() = 0;

  protected:
    ~ActorContainer() = default;
};

// Truncated square root of x² + y², in double precision.
int32_t IntHypot(int32_t x, int32_t y);
// Direction of (x, y), y growing downwards, in 0..35999; (0, 0) gives 9004.
int32_t VectorAngleX100(int32_t x, int32_t y);
int32_t SinX100(int32_t angle);
int32_t CosX100(int32_t angle);
// The list of actors a script names by container: an ObjectManager's object list or an
// ActorContainer's. Anything else (0 included) is an engine error naming the method.
List<ScriptObject>& ActorListAt(uint32_t container, const char* method);
// The live actor of actors nearest to (x, y), distances counted in hundreds of units; the earlier
// of equals. The walk starts at the first node with the list's own cursor and ends at the last
// node or at a node without an item, where the cursor stays; objects that are not actors are
// passed over. Null for an empty list.
ScriptObject* FindNearestActor(List<ScriptObject>& actors, int32_t x, int32_t y);
// The same, passing over actors inside either turning circle of an object at (x, y) heading
// (dirX, dirY) with the turn rate; no direction means no circles. A turn rate of 0 gives null.
ScriptObject* FindNearestReachableActor(List<ScriptObject>& actors, int32_t x, int32_t y, int32_t rate,
                                        int32_t dirX, int32_t dirY);

// The natives; each works on its receiver's processor's data stack.
struct MathProcs {
    // Binds methods 4 to 6, the ZEMAClass methods, then 7 to 13.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

    static void PolarOffset(ScriptObject* receiver);            // 4: r x0 y0 xr yr a -> y-yr x-xr y x
    static void PolarStep(ScriptObject* receiver);              // 5: r x0 y0 a2 a1 -> dy dx y x
    static void Random(ScriptObject* receiver);                 // 6: n -> (n * rand) >> 15
    static void Sin(ScriptObject* receiver);                    // 7: angle -> sin x 100
    static void Cos(ScriptObject* receiver);                    // 8: angle -> cos x 100
    static void Angle(ScriptObject* receiver);                  // 9: y x -> angle
    static void Hypot(ScriptObject* receiver);                  // 10: a b -> hypot(b, a)
    static void NearestActor(ScriptObject* receiver);           // 11: y x container -> actor or 0
    static void NearestReachableActor(ScriptObject* receiver);  // 12: dy dx rate y x container -> actor or 0
    static void SeedRandom(ScriptObject* receiver);             // 13: seed ->
};
