// Splinter: a piece cut out of a destroyed actor's picture that flies off on its own. It owns the
// one-frame picture made for it, which lives exactly as long as the splinter.
#pragma once

#include <cstdint>
#include <memory>

#include "world/actor.h"

class Frame;

class SplinterObject : public ActorObject {
  public:
    // Energy 0 and no damage or armour.
    SplinterObject(ZEMAClass* cls, uint32_t picture, int32_t x, int32_t y, int32_t speedX, int32_t speedY);
    ~SplinterObject() override;

    // Takes the picture the splinter was made with, so that it goes with the splinter. A picture
    // the splinter does not show is refused.
    void AdoptPicture(std::unique_ptr<Image> picture);

  private:
    std::unique_ptr<Image> ownPicture_;
};

struct Splinter {
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};

// The piece of source under the opaque pixels of mask, placed as the cut lays them (mask pixel
// (c + mask origin x, r + mask origin y) over source pixel (c, r)), each frame read at its own
// depth and only where both frames have that pixel. The piece is a frame of the source's depth, as
// large as the box round the shared opaque pixels, transparent elsewhere; null when they share none.
std::unique_ptr<Frame> CutPiece(const Frame& source, const Frame& mask);
