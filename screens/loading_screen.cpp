#include "screens/loading_screen.h"

#include "foundation/random.h"
#include "graphics/display.h"
#include "graphics/image.h"
#include "graphics/screen_buffer.h"
#include "graphics/screen_presenter.h"
#include "graphics/screen_surface.h"
#include "screens/full_screen.h"
#include "ui/heaven_control.h"
#include "ui/window_services.h"

namespace {

constexpr uint32_t kLoadingMessage = 353;
constexpr int kStarCount = 400;
constexpr uint32_t kTextColourEntry = 3;

// Where the three parts of the disk picture go: entry e, frame e at (x, y).
struct DiskPart {
    int32_t x;
    int32_t y;
};
constexpr DiskPart kDiskParts[] = {{145, 411}, {305, 315}, {200, 221}};

}  // namespace

void LoadingScreen(Processor& processor, int32_t /*value*/) {
    Display& display = GameDisplay();
    ScreenBuffer& buffer = *display.Buffer();
    KeepFont keep(buffer);
    Font* font = NamedFont(processor, "Loading");
    const String text = SystemMessage(processor, kLoadingMessage);
    Image* stars = ScreenPicture(processor, "Misc\\Stars.dpf");
    Image* disk = ScreenPicture(processor, "Misc\\SaveDisk.dpf");

    display.LockSurface();
    ScreenSurface& surface = *display.Surface();
    surface.Fill(0);
    const int32_t width = surface.Width();
    const int32_t height = surface.Height();
    // The same star field at every showing.
    SeedRandom(0);
    const auto kinds = static_cast<int32_t>(stars->SubImageCount());
    for (int i = 0; i < kStarCount; ++i) {
        const int32_t kind = RandomBelow(kinds);
        const int32_t y = RandomBelow(height);
        const int32_t x = RandomBelow(width);
        buffer.DrawFrameBlended(stars->EntryAt(kind)->GetFrame(0), x, y, 0, 0);
    }
    for (int32_t part = 0; part < 3; ++part)
        buffer.DrawFrameBlended(disk->EntryAt(part)->GetFrame(part), kDiskParts[part].x, kDiskParts[part].y,
                                0, 0);

    buffer.SetFont(font);
    buffer.DrawTextAligned(text.Text(), width / 2, height / 2, ScreenColour(processor, kTextColourEntry), 1,
                           1, 0);
    display.Presenter()->ShowFrame();
}
