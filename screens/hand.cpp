#include "screens/hand.h"

#include "foundation/exceptions.h"
#include "graphics/image.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "shell/game_ids.h"
#include "ui/dialog_window.h"
#include "world/option.h"
#include "world/ownership.h"
#include "world/weapon.h"

namespace {

// The taker gets what the hand held and answers what the hand takes back.
template <class Taker>
void OfferLettingGo(OptionObject* held, const PutInHand& put, Taker take) {
    put(nullptr);
    OptionObject* back = nullptr;
    try {
        back = take(held);
    } catch (const DExep&) {
        put(FreeToTake(held));
        throw;
    }
    put(back);
}

}  // namespace

void ShowHandPointer(DialogWindow& window, const OptionObject* held, int32_t toolEntry) {
    if (held != nullptr) {
        window.SetCursor(held->Picture());
        return;
    }
    Image* pointer = nullptr;
    Processor* processor = window.GetProcessor();
    ObjectManager* pictures =
        processor != nullptr ? processor->Objects().ListAt(kGalaxyCursorListId) : nullptr;
    if (auto* set = pictures != nullptr ? dynamic_cast<Image*>(pictures->GetObject(0)) : nullptr)
        pointer = set->EntryAt(toolEntry);
    window.SetCursor(pointer);
}

void OfferHeldToWeapon(OptionObject* held, const PutInHand& put, OptionObject& weapon) {
    OfferLettingGo(held, put, [&weapon](OptionObject* offered) {
        const uint32_t answer = Weapon::CallOfferAmmo(&weapon, offered != nullptr ? offered->Address() : 0);
        return Weapon::TakenBack(offered, answer);
    });
}

bool MergeHeldInto(OptionObject* held, const PutInHand& put, OptionObject& stack) {
    bool merged = false;
    OfferLettingGo(held, put, [&](OptionObject* offered) {
        merged = Option::TryMerge(stack, offered);
        return merged ? nullptr : FreeToTake(offered);
    });
    return merged;
}
