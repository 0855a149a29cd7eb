// StarsSky: a field of stars that fall with the level's scroll, each at its own speed, and are
// placed anew at the top when they fall out at the bottom. Each star is a Visual showing one frame
// of the sky's picture; the sky owns its stars.
#pragma once

#include <cstdint>
#include <vector>

#include "script/weak_object.h"
#include "world/actor.h"

enum StarsSkyField : uint32_t {
    kSkyStarCount = kActorFieldCount,  // informative: the sky keeps its own count
    kSkyVisualClass,                   // script value of the class the stars are made of
    kSkyFieldCount
};

// Most stars a sky takes.
constexpr int32_t kMaxStars = 65536;

class StarsSkyObject : public ActorObject {
  public:
    StarsSkyObject(ZEMAClass* cls, uint32_t picture);
    ~StarsSkyObject() override { ReleaseOwnedQuietly(); }

    // Makes count stars spread over range pixels across; FatalExep for a count beyond kMaxStars.
    void MakeStars(int32_t count, int32_t range);
    // Moves every star down by its share of scroll; a star below the screen is replaced by a new
    // one at the top, spread over range pixels.
    void Fall(int32_t scroll, int32_t range);

    uint32_t StarCount() const { return static_cast<uint32_t>(stars_.size()); }
    // Star i, or null when it is gone (a script deleted it).
    VisualObject* Star(uint32_t i) const;

    static StarsSkyObject& Of(ScriptObject* receiver);

  protected:
    // Every star still alive goes with it.
    void ReleaseOwned() override;

  private:
    // A new star at a random place: a Visual made by class name, its speed factor in speed y.
    WeakObject NewStar(int32_t range);

    // Held weakly: a script may delete a star, and a star is looked up at each use.
    std::vector<WeakObject> stars_;
};

struct StarsSky {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
