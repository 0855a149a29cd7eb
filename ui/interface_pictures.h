// The pictures and the screen measures the container and slider controls draw with, found through
// the well-known objects of the processor that runs a control's class.
#pragma once

#include <cstdint>

class Image;
class ScriptObject;

// The picture cache's picture of that name (loaded on first use); null without an ImageManager.
Image* InterfacePicture(const ScriptObject* from, const char* name);
// Width and height of the screen (object 9); false, with both 0, when there is no screen object.
bool InterfaceScreenSize(const ScriptObject* from, int32_t& width, int32_t& height);
