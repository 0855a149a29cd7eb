// Pictures the game world takes by name from the ImageManager's cache (object 4).
#pragma once

class Image;
class Processor;

// The named picture; FatalExep naming it when the cache or the picture is missing.
Image& CachedPicture(Processor& processor, const char* name);
