#include "graphics/color_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/exceptions.h"
#include "graphics/graphics_natives.h"
#include "graphics/image.h"
#include "script/class_manager.h"
#include "script/native_binder.h"
#include "script/native_catalogue.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/read_bytes.h"

namespace {

std::unique_ptr<Image> Strip(uint8_t bits, std::vector<uint16_t> pixels,
                             std::vector<std::string> extra = {}) {
    const auto width = static_cast<uint32_t>(pixels.size());
    std::vector<std::string> blocks = std::move(extra);
    blocks.push_back(
        FrameBlock({.width = width, .height = 2, .bitsPerPixel = bits, .pixels = std::move(pixels)}));
    return ReadBlockObject<Image>(PictureBlock(blocks));
}

class ColorManagerTest : public ::testing::Test {
  protected:
    // A manager over the strip, registered so that its natives are bound and run on the fake runner.
    ColorManager& Manager(Image* strip) {
        classes = std::make_unique<ClassManager>(&runner, 26, nullptr);
        auto* manager = new ColorManager(nullptr, strip);
        classes->Register(manager, false);
        return *manager;
    }

    uint32_t Call(ColorManager& manager, uint32_t number, const std::vector<uint32_t>& arguments) {
        for (uint32_t a : arguments) runner.stack.Push(a);
        runner.CallMethod(&manager, &manager, number);
        return runner.stack.Pop();
    }

    FakeMethodRunner runner;
    std::unique_ptr<ClassManager> classes;
};

TEST_F(ColorManagerTest, TheTableIsTheStripsTopRowAndIsRefilledInPlace) {
    std::vector<uint16_t> pixels(16);
    for (uint16_t i = 0; i < 16; ++i) pixels[i] = static_cast<uint16_t>(0x0400 * i + 0x21);
    auto strip = Strip(16, pixels);
    ColorManager& manager = Manager(strip.get());
    ASSERT_EQ(manager.TableSize(), 16u);
    EXPECT_EQ(manager.Colour(3), 0x0C21);
    EXPECT_EQ(manager.Colour(16), 0);

    // Natives 5 and 6 read an entry through its address, also after the table is rebuilt.
    const uint32_t address = Call(manager, 5, {3});
    EXPECT_EQ(Call(manager, 6, {address}), 0x0C21u);
    strip->ConvertAllTo565();
    manager.BuildTable();
    EXPECT_EQ(Call(manager, 6, {address}), 0x1841u);
    EXPECT_EQ(Call(manager, 6, {Call(manager, 5, {15})}), manager.Colour(15));

    // Reads stop at the table's ends.
    for (uint32_t outside :
         {Call(manager, 5, {16}), Call(manager, 5, {0}) - 2, Call(manager, 5, {15}) + 1, 0u})
        EXPECT_EQ(ErrorMessage([&] { Call(manager, 6, {outside}); }),
                  "Colour address outside the colour table of \"Misc\\Colors.dpf\"");
    // The engine's own colour numbers stop at the table's end, naming the strip.
    EXPECT_EQ(manager.CheckedEntryAddress(15), Call(manager, 5, {15}));
    EXPECT_EQ(ErrorMessage([&] { manager.CheckedEntryAddress(16); }),
              "Colour 16 is not in the colour table of \"Misc\\Colors.dpf\" (16 colours)");

    // 8-bit strips give palette indices.
    auto eight = Strip(8, {0, 7, 255}, {PaletteBlockBytes(std::vector<Rgb>(256))});
    ColorManager byIndex(nullptr, eight.get());
    EXPECT_EQ(byIndex.Colour(1), 7);
    EXPECT_EQ(byIndex.Colour(2), 255);

    // A strip without a readable row gives an empty table, not a wild one.
    ColorManager none(nullptr, nullptr);
    EXPECT_EQ(none.TableSize(), 0u);
    EXPECT_EQ(none.Colour(0), 0);
}

TEST_F(ColorManagerTest, FromRGBTakesRedGreenBlueInEveryMode) {
    auto strip = Strip(16, {1, 2});
    ColorManager& manager = Manager(strip.get());
    // Pushed red, green, blue: blue is popped first.
    EXPECT_EQ(Call(manager, 4, {255, 255, 255}), 0x7FFFu);
    EXPECT_EQ(Call(manager, 4, {255, 0, 0}), 0x7C00u);
    EXPECT_EQ(Call(manager, 4, {0, 0, 0xFF}), 0x001Fu);
    EXPECT_EQ(Call(manager, 4, {0, 0x80, 0}), 0x0200u);
    strip->ConvertAllTo565();
    EXPECT_EQ(Call(manager, 4, {255, 255, 255}), 0xFFFFu);
    EXPECT_EQ(Call(manager, 4, {255, 0, 0}), 0xF800u);
    EXPECT_EQ(Call(manager, 4, {0, 0x84, 0}), 0x0420u);
    EXPECT_EQ(Call(manager, 4, {0, 0, 0}), 0u);

    // 8 bits: the nearest entry of the strip's palette, with the same argument order.
    auto eight = Strip(8, {1, 2}, {PaletteBlockBytes({{0, 0, 0}, {250, 0, 5}, {5, 0, 250}})});
    ColorManager& indexed = Manager(eight.get());
    EXPECT_EQ(Call(indexed, 4, {255, 0, 0}), 1u);
    EXPECT_EQ(Call(indexed, 4, {0, 0, 255}), 2u);
}

TEST_F(ColorManagerTest, ClassFactsAndBindingByName) {
    auto strip = Strip(16, {1});
    ColorManager& manager = Manager(strip.get());
    EXPECT_EQ(manager.ClassName(), "ColorManager");
    EXPECT_EQ(manager.MethodCount(), 7u);
    EXPECT_EQ(manager.VirtualMethodCount(), 2u);
    EXPECT_FALSE(manager.IsKindOf("ColorManager"));
    EXPECT_TRUE(manager.IsKindOf("ZEMAClass"));

    // A script class derived from the manager reaches it through its native class.
    RegisterGraphicsNatives();
    ASSERT_NE(FindNativeBinder("ColorManager"), nullptr);
    std::unique_ptr<ZEMAClass> descriptor(NewNativeDescriptor(&runner, "ColorManager"));
    descriptor->ReserveMethodTables(*descriptor);
    descriptor->RegisterMethods(*descriptor);
    EXPECT_NE(descriptor->MethodSlot(6), 0u);
    descriptor->SetBase(&manager);
    std::unique_ptr<ScriptObject> object(new ScriptObject(descriptor.get()));
    runner.stack.Push(3);
    runner.CallMethod(object.get(), descriptor.get(), 5);
    EXPECT_EQ(runner.stack.Pop(), manager.EntryAddress(3));
}

}  // namespace
