#include "graphics/graphics_natives.h"

#include "graphics/color_manager.h"
#include "graphics/image_manager.h"
#include "script/native_binder.h"

namespace {

struct GraphicsNative {
    const char* className;
    NativeBinder binder;
};

// One row per native class of this subsystem.
constexpr GraphicsNative kGraphicsNatives[] = {
    {"ColorManager", ColorManager::Bind},
    {"ImageManager", ImageManager::Bind},
};

}  // namespace

void RegisterGraphicsNatives() {
    for (const GraphicsNative& native : kGraphicsNatives)
        RegisterNativeBinder(native.className, native.binder);
}
