// While an edit field takes typing, a key that types is not held as the window's primary action
// either: what acts while the primary button is held (a slider's knob, a container's arrows) stays
// as it is when that key is typed over it.
#include <gtest/gtest.h>

#include <string>

#include "graphics/image.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/control.h"
#include "ui/multi_control.h"
#include "ui/slider.h"
#include "ui/window_services.h"

namespace {

class TypedHeldKeysTest : public DialogFixture {
  protected:
    TypedHeldKeysTest()
        : DialogFixture([](GameHarness& g) {
              for (const char* picture : {"Misc\\Slider.dpf", "Misc\\Up.dpf", "Misc\\Down.dpf"})
                  g.AddPicture(picture, {.width = 10, .height = 10});
          }) {}
};

// A container at (100, 100), 100 x 50, holds a slider at (20, 10), 200 long from 0 to 100, and a
// control below its view, so that its down arrow (10 x 10, 15 left of its right edge and 20 above
// its bottom) scrolls it. Space, the primary action's key, is typed with the pointer on the slider
// 50 along its line or on the arrow.
TEST_F(TypedHeldKeysTest, ASpaceTypedOverASliderOrAContainersArrowMovesNeither) {
    struct Place {
        const char* name;
        int32_t x, y;
    };
    for (const Place& place : {Place{"on the slider", 170, 110}, Place{"on the down arrow", 189, 134}}) {
        for (bool active : {true, false}) {
            SCOPED_TRACE(std::string(place.name) + (active ? ", typing" : ", field inactive"));
            auto window = NewWindow();
            ControlObject& container = NewControlByName(game.Cpu(), "MultiControl", {100, 100, 100, 50, 9});
            window->AddControl(&container, kListOwned);
            auto& slider =
                SliderObject::Of(&NewControlByName(game.Cpu(), "Slider", {20, 10, 4, 200, 0, 100, 0}));
            MultiControlObject::Of(&container).AddControl(&slider);
            MultiControlObject::Of(&container)
                .AddControl(&NewControlByName(game.Cpu(), "Control",
                                              {game.Picture("Misc\\Up.dpf")->Address(), 0, 200, 3}));
            const uint32_t buffer = AddEditField(*window, active);
            int frame = 0;
            react = [&](DialogWindow& w, const WindowEventRecord& e) {
                if (e.code == kEventStart) game.MovePointer(place.x, place.y);
                if (e.code != kEventBeforeDraw) return;
                ++frame;
                if (frame == 2) {
                    game.PressKey(kPrimaryKey);
                    game.TypeChar(' ');
                }
                if (frame == 4) game.ReleaseKey(kPrimaryKey);
                if (frame == 8) w.SetResult(0);
            };
            Run(*window);
            const bool moved = slider.Value() != 0 || MultiControlObject::Of(&container).Box().scrollY != 0;
            EXPECT_EQ(moved, !active);
            EXPECT_EQ(game.TextAt(buffer), active ? " " : "Unnamed");
        }
    }
}

}  // namespace
