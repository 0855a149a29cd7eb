#include "ui/interface_pictures.h"

#include "foundation/engine_string.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_surface.h"
#include "graphics/zema_screen.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "ui/ui_objects.h"

Image* InterfacePicture(const ScriptObject* from, const char* name) {
    auto* images = dynamic_cast<ImageManager*>(WellKnownObject(from, kImageManagerId));
    return images != nullptr ? images->GetImage(String(name)) : nullptr;
}

bool InterfaceScreenSize(const ScriptObject* from, int32_t& width, int32_t& height) {
    width = 0;
    height = 0;
    ScriptObject* object = WellKnownObject(from, kScreenId);
    if (object == nullptr) return false;
    auto* screen = dynamic_cast<ZEMAScreen*>(object);
    if (screen == nullptr) screen = dynamic_cast<ZEMAScreen*>(object->Class());
    if (screen == nullptr) return false;
    const ScreenSurface* surface = screen->Buffer().Surface();
    width = surface->Width();
    height = surface->Height();
    return true;
}
