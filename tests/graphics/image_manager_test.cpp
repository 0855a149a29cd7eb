#include "graphics/image_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "foundation/palette_block.h"
#include "graphics/direction_to_frame.h"
#include "graphics/graphics_natives.h"
#include "script/native_binder.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/support/error_message.h"
#include "tests/support/fake_method_runner.h"
#include "tests/support/read_bytes.h"
#include "tests/support/script_texts.h"
#include "tests/support/test_archive.h"

namespace {

std::string Frame16(std::vector<uint16_t> pixels, int32_t originX = 0) {
    const auto width = static_cast<uint32_t>(pixels.size());
    return FrameBlock(
        {.width = width, .height = 1, .bitsPerPixel = 16, .originX = originX, .pixels = pixels});
}

std::string Frame8(std::vector<uint16_t> pixels) {
    const auto width = static_cast<uint32_t>(pixels.size());
    return FrameBlock({.width = width, .height = 1, .pixels = pixels});
}

std::vector<FdEntry> Entries() {
    std::vector<std::string> turning;
    for (int i = 0; i < 4; ++i) turning.push_back(PictureBlock({Frame16({0x7C00}, i)}));
    turning.push_back(Frame16({1, 2, 3}));
    return {
        {"Red.dpf", PictureBlock({Frame16({0x7C00, 0x001F, 0})}), false},
        {"Indexed.dpf",
         PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}}), Frame8({1, 2, 0})}), true},
        {"Turning.dpf", PictureBlock(turning), false},
        {"Empty.dpf", PictureBlock({}), false},
        {"Pictures.subs", "Alias Red.dpf\r\n\"Second alias\" Alias\r\nOdd", false},
    };
}

class ImageManagerTest : public ::testing::Test {
  protected:
    ImageManagerTest() : archive(Entries()) {
        settings.SetMode(16, 640, 480);
        colours.SetCount(4);
        colours.SetColour(1, 255, 0, 0);
        colours.SetColour(2, 0, 255, 0);
        colours.SetColour(3, 0, 0, 255);
    }

    std::unique_ptr<ImageManager> Manager(PaletteBlock* palette = nullptr) {
        auto manager = std::make_unique<ImageManager>(&settings, &runner, 26, archive.File(), palette);
        manager->ReserveMethodTables(*manager);
        manager->RegisterMethods(*manager);
        return manager;
    }

    // Pushes the arguments in order and runs the method; what it left on top.
    uint32_t Call(ImageManager& manager, uint32_t number, const std::vector<uint32_t>& arguments) {
        for (uint32_t a : arguments) runner.stack.Push(a);
        runner.CallMethod(&manager, &manager, number);
        return runner.stack.Depth() > 0 ? runner.stack.Pop() : 0;
    }

    uint32_t Text(const std::string& text) { return texts.Add(text); }

    static std::vector<uint32_t> Row(Image* picture, int32_t frame = 0) {
        return Pixels(*picture->GetFrame(frame));
    }

    TestArchive archive;
    FakeMethodRunner runner;
    ScreenSettingsBlock settings;
    PaletteBlock colours;
    ScriptTexts texts;
};

TEST_F(ImageManagerTest, PicturesAreConvertedOnLoadByScreenDepth) {
    // 16 bits before the display chose: 5-5-5, 8-bit pictures expanded through their palette.
    auto manager = Manager();
    Image* red = manager->GetImage("Red.dpf");
    Image* indexed = manager->GetImage("Indexed.dpf");
    EXPECT_EQ(Row(red), (std::vector<uint32_t>{0x7C00, 0x001F, 0}));
    EXPECT_EQ(indexed->GetFrame(0)->BitsPerPixel(), 16u);
    EXPECT_EQ(Row(indexed), (std::vector<uint32_t>{0x7C00, 0x03E0, 0}));

    manager->ConvertAllTo565();
    EXPECT_EQ(Row(red), (std::vector<uint32_t>{0xF800, 0x001F, 0}));
    EXPECT_EQ(Row(indexed), (std::vector<uint32_t>{0xF800, 0x07C0, 0}));
    manager->ConvertAllTo555();
    EXPECT_EQ(Row(indexed), (std::vector<uint32_t>{0x7C00, 0x03E0, 0}));

    // Once the display chose 5-6-5, pictures arrive converted.
    settings.pixelFormat = 565;
    auto later = Manager();
    EXPECT_EQ(Row(later->GetImage("Red.dpf")), (std::vector<uint32_t>{0xF800, 0x001F, 0}));

    // 8 bits: indices of a copy of the default palette, which the picture owns.
    settings.SetMode(8, 640, 480);
    auto eight = Manager(&colours);
    Image* reduced = eight->GetImage("Red.dpf");
    EXPECT_EQ(reduced->GetFrame(0)->BitsPerPixel(), 8u);
    EXPECT_EQ(Row(reduced), (std::vector<uint32_t>{1, 3, 0}));
    ASSERT_NE(reduced->OwnPalette(), nullptr);
    EXPECT_NE(reduced->OwnPalette(), &colours);
    EXPECT_EQ(reduced->OwnPalette()->Count(), 4u);
    EXPECT_EQ(Row(eight->GetImage("Indexed.dpf")), (std::vector<uint32_t>{1, 2, 0}));

    // Without a default palette an 8-bit mode cannot load; other depths never can.
    auto bare = Manager();
    EXPECT_EQ(ErrorMessage([&] { bare->GetImage("Red.dpf"); }),
              "No palette to load \"Red.dpf\" for the 8-bit screen mode");
    settings.SetMode(24, 640, 480);
    EXPECT_EQ(
        ErrorMessage([&] { bare->GetImage("Red.dpf"); }),
        "Screen mode not supported by ImageManager yet. (640 x 480 at 24 bits per pixel in \"Screen.SCRS\")");
    EXPECT_EQ(bare->Pictures().Count(), 0u);
}

TEST_F(ImageManagerTest, TheCacheLoadsOnceAndFollowsSubstitutions) {
    auto manager = Manager();
    const uint32_t red = Call(*manager, 4, {Text("Red.dpf")});
    EXPECT_EQ(Call(*manager, 4, {Text("Red.dpf")}), red);
    EXPECT_NE(ErrorMessage([&] { Call(*manager, 4, {Text("Missing.dpf")}); }), "no error");

    Call(*manager, 5, {Text("Pictures.subs")});
    EXPECT_EQ(Call(*manager, 4, {Text("Alias")}), red);
    EXPECT_EQ(Call(*manager, 4, {Text("Second alias")}), red);
    EXPECT_EQ(manager->Pictures().Aliases().Find("Odd"), nullptr);
    // Three names, one picture: converted and destroyed once.
    manager->ConvertAllTo565();
    EXPECT_EQ(Row(Image::FromAddress(red)), (std::vector<uint32_t>{0xF800, 0x001F, 0}));
}

TEST_F(ImageManagerTest, RecolouredCopiesAreMadeOncePerCode) {
    settings.pixelFormat = 565;
    auto manager = Manager();
    Image* original = manager->GetImage("Red.dpf");
    Image* swapped = manager->GetRecoloured("Red.dpf", "321");
    // Both stay in the cache: scripts may not delete them.
    EXPECT_TRUE(original->KeptByEngine());
    EXPECT_TRUE(swapped->KeptByEngine());
    EXPECT_EQ(Row(swapped), (std::vector<uint32_t>{0x001F, 0xF800, 0}));
    EXPECT_EQ(Row(manager->GetRecoloured("Red.dpf", "123")), Row(original));
    EXPECT_EQ(Row(manager->GetRecoloured("Red.dpf", "000")), (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(Row(original), (std::vector<uint32_t>{0xF800, 0x001F, 0}));
    EXPECT_EQ(manager->GetRecoloured("Red.dpf", "321"), swapped);
    EXPECT_EQ(Call(*manager, 11, {Text("Red.dpf"), Text("321")}), swapped->Address());
    EXPECT_NE(manager->GetRecoloured("Red.dpf", "311"), swapped);

    for (const char* code : {"32", "", "3a1", "421"})
        EXPECT_EQ(ErrorMessage([&] {
                      Call(*manager, 11, {Text("Red.dpf"), Text(code)});
                  }),
                  std::string("Wrong colour code \"") + code + "\" for picture Red.dpf");

    // 5-5-5 fields; 6-bit green keeps only its top five bits in 5-6-5.
    Frame& frame = *original->GetFrame(0);
    frame.SetPixel(0, 0, 0xFFFF);
    Image copy(*original);
    RecolourImage(copy, "123", 565);
    EXPECT_EQ(copy.GetFrame(0)->PixelAt(0, 0), 0xFFDFu);
    frame.SetPixel(0, 0, 31 << 10 | 5 << 5 | 3);
    Image five(*original);
    RecolourImage(five, "213", 555);
    EXPECT_EQ(five.GetFrame(0)->PixelAt(0, 0), 31u << 10 | 3 << 5 | 5);

    // Palettes: output blue, green, red from the named channels; sub-images follow.
    auto indexed = ReadBlockObject<Image>(
        PictureBlock({PaletteBlockBytes({{10, 20, 30}}), PictureBlock({PaletteBlockBytes({{1, 2, 3}})})}));
    RecolourImage(*indexed, "310", 565);
    const PaletteBlock& palette = *indexed->OwnPalette();
    EXPECT_EQ(palette.Blue(0), 10);
    EXPECT_EQ(palette.Green(0), 30);
    EXPECT_EQ(palette.Red(0), 0);
    EXPECT_EQ(indexed->EntryAt(0)->OwnPalette()->Green(0), 3);
}

TEST_F(ImageManagerTest, PicturesAndFramesAnswerScripts) {
    auto manager = Manager();
    const uint32_t turning = Call(*manager, 4, {Text("Turning.dpf")});
    const uint32_t red = Call(*manager, 4, {Text("Red.dpf")});
    const uint32_t empty = Call(*manager, 4, {Text("Empty.dpf")});
    Image* picture = Image::FromAddress(turning);
    EXPECT_EQ(Call(*manager, 6, {turning}), 1u);
    EXPECT_EQ(Call(*manager, 6, {red}), 0u);
    EXPECT_EQ(Call(*manager, 7, {turning}), 1u);
    EXPECT_EQ(Call(*manager, 8, {turning}), 4u);
    EXPECT_EQ(Call(*manager, 9, {turning, 1}), picture->EntryAt(1)->Address());
    EXPECT_EQ(Call(*manager, 9, {turning, 99}), picture->EntryAt(3)->Address());
    EXPECT_EQ(Call(*manager, 9, {turning, static_cast<uint32_t>(-1)}), turning);

    const uint32_t frame = Call(*manager, 10, {turning, 5});
    EXPECT_EQ(frame, picture->GetFrame(0)->Address());
    EXPECT_EQ(Call(*manager, 13, {frame}), 3u);
    EXPECT_EQ(Call(*manager, 12, {frame}), 1u);
    EXPECT_EQ(ErrorMessage([&] { Call(*manager, 10, {empty, 0}); }), "Wrong image index in \"Empty.dpf\"");
    EXPECT_NE(ErrorMessage([&] { Call(*manager, 13, {turning}); }), "no error");
    EXPECT_NE(ErrorMessage([&] { Call(*manager, 7, {frame}); }), "no error");

    // Direction: the orientation under the chosen sub-image.
    for (auto [a, b] : {std::pair{0, -10}, {10, 0}, {-7, 7}, {3, 9}}) {
        uint32_t orientation = 99;
        Image* expected = DirectionToFrame(a, b, *picture, orientation);
        EXPECT_EQ(Call(*manager, 14, {turning, static_cast<uint32_t>(a), static_cast<uint32_t>(b)}),
                  expected->Address());
        EXPECT_EQ(runner.stack.Pop(), orientation);
    }
    EXPECT_EQ(Call(*manager, 14, {red, 5, 5}), red);
    EXPECT_EQ(runner.stack.Pop(), 0u);
}

TEST_F(ImageManagerTest, NewMakesAnotherManagerWithoutAPalette) {
    settings.SetMode(8, 320, 200);
    auto manager = Manager(&colours);
    EXPECT_TRUE(manager->IsKindOf("ImageManager"));
    EXPECT_EQ(manager->MethodCount(), 15u);
    const uint32_t made = Call(*manager, 0, {37, archive.File()->Address(), 0});
    ASSERT_EQ(runner.pushedObjects, std::vector<uint32_t>{made});
    // The manager that made it owns it: scripts may use it but not delete it.
    auto* other = dynamic_cast<ImageManager*>(ZEMAClass::FromAddress(made, "class"));
    EXPECT_TRUE(other->KeptByEngine());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Pictures().BucketCount(), 37u);
    EXPECT_EQ(other->Settings(), &settings);
    EXPECT_EQ(other->DefaultPalette(), nullptr);
    EXPECT_NE(ErrorMessage([&] { Call(*other, 4, {Text("Red.dpf")}); }), "no error");

    EXPECT_EQ(ErrorMessage([&] {
                  Call(*manager, 0, {26, Text("not an archive"), 0});
              }),
              "Unknown archive given to ImageManager");
    EXPECT_EQ(ErrorMessage([&] { Call(*manager, 0, {0, 0, 0}); }), "Bad bucket count for ImageManager");

    RegisterGraphicsNatives();
    EXPECT_NE(FindNativeBinder("ImageManager"), nullptr);
}

}  // namespace
