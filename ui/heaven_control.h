// HeavenControl: a twinkling star field over the whole screen. Its stars are pictures of a set,
// each a random kind of star from "Misc\Stars.dpf" at a random place; every so many steps the
// oldest star goes and a new one comes, so the field keeps its number of stars.
#pragma once

#include <cstdint>

#include "ui/picture_controls.h"

class Image;

// Field of a HeavenControlObject that scripts reach by reference, after the Control fields.
enum HeavenField : uint32_t {
    kHeavenReplaceInterval = kControlFieldCount,  // steps between two star replacements
    kHeavenFieldCount
};

// Stars a field may be created with.
constexpr int32_t kMaxStars = 100000;

class HeavenControlObject : public PicturesSetControlObject {
  public:
    // At (0, 0), replacing a star every 50 steps; starCount stars (FatalExep beyond kMaxStars, none
    // for a negative count).
    HeavenControlObject(ZEMAClass* cls, int32_t starCount, int32_t id);

    // Virtual method 2: at each multiple of the interval the oldest star makes room for a new one.
    // A field created without stars gains one instead, up to kMaxStars. An interval below 1 does
    // nothing.
    void Step(int32_t counter);
    // One star of a random kind at a random place on the screen (none without the star picture).
    void AddStar();

    static HeavenControlObject& Of(ScriptObject* receiver);

  private:
    WeakObject starsPicture_;  // the picture cache's
    bool fillsUp_;
};

// A random number from 0 to n: rand() x n / 32767 as the engine's generator gives it.
int32_t RandomBelow(int32_t n);

struct HeavenControl {
    // Virtual method 2, the PicturesSetControl binding, then natives 0 and 23.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
