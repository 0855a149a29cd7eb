#include "world/collision_sweep.h"

#include <algorithm>

#include "foundation/script_handle.h"
#include "graphics/frame.h"
#include "graphics/frame_geometry.h"

bool DrawnBounds::Overlaps(const DrawnBounds& other) const {
    if (Empty() || other.Empty()) return false;
    if (everywhere || other.everywhere) return true;
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
}

DrawnBounds BoundsOf(ActorObject& actor) {
    DrawnBounds bounds;
    // The entries TestCollision walks, so that the sweep spares only pairs it would find apart.
    const int32_t count = actor.TestedDrawnCount();
    if (count <= 0) return bounds;
    if (static_cast<uint32_t>(count) > kDrawnCacheSize) {
        bounds.everywhere = true;
        return bounds;
    }
    for (int32_t i = 0; i < count; ++i) {
        const DrawnEntry entry = actor.Drawn(static_cast<uint32_t>(i));
        const auto* frame = static_cast<const Frame*>(FindScriptHandle(entry.frame, HandleFamily::kFrame, 0));
        if (frame == nullptr || entry.frame == 0) continue;
        // Placed as the collision test places it.
        const FrameBox box = PlacementBox(*frame, entry.x / 100, entry.y / 100, entry.orientation);
        if (box.Empty()) continue;
        if (bounds.right <= bounds.left) {
            bounds.left = box.left;
            bounds.top = box.top;
            bounds.right = box.left + box.width;
            bounds.bottom = box.top + box.height;
            continue;
        }
        bounds.left = std::min(bounds.left, box.left);
        bounds.top = std::min(bounds.top, box.top);
        bounds.right = std::max(bounds.right, box.left + box.width);
        bounds.bottom = std::max(bounds.bottom, box.top + box.height);
    }
    return bounds;
}

CollisionSweep::CollisionSweep(const std::vector<ActorObject*>& group) : group_(group.begin(), group.end()) {
    for (uint32_t i = 0; i < group.size(); ++i) {
        const DrawnBounds box = BoundsOf(*group[i]);
        if (box.everywhere) {
            everywhere_.push_back(i);
        } else if (!box.Empty()) {
            byLeft_.push_back({box, i});
            widest_ = std::max(widest_, box.right - box.left);
        }
    }
    std::sort(byLeft_.begin(), byLeft_.end(),
              [](const Entry& a, const Entry& b) { return a.box.left < b.box.left; });
}

void CollisionSweep::Candidates(const DrawnBounds& box, std::vector<uint32_t>& out) const {
    out.clear();
    if (box.Empty()) return;
    if (box.everywhere) {
        for (const Entry& e : byLeft_) out.push_back(e.index);
    } else {
        // No member starting further left than the widest member's width can reach the box.
        const int64_t from = box.left - widest_;
        auto it = std::lower_bound(byLeft_.begin(), byLeft_.end(), from,
                                   [](const Entry& e, int64_t left) { return e.box.left < left; });
        for (; it != byLeft_.end() && it->box.left < box.right; ++it) {
            if (it->box.Overlaps(box)) out.push_back(it->index);
        }
    }
    out.insert(out.end(), everywhere_.begin(), everywhere_.end());
    std::sort(out.begin(), out.end());
}
