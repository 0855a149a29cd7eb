// Pictures the game world takes by name from the ImageManager's cache (object 4).
#pragma once

#include <cstdint>

class Image;
class Processor;

// The named picture; FatalExep naming it when the cache or the picture is missing.
Image& CachedPicture(Processor& processor, const char* name);
// The same picture's script value, for natives that hand it on.
uint32_t CachedPictureAddress(Processor& processor, const char* name);
