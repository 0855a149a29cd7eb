#include "ui/list_box.h"

#include <gtest/gtest.h>

#include <limits>

#include "script/zema_class.h"
#include "tests/support/error_message.h"
#include "tests/ui/sliders_fixture.h"
#include "ui/text_controls.h"

namespace {

constexpr uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

class ListBoxTest : public SlidersFixture {
  protected:
    // A list of the given size at (50, 60), id 4.
    GameObject List(int32_t width = 100, int32_t height = 50) {
        return New("ListBox", {50, 60, U(width), U(height), 4});
    }
    ListBoxObject& Of(const GameObject& list) { return ListBoxObject::Of(list.get()); }
    void AddLine(const GameObject& list, const std::string& text) {
        CallMethod(list.get(), 26, {game.Text(text)});
    }
    struct Row {
        std::string className;
        int32_t x, y;
        std::string text;
        int32_t align;
    };
    std::vector<Row> Rows(const GameObject& list) {
        std::vector<Row> rows;
        for (ControlObject* child : Of(list).Children()) {
            auto& text = StaticTextObject::Of(child);
            rows.push_back({child->Class()->ClassName().Text(), child->Int(kVisualX), child->Int(kVisualY),
                            text.Text().Text(), text.Int(kTextHorizontalAlign)});
        }
        return rows;
    }
};

TEST_F(ListBoxTest, RowsFollowEachOther) {
    GameObject list = List();
    AddLine(list, "One");
    AddLine(list, "Two");
    const std::vector<Row> rows = Rows(list);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].className, "MultiLineControl");
    EXPECT_EQ(rows[0].x, 10);
    EXPECT_EQ(rows[0].y, 10);
    EXPECT_EQ(rows[0].text, "One");
    const int32_t firstHeight = Of(list).Children()[0]->Height();
    ASSERT_GT(firstHeight, 0);
    EXPECT_EQ(rows[1].y, 10 + firstHeight + 10);
    EXPECT_EQ(Of(list).NextRowY(), rows[1].y + Of(list).Children()[1]->Height() + 10);
    EXPECT_EQ(Of(list).Children()[0]->Parent(), &Of(list));
}

TEST_F(ListBoxTest, BulletsAndAlignment) {
    struct Case {
        const char* name;
        uint32_t bullets;
        int32_t align;
        std::vector<std::pair<std::string, int32_t>> rows;  // class and x
    };
    const Case cases[] = {
        {"no bullets", 0, 0, {{"MultiLineControl", 10}}},
        {"bullets, wide indent", 1, 2, {{"StaticText", 0}, {"MultiLineControl", 20}}},
        {"bullets, narrow indent", 2, 1, {{"StaticText", 0}, {"MultiLineControl", 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObject list = List();
        Of(list).Own(kListBulletStyle) = c.bullets;
        Of(list).SetInt(kListRowAlign, c.align);
        AddLine(list, "Text");
        const std::vector<Row> rows = Rows(list);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].className, c.rows[i].first);
            EXPECT_EQ(rows[i].x, c.rows[i].second);
            EXPECT_EQ(rows[i].y, 10);
        }
        if (c.bullets != 0) {
            EXPECT_EQ(rows[0].text, "\x18");
            EXPECT_EQ(rows[0].align, 0);
        }
        EXPECT_EQ(rows.back().align, c.align);
    }
}

TEST_F(ListBoxTest, ViewNarrowerThanTheIndent) {
    for (int32_t width : {0, 5, 20, -50, std::numeric_limits<int32_t>::min()}) {
        SCOPED_TRACE(width);
        GameObject list = List(width);
        EXPECT_NO_THROW(AddLine(list, "a b"));
        ScreenBuffer& buffer = Canvas();
        EXPECT_NO_THROW(Control(list).Draw(buffer));
    }
}

TEST_F(ListBoxTest, RowsBelowTheViewScroll) {
    GameObject list = List(100, 30);
    for (int i = 0; i < 6; ++i) AddLine(list, "Row");
    const ScrollBox& box = Of(list).Box();
    EXPECT_TRUE(box.canScrollDown);
    held = false;
    EXPECT_EQ(Input(list, kInputWheel, -100, 0), -1);
    EXPECT_EQ(box.scrollY, box.contentBottom - 30);
    EXPECT_FALSE(box.canScrollDown);
}

TEST_F(ListBoxTest, ClearingKeepsTheNextRowPlace) {
    GameObject list = List();
    AddLine(list, "One");
    const int32_t next = Of(list).NextRowY();
    CallMethod(list.get(), 22);
    EXPECT_TRUE(Of(list).Children().empty());
    AddLine(list, "Two");
    EXPECT_EQ(Rows(list).at(0).y, next);
}

TEST_F(ListBoxTest, NativesReachTheFields) {
    GameObject list = List();
    ListBoxObject& l = Of(list);
    const std::pair<uint32_t, uint32_t> references[] = {{27, kListFirstScriptInt},
                                                        {28, kListRowColour},
                                                        {29, kListSecondScriptInt},
                                                        {30, kListRowAlign},
                                                        {33, kListBulletStyle}};
    for (auto [native, field] : references)
        EXPECT_EQ(CallMethod(list.get(), native), std::vector<uint32_t>{l.OwnAddress(field)}) << native;
    EXPECT_EQ(CallMethod(list.get(), 31), std::vector<uint32_t>{0});
    CallMethod(list.get(), 32, {U(-8)});
    EXPECT_EQ(CallMethod(list.get(), 31), std::vector<uint32_t>{U(-8)});
    EXPECT_NE(l.Own(kListRowColour), 0u);
    // The container natives are there too.
    EXPECT_EQ(CallMethod(list.get(), 23), std::vector<uint32_t>{0});
}

TEST_F(ListBoxTest, HostileTextAddressIsAnEngineError) {
    GameObject list = List();
    EXPECT_FALSE(ErrorMessage([&] { CallMethod(list.get(), 26, {5}); }).empty());
    EXPECT_TRUE(Of(list).Children().empty());
}

}  // namespace
