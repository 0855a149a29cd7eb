#include "ui/ui_objects.h"

#include "foundation/byte_order.h"
#include "foundation/engine_string.h"
#include "foundation/script_memory.h"
#include "graphics/color_manager.h"
#include "graphics/font_manager.h"
#include "script/object_manager.h"
#include "script/processor.h"
#include "script/script_object.h"
#include "script/zema_class.h"
#include "shell/game_ids.h"
#include "shell/hot_key_table.h"

ScriptObject* WellKnownObject(const ScriptObject* from, uint32_t id) {
    if (from == nullptr || from->Class() == nullptr) return nullptr;
    auto* processor = dynamic_cast<Processor*>(from->Class()->GetProcessor());
    return processor != nullptr ? processor->Objects().GetObject(id) : nullptr;
}

Font* InterfaceFont(const ScriptObject* from, const char* name) {
    auto* fonts = dynamic_cast<FontManager*>(WellKnownObject(from, kFontManagerId));
    return fonts != nullptr ? fonts->GetFont(String(name)) : nullptr;
}

uint32_t ColourEntryAddress(const ScriptObject* from, uint32_t n) {
    auto* colours = dynamic_cast<ColorManager*>(WellKnownObject(from, kColorManagerId));
    return colours != nullptr ? colours->CheckedEntryAddress(n) : 0;
}

uint32_t ColourAt(uint32_t address) {
    if (address == 0) return 0;
    return LoadU16(ScriptPointer<uint8_t>(address, 2));
}

uint32_t HotKeyCodeFor(const ScriptObject* from, uint8_t character) {
    auto* table = dynamic_cast<HotKeyTable*>(WellKnownObject(from, kHotKeyTableId));
    return table != nullptr ? table->Code(character) : 0;
}
