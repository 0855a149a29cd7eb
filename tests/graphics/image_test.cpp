#include "graphics/image.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/exceptions.h"
#include "tests/graphics/graphics_test_util.h"
#include "tests/support/read_bytes.h"
#include "tools/content/block_writer.h"

namespace {

std::unique_ptr<Image> ReadPicture(const std::string& bytes, const std::string& name = "test.dpf") {
    return ReadBlockObject<Image>(bytes, name);
}

std::string Frame8(uint32_t width, std::vector<uint16_t> pixels, int32_t originX = 0) {
    return FrameBlock({.width = width, .height = 1, .originX = originX, .pixels = std::move(pixels)});
}

// The message of the FatalExep that reading bytes throws, empty when it reads.
std::string ReadError(const std::string& bytes, const std::string& name) {
    try {
        ReadPicture(bytes, name);
    } catch (const FatalExep& e) {
        return e.message.Text();
    }
    return "";
}

}  // namespace

TEST(Image, FramesAndSubImagesInFileOrder) {
    auto picture =
        ReadPicture(PictureBlock({Frame8(1, {1}, 10), SEBlock("XYZ", "skipped"), Frame8(1, {2}, 11),
                                  PictureBlock({Frame8(1, {3}, 12)}), Frame8(1, {4}, 13), PictureBlock({})}));
    ASSERT_EQ(picture->FrameCount(), 3u);
    EXPECT_EQ(picture->GetFrame(0)->OriginX(), 10);
    EXPECT_EQ(picture->GetFrame(1)->OriginX(), 11);
    EXPECT_EQ(picture->GetFrame(2)->OriginX(), 13);
    ASSERT_EQ(picture->SubImageCount(), 2u);
    EXPECT_EQ(picture->EntryAt(0)->GetFrame(0)->OriginX(), 12);
    EXPECT_EQ(picture->EntryAt(0)->Parent(), picture.get());
    EXPECT_EQ(picture->EntryAt(1)->FrameCount(), 0u);
    EXPECT_EQ(picture->Parent(), nullptr);
    EXPECT_EQ(Image::FromAddress(picture->Address()), picture.get());
    EXPECT_EQ(Frame::FromAddress(picture->GetFrame(1)->Address()), picture->GetFrame(1));
}

TEST(Image, FrameIndexIsClamped) {
    auto picture = ReadPicture(PictureBlock({Frame8(1, {1}, 0), Frame8(1, {1}, 1), Frame8(1, {1}, 2)}));
    EXPECT_EQ(picture->GetFrame(7)->OriginX(), 2);
    EXPECT_EQ(picture->GetFrameChecked(7)->OriginX(), 2);
    try {
        picture->GetFrame(-1);
        FAIL() << "no exception";
    } catch (const WarnExep& e) {
        EXPECT_EQ(e.message, "Wrong image index");
        EXPECT_EQ(e.code, 0);
    }
    Image empty;
    EXPECT_THROW(empty.GetFrame(0), WarnExep);
    EXPECT_THROW(empty.GetFrameChecked(5), WarnExep);
}

TEST(Image, SubImageIndexIsClamped) {
    auto picture =
        ReadPicture(PictureBlock({PictureBlock({Frame8(1, {1}, 0)}), PictureBlock({Frame8(1, {1}, 1)})}));
    EXPECT_EQ(picture->EntryAt(-5), picture.get());
    EXPECT_EQ(picture->EntryAt(1)->GetFrame(0)->OriginX(), 1);
    EXPECT_EQ(picture->EntryAt(40), picture->EntryAt(1));
    EXPECT_EQ(picture->EntryAtChecked(40), picture->EntryAt(1));
    Image empty;
    EXPECT_EQ(empty.EntryAt(0), &empty);
    EXPECT_EQ(empty.EntryAt(3), &empty);
    EXPECT_EQ(empty.EntryAtChecked(3), &empty);
}

TEST(Image, FirstPaletteIsKeptAndInherited) {
    auto picture = ReadPicture(PictureBlock({Frame8(1, {1}), PictureBlock({Frame8(2, {1, 2})}),
                                             PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}, {0, 0, 255}}),
                                             PaletteBlockBytes({{0, 0, 0}, {0, 255, 0}})}));
    ASSERT_NE(picture->OwnPalette(), nullptr);
    EXPECT_EQ(picture->OwnPalette()->Count(), 3u);
    Image* sub = picture->EntryAt(0);
    EXPECT_EQ(sub->OwnPalette(), nullptr);
    EXPECT_EQ(sub->EffectivePalette(), picture->OwnPalette());
    // The sub-image's frames expand through the parent's palette.
    picture->ExpandAllTo16();
    EXPECT_EQ(Pixels(*picture->GetFrame(0)), (std::vector<uint32_t>{0x7C00}));
    EXPECT_EQ(Pixels(*sub->GetFrame(0)), (std::vector<uint32_t>{0x7C00, 0x001F}));
}

TEST(Image, NewPaletteRemapsInheritingSubImagesOnly) {
    auto picture = ReadPicture(
        PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}}), Frame8(2, {1, 2}),
                      PictureBlock({Frame8(1, {2})}),
                      PictureBlock({PaletteBlockBytes({{0, 0, 0}, {9, 9, 9}}), Frame8(1, {1})})}));
    // The same colours in another order.
    picture->SetPalette(MakePalette({{0, 0, 0}, {0, 255, 0}, {255, 0, 0}}));
    EXPECT_EQ(Pixels(*picture->GetFrame(0)), (std::vector<uint32_t>{2, 1}));
    EXPECT_EQ(Pixels(*picture->EntryAt(0)->GetFrame(0)), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Pixels(*picture->EntryAt(1)->GetFrame(0)), (std::vector<uint32_t>{1}));
    EXPECT_EQ(picture->OwnPalette()->Red(2), 255);

    // Another dimension: refused, nothing changes.
    EXPECT_THROW(picture->SetPalette(MakePalette({{0, 0, 0}, {255, 0, 0}}, 3)), WarnExep);
    EXPECT_EQ(Pixels(*picture->GetFrame(0)), (std::vector<uint32_t>{2, 1}));
    EXPECT_EQ(picture->OwnPalette()->Count(), 3u);
}

TEST(Image, AddFrameRemapsOrAdoptsThePalette) {
    Image picture;
    picture.AddFrame(MakeFrame({.width = 1, .height = 1, .pixels = {1}}),
                     MakePalette({{0, 0, 0}, {0, 0, 200}}));
    ASSERT_NE(picture.OwnPalette(), nullptr);
    EXPECT_EQ(picture.OwnPalette()->Blue(1), 200);
    picture.AddFrame(MakeFrame({.width = 2, .height = 1, .pixels = {1, 2}}),
                     MakePalette({{0, 0, 0}, {0, 0, 0}, {0, 0, 210}}));
    EXPECT_EQ(picture.FrameCount(), 2u);
    EXPECT_EQ(Pixels(*picture.GetFrame(1)), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(picture.OwnPalette()->Blue(1), 200);
    picture.AddFrame(nullptr, nullptr);
    EXPECT_EQ(picture.FrameCount(), 2u);
}

TEST(Image, DeepCopyIsIndependent) {
    auto picture = ReadPicture(PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 255, 255}}),
                                             FrameBlock({.width = 1,
                                                         .height = 1,
                                                         .bitsPerPixel = 16,
                                                         .pixels = {0x7FFF},
                                                         .mask = std::vector<uint8_t>{128}}),
                                             PictureBlock({Frame8(1, {1})})}));
    Image copy(*picture);
    ASSERT_EQ(copy.FrameCount(), 1u);
    ASSERT_EQ(copy.SubImageCount(), 1u);
    EXPECT_NE(copy.GetFrame(0), picture->GetFrame(0));
    EXPECT_NE(copy.OwnPalette(), picture->OwnPalette());
    EXPECT_EQ(copy.EntryAt(0)->Parent(), &copy);
    EXPECT_EQ(copy.EntryAt(0)->EffectivePalette(), copy.OwnPalette());
    ASSERT_NE(copy.GetFrame(0)->Mask(), nullptr);
    EXPECT_NE(copy.GetFrame(0)->Mask(), picture->GetFrame(0)->Mask());
    EXPECT_EQ(Pixels(*copy.GetFrame(0)->Mask()), (std::vector<uint32_t>{128}));
    EXPECT_EQ(copy.Kind(), picture->Kind());

    copy.ConvertAllTo565();
    copy.OwnPalette()->SetColour(1, 1, 2, 3);
    copy.ExpandAllTo16();
    EXPECT_EQ(Pixels(*copy.GetFrame(0)), (std::vector<uint32_t>{0xFFDF}));
    EXPECT_EQ(Pixels(*picture->GetFrame(0)), (std::vector<uint32_t>{0x7FFF}));
    EXPECT_EQ(picture->OwnPalette()->Red(1), 255);
    EXPECT_EQ(picture->EntryAt(0)->GetFrame(0)->BitsPerPixel(), 8u);
    EXPECT_EQ(copy.EntryAt(0)->GetFrame(0)->BitsPerPixel(), 16u);
}

TEST(Image, ReduceTreeToOnePalette) {
    // Palettes of one dimension have one size: only as many entries as the source has are searched.
    auto picture = ReadPicture(
        PictureBlock({PaletteBlockBytes({{0, 0, 0}, {255, 0, 0}, {1, 1, 1}, {2, 2, 2}}), Frame8(1, {1}),
                      PictureBlock({Frame8(1, {1})}),
                      PictureBlock({PaletteBlockBytes({{0, 0, 0}, {0, 255, 0}, {1, 1, 1}, {2, 2, 2}}),
                                    Frame8(1, {1}), PictureBlock({Frame8(2, {1, 0})})}),
                      FrameBlock({.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {0x001F}})}));
    picture->ReduceToPalette(MakePalette({{0, 0, 0}, {0, 255, 0}, {255, 0, 0}, {0, 0, 255}}));
    const PaletteBlock* target = picture->OwnPalette();
    ASSERT_EQ(target->Count(), 4u);
    EXPECT_EQ(Pixels(*picture->GetFrame(0)), (std::vector<uint32_t>{2}));
    EXPECT_EQ(Pixels(*picture->GetFrame(1)), (std::vector<uint32_t>{3}));
    EXPECT_EQ(picture->GetFrame(1)->BitsPerPixel(), 8u);
    EXPECT_EQ(Pixels(*picture->EntryAt(0)->GetFrame(0)), (std::vector<uint32_t>{2}));
    Image* green = picture->EntryAt(1);
    EXPECT_EQ(Pixels(*green->GetFrame(0)), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Pixels(*green->EntryAt(0)->GetFrame(0)), (std::vector<uint32_t>{1, 0}));
    // Every frame now indexes the new palette, so every sub-image draws with it.
    EXPECT_EQ(green->EffectivePalette(), target);
    EXPECT_EQ(green->EntryAt(0)->EffectivePalette(), target);
    picture->ReduceToPalette(nullptr);
    EXPECT_EQ(picture->OwnPalette(), target);
}

TEST(Image, ChunkSizeCountsTheWholeTree) {
    auto frame = MakeFrame(
        {.width = 1, .height = 1, .bitsPerPixel = 16, .pixels = {1}, .mask = std::vector<uint8_t>{9}});
    EXPECT_EQ(frame->ChunkSize(), (34u + 4 + 2) + (34u + 4 + 2) + 8);
    auto picture = ReadPicture(PictureBlock({PaletteBlockBytes({{0, 0, 0}}), Frame8(1, {1})}));
    EXPECT_EQ(picture->ChunkSize(), (10u + 2) + (14 + 4 + 2) + (34 + 4 + 2) + 8);
    Image empty;
    EXPECT_EQ(empty.ChunkSize(), 12u);
}

TEST(ImageRejects, PixelRowsShorterThanStrideTimesHeight) {
    const std::string damaged = PictureBlock({FrameBlock({.width = 3, .height = 2, .trimPayload = 1})});
    const std::string message = ReadError(damaged, "Short.dpf");
    EXPECT_NE(message.find("Short.dpf"), std::string::npos) << message;
    EXPECT_NE(message.find("pixel rows"), std::string::npos) << message;
    // 16-bit rows need twice the bytes.
    BlockWriter frame;
    frame.tag = "IMG";
    frame.headerFields = LeU32(0) + LeU32(0) + std::string(3, '\0') + "\x10" + LeU32(3) + LeU32(1) + LeU32(0);
    frame.payload = std::string(4, '\1');
    EXPECT_NE(ReadError(PictureBlock({frame.SE()}), "Wide.dpf").find("Wide.dpf"), std::string::npos);
    EXPECT_EQ(ReadError(PictureBlock({FrameBlock({.width = 3, .height = 2})}), "Good.dpf"), "");
}

TEST(ImageRejects, MaskOfAnotherSize) {
    FrameFixture fixture{
        .width = 2, .height = 2, .bitsPerPixel = 16, .mask = std::vector<uint8_t>{1, 2, 3, 4, 5, 6}};
    fixture.maskWidth = 3;
    const std::string message = ReadError(PictureBlock({FrameBlock(fixture)}), "Mask.dpf");
    EXPECT_NE(message.find("Mask.dpf"), std::string::npos) << message;
    fixture.maskWidth = 0;
    fixture.maskHeight = 1;
    EXPECT_NE(ReadError(PictureBlock({FrameBlock(fixture)}), "Mask.dpf"), "");
    fixture.maskHeight = 0;
    EXPECT_EQ(ReadError(PictureBlock({FrameBlock(fixture)}), "Mask.dpf"), "");
}

TEST(ImageRejects, PaletteShorterThanItsCount) {
    const std::string message =
        ReadError(PictureBlock({PaletteBlockBytes({{0, 0, 0}, {1, 1, 1}}, 0, 3)}), "Colours.dpf");
    EXPECT_NE(message.find("Colours.dpf"), std::string::npos) << message;
    EXPECT_NE(message.find("palette"), std::string::npos) << message;
    EXPECT_THROW(ReadBlockObject<PaletteBlock>(PaletteBlockBytes({}, 0, 1)), FatalExep);
}

TEST(ImageRejects, DepthsOtherThanEightAndSixteen) {
    const std::string message =
        ReadError(PictureBlock({FrameBlock({.width = 8, .height = 1, .bitsPerPixel = 1})}), "Bits.dpf");
    EXPECT_NE(message.find("Bits.dpf"), std::string::npos) << message;
}

TEST(ImageRejects, SubImagesNestedWithoutEnd) {
    std::string nested = PictureBlock({Frame8(1, {1})});
    for (int i = 0; i < 40; ++i) nested = PictureBlock({nested});
    EXPECT_NE(ReadError(nested, "Deep.dpf").find("Deep.dpf"), std::string::npos);
    std::string fine = PictureBlock({Frame8(1, {1})});
    for (int i = 0; i < 10; ++i) fine = PictureBlock({fine});
    EXPECT_EQ(ReadError(fine, "Deep.dpf"), "");
}
