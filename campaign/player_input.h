// The input device the campaign's windows run with when no window lends them one.
#pragma once

class InputDevice;
class Processor;

// The device of the first player of the player list (object 23), or null when there is no player
// or it has none.
InputDevice* FirstPlayerInput(Processor& processor);
