// The broad phase of the flight's collision tests: the boxes the actors were drawn in last frame,
// and a sweep over one group of actors (the shots, say) that finds, for any box, the actors of the
// group drawn where they could touch it, in the group's own order. The pixel test stays
// Actor::TestCollision's; the sweep only spares it the pairs that cannot touch.
#pragma once

#include <cstdint>
#include <vector>

#include "script/weak_object.h"
#include "world/actor.h"

// Pixels covered by an actor's drawn entries, as the collision test places them.
struct DrawnBounds {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = -1;  // exclusive; right <= left means nothing was drawn
    int64_t bottom = -1;
    // Entries beyond the cache are placed only when tested: such an actor may touch anything.
    bool everywhere = false;

    bool Empty() const { return !everywhere && (right <= left || bottom <= top); }
    bool Overlaps(const DrawnBounds& other) const;
};

// The union of the placement boxes of the actor's drawn entries (entries whose frame is gone
// take no room).
DrawnBounds BoundsOf(ActorObject& actor);

class CollisionSweep {
  public:
    // The group in its order; the boxes are taken now, so the group must have been drawn.
    explicit CollisionSweep(const std::vector<ActorObject*>& group);

    // Indexes into the group of the actors whose boxes overlap box, ascending.
    void Candidates(const DrawnBounds& box, std::vector<uint32_t>& out) const;
    // Member index, or null once it was deleted: the hit methods between two lookups run scripts.
    ActorObject* At(uint32_t index) const { return group_[index].As<ActorObject>(); }
    uint32_t Size() const { return static_cast<uint32_t>(group_.size()); }

  private:
    struct Entry {
        DrawnBounds box;
        uint32_t index;
    };
    std::vector<WeakObject> group_;
    // Boxed members sorted by left edge, with the running largest width, so a query skips every
    // member that ends left of the box and stops at the first that starts right of it.
    std::vector<Entry> byLeft_;
    int64_t widest_ = 0;
    // Members that may touch anything.
    std::vector<uint32_t> everywhere_;
};
