#include "platform/sdl/lost_display.h"

#include <SDL.h>
#include <unistd.h>

#include <cstring>

#ifdef VONDREL_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace {

#ifdef VONDREL_HAVE_X11
int OnIoError(Display*) {
    EndOnLostDisplay();
}
#endif

}  // namespace

void EndProcessOnLostDisplay() {
#ifdef VONDREL_HAVE_X11
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(OnIoError);
#endif
}

void EndOnLostDisplay() {
    static const char kMessage[] = "Vondrel: the connection to the display was lost.\n";
    // Nothing to do if stderr is gone too.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    _exit(kLostDisplayExit);
}
