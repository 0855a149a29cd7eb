// The demo game's pictures, drawn in code: the interface pictures every screen takes by name, the
// ships, shots and bonuses of the flight, the planets and stars of the galaxy, the items of the shop
// and the faces of the conversations. Frames are 16-bit 5-5-5 with 0 transparent; their colours are
// the demo palette's own (the interface colours and a cube of six levels a channel), so that they look
// the same in 256 colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/fd_writer.h"

// A planet's look: its picture is drawn at two sizes, one for the star-system windows and one for the
// planet's own window.
enum class PlanetLook { Market, Moon, Mining, GasGiant, Ocean, Desert };

// The interface colours of "Misc\Colors.dpf" (1 text, 3 highlight, 4 and 5 the panels, 6 disabled,
// 7 the reach circles), as 5-5-5 values; the 256-colour palette holds each exactly.
std::vector<uint16_t> DemoInterfaceColours();

// Every picture entry of the demo archive, "Misc\Default.col" (the 256-colour palette) first.
std::vector<FdEntry> DemoPictures();

// The names the scripts ask for.
std::string PlanetPictureName(PlanetLook look, bool large);
