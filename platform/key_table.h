// Key codes are Windows virtual-key numbers: the key mappings on disk and the hot-key tables store
// them. This table turns the keys a backend reports into those numbers.
#pragma once

#include <cstdint>

// The virtual-key codes the engine and the backends name.
constexpr int32_t VK_LBUTTON = 0x01;
constexpr int32_t VK_RBUTTON = 0x02;
constexpr int32_t VK_MBUTTON = 0x04;
constexpr int32_t VK_BACK = 0x08;
constexpr int32_t VK_TAB = 0x09;
constexpr int32_t VK_CLEAR = 0x0C;
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_SHIFT = 0x10;
constexpr int32_t VK_CONTROL = 0x11;
constexpr int32_t VK_MENU = 0x12;
constexpr int32_t VK_PAUSE = 0x13;
constexpr int32_t VK_CAPITAL = 0x14;
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_SPACE = 0x20;
constexpr int32_t VK_PRIOR = 0x21;
constexpr int32_t VK_NEXT = 0x22;
constexpr int32_t VK_END = 0x23;
constexpr int32_t VK_HOME = 0x24;
constexpr int32_t VK_LEFT = 0x25;
constexpr int32_t VK_UP = 0x26;
constexpr int32_t VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28;
constexpr int32_t VK_SNAPSHOT = 0x2C;
constexpr int32_t VK_INSERT = 0x2D;
constexpr int32_t VK_DELETE = 0x2E;
constexpr int32_t VK_LWIN = 0x5B;
constexpr int32_t VK_RWIN = 0x5C;
constexpr int32_t VK_APPS = 0x5D;
constexpr int32_t VK_NUMPAD0 = 0x60;
constexpr int32_t VK_MULTIPLY = 0x6A;
constexpr int32_t VK_ADD = 0x6B;
constexpr int32_t VK_SUBTRACT = 0x6D;
constexpr int32_t VK_DECIMAL = 0x6E;
constexpr int32_t VK_DIVIDE = 0x6F;
constexpr int32_t VK_F1 = 0x70;  // VK_F1 + n - 1 is function key n, up to 24
constexpr int32_t VK_NUMLOCK = 0x90;
constexpr int32_t VK_SCROLL = 0x91;
constexpr int32_t VK_LSHIFT = 0xA0;
constexpr int32_t VK_RSHIFT = 0xA1;
constexpr int32_t VK_LCONTROL = 0xA2;
constexpr int32_t VK_RCONTROL = 0xA3;
constexpr int32_t VK_LMENU = 0xA4;
constexpr int32_t VK_RMENU = 0xA5;
constexpr int32_t VK_OEM_1 = 0xBA;  // ;
constexpr int32_t VK_OEM_PLUS = 0xBB;
constexpr int32_t VK_OEM_COMMA = 0xBC;
constexpr int32_t VK_OEM_MINUS = 0xBD;
constexpr int32_t VK_OEM_PERIOD = 0xBE;
constexpr int32_t VK_OEM_2 = 0xBF;  // /
constexpr int32_t VK_OEM_3 = 0xC0;  // `
constexpr int32_t VK_OEM_4 = 0xDB;  // [
constexpr int32_t VK_OEM_5 = 0xDC;  // backslash
constexpr int32_t VK_OEM_6 = 0xDD;  // ]
constexpr int32_t VK_OEM_7 = 0xDE;  // '
constexpr int32_t VK_OEM_8 = 0xDF;
constexpr int32_t VK_OEM_102 = 0xE2;

// How keys are reported: a key that types a character has that character (lower case) as its
// keycode; every other key has its scancode with this flag set. Scancodes are the USB keyboard
// usage numbers (4 = A, 58 = F1, 224 = left Ctrl ...).
constexpr int32_t kScancodeKeyFlag = 1 << 30;

// The virtual-key code of a key, 0 when it has none. The keycode decides where it names a key the
// table knows (so letters follow the keyboard layout); otherwise the key's position decides, as for
// the keys of national layouts. Modifiers come back sided (VK_LSHIFT ...); with num lock off the
// number pad gives the navigation keys.
int32_t VirtualKeyFromKey(int32_t keycode, int32_t scancode, bool numLock);

// VK_SHIFT, VK_CONTROL or VK_MENU for a sided modifier code; any other code unchanged.
int32_t UnsidedVirtualKey(int32_t virtualKey);

// The modifiers held with a key press, and whether the keyboard layout uses right Alt (as AltGr) to
// type characters.
struct Modifiers {
    bool leftAlt = false;
    bool rightAlt = false;
    bool ctrl = false;
    bool rightAltTypes = false;
};

// Whether a key press counts as typed with Alt (a system key, the hot keys' Alt): either Alt, Ctrl
// not held. Right Alt counts only where the layout does not type with it; where it does, right
// Alt comes with Ctrl or is AltGr and the key types its character instead.
bool AltHeld(const Modifiers& modifiers);

// The character a key press types besides its key code where text input gives none: Backspace 8,
// Tab 9, Enter 13, Escape 27, and Ctrl with a letter 1 to 26. -1 for any other key.
int32_t ControlCharacter(int32_t virtualKey, bool ctrl);
