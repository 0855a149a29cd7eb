#include "screens/full_screen.h"

#include "foundation/exceptions.h"
#include "graphics/color_manager.h"
#include "graphics/image_manager.h"
#include "graphics/screen_buffer.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/window_services.h"

Image* ScreenPicture(Processor& processor, const char* name) {
    return WellKnown<ImageManager>(processor, kImageManagerId, "image manager").GetImage(String(name));
}

uint32_t ScreenColour(Processor& processor, uint32_t n) {
    return WellKnown<ColorManager>(processor, kColorManagerId, "colour manager").Colour(n);
}

KeepFont::KeepFont(ScreenBuffer& buffer) : buffer_(buffer), font_(buffer.CurrentFont()) {}

KeepFont::~KeepFont() {
    buffer_.SetFont(font_);
}
