// The ImageManager: all pictures by file name. Its picture cache reads each ".dpf" from the archive
// on first use, converts it at once to the screen mode (8-bit indices of the default palette, or
// 16-bit 5-5-5 / 5-6-5 pixels) and keeps it; scripts query pictures and frames, pick a turning
// sprite's sub-image for a direction and get recoloured copies through its natives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/named_cache.h"
#include "graphics/image.h"
#include "script/native_descriptor.h"

class ImageManager;
class PaletteBlock;
class ScreenSettingsBlock;

// Pictures by name, strict: a missing picture is the archive's error. Without a manager it only
// reads; with one, the manager converts what it reads.
class PictureCache : public NamedCache<Image> {
  public:
    PictureCache(ImageManager* owner, unsigned bucketCount, FD::File* archive);
    Image* Load(BlockReader& reader, const String& name) override;

  private:
    ImageManager* owner_;
};

class ImageManager : public NativeDescriptor {
  public:
    // Neither the settings nor the default palette is owned; the palette may be null where no
    // picture is loaded in an 8-bit mode.
    ImageManager(ScreenSettingsBlock* settings, MethodRunner* processor, unsigned bucketCount,
                 FD::File* archive, PaletteBlock* defaultPalette);
    // Destroys every cached picture, recoloured copies included.
    ~ImageManager() override;

    // The cache's loading step: reads the picture and converts it for the screen's depth. Throws
    // "Screen mode not supported by ImageManager yet." (with the mode and the settings' file) for
    // depths other than 8 and 16, and an error naming the picture for an 8-bit mode without a
    // default palette.
    Image* LoadPicture(BlockReader& reader, const String& name);
    // Every cached picture to the display's pixel format.
    void ConvertAllTo565();
    void ConvertAllTo555();

    Image* GetImage(const String& name) { return pictures_.Get(name); }
    // The picture recoloured by the three-character code (each "0" to "3"), made once per name
    // and code and kept in the cache under name + code. Another code is refused.
    Image* GetRecoloured(const String& name, const String& code);

    PictureCache& Pictures() { return pictures_; }
    ScreenSettingsBlock* Settings() const { return settings_; }
    PaletteBlock* DefaultPalette() const { return defaultPalette_; }
    // Keeps a manager that method 0 made for a script until this one goes; scripts may not
    // delete it. Gives its script value.
    uint32_t Adopt(std::unique_ptr<ImageManager> made);

    void RegisterMethods(ZEMAClass& target) override;
    // Binds methods 4-14, the ZEMAClass methods, then method 0.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);

  private:
    template <class Action>
    void ForEachPicture(Action action);

    ScreenSettingsBlock* settings_;
    PaletteBlock* defaultPalette_;
    PictureCache pictures_;
    std::vector<std::unique_ptr<ImageManager>> made_;
};

// True when code starts with three characters "0" to "3".
bool ValidRecolourCode(const char* code);
// Recolours the picture tree in place: output channel k (blue, green, red) takes the channel named
// by code[k] ("1" blue, "2" green, "3" red, "0" none), in the palettes and in the 16-bit frames,
// whose fields lie as pixelFormat (555, else 565) says. The code must be valid.
void RecolourImage(Image& image, const char* code, int32_t pixelFormat);
