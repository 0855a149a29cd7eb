#include "world/world_picture.h"

#include "foundation/engine_string.h"
#include "foundation/exceptions.h"
#include "graphics/image.h"
#include "graphics/image_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"

Image& CachedPicture(Processor& processor, const char* name) {
    auto* images = dynamic_cast<ImageManager*>(processor.Objects().GetObject(kImageManagerId));
    if (images == nullptr) ThrowFatal("No picture manager for \"%s\"", name);
    Image* image = images->GetImage(String(name));
    if (image == nullptr) ThrowFatal("Picture \"%s\" not found", name);
    return *image;
}

uint32_t CachedPictureAddress(Processor& processor, const char* name) {
    return CachedPicture(processor, name).Address();
}
