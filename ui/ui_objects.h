// The well-known objects the controls use (fonts, interface colours, the hot-key table), found in
// the ObjectManager of the processor that runs an object's class. Each answers "none" when the
// object is not there, so that a control works without the parts a test or a tool leaves out.
#pragma once

#include <cstdint>

class Font;
class ScriptObject;

// The object under a well-known ID for the processor of from's class; null when there is no such
// processor or nothing is stored under the ID.
ScriptObject* WellKnownObject(const ScriptObject* from, uint32_t id);
// The FontManager's font of that name (loaded on first use); null without a FontManager.
Font* InterfaceFont(const ScriptObject* from, const char* name);
// Script address of entry n of the ColorManager's colour table; 0 without a ColorManager. FatalExep
// naming the colour strip when the table has no entry n: no control reads past the table.
uint32_t ColourEntryAddress(const ScriptObject* from, uint32_t n);
// The 16-bit colour at a script address such as ColourEntryAddress gives; 0 for address 0. Scripts
// may point a colour at any value of theirs: FatalExep when it is outside script memory.
uint32_t ColourAt(uint32_t address);
// The key code the hot-key table (object 28) gives for a character; 0 without the table.
uint32_t HotKeyCodeFor(const ScriptObject* from, uint8_t character);
