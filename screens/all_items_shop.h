// The all-items shop ("AllItemsShop"): the shop dialog with every item of the game free of charge,
// its stock read from the archive entry "AllItems.lst" (item class names separated by blanks or line
// breaks), and four edit fields whose texts stay in the object after the window closes: the star
// system and planet of a new player's start, the number of players and their starting value. The
// player set-up reads them from there.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/engine_string.h"
#include "foundation/script_memory.h"
#include "screens/shop_dialog.h"

// Edit field ids, in the order of the texts.
enum AllItemsField : int32_t {
    kStarSystemFieldId = 100,
    kPlanetFieldId,
    kPlayerCountFieldId,
    kStartValueFieldId,
};
constexpr uint32_t kAllItemsFields = 4;

class AllItemsShopObject : public ShopDialogObject {
  public:
    AllItemsShopObject(ZEMAClass* cls, PlayerObject* player);

    const String& ListName() const { return listName_; }
    // The text of field id (kStarSystemFieldId ...) as typed, at most its capacity less one.
    std::string FieldText(int32_t id) const;
    void SetFieldText(int32_t id, std::string_view text);
    // The buffer the field's Edit control edits in place, and the characters the field takes (30 for
    // the names, 9 for the numbers).
    uint32_t FieldBuffer(int32_t id) const;
    static int32_t FieldLimit(int32_t id);

    static AllItemsShopObject& Of(ScriptObject* receiver);

  private:
    String listName_{"AllItems.lst"};
    ScriptBuffer<char> texts_[kAllItemsFields];
};

struct AllItemsShop {
    // Its own events, then the ShopDialog binding (which leaves them), then its own native 0.
    static void Bind(ZEMAClass& target, const NativeClassRow& row);
    // Event 10: a stock row for each class named in the list entry.
    static void FillStock(AllItemsShopObject& shop);
    // The edit field that takes typing (0 for none), shared by every all-items shop.
    static int32_t& ActiveField();
};
