#include "campaign/flight_draw.h"

#include <algorithm>

#include "graphics/screen_buffer.h"
#include "script/processor.h"
#include "world/actor.h"

namespace {

// Draw modes from here on are effects that only full effects draw.
constexpr uint32_t kFirstEffectMode = 4;
// A shadow whose shade reaches this is not cast.
constexpr int32_t kShadeLimit = 4;

bool CastsOn(const DrawRecord& caster, const DrawRecord& receiver, bool full) {
    if (full) return caster.shade != kShadeLimit;
    return static_cast<int64_t>(caster.shade) + receiver.extraShade < kShadeLimit;
}

}  // namespace

void RegisterActorFrames(Processor& processor, ActorObject& actor, DrawLayerLists& layers) {
    DrawnEntries drawn;
    CollectDrawRecords(processor, actor, &drawn, layers, PixelRounding::kDown);
    if (actor.Alive()) actor.KeepDrawn(drawn);
}

void DrawFlightLayers(ScreenBuffer& buffer, const DrawLayerLists& layers, uint16_t flags) {
    const bool full = (flags & kFullEffects) != 0;
    const bool pairs = (flags & kPairEffects) != 0;
    for (size_t layer = 0; layer < layers.size(); ++layer) {
        for (const DrawRecord& record : layers[layer]) {
            if (!full && record.mode >= kFirstEffectMode) continue;
            buffer.DrawFrameBlended(record.frame, record.x, record.y, record.orientation,
                                    full ? record.mode : 0);
            if (!pairs) continue;
            for (size_t higher = layer + 1; higher < layers.size(); ++higher) {
                for (const DrawRecord& caster : layers[higher]) {
                    if (CastsOn(caster, record, full)) buffer.DrawCastShadow(caster, record);
                }
            }
        }
    }
}

void TintFlightLayers(ScreenBuffer& buffer, const DrawLayerLists& layers, uint32_t colour, int32_t base) {
    for (const std::vector<DrawRecord>& layer : layers) {
        for (const DrawRecord& record : layer) buffer.DrawSilhouette(record, colour, base);
    }
}
