#include "shell/draw_layers.h"

#include <algorithm>

#include "foundation/exceptions.h"
#include "graphics/frame.h"
#include "graphics/screen_buffer.h"
#include "script/method_runner.h"
#include "script/script_object.h"

namespace {

constexpr uint32_t kCountMethod = 7;
constexpr uint32_t kPlacementMethod = 8;
constexpr uint32_t kShadeMethod = 9;
constexpr uint32_t kHeightMethod = 10;
constexpr uint32_t kReceivingHeightsMethod = 11;
constexpr uint32_t kExtraShadeMethod = 12;
// Placement values are in hundredths of a pixel.
constexpr int32_t kPositionScale = 100;

int32_t Signed(uint32_t value) {
    return static_cast<int32_t>(value);
}

int32_t ToPixels(uint32_t hundredths, PixelRounding rounding) {
    const int32_t value = Signed(hundredths);
    const int32_t cut = value / kPositionScale;
    if (rounding == PixelRounding::kDown && value % kPositionScale < 0) return cut - 1;
    return cut;
}

// Pushes the entry index and calls the virtual method; its results stay on the stack.
void CallForEntry(MethodRunner& runner, ScriptObject& actor, uint32_t method, uint32_t entry) {
    runner.DataStack().Push(entry);
    runner.CallVirtual(&actor, method);
}

}  // namespace

DrawLayerLists& GameDrawLayers() {
    static DrawLayerLists layers;
    return layers;
}

void ClearDrawLayers(DrawLayerLists& layers) {
    for (std::vector<DrawRecord>& layer : layers) layer.clear();
}

int32_t VisibleEntryCount(uint32_t answer) {
    const int32_t count = Signed(answer);
    if (count > DrawnEntries::kMaxCount) ThrowFatal("Too many visible entries: %d", count);
    return std::max(count, 0);
}

void CollectDrawRecords(MethodRunner& runner, ScriptObject& actor, DrawnEntries* cache,
                        DrawLayerLists& layers, PixelRounding rounding) {
    DStack<uint32_t>& stack = runner.DataStack();
    runner.CallVirtual(&actor, kCountMethod);
    const uint32_t answer = stack.Pop();
    if (cache != nullptr) cache->count = Signed(answer);
    const int32_t count = VisibleEntryCount(answer);
    // Each method may delete the actor: once it is gone its results are taken off and nothing more
    // of it is asked or drawn.
    for (int32_t i = 0; i < count && actor.Alive(); ++i) {
        runner.CountLoopRound();
        const auto entry = static_cast<uint32_t>(i);
        CallForEntry(runner, actor, kPlacementMethod, entry);
        const uint32_t frame = stack.Pop();
        const uint32_t x = stack.Pop();
        const uint32_t y = stack.Pop();
        const uint32_t orientation = stack.Pop();
        if (!actor.Alive()) return;
        if (cache != nullptr && i < DrawnEntries::kCached) {
            cache->frame[entry] = frame;
            cache->x[entry] = x;
            cache->y[entry] = y;
            cache->orientation[entry] = orientation;
        }
        DrawRecord record;
        record.frame = frame != 0 ? Frame::FromAddress(frame) : nullptr;
        record.x = ToPixels(x, rounding);
        record.y = ToPixels(y, rounding);
        record.orientation = orientation;

        CallForEntry(runner, actor, kHeightMethod, entry);
        record.height = Signed(stack.Pop());
        if (!actor.Alive()) return;
        CallForEntry(runner, actor, kReceivingHeightsMethod, entry);
        record.h4 = Signed(stack.Pop());
        record.h3 = Signed(stack.Pop());
        record.h2 = Signed(stack.Pop());
        record.h1 = Signed(stack.Pop());
        if (!actor.Alive()) return;
        CallForEntry(runner, actor, kShadeMethod, entry);
        record.shade = Signed(stack.Pop());
        record.mode = stack.Pop();
        if (!actor.Alive()) return;
        CallForEntry(runner, actor, kExtraShadeMethod, entry);
        record.extraShade = Signed(stack.Pop());
        if (!actor.Alive()) return;

        record.height = std::clamp(record.height, 0, kDrawLayerCount - 1);
        layers[static_cast<size_t>(record.height)].push_back(record);
    }
}

void DrawLayers(ScreenBuffer& buffer, const DrawLayerLists& layers) {
    for (size_t layer = 0; layer < layers.size(); ++layer) {
        for (const DrawRecord& receiver : layers[layer]) {
            buffer.DrawFrameBlended(receiver.frame, receiver.x, receiver.y, receiver.orientation, 0);
            for (size_t higher = layer + 1; higher < layers.size(); ++higher) {
                for (const DrawRecord& caster : layers[higher]) {
                    if (caster.shade != kNoShadowShade) buffer.DrawCastShadow(caster, receiver);
                }
            }
        }
    }
}
