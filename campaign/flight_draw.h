// The flight's drawing: every alive actor files one record per picture it shows into the 30 draw
// layers, which are then drawn bottom layer first. The screen settings' flag word chooses how much
// of the records' blending and cast shadows is drawn.
#pragma once

#include <cstdint>

#include "shell/draw_layers.h"

class ActorObject;
class Processor;
class ScreenBuffer;

// Screen settings flag bits.
constexpr uint16_t kPairEffects = 4;  // records cast shadows on the records below them
constexpr uint16_t kFullEffects = 8;  // every draw mode and every shadow

// Files the actor's pictures into the layers (virtual methods 7 to 12), placed at whole pixels rounded
// down, and keeps the first of them in the actor's drawn-entry cache, where the collision tests read
// them.
void RegisterActorFrames(Processor& processor, ActorObject& actor, DrawLayerLists& layers);

// Draws every record, layer 0 first, as the flag word says: without full effects only the records
// of draw modes 0-3 are drawn, all plainly; with pair effects each record is followed by the
// shadows of the records of every higher layer that may cast on it.
void DrawFlightLayers(ScreenBuffer& buffer, const DrawLayerLists& layers, uint16_t flags);

// The tint pass: every record, layer 0 first, as a silhouette in the colour over the base height.
void TintFlightLayers(ScreenBuffer& buffer, const DrawLayerLists& layers, uint32_t colour, int32_t base);
