// What the picture-entry virtual methods of an actor without a picture give: the answers compound
// actors give for an entry index they do not hold, so that a script's stray index or a flight asking
// beyond the parts meets the plain actor's defaults rather than a missing part.
#pragma once

#include <cstdint>

#include "script/d_stack.h"

class ActorObject;

// Pushes the results of picture-entry virtual method number (8 to 12) for an entry the actor does
// not have: no frame at the actor's position, the attribute defaults, the actor's own layer.
void PushEntryDefaults(ActorObject& actor, uint32_t number, DStack<uint32_t>& stack);
