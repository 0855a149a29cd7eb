// The flight's collision pass, run once a frame after drawing (the drawn-entry caches are then this
// frame's): fixed pairs of lists are tested against each other, each pair through
// Actor::TestCollision with the collision sweep sparing the pairs whose drawn boxes cannot touch.
#pragma once

class Processor;

// The pass over lists 5, 10, 30, 31, 35, 11 and the ships of object 8. While leaving (flight state
// 1) the ships only meet list 30. A shot that destroys an actor of list 5 credits the actor's
// maximum energy to the player in its tag.
void CollideFlight(Processor& processor, bool leaving);
