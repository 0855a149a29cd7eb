// ListBox: a container that builds its rows itself from texts, each a wrapped text row under the
// last, optionally with a bullet in front. It has no selection of its own and scrolls only by its
// arrows and the wheel.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/multi_control.h"

// Fields of a ListBoxObject that scripts reach by reference, after the Control fields.
enum ListBoxField : uint32_t {
    kListFirstScriptInt = kControlFieldCount,  // kept for the scripts; the list does not use it
    kListRowColour,                            // script address of a colour table entry
    kListSecondScriptInt,                      // kept for the scripts
    kListRowAlign,                             // horizontal alignment of each new row
    kListBulletStyle,                          // not 0: rows get a bullet; bit 0: indent 20, not 10
    kListBoxFieldCount
};

constexpr uint32_t kListWideIndent = 1;

class ListBoxObject : public MultiControlObject {
  public:
    ListBoxObject(ZEMAClass* cls, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id);

    // Adds a row (and its bullet) below the last one, made through the script classes
    // "MultiLineControl" and "StaticText".
    void AddLine(std::string_view text);

    int32_t ListValue() const { return listValue_; }
    void SetListValue(int32_t value) { listValue_ = value; }
    int32_t NextRowY() const { return nextRowY_; }
    int32_t RowGap() const { return rowGap_; }

    static ListBoxObject& Of(ScriptObject* receiver);

  private:
    // Adds a row this list made; a row it cannot take is deleted.
    void Adopt(ControlObject* row);

    int32_t listValue_ = 0;
    int32_t rowGap_ = 10;
    int32_t nextRowY_ = 10;
};

struct ListBox {
    // The MultiControl binding, then natives 0 and 26-33.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
};
