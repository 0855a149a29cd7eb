#include "graphics/font_manager.h"

#include <gtest/gtest.h>

#include "foundation/config_blocks.h"
#include "foundation/exceptions.h"
#include "graphics/zema_screen.h"
#include "script/native_descriptor.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/support/script_texts.h"
#include "tests/support/test_archive.h"
#include "tools/content/font_builder.h"

namespace {

// A font serving language 1 with a variant for language 2, told apart by their glyph widths.
std::string TwoLanguageFont(int8_t width) {
    FontFixture main = UniformFont(8, width);
    FontFixture variant = UniformFont(8, static_cast<int8_t>(width + 1));
    variant.languages = {2};
    return FontBlock(main) + FontBlock(variant);
}

class FontManagerTest : public ::testing::Test {
  protected:
    FontManagerTest()
        : archive({{"Main.dff", TwoLanguageFont(3), false},
                   {"Other.dff", TwoLanguageFont(6), true},
                   {"Fonts.subs",
                    "\"Big Font\" Main.dff\r\n// Gone Other.dff\r\nAlias Other.dff  \"\" Main.dff\r\n"
                    "Empty \"\"\r\nOdd",
                    false}}),
          manager(&runner, 26, archive.File(), &language) {
        manager.ReserveMethodTables(manager);
        manager.RegisterMethods(manager);
        language.SetLanguage(1);
    }

    // Method n with one text argument; what it pushed.
    uint32_t Call(uint32_t n, const char* text) {
        ScriptTexts texts;
        runner.stack.Push(texts.Add(text));
        CallNative(manager, manager, n);
        return runner.stack.Depth() > 0 ? runner.stack.Pop() : 0;
    }

    TestArchive archive;
    StackRunner runner;
    LanguageBlock language;
    FontManager manager;
};

TEST_F(FontManagerTest, AFontIsReadOnceAndHandedOutInTheCurrentLanguage) {
    EXPECT_TRUE(manager.IsKindOf("FontManager"));
    EXPECT_TRUE(manager.IsKindOf("ZEMAClass"));
    EXPECT_FALSE(manager.IsKindOf("ZEMAScreen"));
    EXPECT_EQ(manager.MethodCount(), 6u);
    EXPECT_EQ(manager.ClassName(), "FontManager");

    Font* font = Font::FromAddress(Call(4, "Main.dff"));
    EXPECT_EQ(font->GlyphFor('A').width, 3);
    EXPECT_TRUE(font->KeptByEngine());  // cached: scripts may not delete it
    language.SetLanguage(2);
    EXPECT_EQ(Font::FromAddress(Call(4, "Main.dff")), font);  // the same font, now its variant
    EXPECT_EQ(font->GlyphFor('A').width, 4);
    language.SetLanguage(3);  // not served: the default language
    EXPECT_EQ(manager.GetFont("Main.dff"), font);
    EXPECT_EQ(font->GlyphFor('A').width, 3);

    // Packed entries arrive unpacked, and are read in the language of the time.
    language.SetLanguage(2);
    EXPECT_EQ(manager.GetFont("Other.dff")->GlyphFor('A').width, 7);
}

TEST_F(FontManagerTest, SubstitutionsStandForOtherFonts) {
    EXPECT_EQ(Call(5, "Fonts.subs"), 0u);
    EXPECT_EQ(runner.stack.Depth(), 0u);
    HashTable<String>& aliases = manager.Fonts().Aliases();
    EXPECT_EQ(manager.GetFont("Big Font"), manager.GetFont("Main.dff"));
    EXPECT_EQ(manager.GetFont("Alias"), manager.GetFont("Other.dff"));
    // Commented pairs, pairs with an empty name and an unpaired last name are left out.
    EXPECT_EQ(aliases.Find("Gone"), nullptr);
    EXPECT_EQ(aliases.Find("Empty"), nullptr);
    EXPECT_EQ(aliases.Find("Odd"), nullptr);
    EXPECT_EQ(aliases.Find(""), nullptr);
}

TEST_F(FontManagerTest, FailuresAreEngineErrors) {
    EXPECT_NE(ErrorMessage([&] { manager.GetFont("Missing.dff"); }).find("Missing.dff"), std::string::npos);
    EXPECT_NE(ErrorMessage([&] { Call(5, "Missing.subs"); }).find("Missing.subs"), std::string::npos);
    EXPECT_EQ(ErrorMessage([&] { CallNative(manager, manager, 4); }), "DStack underflow");
}

TEST_F(FontManagerTest, NewMakesAManagerOverTheSameArchiveAndLanguage) {
    const uint32_t archiveValue = archive.File()->Address();
    auto create = [&](uint32_t buckets, uint32_t archiveArg) {
        runner.stack.Push(buckets);
        runner.stack.Push(archiveArg);
        runner.stack.Push(12345);  // not used
        CallNative(manager, manager, 0);
        return runner.stack.Pop();
    };
    auto* made = dynamic_cast<FontManager*>(ZEMAClass::FromAddress(create(13, archiveValue), "manager"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Language(), &language);
    EXPECT_EQ(made->Fonts().Archive(), archive.File());
    EXPECT_EQ(made->Fonts().Aliases().First(), nullptr);
    // Scripts call it like the first one; the first one owns it.
    EXPECT_TRUE(made->KeptByEngine());
    ScriptTexts texts;
    runner.stack.Push(texts.Add("Main.dff"));
    CallNative(*made, *made, 4);
    EXPECT_EQ(Font::FromAddress(runner.stack.Pop())->GlyphFor('A').width, 3);

    EXPECT_EQ(ErrorMessage([&] { create(13, archiveValue + 8); }), "Unknown archive given to FontManager");
    EXPECT_EQ(ErrorMessage([&] { create(0, archiveValue); }), "Bad bucket count for FontManager");
    EXPECT_EQ(runner.stack.Depth(), 0u);
}

TEST(ScreenNatives, BindersAreRegisteredByClassName) {
    RegisterScreenNatives();
    StackRunner runner;
    const NativeClassRow fontRow{"FontManager", "FontManager", &kZEMAClassRow, 6, 2};
    const NativeClassRow screenRow{"ZEMAScreen", "ZEMAScreen", &kZEMAClassRow, 14, 2};
    NativeDescriptor fonts(&runner, fontRow);
    fonts.ReserveMethodTables(fonts);
    fonts.RegisterMethods(fonts);
    FontManager reference(&runner, 26, nullptr, nullptr);
    reference.ReserveMethodTables(reference);
    reference.RegisterMethods(reference);
    for (uint32_t n = 0; n < 6; ++n)
        EXPECT_EQ(ScriptLoad32(fonts.GetMethod(n) + 4), ScriptLoad32(reference.GetMethod(n) + 4)) << n;

    NativeDescriptor screens(&runner, screenRow);
    screens.ReserveMethodTables(screens);
    screens.RegisterMethods(screens);
    ZEMAScreen screen(&runner, {});
    screen.ReserveMethodTables(screen);
    screen.RegisterMethods(screen);
    for (uint32_t n = 0; n < 14; ++n)
        EXPECT_EQ(ScriptLoad32(screens.GetMethod(n) + 4), ScriptLoad32(screen.GetMethod(n) + 4)) << n;
}

}  // namespace
