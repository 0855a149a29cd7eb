#include "ui/text_controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/script_memory.h"
#include "graphics/font.h"
#include "graphics/text_layout.h"
#include "tests/graphics/screen_fixtures.h"
#include "tests/support/error_message.h"
#include "tests/ui/control_fixture.h"
#include "ui/ui_objects.h"

namespace {

class TextControlTest : public ControlFixture {
  protected:
    StaticTextObject& Label(const char* cls, const std::string& text, int32_t x = 10, int32_t y = 20) {
        return StaticTextObject::Of(&Make(cls, {uint32_t(x), uint32_t(y), Text(text), 3}));
    }
    StaticTextObject& Box(const char* cls, int32_t width, int32_t height, const std::string& text) {
        return StaticTextObject::Of(&Make(cls, {10, 20, uint32_t(width), uint32_t(height), Text(text), 3}));
    }
    EditControlObject& Edit(int32_t capacity, const std::string& initial = "") {
        buffers_.push_back(CopyTextToScript(initial + std::string(64, '\0')));
        const uint32_t buffer = ToScript(buffers_.back().get());
        return EditControlObject::Of(&Make("Edit", {10, 20, uint32_t(capacity), buffer, 3}));
    }
    std::string Buffer(const EditControlObject& edit) { return edit.BufferText().Text(); }
    // The colour and text of the last line drawn.
    std::pair<uint32_t, std::string> Drawn(ControlObject& control) {
        RecordingBuffer buffer(nullptr);
        control.Draw(buffer);
        if (buffer.calls.empty()) return {0, "(nothing)"};
        return {std::get<3>(buffer.calls.back()), std::get<0>(buffer.calls.back())};
    }

    std::vector<ScriptBuffer<char>> buffers_;
};

TEST_F(TextControlTest, CreationMeasuresAndTakesTheKindsDefaults) {
    struct Case {
        const char* cls;
        const char* font;
        uint32_t flags;
        uint32_t colourEntry;
    } cases[] = {{"StaticText", "StaticText", 0, 1},
                 {"TextButton", "TextButton", 3, 1},
                 {"CheckButton", "TextButton", 3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        StaticTextObject& t = Label(c.cls, "Hello\nworld");
        Font& font = FontNamed(c.font);
        EXPECT_EQ(t.TextFont(), &font);
        EXPECT_EQ(t.Int(kTextWidth), -TextWidth(font, "Hello\nworld"));
        EXPECT_EQ(t.Width(), TextWidth(font, "Hello\nworld"));
        EXPECT_EQ(t.Height(), TextHeight(font, "Hello\nworld"));
        EXPECT_EQ(t.Own(kTextFlags), c.flags);
        EXPECT_EQ(ColourAt(t.Own(kTextColour)), Colour(c.colourEntry));
        EXPECT_EQ(t.Int(kTextTypedCount), 0);
        EXPECT_EQ(t.Own(kVisualPicture), 0u);
    }
}

TEST_F(TextControlTest, TextButtonHotKeyComesFromTheEscape) {
    const struct {
        const char* text;
        uint32_t hotKey;
    } cases[] = {{"$hQuit", HotKey('Q')}, {"Save $hgame", HotKey('g')}, {"Plain", 0}, {"Ends in $h", 0},
                 {"$$hNot", 0},           {"\xe9$h\xff", HotKey(0xff)}};
    for (const auto& c : cases) {
        EXPECT_EQ(Label("TextButton", c.text).Own(kControlHotKey), c.hotKey) << c.text;
        EXPECT_EQ(Label("StaticText", c.text).Own(kControlHotKey), 0u) << c.text;
    }
}

TEST_F(TextControlTest, TypewriterRevealsThenShowsAll) {
    StaticTextObject& t = Label("StaticText", "abcdefg");
    t.SetInt(kTextTypingSpeed, 250);
    std::vector<std::string> shown;
    std::vector<int32_t> counts;
    for (int k = 0; k < 6; ++k) {
        shown.push_back(Drawn(t).second);
        counts.push_back(t.Int(kTextTypedCount));
        t.Step();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"", "ab", "abcd", "abcdef", "abcdefg", "abcdefg"}));
    EXPECT_EQ(counts, (std::vector<int32_t>{0, 2, 4, 6, -1, -1}));

    StaticTextObject& slow = Label("StaticText", "abc");
    slow.SetInt(kTextTypingSpeed, 99);  // below one character per step: never grows
    slow.Step();
    EXPECT_EQ(slow.Int(kTextTypedCount), 0);
    slow.SetInt(kTextTypingSpeed, INT32_MAX);  // a script's speed cannot overflow the count
    slow.Step();
    EXPECT_EQ(slow.Int(kTextTypedCount), 3);
    slow.SetInt(kTextTypingSpeed, INT32_MIN);
    slow.Step();
    EXPECT_EQ(slow.Int(kTextTypedCount), 0);
}

TEST_F(TextControlTest, HitBoxesFollowTheAlignment) {
    struct Case {
        const char* cls;
        int32_t hAlign, vAlign;
        int32_t x, y;
        bool hit;
    };
    // A box of 40 x 30 at (10, 20), fixed so that the numbers are plain.
    const Case cases[] = {
        {"StaticText", 0, 0, 10, 20, true},        {"StaticText", 0, 0, 49, 49, true},
        {"StaticText", 0, 0, 50, 20, false},       {"StaticText", 0, 0, 10, 50, false},
        {"StaticText", 1, 0, -10, 20, true},       {"StaticText", 1, 0, 29, 20, true},
        {"StaticText", 1, 0, 30, 20, false},       {"StaticText", 2, 2, -30, -10, true},
        {"StaticText", 2, 2, 10, 20, false},       {"MultiLineControl", 0, 0, 10, 20, true},
        {"MultiLineControl", 1, 0, 30, 20, true},  // the box starts at the anchor, right of the text
        {"MultiLineControl", 1, 0, 29, 20, false}, {"MultiLineControl", 0, 1, 10, 5, true},
        {"MultiLineControl", 0, 2, 10, 19, true},  {"MultiLineControl", 0, 2, 10, 20, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.cls << " align " << c.hAlign << "," << c.vAlign << " at " << c.x << "," << c.y);
        StaticTextObject& t =
            std::string(c.cls) == "StaticText" ? Label(c.cls, "x") : Box(c.cls, 40, 30, "x");
        t.SetInt(kTextWidth, 40);
        t.SetInt(kTextHeight, 30);
        t.SetInt(kTextHorizontalAlign, c.hAlign);
        t.SetInt(kTextVerticalAlign, c.vAlign);
        EXPECT_EQ(t.HitTest(c.x, c.y), c.hit);
    }
}

TEST_F(TextControlTest, ColoursByKindAndState) {
    struct Case {
        const char* cls;
        bool highlighted;
        bool checked;
        uint32_t colour;
    } cases[] = {
        {"StaticText", true, false, Colour(1)},  {"TextButton", false, false, Colour(1)},
        {"TextButton", true, false, Colour(2)},  {"CheckButton", false, false, Colour(3)},
        {"CheckButton", false, true, Colour(1)}, {"CheckButton", true, true, Colour(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cls << c.highlighted << c.checked);
        StaticTextObject& t = Label(c.cls, "Go");
        if (c.highlighted) t.GainFocus(0, 0);
        if (c.checked) t.SetInt(kCheckChecked, 1);
        EXPECT_EQ(Drawn(t), std::make_pair(c.colour, std::string("Go")));
    }
    StaticTextObject& button = Box("MultiLineButton", 0, 0, "Go");
    EXPECT_EQ(button.Own(kTextFlags), 1u);
    button.GainFocus(0, 0);
    EXPECT_EQ(Drawn(button).first, Colour(2));
}

TEST_F(TextControlTest, CheckButtonTogglesOnFirstButtonOnly) {
    int helpShown = 0;
    HelpRequestHook() = [&](uint32_t, std::string_view, int32_t, int32_t) { ++helpShown; };
    StaticTextObject& t = Label("CheckButton", "Sound");
    Call(t, 19, {Text("Help.mes"), 4});
    auto& check = dynamic_cast<CheckButtonObject&>(t);
    const struct {
        int32_t kind;
        int32_t answer;
        bool checked;
    } steps[] = {{kInputPress, -1, true},  {kInputSecondPress, 0, true}, {kInputDoubleClick, 0, true},
                 {kInputPress, -1, false}, {kInputOver, 0, false},       {kInputPress, -1, true}};
    for (const auto& s : steps) {
        EXPECT_EQ(Input(check, s.kind), s.answer) << s.kind;
        EXPECT_EQ(check.Checked(), s.checked) << s.kind;
    }
    EXPECT_EQ(helpShown, 0);
    ScriptStore32(Call(check, 31).at(0), 0);
    EXPECT_FALSE(check.Checked());
}

TEST_F(TextControlTest, MultiLineWrapsToAFixedWidth) {
    Font& font = FontNamed("StaticText");
    const std::string text = "one two three four five six";
    StaticTextObject& free = Box("MultiLineControl", 0, 0, text);
    EXPECT_EQ(std::string(free.Text().Text()), text);
    EXPECT_EQ(free.Width(), TextWidth(font, text.c_str()));

    StaticTextObject& fixed = Box("MultiLineControl", 40, 0, text);
    EXPECT_EQ(fixed.Int(kTextWidth), 40);
    EXPECT_NE(std::string(fixed.Text().Text()), text);
    EXPECT_LE(TextWidth(font, fixed.Text().Text()), 40);
    EXPECT_EQ(fixed.Int(kTextHeight), -TextHeight(font, fixed.Text().Text()));

    StaticTextObject& tall = Box("MultiLineControl", 40, 100, text);
    EXPECT_EQ(tall.Int(kTextHeight), 100);
    // Another font: the text is wrapped again to the same width.
    Font& narrow = FontNamed("TextButton");
    EXPECT_EQ(tall.SetFont(&narrow), 100);
    EXPECT_LE(TextWidth(narrow, tall.Text().Text()), 40);
}

TEST_F(TextControlTest, MultiLineDrawingIsClippedToItsBox) {
    StaticTextObject& t = Box("MultiLineControl", 40, 30, "x");
    t.SetInt(kTextVerticalAlign, 1);
    t.SetInt(kTextHorizontalAlign, 2);
    Rect seen;
    struct Spy : RecordingBuffer {
        using RecordingBuffer::RecordingBuffer;
        Rect* seen = nullptr;
        void DrawText(const char* text, int32_t x, int32_t y, uint32_t colour, int32_t h, int32_t v,
                      uint32_t flags) override {
            *seen = Clip();
            RecordingBuffer::DrawText(text, x, y, colour, h, v, flags);
        }
    } spy(nullptr);
    TestScreen screen({16, 565, false}, 200, 200);
    spy.SetSurface(&screen.Surface());
    spy.SetFont(&FontNamed("StaticText"));
    spy.seen = &seen;
    const Rect before = spy.Clip();
    t.Draw(spy);
    EXPECT_EQ(seen, (Rect{10, 5, 51, 36}));
    EXPECT_EQ(spy.Clip(), before);
    ASSERT_FALSE(spy.calls.empty());
    EXPECT_EQ(std::get<1>(spy.calls.back()), 50);  // the anchor: right alignment ends at x + width
    EXPECT_EQ(spy.CurrentFont(), &FontNamed("StaticText"));
}

TEST_F(TextControlTest, FontAndTextNatives) {
    StaticTextObject& t = Label("StaticText", "ab");
    Font& other = FontNamed("TextButton");
    EXPECT_EQ(Call(t, 27), std::vector<uint32_t>{FontNamed("StaticText").Address()});
    Call(t, 28, {other.Address()});
    EXPECT_EQ(t.TextFont(), &other);
    EXPECT_EQ(t.Width(), TextWidth(other, "ab"));
    Call(t, 30, {Text("longer text")});
    EXPECT_EQ(t.Width(), TextWidth(other, "longer text"));
    EXPECT_EQ(Call(t, 21), std::vector<uint32_t>{uint32_t(t.Width())});
    EXPECT_EQ(Call(t, 22), std::vector<uint32_t>{uint32_t(t.Height())});
    const struct {
        uint32_t native, field;
    } refs[] = {{23, kTextFlags},
                {24, kTextColour},
                {25, kTextVerticalAlign},
                {26, kTextHorizontalAlign},
                {29, kTextTypingSpeed}};
    for (auto r : refs)
        EXPECT_EQ(Call(t, r.native), std::vector<uint32_t>{t.OwnAddress(r.field)}) << r.native;
    t.SetInt(kTextWidth, 77);  // fixed widths stay
    Call(t, 30, {Text("x")});
    EXPECT_EQ(t.Width(), 77);
    t.Own(kTextFont) = t.Address();  // a font value a script overwrote is refused, not used
    EXPECT_NE(ErrorMessage([&] { t.TextFont(); }), "no error");
}

TEST_F(TextControlTest, EditTakesCharactersWithinItsCapacity) {
    EditControlObject& edit = Edit(10);
    for (char c : std::string("abcdefghijkl")) edit.AddChar(static_cast<uint8_t>(c));
    EXPECT_EQ(Buffer(edit), "abcdefghi");
    EXPECT_EQ(FromScript<char>(edit.BufferAddress())[9], '\0');
    EXPECT_EQ(FromScript<char>(edit.BufferAddress())[10], '\0');  // nothing beyond the capacity
    edit.Backspace();
    EXPECT_EQ(Buffer(edit), "abcdefgh");

    EditControlObject& empty = Edit(10);
    empty.Backspace();
    EXPECT_EQ(Buffer(empty), "");
    EXPECT_TRUE(empty.Changed());

    const struct {
        int32_t capacity;
        const char* initial;
        bool active;
        const char* after;
        bool changed;
    } cases[] = {{10, "", false, "Unnamed", true}, {4, "", false, "Unn", true},    {1, "", false, "", true},
                 {0, "", false, "", false},        {10, "Al", false, "Al", false}, {10, "", true, "", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.capacity << " '" << c.initial << "' " << c.active);
        EditControlObject& e = Edit(c.capacity, c.initial);
        e.SetActive(c.active);
        EXPECT_EQ(e.Active(), c.active);
        EXPECT_EQ(Buffer(e), c.after);
        EXPECT_EQ(e.Changed(), c.changed);
        if (c.capacity > 0) {
            EXPECT_EQ(FromScript<char>(e.BufferAddress())[c.capacity], 0);
        }
    }
}

TEST_F(TextControlTest, EditBufferThatAScriptFilledIsNotOverrun) {
    EditControlObject& edit = Edit(4, "abcdefgh");  // no terminator within the capacity
    EXPECT_EQ(Buffer(edit), "abcd");
    edit.AddChar('x');
    EXPECT_EQ(std::string(FromScript<char>(edit.BufferAddress()), 8), "abcdefgh");
    edit.Backspace();
    EXPECT_EQ(Buffer(edit), "abc");
    EXPECT_NE(ErrorMessage([&] { Make("Edit", {0, 0, 16, 0x10, 1}); }), "no error");
    EXPECT_NE(ErrorMessage([&] { Make("Edit", {0, 0, 0x7FFFFFFF, Text("x"), 1}); }), "no error");
}

TEST_F(TextControlTest, EditCaretBlinksAndIsDrawnWhileActive) {
    EditControlObject& edit = Edit(10, "ab");
    std::vector<int32_t> carets;
    for (int k = 0; k < 24; ++k) {
        carets.push_back(edit.Int(kEditCaretChar));
        GTTClass::CallStep(&edit, k);
    }
    std::vector<int32_t> expected{16};
    expected.insert(expected.end(), 11, 23);
    expected.insert(expected.end(), 11, 16);
    expected.push_back(23);
    EXPECT_EQ(carets, expected);
    EXPECT_EQ(Drawn(edit), std::make_pair(Colour(1), std::string("ab\x17")));
    edit.SetActive(false);
    EXPECT_EQ(Drawn(edit).second, "ab");
}

}  // namespace
