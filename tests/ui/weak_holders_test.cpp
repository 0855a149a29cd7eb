// Everything in the interface that keeps an object it does not own loses it when it is deleted, and
// never takes a later object given the same script address for it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "script/weak_object.h"
#include "tests/support/error_message.h"
#include "tests/support/read_bytes.h"
#include "tests/support/reused_address.h"
#include "tests/ui/sliders_fixture.h"
#include "tools/content/picture_builder.h"
#include "ui/dialog_window.h"
#include "ui/multi_control.h"
#include "ui/picture_controls.h"

namespace {

class WeakHoldersTest : public SlidersFixture {
  protected:
    ScriptObject* Keep(GameObject object) {
        kept_.push_back(std::move(object));
        return kept_.back().get();
    }
    // A plain control at (x, y), kept by the test.
    ScriptObject* Box(int32_t x, int32_t y, int32_t id = 1) {
        return Keep(New("Control",
                        {game.Picture("Misc\\Up.dpf")->Address(), uint32_t(x), uint32_t(y), uint32_t(id)}));
    }
    ScriptObject* Opener() { return Keep(New("OpenWindowControl", {10, 20, 30, 40, 4})); }
    // A picture of one 2x2 frame that scripts may delete.
    ScriptObject* OwnPicture() {
        return Keep(GameObject(
            ReadBlockObject<Image>(PictureBlock({FrameBlock({.width = 2, .height = 2})})).release()));
    }
    // Deletes a kept object as a script would (whoever else holds it), then makes objects with make until
    // one lies at its address; null when none does.
    ScriptObject* ReplaceByLater(ScriptObject* victim, const std::function<ScriptObject*()>& make) {
        const uint32_t address = victim->Address();
        for (GameObject& object : kept_) {
            if (object.get() == victim) object.reset();
        }
        return MakeAtAddress(address, make);
    }

  private:
    std::vector<GameObject> kept_;
};

TEST_F(WeakHoldersTest, NoHolderTakesALaterObjectAtTheAddressForTheOneItKept) {
    std::unique_ptr<DialogWindow> window;
    ScriptObject* holder = nullptr;
    struct Case {
        const char* holder;
        // Makes the holder; gives the object it keeps without owning it.
        std::function<ScriptObject*()> hold;
        // Another object of the kept one's kind.
        std::function<ScriptObject*()> makeLike;
        // The holder, after the later object took the address.
        std::function<void(ScriptObject* later)> expect;
    };
    const Case cases[] = {
        {"a window's control",
         [&] {
             window = std::make_unique<DialogWindow>(&game.Cpu(), &game.Screen(), nullptr);
             ScriptObject* control = Box(5, 5, 1);
             window->AddControl(control, kListOwned);
             return control;
         },
         [&] { return Box(5, 5, 1); },
         [&](ScriptObject* later) {
             EXPECT_EQ(window->ControlAt(0), nullptr);
             EXPECT_EQ(window->FindControl(1), nullptr);
             // The window deletes what it owns, and the later control is not its.
             const WeakObject laterRef(later);
             window.reset();
             EXPECT_EQ(laterRef.Get(), later);
         }},
        {"a control's parent",
         [&] {
             holder = Box(5, 6);
             ScriptObject* parent = Box(100, 200);
             ControlObject::Of(holder).SetParent(&ControlObject::Of(parent));
             EXPECT_EQ(ControlObject::Of(holder).AbsoluteX(), 105);
             return parent;
         },
         [&] { return Box(300, 400); },
         [&](ScriptObject*) {
             EXPECT_EQ(ControlObject::Of(holder).Parent(), nullptr);
             EXPECT_EQ(ControlObject::Of(holder).AbsoluteX(), 5);
             EXPECT_EQ(ControlObject::Of(holder).AbsoluteY(), 6);
         }},
        {"a closer's opener",
         [&] {
             ScriptObject* opener = Opener();
             holder = Keep(New("CloseWindowControl", {opener->Address(), 6}));
             return opener;
         },
         [&] { return Opener(); },
         [&](ScriptObject*) {
             EXPECT_EQ(dynamic_cast<CloseWindowControlObject&>(ControlObject::Of(holder)).Opener(), nullptr);
         }},
        {"a picture set's picture",
         [&] {
             holder = Keep(New("PicturesSetControl", {0, 0, 5}));
             ScriptObject* picture = OwnPicture();
             CallMethod(holder, 21, {picture->Address(), 1, 2});
             return picture;
         },
         [&] { return OwnPicture(); },
         [&](ScriptObject* later) {
             const std::string error = ErrorMessage([&] { CallVirtual(holder, kPictureVirtual, {0}); });
             EXPECT_NE(error.find("Not a valid object"), std::string::npos) << error;
             EXPECT_EQ(PicturesSetControlObject::Of(holder).EntryAt(0).image.Get(), nullptr);
             EXPECT_NE(later, nullptr);
         }},
        {"a container's child",
         [&] {
             holder = Keep(New("MultiControl", {100, 100, 100, 50, 9}));
             ScriptObject* child = Box(5, 5, 1);
             CallMethod(holder, 21, {child->Address()});
             return child;
         },
         [&] { return Box(5, 5, 1); },
         [&](ScriptObject* later) {
             auto& container = MultiControlObject::Of(holder);
             EXPECT_TRUE(container.Children().empty());
             EXPECT_EQ(container.FirstControl(), nullptr);
             // Clearing deletes the container's children only.
             const WeakObject laterRef(later);
             container.ClearControls();
             EXPECT_EQ(laterRef.Get(), later);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        ScriptObject* later = ReplaceByLater(c.hold(), c.makeLike);
        ASSERT_NE(later, nullptr) << "no later object got the address";
        c.expect(later);
    }
}

}  // namespace
